// A/B switching, the crossfade and the transport of the track set. Both
// excerpts of every track loop together from the first press on; the buttons
// only choose which one the fade brings up, so A and B never lose their common
// position, and a seek moves every sound to the same offset.
#include "playback/TrackSet.h"

#include "platform/audio/DSound.h"
#include "platform/report/Report.h"
#include "sound/SoundOutput.h"

namespace {
constexpr const char* UNIT = "TFormMain";

// The offset aligned down to a whole frame of the buffer, so that no buffer
// starts inside a sample frame. A buffer that cannot tell its format gets the
// offset as it is (the audio service aligns it in its own way).
DWORD FrameAlignedOffset(LPDIRECTSOUNDBUFFER pBuf, DWORD dwOffset) {
    alignas(WAVEFORMATEX) BYTE abFormat[64] = {};
    DWORD dwWritten = 0;
    if (FAILED(pBuf->GetFormat(reinterpret_cast<WAVEFORMATEX*>(abFormat), sizeof abFormat, &dwWritten))) {
        return dwOffset;
    }
    const WORD wBlockAlign = reinterpret_cast<const WAVEFORMATEX*>(abFormat)->nBlockAlign;
    return wBlockAlign > 1 ? dwOffset - dwOffset % wBlockAlign : dwOffset;
}
}  // namespace

TTrackSet::TTrackSet() = default;
TTrackSet::~TTrackSet() = default;

void TTrackSet::Press(TPlayState FadeTo, bool bAnyButtonDown) {
    if (m_bStopped) {
        PlayAll();
        m_bStopped = false;
    }
    m_PlayState = FadeTo;
    if (!bAnyButtonDown) {
        // The lowered button was raised: pause where every buffer is.
        StopAll();
        m_bStopped = true;
    }
}

void TTrackSet::PlayAll() {
    m_PlayState = psPlaying;
    CDeferredCommands Together;
    for (const TSndTrack& Track : m_Tracks) {
        for (CSound* pSnd : Track.apSound) {
            if (!pSnd) continue;
            if (LPDIRECTSOUNDBUFFER pBuf = pSnd->GetBuffer(0)) pBuf->Play(0, 0, DSBPLAY_LOOPING);
        }
    }
}

void TTrackSet::StopAll() {
    m_PlayState = psFadeOut;
    CDeferredCommands Together;
    for (const TSndTrack& Track : m_Tracks) {
        for (CSound* pSnd : Track.apSound) {
            if (pSnd) pSnd->Stop();
        }
    }
}

void TTrackSet::TimerFadeTimer() {
    if (m_PlayState != psIdle) FadeStep();
}

void TTrackSet::FadeStep() {
    StepVolumes(m_PlayState, m_nVolumeA, m_nVolumeB);
    // Applied on every tick, changed or not, so a sound loaded meanwhile takes
    // the current volumes and a refused SetVolume is simply tried again.
    CDeferredCommands Together;
    for (const TSndTrack& Track : m_Tracks) {
        if (Track.apSound[SLOT_A]) {
            if (LPDIRECTSOUNDBUFFER pBuf = Track.apSound[SLOT_A]->GetBuffer(0)) pBuf->SetVolume(m_nVolumeA);
        }
        if (Track.apSound[SLOT_B]) {
            if (LPDIRECTSOUNDBUFFER pBuf = Track.apSound[SLOT_B]->GetBuffer(0)) pBuf->SetVolume(m_nVolumeB);
        }
    }
}

CSound* TTrackSet::ReferenceSound() const { return m_Tracks.empty() ? nullptr : m_Tracks[0].apSound[SLOT_A]; }

bool TTrackSet::ShowsPosition() const {
    return m_PlayState == psPlaying || m_PlayState == psFadeToA || m_PlayState == psFadeToB;
}

DWORD TTrackSet::GetPlayPosition(CSound* pSnd) {
    SND_CHECK(pSnd != nullptr, "pSnd", UNIT);
    if (!pSnd) return 0;
    LPDIRECTSOUNDBUFFER8 pSndBuf = nullptr;
    if (LPDIRECTSOUNDBUFFER pBuf = pSnd->GetBuffer(0)) {
        pBuf->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&pSndBuf));
    }
    SND_CHECK(pSndBuf != nullptr, "pSndBuf", UNIT);
    if (!pSndBuf) return 0;
    DWORD dwPlayCursor = 0;
    DWORD dwWriteCursor = 0;
    pSndBuf->GetCurrentPosition(&dwPlayCursor, &dwWriteCursor);
    pSndBuf->Release();
    return dwPlayCursor;
}

DWORD TTrackSet::GetBufferLength(CSound* pSnd) {
    SND_CHECK(pSnd != nullptr, "pSnd", UNIT);
    if (!pSnd) return 0;
    LPDIRECTSOUNDBUFFER pSndBuf = pSnd->GetBuffer(0);
    SND_CHECK(pSndBuf != nullptr, "pSndBuf", UNIT);
    if (!pSndBuf) return 0;
    DSBCAPS Caps = {};
    Caps.dwSize = 20;
    const HRESULT hr = pSndBuf->GetCaps(&Caps);
    SND_CHECK(DS_OK == hr, "DS_OK == hr", UNIT);
    return DS_OK == hr ? Caps.dwBufferBytes : 0;
}

void TTrackSet::SeekAll(LONG lOffset) {
    const DWORD dwOffset = lOffset > 0 ? static_cast<DWORD>(lOffset) : 0;
    CDeferredCommands Together;
    const std::size_t nTracks = m_Tracks.size();
    for (std::size_t i = 0; i < nTracks; ++i) {
        for (CSound* pSnd : m_Tracks[i].apSound) {
            if (!pSnd) continue;
            LPDIRECTSOUNDBUFFER pBuf = pSnd->GetBuffer(0);
            if (!pBuf) continue;
            // Silenced before it moves, so the jump itself is not heard.
            pBuf->SetVolume(VOLUME_SILENT);
            pBuf->SetCurrentPosition(FrameAlignedOffset(pBuf, dwOffset));
        }
    }
    m_nVolumeB = VOLUME_SILENT;
    m_nVolumeA = VOLUME_SILENT;
    FadeStep();
}

void TTrackSet::Rewind(const std::function<void()>& RaiseButtons) {
    CDeferredCommands Together;
    StopAll();
    if (RaiseButtons) RaiseButtons();
    m_bStopped = true;
    for (const TSndTrack& Track : m_Tracks) {
        for (CSound* pSnd : Track.apSound) {
            if (pSnd) pSnd->Reset();
        }
    }
}
