// Transport: position display, seek and rewind. Position and length always
// come from track 0's A sound; a seek moves every sound of every track to the
// same offset so the two excerpts stay aligned.
#include "app/TFormMain.h"

#include <QLabel>
#include <QScrollBar>

#include "platform/audio/DSound.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SpeedButton.h"
#include "playback/FadeLaw.h"
#include "playback/PositionText.h"
#include "sound/SoundOutput.h"

static_assert(BYTES_PER_SECOND == POSITION_BYTES_PER_SECOND, "one reference format");

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

void TFormMain::TimerPosTimer() {
    if (m_PlayState == psPlaying || m_PlayState == psFadeToA || m_PlayState == psFadeToB) UpdatePosition();
}

void TFormMain::UpdatePosition() {
    if (m_Tracks.empty() || !m_Tracks[0].apSound[0]) return;
    CSound* pSnd = m_Tracks[0].apSound[0];
    const DWORD dwPosition = GetPlayPosition(pSnd);
    const DWORD dwLength = GetBufferLength(pSnd);
    if (LabelPosition) LabelPosition->setText(QString::fromStdString(PositionText(dwPosition, dwLength)));
    // setValue raises no scroll action, so this seeks nothing.
    if (ScrollBarTrackPos) ScrollBarTrackPos->setValue(static_cast<int>(dwPosition));
}

DWORD TFormMain::GetPlayPosition(CSound* pSnd) {
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

DWORD TFormMain::GetBufferLength(CSound* pSnd) {
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

void TFormMain::SetupPositionBar() {
    if (m_Tracks.empty() || !m_Tracks[0].apSound[0] || !ScrollBarTrackPos) return;
    ScrollBarTrackPos->setMinimum(0);
    ScrollBarTrackPos->setMaximum(static_cast<int>(GetBufferLength(m_Tracks[0].apSound[0])));
    ScrollBarTrackPos->setPageStep((ScrollBarTrackPos->maximum() - ScrollBarTrackPos->minimum()) / 10);
}

void TFormMain::ScrollBarTrackPosScroll(TScrollCode /*ScrollCode*/, int& ScrollPos) { SeekAll(ScrollPos); }

void TFormMain::SeekAll(LONG lOffset) {
    const DWORD dwOffset = lOffset > 0 ? static_cast<DWORD>(lOffset) : 0;
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

void TFormMain::ButtonRewindClick() { Rewind(); }

void TFormMain::Rewind() {
    StopAll();
    if (SpeedButtonA) SpeedButtonA->SetDown(false);
    if (SpeedButtonB) SpeedButtonB->SetDown(false);
    m_bStopped = true;
    for (const TSndTrack& Track : m_Tracks) {
        for (CSound* pSnd : Track.apSound) {
            if (pSnd) pSnd->Reset();
        }
    }
    // The label keeps its text until playback resumes.
    if (ScrollBarTrackPos) ScrollBarTrackPos->setValue(0);
}
