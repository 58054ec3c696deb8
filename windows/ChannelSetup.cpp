// The main window's side of the channel setup window.
#include <algorithm>

#include "app/TFormMain.h"
#include "session/TFormSessionSettings.h"
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

    if (FormAmbisonicSetup->ShowModal() != mrOk) return;

    // The window's records hold its test sounds where ours hold the A sounds;
    // an A sound that no record of the window holds any more has no owner left.
    auto bHeld = [&setup](const CSound* pSnd) {
        return std::any_of(setup.begin(), setup.end(), [pSnd](const TSndTrack& t) { return t.apSound[0] == pSnd; });
    };
    std::vector<CSound*> released;
    for (TSndTrack& t : m_Tracks) {
        CSound* pSnd = t.apSound[0];
        if (!pSnd || bHeld(pSnd) || std::find(released.begin(), released.end(), pSnd) != released.end()) continue;
        released.push_back(pSnd);
        delete pSnd;
    }
    m_Tracks.clear();
    m_Tracks.insert(m_Tracks.end(), setup.begin(), setup.end());
}
