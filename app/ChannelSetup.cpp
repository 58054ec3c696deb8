// The main window's side of the channel setup window.
#include "app/TFormMain.h"
#include "platform/ui/ModalResult.h"
#include "sound/SoundOutput.h"
#include "windows/TFormAmbisonicSetup.h"

void TFormMain::SetupAmbisonicClick() {
    RunChannelSetup();
    // Whatever the window's result: the current test goes back onto the tracks,
    // stopped at its start (nothing happens without a loaded session).
    PrepareTest(m_nCurrentTest);
}

void TFormMain::RunChannelSetup() {
    if (!FormAmbisonicSetup || m_Tracks.empty()) return;
    StopAll();

    TVecSndTrack& setup = FormAmbisonicSetup->m_SetupTracks;
    setup.clear();
    setup.insert(setup.end(), m_Tracks.begin(), m_Tracks.end());

    // The window's copies share the managers only while it is open, so that
    // releasing the devices at close really lets them go.
    if (FormAmbisonicSetup->ShowModal() == mrOk) m_TrackSet.TakeOver(setup, FormAmbisonicSetup->TakeTestSounds());
    setup.clear();
}
