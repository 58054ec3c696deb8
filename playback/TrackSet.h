// The track set: the four playback tracks with their sound managers, the
// sounds of the test on show, and the playback state. It starts, stops,
// fades, seeks and rewinds every loaded sound through the audio service;
// commands that reach more than one buffer are issued together (one
// CDeferredCommands bracket), so the buffers of a stream move on one frame.
//
// Ownership: the records share their managers (TSndTrack::pSM); every sound
// loaded by CreateTrackSound, or taken over from the channel setup window, is
// owned here, once, and freed by ReleaseSounds or with the set. The slots of
// the records only point at them.
//
// Plain C++: no window, no toolkit. Control (GUI) thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "playback/FadeLaw.h"
#include "playback/SndTrack.h"

class CSound;
class TLogBuffer;

constexpr int SLOT_A = 0;
constexpr int SLOT_B = 1;

class TTrackSet {
public:
    TTrackSet();
    ~TTrackSet();

    TVecSndTrack m_Tracks;
    TPlayState m_PlayState = psIdle;
    bool m_bStopped = true;
    std::int32_t m_nVolumeA = VOLUME_SILENT;
    std::int32_t m_nVolumeB = VOLUME_SILENT;

    // ---- output devices and tracks ----
    // Appends every listed output whose description names the interface.
    static void EnumerateDevices(TVecSndGuid& VecDevices);
    // Four tracks on the first four of VecDevices; short of them, four tracks
    // sharing the default output, with a warning; when not even that opens,
    // none. What stood in the way goes to pLog (when given).
    void SetupTracks(const TVecSndGuid& VecDevices, HWND hWnd, TLogBuffer* pLog);
    // Loads one WAV file onto track nTrack; the sound is this set's. *ppSound
    // is written only on success.
    bool CreateTrackSound(CSound** ppSound, const std::string& strFileName, int nTrack);
    // Empties every slot of every track and frees the sounds.
    void ReleaseSounds();
    // Lets go of each track's manager (the device goes with its last holder).
    void ReleaseDevices();
    // Takes over the channel setup window's records and its test sounds; an A
    // sound that none of the new records holds is freed.
    void TakeOver(const TVecSndTrack& Records, std::vector<std::unique_ptr<CSound>> Sounds);

    // ---- A/B switching and crossfade ----
    // One press of A or B, the buttons' down state already showing the press.
    void Press(TPlayState FadeTo, bool bAnyButtonDown);
    void PlayAll();
    void StopAll();
    void TimerFadeTimer();
    void FadeStep();

    // ---- transport ----
    // The sound positions and lengths are read from: track 0's A sound, or null.
    CSound* ReferenceSound() const;
    // The position display follows playback in these states only.
    bool ShowsPosition() const;
    static DWORD GetPlayPosition(CSound* pSnd);
    static DWORD GetBufferLength(CSound* pSnd);
    void SeekAll(LONG lOffset);
    // Stops, marks the sounds stopped and puts every sound back at its start;
    // RaiseButtons runs where the window raises its A/B buttons.
    void Rewind(const std::function<void()>& RaiseButtons = {});

    TTrackSet(const TTrackSet&) = delete;
    TTrackSet& operator=(const TTrackSet&) = delete;

private:
    // Declared after the records, so the sounds go before the managers.
    std::vector<std::unique_ptr<CSound>> m_Sounds;
};
