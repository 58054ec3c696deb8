// A/B switching and crossfade. Both excerpts of every track loop together from
// the first press on; the buttons only choose which one the fade timer brings
// up, so A and B never lose their common position.
#include "app/TFormMain.h"

#include "platform/audio/DSound.h"
#include "platform/ui/SpeedButton.h"
#include "playback/FadeLaw.h"
#include "sound/SoundOutput.h"

namespace {
constexpr int SLOT_A = 0;
constexpr int SLOT_B = 1;

bool IsDown(const TSpeedButton* pButton) { return pButton && pButton->Down(); }
}  // namespace

// One press of either button; the button's down state already shows the press.
static void PressExcerpt(TFormMain& Form, TPlayState FadeTo) {
    if (Form.m_bStopped) {
        Form.PlayAll();
        Form.m_bStopped = false;
    }
    Form.m_PlayState = FadeTo;
    if (!IsDown(Form.SpeedButtonA) && !IsDown(Form.SpeedButtonB)) {
        // The lowered button was raised: pause where every buffer is.
        Form.StopAll();
        Form.m_bStopped = true;
    }
}

void TFormMain::SpeedButtonAClick() { PressExcerpt(*this, psFadeToA); }
void TFormMain::SpeedButtonBClick() { PressExcerpt(*this, psFadeToB); }

void TFormMain::PlayAll() {
    m_PlayState = psPlaying;
    for (const TSndTrack& Track : m_Tracks) {
        for (CSound* pSnd : Track.apSound) {
            if (!pSnd) continue;
            if (LPDIRECTSOUNDBUFFER pBuf = pSnd->GetBuffer(0)) pBuf->Play(0, 0, DSBPLAY_LOOPING);
        }
    }
}

void TFormMain::StopAll() {
    m_PlayState = psFadeOut;
    for (const TSndTrack& Track : m_Tracks) {
        for (CSound* pSnd : Track.apSound) {
            if (pSnd) pSnd->Stop();
        }
    }
}

void TFormMain::TimerFadeTimer() {
    if (m_PlayState != psIdle) FadeStep();
}

void TFormMain::FadeStep() {
    StepVolumes(m_PlayState, m_nVolumeA, m_nVolumeB);
    // Applied on every tick, changed or not, so a sound loaded meanwhile takes
    // the current volumes and a refused SetVolume is simply tried again.
    for (const TSndTrack& Track : m_Tracks) {
        if (Track.apSound[SLOT_A]) {
            if (LPDIRECTSOUNDBUFFER pBuf = Track.apSound[SLOT_A]->GetBuffer(0)) pBuf->SetVolume(m_nVolumeA);
        }
        if (Track.apSound[SLOT_B]) {
            if (LPDIRECTSOUNDBUFFER pBuf = Track.apSound[SLOT_B]->GetBuffer(0)) pBuf->SetVolume(m_nVolumeB);
        }
    }
}
