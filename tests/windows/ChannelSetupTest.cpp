// The channel setup window opened from the main window: swaps, OK and Cancel
// with their ownership rules and the reload, and the test sounds as heard on
// the virtual outputs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <string>
#include <vector>

#include "WindowsRig.h"
#include "platform/audio/DSound.h"
#include "platform/ui/SpeedButton.h"
#include "session/TFormSessionSettings.h"
#include "sound/SoundOutput.h"
#include "windows/DragLabel.h"
#include "windows/TFormAmbisonicSetup.h"

using wintest::ExcerptValue;
using wintest::WindowsRig;

namespace {

const int TL = 0, TR = 1, BR = 2, BL = 3;

std::vector<std::string> Captions(TFormAmbisonicSetup& w) {
    std::vector<std::string> v;
    for (int i = 0; i < 4; ++i) v.push_back(w.PositionLabel(i)->text().toStdString());
    return v;
}

std::vector<std::string> Descriptions(const TVecSndTrack& tracks) {
    std::vector<std::string> v;
    for (const TSndTrack& t : tracks) v.push_back(t.strDescription);
    return v;
}

std::vector<CSoundManager*> Managers(const TVecSndTrack& tracks) {
    std::vector<CSoundManager*> v;
    for (const TSndTrack& t : tracks) v.push_back(t.pSM.get());
    return v;
}

void Drop(TFormAmbisonicSetup& w, int nDragged, int nTarget) {
    w.LabelDragDrop(w.PositionLabel(nTarget), w.PositionLabel(nDragged));
}

struct CloseCase {
    const char* name;
    std::vector<std::pair<int, int>> drops;  // (dragged, target) positions
    bool bOk;
    std::vector<int> order;  // the start-up track each position holds afterwards
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class CloseAndReload : public ::testing::TestWithParam<CloseCase> {};

TEST_P(CloseAndReload, OrderFollowsTheResultAndTheTestIsReloadedEitherWay) {
    const CloseCase& cc = GetParam();
    WindowsRig rig;
    rig.LoadSession(2, {{2, 1}});
    ASSERT_TRUE(rig.form->PrepareTest(0));
    // Moved away from the start, so that a reload shows as sounds back at zero.
    for (const TSndTrack& t : rig.form->m_Tracks)
        for (CSound* pSnd : t.apSound) pSnd->GetBuffer(0)->SetCurrentPosition(2000);
    const auto before = rig.Managers();
    std::vector<CSoundManager*> expected;
    for (int k : cc.order) expected.push_back(before[k]);

    rig.RunChannelCommand([&](TFormAmbisonicSetup& w) {
        for (auto [a, b] : cc.drops) Drop(w, a, b);
        // The labels show the window's order; their tags keep naming positions.
        EXPECT_EQ(Captions(w), Descriptions(w.m_SetupTracks));
        for (int i = 0; i < 4; ++i) EXPECT_EQ(w.PositionLabel(i)->Tag, i);
        if (cc.bOk) {
            EXPECT_EQ(Managers(w.m_SetupTracks), expected);
        }
        cc.bOk ? w.ButtonOkClick() : w.ButtonCancelClick();
    });

    EXPECT_EQ(rig.Managers(), expected);
    for (int c = 0; c < 4; ++c) {
        for (int nSlot = 0; nSlot < 2; ++nSlot) {
            CSound* pSnd = rig.form->m_Tracks[c].apSound[nSlot];
            ASSERT_NE(pSnd, nullptr);
            EXPECT_EQ(WindowsRig::Position(pSnd), 0u) << "track " << c << " slot " << nSlot;
            EXPECT_EQ(pSnd->m_dwBufferBytes, 4410u * 2) << "an excerpt file, not a test sound";
            WindowsRig::PlayLoud(pSnd);
        }
    }
    // File c of both excerpts (2 as A, 1 as B) plays on the device now at position c.
    for (int c = 0; c < 4; ++c) {
        const std::int16_t sum = static_cast<std::int16_t>(ExcerptValue(2, c) + ExcerptValue(1, c));
        EXPECT_EQ(rig.Settled(rig.OutputOf(expected[c]), 4), std::vector<std::int16_t>(4, sum)) << c;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Results, CloseAndReload,
    ::testing::Values(CloseCase{"each_on_itself_then_ok", {{TL, TL}, {TR, TR}, {BR, BR}, {BL, BL}}, true, {0, 1, 2, 3}},
                      CloseCase{"top_left_onto_bottom_left_then_ok", {{TL, BL}}, true, {3, 1, 2, 0}},
                      CloseCase{"two_swaps_undone_then_ok", {{TL, BL}, {BL, TL}}, true, {0, 1, 2, 3}},
                      CloseCase{"three_swaps_then_ok", {{TL, TR}, {TR, BR}, {BR, BL}}, true, {1, 2, 3, 0}},
                      CloseCase{"swaps_then_cancel", {{TL, BL}, {TR, BR}}, false, {0, 1, 2, 3}},
                      CloseCase{"nothing_then_cancel", {}, false, {0, 1, 2, 3}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChannelSetup, WithoutASessionOkHandsTheTestSoundsOverAndTheNextSessionUsesTheNewOrder) {
    WindowsRig rig;
    const auto before = rig.Managers();
    rig.RunChannelCommand([&](TFormAmbisonicSetup& w) {
        Drop(w, TL, BR);
        w.ButtonOkClick();
    });
    ASSERT_EQ(rig.Managers(), (std::vector<CSoundManager*>{before[2], before[1], before[0], before[3]}));
    // Nothing was reloaded: the main window now holds the window's test sounds.
    for (const TSndTrack& t : rig.form->m_Tracks) {
        ASSERT_NE(t.apSound[0], nullptr);
        EXPECT_EQ(t.apSound[0]->m_dwBufferBytes, 80594u);
        EXPECT_FALSE(WindowsRig::Playing(t.apSound[0]));
    }
    // A second showing replaces them and, confirmed, releases the first ones.
    rig.RunChannelCommand([&](TFormAmbisonicSetup& w) { w.ButtonOkClick(); });
    EXPECT_EQ(rig.Managers(), (std::vector<CSoundManager*>{before[2], before[1], before[0], before[3]}));

    rig.LoadSession(1, {{1, 1}});
    ASSERT_TRUE(rig.form->PrepareTest(0));
    WindowsRig::PlayLoud(rig.form->m_Tracks[0].apSound[0]);
    EXPECT_EQ(rig.Settled(rig.OutputOf(before[2]), 4), std::vector<std::int16_t>(4, ExcerptValue(1, 0)));
}

TEST(ChannelSetup, EnterAndEscapeDoNotCloseTheWindowTheCloseBoxCancels) {
    WindowsRig rig;
    const auto before = rig.Managers();
    bool bStillOpen = false;
    rig.RunChannelCommand([&](TFormAmbisonicSetup& w) {
        Drop(w, TL, TR);
        for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(w.ButtonOk, &press);
        }
        bStillOpen = w.isVisible();
        w.close();
    });
    EXPECT_TRUE(bStillOpen);
    EXPECT_FALSE(rig.Setup().isVisible());
    EXPECT_EQ(rig.Setup().result(), mrCancel);
    EXPECT_EQ(rig.Managers(), before);
}

TEST(ChannelSetup, OpenedWhileAIsHeardOkLeavesASilentUntilAPauseThenStartsTheReloadFromItsBeginning) {
    WindowsRig rig;
    rig.LoadSession(2, {{1, 2}});
    ASSERT_TRUE(rig.form->PrepareTest(0));
    rig.form->EnableTestControls(true);  // as a started session leaves them
    rig.form->SpeedButtonA->Press();
    for (int i = 0; i < 20; ++i) rig.form->TimerFadeTimer();
    EXPECT_EQ(rig.Settled(1, 4), std::vector<std::int16_t>(4, ExcerptValue(1, 0)));

    rig.RunChannelCommand([&](TFormAmbisonicSetup& w) { w.ButtonOkClick(); });
    EXPECT_TRUE(rig.form->SpeedButtonA->Down());
    EXPECT_EQ(rig.form->m_PlayState, psFadeOut);
    auto bNothingPlays = [&] {
        for (const TSndTrack& t : rig.form->m_Tracks)
            for (CSound* pSnd : t.apSound)
                if (pSnd && WindowsRig::Playing(pSnd)) return false;
        return true;
    };
    EXPECT_TRUE(bNothingPlays());
    rig.form->SpeedButtonB->Press();  // fades toward B, but nothing was started
    for (int i = 0; i < 20; ++i) rig.form->TimerFadeTimer();
    EXPECT_TRUE(bNothingPlays());
    rig.form->SpeedButtonB->Press();  // both up: a pause
    EXPECT_TRUE(rig.form->m_bStopped);
    rig.form->SpeedButtonA->Press();
    for (int i = 0; i < 20; ++i) rig.form->TimerFadeTimer();
    EXPECT_FALSE(bNothingPlays());
    EXPECT_EQ(rig.Settled(1, 4), std::vector<std::int16_t>(4, ExcerptValue(1, 0)));
}

TEST(ChannelSetup, AfterARefusedStartTheReloadLoadsNothingFromBeyondThePlaylist) {
    WindowsRig rig;
    rig.LoadSession(1, {{1, 3}});  // excerpt 3 does not exist
    rig.RunChannelCommand([&](TFormAmbisonicSetup& w) { w.ButtonOkClick(); });
    for (const TSndTrack& t : rig.form->m_Tracks) {
        ASSERT_NE(t.apSound[0], nullptr);
        EXPECT_EQ(t.apSound[0]->m_dwBufferBytes, 80594u) << "still the test sound: nothing was loaded";
        EXPECT_EQ(t.apSound[1], nullptr);
    }
}

}  // namespace
