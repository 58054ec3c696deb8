// A main window over the virtual audio back end, with its secondary windows,
// for the auxiliary-window tests. Messages are recorded, not shown; the form's
// timers are stopped, so nothing moves unless the test renders.
#pragma once

#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/TFormMain.h"
#include "platform/audio/Mixer.h"
#include "platform/audio/virtual/VirtualBackend.h"
#include "platform/ui/Messages.h"

class CSound;
class TFormAmbisonicSetup;

namespace wintest {

// The value every sample of file c of excerpt k holds (k from 1), so that a
// rendered sample names the excerpt and the channel it came from.
std::int16_t ExcerptValue(int k, int c);

class WindowsRig {
public:
    explicit WindowsRig(std::vector<audio::OutputInfo> outputs = audio::VirtualBackend::UA101Outputs());
    ~WindowsRig();

    std::shared_ptr<audio::VirtualBackend> vb;
    MessageObserver observer;
    QTemporaryDir dir;
    std::unique_ptr<TFormMain> form;

    TFormAmbisonicSetup& Setup();
    // "&Canali ..." with `act` run on the open window; a window the act leaves
    // open is cancelled, so that a failed expectation cannot hang the test.
    void RunChannelCommand(const std::function<void(TFormAmbisonicSetup&)>& act);

    // A loaded session of nExcerpts four-channel excerpts and the given tests, as
    // the session controller leaves it once the files are read; no test loaded.
    void LoadSession(int nExcerpts, const std::vector<std::pair<int, int>>& tests);

    // The output the device object of a manager renders on (virtual list index).
    int OutputOf(const CSoundManager* pSM) const;
    std::vector<CSoundManager*> Managers() const;

    // TEST_WAV as the program embeds it, as 16-bit samples.
    static std::vector<std::int16_t> TestSoundSamples();
    static DWORD Position(CSound* pSnd);
    static bool Playing(CSound* pSnd);
    // Plays a sound of a track at full level, to hear which output it reaches.
    static void PlayLoud(CSound* pSnd);
    // `nFrames` frames of an output once a start's fade-in is over.
    std::vector<std::int16_t> Settled(int nOutput, std::uint32_t nFrames) {
        vb->Render(nOutput, audio::kRampFrames);
        return vb->RenderInt16(nOutput, nFrames);
    }

private:
    std::vector<CSoundManager*> m_StartManagers;  // as built at start-up, outputs 1..4
};

}  // namespace wintest
