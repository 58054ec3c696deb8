// Wave formats the audio service accepts, decoded once into what the mixer needs.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

namespace audio {

enum class SampleKind : std::uint8_t { U8, S16, S24, S32, F32 };

struct SampleFormat {
    SampleKind kind = SampleKind::S16;
    std::uint32_t channels = 2;
    std::uint32_t rate = 44100;
    std::uint32_t bits = 16;
    std::uint32_t blockAlign = 4;  // bytes per frame
};

constexpr std::uint32_t kMaxChannels = 8;
constexpr std::uint32_t kMinRate = 1000;
constexpr std::uint32_t kMaxRate = 384000;

// Accepts PCM of 8, 16, 24 or 32 bits and 32-bit IEEE float (plain or in the
// extensible record), 1 to 8 channels, 1000 to 384000 frames per second, with a
// block align of channels x bytes per sample. Anything else: DSERR_BADFORMAT.
// The rate of bytes per second is not judged: the mixer never uses it.
HRESULT ParseFormat(const WAVEFORMATEX* wfx, SampleFormat& out);

// The 18-byte record that describes `f` as plain PCM or float.
WAVEFORMATEX ToWaveFormat(const SampleFormat& f);

}  // namespace audio
