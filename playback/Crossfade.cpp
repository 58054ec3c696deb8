// A/B switching and crossfade.
#include "app/TFormMain.h"

void TFormMain::SpeedButtonAClick() {}
void TFormMain::SpeedButtonBClick() {}
void TFormMain::PlayAll() {}
void TFormMain::StopAll() { m_PlayState = psFadeOut; }
void TFormMain::TimerFadeTimer() {}
void TFormMain::FadeStep() {}
