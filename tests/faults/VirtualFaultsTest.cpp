// Outputs that fail in the middle of a session, on the virtual back end: the
// device stops, its buffers are lost (and perhaps never restored), new buffers
// are refused or start lost. The window must keep answering, the other outputs
// keep playing, the session reach its end and the results file hold every answer.
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

#include "faults/Listener.h"
#include "platform/audio/DSound.h"
#include "platform/ui/SpeedButton.h"
#include "windows/TFormDebug.h"

namespace {

using answers::Answer;
using sessiontest::ExcerptValue;
using sessiontest::SessionRig;

constexpr int kFailing = 2;  // output of channel 1
constexpr int kChannels = 4;
const std::vector<std::pair<int, int>> kTests = {{1, 2}, {3, 1}, {2, 3}, {1, 3}};
const char* const kCompleted = " Sessione completata con successo! Grazie per la collaborazione.";
const std::string kCompletedMuted = " Sessione completata, ma un'uscita audio era muta ";

struct FaultCase {
    const char* name;
    std::function<void(audio::VirtualBackend&)> inject;
    bool bHeardFromNextTest;  // the next test's new buffers play on the output again
    int nRefusedSounds;       // sounds of the later tests the output refuses, one message each
    const char* affected;     // the tests the completion text names, "" for none
    const char* logSays;      // how the debug log closes the failure, "" for no failure seen
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

void ExpectNoFailedCheck(const MessageObserver& observer) {
    // An internal check that fails ends the real program, and the session with it.
    for (const ShownMessage& m : observer.messages) EXPECT_NE(m.caption, "Check") << m.text;
}

class MidTestFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(MidTestFault, SessionGoesOnAndKeepsEveryAnswer) {
    SessionRig rig;
    rig.WriteSession(kChannels, 3, kTests);
    rig.StartSession();
    ASSERT_TRUE(rig.observer.messages.empty()) << rig.observer.messages.front().text;
    std::vector<Answer> planned = faults::PlannedAnswers(kTests);

    // The healthy outputs carry the excerpt faded in, before and after the fault.
    const FaultCase& fault = GetParam();
    bool bFailed = false;
    const auto healthyHeard = [&](int nExcerpt) {
        for (int c = 0; c < kChannels; ++c) {
            if (bFailed && c + 1 == kFailing) continue;
            EXPECT_EQ(answers::Heard(*rig.vb, c + 1), ExcerptValue(nExcerpt, c))
                << "test " << rig.form->m_nCurrentTest + 1 << ", channel " << c;
        }
    };
    faults::ListenAndAnswer(rig, planned[0], healthyHeard);

    // Test 2: the fault strikes while both excerpts play, B fading in.
    TFormMain& form = *rig.form;
    form.SpeedButtonB->Press();
    rig.Tick(5);
    answers::Heard(*rig.vb, kFailing);
    fault.inject(*rig.vb);
    bFailed = true;
    faults::ListenAndAnswer(rig, planned[1], healthyHeard);
    bFailed = !fault.bHeardFromNextTest;
    for (std::size_t t = 2; t < planned.size(); ++t) faults::ListenAndAnswer(rig, planned[t], healthyHeard);

