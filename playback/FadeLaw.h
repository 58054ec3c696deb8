// The crossfade's volume law, free of widgets: one tick moves the volumes of
// excerpts A and B by 8 dB toward the targets of the play state, each clamped
// to the buffers' range right after its change.
#pragma once

#include <algorithm>
#include <cstdint>

#include "playback/SndTrack.h"

constexpr std::int32_t FADE_STEP = 800;         // hundredths of a dB per tick
constexpr std::int32_t VOLUME_SILENT = -10000;  // the buffers' silence
constexpr std::int32_t VOLUME_FULL = 0;

inline std::int32_t FadeUp(std::int32_t nVolume) { return std::min(nVolume + FADE_STEP, VOLUME_FULL); }
inline std::int32_t FadeDown(std::int32_t nVolume) { return std::max(nVolume - FADE_STEP, VOLUME_SILENT); }

inline void StepVolumes(TPlayState State, std::int32_t& nVolumeA, std::int32_t& nVolumeB) {
    switch (State) {
        case psFadeToA:
            nVolumeA = FadeUp(nVolumeA);
            nVolumeB = FadeDown(nVolumeB);
            break;
        case psFadeToB:
            nVolumeB = FadeUp(nVolumeB);
            nVolumeA = FadeDown(nVolumeA);
            break;
        case psFadeOut:
            nVolumeB = FadeDown(nVolumeB);
            nVolumeA = FadeDown(nVolumeA);
            break;
        case psPlaying:
        case psIdle:
            break;
    }
}
