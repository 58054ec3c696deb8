// The session controller: a listening session from "&Nuova Sessione ..." to the
// written results.
#include "app/TFormMain.h"

void TFormMain::FileLoadPlaylistClick() { NewSession(); }
void TFormMain::NewSession() {}
void TFormMain::ResetSession() {}
bool TFormMain::CheckCombinations() { return false; }
bool TFormMain::PrepareTest(int) { return false; }
void TFormMain::ShowTestInfo() {}
void TFormMain::NextTest() {}
void TFormMain::BitBtnNextTestClick() { NextTest(); }
void TFormMain::RadioButtonChoicesClick() { m_PlayState = psFadeOut; }
