// Position display, seeking and rewinding.
#include <gtest/gtest.h>

#include <QAbstractSlider>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>

#include <clocale>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "PlaybackRig.h"
#include "platform/audio/Mixer.h"
#include "platform/ui/SpeedButton.h"
#include "playback/PositionText.h"
#include "sound/SoundOutput.h"

using playtest::PlaybackRig;

namespace {

struct TextCase {
    DWORD position;
    DWORD length;
    const char* text;
};

TEST(TransportText, SecondsWithOneDecimalAndAPoint) {
    const std::vector<TextCase> cases = {
        {441000, 1764000, "2.5 / 10.0 s"}, {0, 0, "0.0 / 0.0 s"},
        {8820, 176400, "0.1 / 1.0 s"},     // 0.05 lies just above the half in binary
        {26460, 17640000, "0.1 / 100.0 s"},  // 0.15 lies just below it
        {176399, 0x0FFFFFFF, "1.0 / 1521.7 s"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(PositionText(c.position, c.length), c.text) << c.position;
        // The same as the C library writes it where the decimal separator is a point.
        if (std::string(std::localeconv()->decimal_point) == ".") {
            char acText[64];
            std::snprintf(acText, sizeof acText, "%3.1f / %3.1f s", c.position / 176400.0, c.length / 176400.0);
            EXPECT_EQ(PositionText(c.position, c.length), acText);
        }
    }
}

// One mono 16-bit excerpt of ten seconds (1764000 bytes) on track 0.
class Transport : public ::testing::Test {
protected:
    void SetUp() override {
        rig.LoadExcerpts(4, 882000);
        rig.form->SetupPositionBar();
    }
    QScrollBar& Bar() { return *rig.form->ScrollBarTrackPos; }
    QString Label() { return rig.form->LabelPosition->text(); }
    void ExpectAllAt(DWORD dwOffset) {
        for (CSound* pSnd : rig.LoadedSounds()) EXPECT_EQ(PlaybackRig::Position(pSnd), dwOffset);
    }
    PlaybackRig rig{playtest::Rig::Window};
};

TEST_F(Transport, TheDisplayFollowsTrackZerosASoundWhilePlaying) {
    EXPECT_EQ(Bar().minimum(), 0);
    EXPECT_EQ(Bar().maximum(), 1764000);
    EXPECT_EQ(Bar().pageStep(), 176400);  // the thumb's size; a page still moves one byte
    EXPECT_EQ(Bar().singleStep(), 1);
    EXPECT_EQ(Label(), "");
    rig.PressA();
    rig.form->SeekAll(441000);
    rig.form->TimerPosTimer();
    EXPECT_EQ(Label(), "2.5 / 10.0 s");
    EXPECT_EQ(Bar().value(), 441000);
    ExpectAllAt(441000);  // setting the bar from code seeks nothing

    // Paused, the display freezes.
    rig.form->RadioButtonChoicesClick();
    rig.Advance(44100);
    rig.form->TimerPosTimer();
    EXPECT_EQ(Label(), "2.5 / 10.0 s");
    rig.PressB();
    rig.form->TimerPosTimer();
    EXPECT_EQ(Label(), "3.0 / 10.0 s");
}

TEST_F(Transport, EveryScrollActionSeeksSilencesBothAndFadesTheChosenBack) {
    rig.PressB();
    rig.form->SeekAll(176400);
    Bar().setValue(176400);
    // An arrow and a page move one byte each, by mouse or key (Left and PageUp
    // back, Right and PageDown on); the buffers go to the frame that holds the
    // position.
    const auto Key = [this](Qt::Key nKey) {
        return [this, nKey] {
            QKeyEvent press(QEvent::KeyPress, nKey, Qt::NoModifier);
            QApplication::sendEvent(&Bar(), &press);
        };
    };
    const auto Action = [this](QAbstractSlider::SliderAction action) { return [this, action] { Bar().triggerAction(action); }; };
    const std::vector<std::pair<std::function<void()>, int>> actions = {
        {Action(QAbstractSlider::SliderPageStepAdd), 176401}, {Action(QAbstractSlider::SliderSingleStepAdd), 176402},
        {Key(Qt::Key_PageDown), 176403},  {Action(QAbstractSlider::SliderSingleStepSub), 176402},
        {Key(Qt::Key_PageUp), 176401},    {Key(Qt::Key_Left), 176400},
        {Key(Qt::Key_End), 1764000},      {Action(QAbstractSlider::SliderPageStepSub), 1763999},
        {Key(Qt::Key_Right), 1764000},    {Key(Qt::Key_Home), 0},
    };
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const auto& [act, value] = actions[i];
        SCOPED_TRACE("scroll event " + std::to_string(i));
        rig.Tick(13);
        act();
        EXPECT_EQ(Bar().value(), value);
        ExpectAllAt(static_cast<DWORD>(value) & ~1u);
        for (const TSndTrack& Track : rig.form->m_Tracks) {
            EXPECT_EQ(PlaybackRig::Volume(Track.apSound[0]), -10000);
            EXPECT_EQ(PlaybackRig::Volume(Track.apSound[1]), -9200);
        }
    }
    rig.Tick(12);
    EXPECT_EQ(PlaybackRig::Volume(rig.Slot(3, 1)), 0);
    // Dragging the thumb seeks at every movement, and once more on release.
    Bar().setSliderDown(true);
    for (int nPos : {1000, 2000, 123457}) {
        Bar().setSliderPosition(nPos);
        ExpectAllAt(static_cast<DWORD>(nPos) & ~1u);
    }
    Bar().setSliderDown(false);
    ExpectAllAt(123456);
}

TEST_F(Transport, RewindStopsRaisesAndPutsEverythingAtTheStart) {
    rig.PressA();
    rig.form->SeekAll(441000);
    rig.form->UpdatePosition();
    rig.Advance(1000);
    rig.form->Rewind();
    EXPECT_EQ(Label(), "2.5 / 10.0 s");
    EXPECT_EQ(Bar().value(), 0);
    EXPECT_FALSE(rig.form->SpeedButtonA->Down());
    EXPECT_FALSE(rig.form->SpeedButtonB->Down());
    EXPECT_TRUE(rig.form->m_bStopped);
    EXPECT_EQ(rig.form->m_PlayState, psFadeOut);
    ExpectAllAt(0);
    for (CSound* pSnd : rig.LoadedSounds()) EXPECT_FALSE(PlaybackRig::Playing(pSnd));
    rig.form->TimerPosTimer();
    EXPECT_EQ(Label(), "2.5 / 10.0 s");

    rig.PressB();
    rig.form->TimerPosTimer();
    EXPECT_EQ(Label(), "0.0 / 10.0 s");
}

TEST_F(Transport, ASeekWhilePausedMovesEveryBufferAndPlayStartsThere) {
    rig.PressA();
    rig.Advance(100);
    rig.PressA();
    ASSERT_TRUE(rig.form->m_bStopped);
    rig.Advance(audio::kRampFrames);  // the stop's fade-out: the buffers no longer sound
    rig.form->SeekAll(10000);
    ExpectAllAt(10000);
    for (CSound* pSnd : rig.LoadedSounds()) EXPECT_FALSE(PlaybackRig::Playing(pSnd));
    rig.PressB();
    rig.Advance(50);
    ExpectAllAt(10100);
}

TEST(TransportBar, ATinyBufferGivesPageZero) {
    PlaybackRig rig(playtest::Rig::Window);
    EXPECT_EQ(rig.form->ScrollBarTrackPos->pageStep(), 0) << "before the first test";
    const std::string strTiny = rig.WriteRaw("tiny.wav", 1, 8, {1, 2, 3, 4, 5, 6, 7});
    ASSERT_TRUE(rig.form->CreateTrackSound(&rig.Slot(0, 0), strTiny, 0));
    rig.form->SetupPositionBar();
    EXPECT_EQ(rig.form->ScrollBarTrackPos->maximum(), 7);
    EXPECT_EQ(rig.form->ScrollBarTrackPos->pageStep(), 0);
}

TEST(TransportBar, WithoutAnASoundOnTrackZeroTheBarStaysButSeekingActs) {
    PlaybackRig other(playtest::Rig::Window);
    other.LoadExcerpts(1, 4410);
    other.Slot(0, 0) = nullptr;
    const int nMax = other.form->ScrollBarTrackPos->maximum();
    other.form->SetupPositionBar();
    other.form->UpdatePosition();
    EXPECT_EQ(other.form->ScrollBarTrackPos->maximum(), nMax);
    other.form->SeekAll(4000);
    EXPECT_EQ(PlaybackRig::Position(other.Slot(0, 1)), 4000u);
}

struct AlignCase {
    std::uint16_t channels;
    std::uint16_t bits;
    DWORD expected;  // of an offset of 10007 bytes
};

TEST(TransportSeek, OffsetsAreAlignedDownToAWholeFrameOfEachBuffer) {
    const std::vector<AlignCase> cases = {{1, 8, 10007}, {1, 16, 10006}, {2, 16, 10004}, {2, 24, 10002},
                                          {4, 32, 10000}};
    PlaybackRig rig;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const AlignCase& c = cases[i];
        const std::string strPath =
            rig.WriteRaw("f" + std::to_string(i) + ".wav", c.channels, c.bits, std::vector<std::uint8_t>(48000, 0));
        CSound*& pSlot = rig.Slot(static_cast<int>(i % 4), static_cast<int>(i / 4));
        ASSERT_TRUE(rig.set.CreateTrackSound(&pSlot, strPath, static_cast<int>(i % 4)));
    }
    rig.set.SeekAll(10007);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(PlaybackRig::Position(rig.Slot(static_cast<int>(i % 4), static_cast<int>(i / 4))),
                  cases[i].expected)
            << cases[i].channels << " x " << cases[i].bits;
    }
}

TEST(TransportSeek, BeyondAShorterBufferTheOthersStayAligned) {
    PlaybackRig rig;
    rig.LoadExcerpts(4, 44100, 22050);  // A 88200 bytes, B 44100 bytes
    rig.PressA();
    rig.set.SeekAll(60000);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(PlaybackRig::Position(rig.Slot(k, 0)), 60000u);
    // Past its end a looping buffer goes to its end and wraps to its start at once.
    for (int k = 0; k < 4; ++k) EXPECT_EQ(PlaybackRig::Position(rig.Slot(k, 1)), 44100u);
    rig.Tick(13);
    rig.Advance(1000);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(PlaybackRig::Position(rig.Slot(k, 0)), 62000u);
        EXPECT_EQ(PlaybackRig::Position(rig.Slot(k, 1)), 2000u);
        EXPECT_TRUE(PlaybackRig::Playing(rig.Slot(k, 1)));
    }
}

}  // namespace
