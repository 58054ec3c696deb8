// A long session through the real main window on the virtual outputs: 200 tests,
// each with 20 presses of A and B (the fade ticked through) and 5 seeks, a little
// rendered between actions. Every answer must reach the results file, memory must
// stay flat from the tenth test to the last, and the device objects and buffers
// must not pile up.
//
// The session makes 400 buffers per output, more than a device's mixer has voices
// (256): a buffer that outlived its test would keep its voice, and a later test
// would fail to load and be heard silent.
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QScrollBar>

#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

#include "common/SessionAnswers.h"
#include "platform/ui/SpeedButton.h"
#include "playback/FadeLaw.h"
#include "session/SessionRig.h"
#include "sound/SoundOutput.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SOAK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define SOAK_SANITIZED 1
#endif
#endif

namespace {

using answers::Answer;
using sessiontest::ExcerptValue;

constexpr int kTests = 200;
constexpr int kSwitches = 20;
constexpr int kSeekEvery = 4;  // after every 4th press: 5 seeks per test
constexpr int kExcerpts = 12;
constexpr int kChannels = 4;
constexpr int kTicksToSettle = (VOLUME_FULL - VOLUME_SILENT) / FADE_STEP + 1;

struct Memory {
    std::size_t heapInUse = 0;  // bytes handed out by malloc
    std::size_t residentKiB = 0;
};

Memory Sample() {
    Memory m;
    m.heapInUse = mallinfo2().uordblks;
    std::ifstream statm("/proc/self/statm");
    std::size_t total = 0, resident = 0;
    statm >> total >> resident;
    m.residentKiB = resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) / 1024;
    return m;
}

// Seek number nSeek of a test, by one of the position bar's actions or a drag.
void Seek(QScrollBar& bar, int nSeek) {
    switch (nSeek % 5) {
        case 0: bar.triggerAction(QAbstractSlider::SliderPageStepAdd); break;
        case 1: bar.setSliderPosition(bar.maximum() / 3 + 1); break;  // a drag, odd byte offset
        case 2: bar.triggerAction(QAbstractSlider::SliderPageStepSub); break;
        case 3: bar.triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
        default: bar.triggerAction(QAbstractSlider::SliderToMinimum); break;
    }
}

class Soak : public ::testing::Test {
protected:
    sessiontest::SessionRig rig;
    std::vector<Answer> given;

    void SetUp() override {
        std::vector<std::pair<int, int>> tests;
        for (int t = 0; t < kTests; ++t) tests.emplace_back(t % kExcerpts + 1, (t * 5 + 3) % kExcerpts + 1);
        rig.WriteSession(kChannels, kExcerpts, tests);
        for (const auto& [a, b] : tests) given.push_back({a, b, answers::kNoPreference, ""});
    }

    // Every output carries the excerpt now faded in, in every test: a test that
    // failed to load or a buffer left playing from an earlier one would show.
    void ExpectHeard(int nExcerpt, const char* after) {
        for (int c = 0; c < kChannels; ++c) {
            ASSERT_EQ(answers::Heard(*rig.vb, c + 1), ExcerptValue(nExcerpt, c))
                << "test " << rig.form->m_nCurrentTest + 1 << ", channel " << c << ", after " << after;
        }
    }

    // Every sound of every track stands at the same byte offset.
    void ExpectAligned() {
        TFormMain& form = *rig.form;
        const DWORD dwAt = form.GetPlayPosition(form.m_Tracks[0].apSound[0]);
        for (const TSndTrack& track : form.m_Tracks) {
            for (CSound* pSnd : track.apSound) {
                ASSERT_NE(pSnd, nullptr) << "test " << form.m_nCurrentTest + 1;
                ASSERT_EQ(form.GetPlayPosition(pSnd), dwAt) << "test " << form.m_nCurrentTest + 1;
            }
        }
    }

    void RunTest(int t) {
        TFormMain& form = *rig.form;
        const Answer& test = given[t];
        for (int s = 0; s < kSwitches; ++s) {
            const bool bA = s % 2 == 0;
            (bA ? form.SpeedButtonA : form.SpeedButtonB)->Press();
            rig.Tick(kTicksToSettle);
            form.TimerPosTimer();
            QApplication::processEvents();
            ExpectHeard(bA ? test.nExcerptA : test.nExcerptB, bA ? "A" : "B");
            if (s % kSeekEvery == kSeekEvery - 1) {
                Seek(*form.ScrollBarTrackPos, s / kSeekEvery);
                ExpectAligned();
                rig.Tick(kTicksToSettle);
                ExpectHeard(bA ? test.nExcerptA : test.nExcerptB, "a seek");
                ExpectAligned();
            }
        }
        Answer& answer = given[t];
        answer.choice = static_cast<answers::Choice>(t % 3);
        // Short enough to be kept inside its record's string: the answers the
        // session keeps then take no memory of their own as the tests go by.
        answer.strNotes = t % 4 == 0 ? "" : "più n" + std::to_string(t + 1);
        rig.Submit(answer.choice, answer.strNotes);
        QApplication::processEvents();
    }
};

TEST_F(Soak, TwoHundredTestsKeepEveryAnswerAndFlatMemory) {
    rig.StartSession();
    ASSERT_TRUE(rig.observer.messages.empty()) << rig.observer.messages.front().text;
    ASSERT_EQ(rig.form->m_Combinations.size(), static_cast<std::size_t>(kTests));

    Memory atTen;
    for (int t = 0; t < kTests; ++t) {
        RunTest(t);
        if (HasFatalFailure()) return;
        if (t == 9) atTen = Sample();
    }
    const Memory atEnd = Sample();

    EXPECT_EQ(rig.form->LabelInfo->text().toStdString(),
              " Sessione completata con successo! Grazie per la collaborazione.");
    EXPECT_TRUE(answers::ResultsHold(rig.ReadFile("results.txt"), rig.settings.name, given));
    EXPECT_TRUE(rig.observer.messages.empty()) << rig.observer.messages.front().text;

    // One device object per output all along; two buffers per test and output,
    // and only the last test's sounds left.
    for (int o = 1; o <= kChannels; ++o) {
        EXPECT_EQ(rig.vb->OpenStreams(o), 1) << "output " << o;
        EXPECT_EQ(rig.vb->Faults(o).buffersCreated, 2 * kTests) << "output " << o;
    }

    std::printf("[ soak ] heap in use after test 10: %zu bytes, after test %d: %zu bytes; "
                "resident %zu KiB -> %zu KiB\n",
                atTen.heapInUse, kTests, atEnd.heapInUse, atTen.residentKiB, atEnd.residentKiB);
#ifndef SOAK_SANITIZED
    // A test's sounds take some 70 KiB; one sound object without its buffer,
    // left behind per test, would already add more than this over 190 tests.
    constexpr std::size_t kHeapSlack = 8 * 1024;
    EXPECT_LE(atEnd.heapInUse, atTen.heapInUse + kHeapSlack);
    EXPECT_LE(atEnd.residentKiB, atTen.residentKiB + 1024);
#endif
    // Under the sanitizers malloc is theirs (mallinfo says nothing) and leaks
    // are LeakSanitizer's to find at exit.
}

}  // namespace
