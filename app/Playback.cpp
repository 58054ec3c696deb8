// The main window's side of playback: devices and tracks, A/B switching and the
// transport. The track set does the work; these members hand it the buttons'
// state and show its positions in the label and the scroll bar.
#include <QLabel>
#include <QScrollBar>

#include "app/TFormMain.h"
#include "platform/ui/SpeedButton.h"
#include "playback/PositionText.h"

static_assert(BYTES_PER_SECOND == POSITION_BYTES_PER_SECOND, "one reference format");

namespace {
bool IsDown(const TSpeedButton* pButton) { return pButton && pButton->Down(); }
}  // namespace

// ---- devices and tracks ----

void TFormMain::EnumerateDevices(TVecSndGuid& VecDevices) { TTrackSet::EnumerateDevices(VecDevices); }

void TFormMain::SetupTracks(TVecSndGuid& VecDevices) {
    m_TrackSet.SetupTracks(VecDevices, static_cast<HWND>(this), DebugLog());
}

bool TFormMain::CreateTrackSound(CSound** ppSound, const std::string& strFileName, int nTrack) {
    return m_TrackSet.CreateTrackSound(ppSound, strFileName, nTrack);
}

void TFormMain::ReleaseDevices() { m_TrackSet.ReleaseDevices(); }

// ---- A/B switching and crossfade ----

void TFormMain::SpeedButtonAClick() { m_TrackSet.Press(psFadeToA, IsDown(SpeedButtonA) || IsDown(SpeedButtonB)); }
void TFormMain::SpeedButtonBClick() { m_TrackSet.Press(psFadeToB, IsDown(SpeedButtonA) || IsDown(SpeedButtonB)); }
void TFormMain::PlayAll() { m_TrackSet.PlayAll(); }
void TFormMain::StopAll() { m_TrackSet.StopAll(); }
void TFormMain::TimerFadeTimer() { m_TrackSet.TimerFadeTimer(); }
void TFormMain::FadeStep() { m_TrackSet.FadeStep(); }

// ---- transport ----

void TFormMain::TimerPosTimer() {
    if (m_TrackSet.ShowsPosition()) UpdatePosition();
    // Whatever the play state: an output may fail while the candidate decides.
    m_Session.WatchOutputs(m_Tracks, DebugLog());
}

void TFormMain::UpdatePosition() {
    CSound* pSnd = m_TrackSet.ReferenceSound();
    if (!pSnd) return;
    const DWORD dwPosition = GetPlayPosition(pSnd);
    const DWORD dwLength = GetBufferLength(pSnd);
    if (LabelPosition) LabelPosition->setText(QString::fromStdString(PositionText(dwPosition, dwLength)));
    // setValue raises no scroll action, so this seeks nothing.
    if (ScrollBarTrackPos) ScrollBarTrackPos->setValue(static_cast<int>(dwPosition));
}

DWORD TFormMain::GetPlayPosition(CSound* pSnd) { return TTrackSet::GetPlayPosition(pSnd); }
DWORD TFormMain::GetBufferLength(CSound* pSnd) { return TTrackSet::GetBufferLength(pSnd); }

void TFormMain::SetupPositionBar() {
    CSound* pSnd = m_TrackSet.ReferenceSound();
    if (!pSnd || !ScrollBarTrackPos) return;
    ScrollBarTrackPos->setMinimum(0);
    ScrollBarTrackPos->setMaximum(static_cast<int>(GetBufferLength(pSnd)));
    ScrollBarTrackPos->setPageStep((ScrollBarTrackPos->maximum() - ScrollBarTrackPos->minimum()) / 10);
}

void TFormMain::ScrollBarTrackPosScroll(TScrollCode /*ScrollCode*/, int& ScrollPos) { SeekAll(ScrollPos); }

void TFormMain::SeekAll(LONG lOffset) { m_TrackSet.SeekAll(lOffset); }

void TFormMain::ButtonRewindClick() { Rewind(); }

void TFormMain::Rewind() {
    m_TrackSet.Rewind([this] {
        if (SpeedButtonA) SpeedButtonA->SetDown(false);
        if (SpeedButtonB) SpeedButtonB->SetDown(false);
    });
    // The label keeps its text until playback resumes.
    if (ScrollBarTrackPos) ScrollBarTrackPos->setValue(0);
}
