// The main window's side of the channel setup window.
#include "app/TFormMain.h"

void TFormMain::SetupAmbisonicClick() {
    RunChannelSetup();
    PrepareTest(m_nCurrentTest);
}
void TFormMain::RunChannelSetup() {}