    EXPECT_EQ(form.m_nCurrentTest, static_cast<int>(kTests.size()));
    const std::string affected = fault.affected;
    EXPECT_EQ(form.LabelInfo->text().toStdString(),
              affected.empty() ? kCompleted : kCompletedMuted + affected + ".");
    EXPECT_TRUE(answers::ResultsHold(rig.ReadFile("results.txt"), rig.settings.name, planned));
    ExpectNoFailedCheck(rig.observer);
    // One warning for the failure, when it was seen, then the refused sounds.
    const bool bSeen = *fault.logSays != 0;
    ASSERT_EQ(static_cast<int>(rig.observer.messages.size()), fault.nRefusedSounds + (bSeen ? 1 : 0));
    for (std::size_t i = 0; i < rig.observer.messages.size(); ++i) {
        const ShownMessage& m = rig.observer.messages[i];
        if (bSeen && i == 0) {
            EXPECT_EQ(m.caption, "Avvertimento :");
            EXPECT_NE(m.text.find("\"OUT 3-4 (1:UA-101)\" ha smesso di suonare durante il test 2:"), std::string::npos)
                << m.text;
        } else {
            EXPECT_EQ(m.text, "Error in: CSoundManager::Create");
        }
    }
    const std::string log = FormDebug->Log().Text();
    EXPECT_EQ(log.find("\"OUT 3-4 (1:UA-101)\" non suona più dal test 2") != std::string::npos, bSeen) << log;
    EXPECT_NE(log.find(fault.logSays), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MidTestFault,
    ::testing::Values(
        FaultCase{"DeviceFails", [](audio::VirtualBackend& vb) { vb.FailStream(kFailing, DSERR_NODRIVER); }, false, 0, "nei test 2-4",
                  "è ancora guasta alla fine della sessione; era guasta durante i test 2-4"},
        FaultCase{"BuffersLost", [](audio::VirtualBackend& vb) { vb.LoseBuffers(kFailing); }, true, 0, "nel test 2",
                  "suona di nuovo dal test 3; era guasta durante il test 2"},
        FaultCase{"BuffersLostForGood",
                  [](audio::VirtualBackend& vb) {
                      vb.Faults(kFailing).restoreStillLost = 1 << 20;
                      vb.LoseBuffers(kFailing);
                  },
                  true, 0, "nel test 2", "suona di nuovo dal test 3"},
        FaultCase{"NewBuffersRefused",
                  [](audio::VirtualBackend& vb) { vb.Faults(kFailing).createBuffer = DSERR_OUTOFMEMORY; }, false, 4, "", ""},
        FaultCase{"NewBuffersStartLost", [](audio::VirtualBackend& vb) { vb.Faults(kFailing).lostAtCreation = true; },
                  true, 0, "", ""},
        FaultCase{"EverythingAtOnce",
                  [](audio::VirtualBackend& vb) {
                      vb.Faults(kFailing).createBuffer = DSERR_OUTOFMEMORY;
                      vb.LoseBuffers(kFailing);
                      vb.FailStream(kFailing, DSERR_GENERIC);
                  },
                  false, 4, "nel test 2", "è ancora guasta alla fine della sessione; era guasta durante il test 2"}),
    [](const ::testing::TestParamInfo<FaultCase>& i) { return std::string(i.param.name); });

// The window's own timers, driven by the event loop while a render thread plays
// the outputs in real time: the device fails between ticks, the ticks go on.
TEST(FailingOutput, TimersKeepTickingAndTheSessionEnds) {
    SessionRig rig;
    rig.WriteSession(kChannels, 3, {{1, 2}, {2, 3}});
    rig.StartSession();
    TFormMain& form = *rig.form;
    int nFadeTicks = 0;
    int nPosTicks = 0;
    QObject::connect(form.TimerFade, &QTimer::timeout, [&] { ++nFadeTicks; });
    QObject::connect(form.TimerPos, &QTimer::timeout, [&] { ++nPosTicks; });
    rig.vb->StartClock();
    form.TimerFade->start();
    form.TimerPos->start();

    form.SpeedButtonA->Press();
    ASSERT_TRUE(faults::LoopUntil([&] { return form.m_nVolumeA == 0 && nPosTicks >= 1; }));
    rig.vb->FailStream(kFailing, DSERR_NODRIVER);
    form.SpeedButtonB->Press();
    const int nFadeAt = nFadeTicks;
    const int nPosAt = nPosTicks;
    ASSERT_TRUE(faults::LoopUntil([&] { return form.m_nVolumeB == 0 && nFadeTicks > nFadeAt + 13 && nPosTicks > nPosAt + 1; }));
    rig.Submit(answers::kPreferB, "dopo il guasto");
    form.SpeedButtonA->Press();
    ASSERT_TRUE(faults::LoopUntil([&] { return form.m_nVolumeA == 0; }));
    rig.Submit(answers::kPreferA, "");
    rig.vb->StopClock();

    // The position timer told the failure once, while the test went on (test 2
    // is named too when a tick came before its answer).
    const std::string label = form.LabelInfo->text().toStdString();
    EXPECT_TRUE(label == kCompletedMuted + "nel test 1." || label == kCompletedMuted + "nei test 1, 2.")
        << label;
    EXPECT_TRUE(answers::ResultsHold(rig.ReadFile("results.txt"), rig.settings.name,
                                     {{1, 2, answers::kPreferB, "dopo il guasto"}, {2, 3, answers::kPreferA, ""}}));
    ExpectNoFailedCheck(rig.observer);
    ASSERT_EQ(rig.observer.messages.size(), 1u);
    EXPECT_EQ(rig.observer.messages[0].caption, "Avvertimento :");
}

}  // namespace
