// The main window on the real ALSA path, with one of the interface's four
// outputs a file PCM whose file cannot be written: the window still starts, a
// whole session runs to its results file, the healthy outputs keep playing and
// nothing hangs, at start, during the session or when the window goes.
#include <QLabel>
#include <QPushButton>

#include <filesystem>

#include <gtest/gtest.h>

#include "common/AlsaTestHome.h"
#include "faults/Listener.h"
#include "platform/audio/AudioBackend.h"
#include "platform/audio/alsa/AlsaBackend.h"
#include "platform/audio/DSound.h"
#include "platform/ui/SpeedButton.h"
#include "sound/SoundOutput.h"

namespace {

using answers::Answer;

struct AlsaFaultCase {
    const char* name;
    const char* file;  // the second output's file: absolute, or inside the private HOME
};

void PrintTo(const AlsaFaultCase& c, std::ostream* os) { *os << c.name; }

class UnwritableOutput : public ::testing::TestWithParam<AlsaFaultCase> {};

std::uintmax_t SizeOf(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t n = std::filesystem::file_size(path, ec);
    return ec ? 0 : n;
}

// What the A buffer of a track answers when asked for its position: the output's
// failure shows there.
HRESULT PositionStatus(TFormMain& form, int nTrack) {
    CSound* pSnd = form.m_Tracks[nTrack].apSound[0];
    LPDIRECTSOUNDBUFFER pBuf = pSnd ? pSnd->GetBuffer(0) : nullptr;
    DWORD dwPlay = 0, dwWrite = 0;
    return pBuf ? pBuf->GetCurrentPosition(&dwPlay, &dwWrite) : E_FAIL;
}

TEST_P(UnwritableOutput, SessionRunsToItsResultsAndNothingHangs) {
    const alsatest::Home home({{"out12", "OUT 1-2 (1:UA-101)", ""},
                               {"out34", "OUT 3-4 (1:UA-101)", GetParam().file},
                               {"out56", "OUT 5-6 (1:UA-101)", ""},
                               {"out78", "OUT 7-8 (1:UA-101)", ""}},
                              "pcm.!default { type file slave.pcm \"null\" file \"/dev/null\" format \"raw\" }\n");
    const faults::Watchdog watchdog(std::string("the ALSA session with ") + GetParam().name, 240);

    // The rig's window is remade on the ALSA back end, as the program's entry makes it.
    sessiontest::SessionRig rig;
    rig.form.reset();
    audio::SetBackend(audio::MakeAlsaBackend());
    rig.form = std::make_unique<TFormMain>();
    rig.form->FormCreate();
    TFormMain& form = *rig.form;
    ASSERT_EQ(form.m_Tracks.size(), 4u);
    for (const ShownMessage& m : rig.observer.messages) std::printf("[ start-up ] %s\n", m.text.c_str());
    const bool bOnTheInterface = form.m_Tracks[0].strDescription == "OUT 1-2 (1:UA-101)";
    rig.observer.clear();

    const std::vector<std::pair<int, int>> tests = {{1, 2}, {2, 3}, {3, 1}};
    rig.WriteSession(4, 3, tests);
    rig.StartSession();
    ASSERT_TRUE(form.BitBtnNextTest->isEnabled());
    const std::vector<Answer> planned = faults::PlannedAnswers(tests);
    for (const Answer& answer : planned) {
        faults::ListenAndAnswer(rig, answer);
        // The healthy outputs carry sound all the while (with the tracks on the
        // default output instead, nothing reaches their files).
        // The failing output is seen to fail while the others play on.
        if (bOnTheInterface && &answer == &planned.front()) {
            form.SpeedButtonA->Press();
            EXPECT_TRUE(faults::LoopUntil([&] { return SizeOf(home.RawPath("out12")) > 0; }));
            EXPECT_TRUE(faults::LoopUntil([&] { return FAILED(PositionStatus(form, 1)); }));
            EXPECT_EQ(PositionStatus(form, 0), DS_OK);
            form.SpeedButtonA->Press();
        }
    }

    // The failing output is told and the completion text names the tests it
    // missed (which ones depends on when its thread first fails).
    const std::string completed = " Sessione completata con successo! Grazie per la collaborazione.";
    const std::string label = form.LabelInfo->text().toStdString();
    if (bOnTheInterface)
        EXPECT_EQ(label.rfind(" Sessione completata, ma un'uscita audio era muta ne", 0), 0u) << label;
    else
        EXPECT_EQ(label, completed);
    EXPECT_TRUE(answers::ResultsHold(rig.ReadFile("results.txt"), rig.settings.name, planned));
    for (const ShownMessage& m : rig.observer.messages) {
        EXPECT_NE(m.caption, "Check") << m.text;
        std::printf("[ session ] %s\n", m.text.c_str());
    }
}

INSTANTIATE_TEST_SUITE_P(Files, UnwritableOutput,
                         ::testing::Values(AlsaFaultCase{"FileIsDevFull", "/dev/full"},
                                           AlsaFaultCase{"FolderMissingWhenTheDeviceOpens", "gone/out34.raw"}),
                         [](const ::testing::TestParamInfo<AlsaFaultCase>& i) { return std::string(i.param.name); });

}  // namespace
