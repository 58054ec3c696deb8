// The channel setup window opened from the main window: swaps, OK and Cancel
// with their ownership rules and the reload, and the test sounds as heard on
// the virtual outputs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
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

void Drop(TFormAmbisonicSetup& w, int nDragged, int nTarget) {
    w.LabelDragDrop(w.PositionLabel(nTarget), w.PositionLabel(nDragged));
}

TEST(ChannelSetup, DroppingALabelOnItselfChangesNothing) {
    WindowsRig rig;
    const auto before = rig.Managers();
    rig.RunChannelCommand([&](TFormAmbisonicSetup& w) {
        const auto captions = Captions(w);
        for (int i = 0; i < 4; ++i) Drop(w, i, i);
        EXPECT_EQ(Captions(w), captions);
        w.ButtonOkClick();
    });
    EXPECT_EQ(rig.Managers(), before);
}

TEST(ChannelSetup, TopLeftOntoBottomLeftExchangesTheirDevicesAndFile0GoesToTheFormerBottomLeft) {
    WindowsRig rig;
    rig.LoadSession(2, {{1, 2}, {2, 1}});
    ASSERT_TRUE(rig.form->PrepareTest(0));
    const auto before = rig.Managers();
    const auto names = Descriptions(rig.form->m_Tracks);

    rig.RunChannelCommand([&](TFormAmbisonicSetup& w) {
        EXPECT_EQ(Captions(w), names);
        Drop(w, TL, BL);
        EXPECT_EQ(Captions(w), (std::vector<std::string>{names[3], names[1], names[2], names[0]}));
        EXPECT_EQ(w.m_SetupTracks[0].pSM, before[3]);
        EXPECT_EQ(w.m_SetupTracks[3].pSM, before[0]);
        // The tags name positions and stay where they are.
        EXPECT_EQ(w.LabelTopLeft->Tag, 0);
        EXPECT_EQ(w.LabelBottomLeft->Tag, 3);
        w.ButtonOkClick();
    });

    EXPECT_EQ(rig.Managers(), (std::vector<CSoundManager*>{before[3], before[1], before[2], before[0]}));
    EXPECT_EQ(Descriptions(rig.form->m_Tracks), (std::vector<std::string>{names[3], names[1], names[2], names[0]}));
    // The reload put excerpt 1's files back, file 0 now on the bottom left's device.
    for (int c = 0; c < 4; ++c) {
        CSound* pSnd = rig.form->m_Tracks[c].apSound[0];
        ASSERT_NE(pSnd, nullptr);
        WindowsRig::PlayLoud(pSnd);
    }
    EXPECT_EQ(rig.vb->RenderInt16(rig.OutputOf(before[3]), 8), std::vector<std::int16_t>(8, ExcerptValue(1, 0)));
    EXPECT_EQ(rig.vb->RenderInt16(rig.OutputOf(before[0]), 8), std::vector<std::int16_t>(8, ExcerptValue(1, 3)));
}

struct CloseCase {
    const char* name;
    std::vector<std::pair<int, int>> swaps;
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

    rig.RunChannelCommand([&](TFormAmbisonicSetup& w) {
        for (auto [a, b] : cc.swaps) Drop(w, a, b);
        cc.bOk ? w.ButtonOkClick() : w.ButtonCancelClick();
    });

    std::vector<CSoundManager*> expected;
    for (int k : cc.order) expected.push_back(before[k]);
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
    // Each track's device plays that channel's A and B files (excerpts 2 and 1).
    for (int c = 0; c < 4; ++c) {
        const std::int16_t sum = static_cast<std::int16_t>(ExcerptValue(2, c) + ExcerptValue(1, c));
        EXPECT_EQ(rig.vb->RenderInt16(rig.OutputOf(expected[c]), 4), std::vector<std::int16_t>(4, sum)) << c;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Results, CloseAndReload,
    ::testing::Values(CloseCase{"two_swaps_undone_then_ok", {{TL, BL}, {BL, TL}}, true, {0, 1, 2, 3}},
                      CloseCase{"swap_then_ok", {{TR, BR}}, true, {0, 2, 1, 3}},
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
    EXPECT_EQ(rig.vb->RenderInt16(rig.OutputOf(before[2]), 4), std::vector<std::int16_t>(4, ExcerptValue(1, 0)));
}

TEST(ChannelSetup, EveryLabelAcceptsWhateverIsDraggedOverIt) {
    WindowsRig rig;
    TFormAmbisonicSetup& w = rig.Setup();
    QMimeData data;
    data.setText("from elsewhere");
    for (int i = 0; i < 4; ++i) {
        QDragEnterEvent ev(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.PositionLabel(i), &ev);
        EXPECT_TRUE(ev.isAccepted()) << i;
    }
    // Something that is not a label has no position: dropping it changes nothing.
    w.m_SetupTracks = rig.form->m_Tracks;
    w.LabelDragDrop(w.LabelTopLeft, &data);
    EXPECT_EQ(w.m_SetupTracks[0].pSM, rig.form->m_Tracks[0].pSM);
    w.m_SetupTracks.clear();
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
    EXPECT_EQ(rig.vb->RenderInt16(1, 4), std::vector<std::int16_t>(4, ExcerptValue(1, 0)));

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
    EXPECT_EQ(rig.vb->RenderInt16(1, 4), std::vector<std::int16_t>(4, ExcerptValue(1, 0)));
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

TEST(ChannelSetup, TheButtonsAreIndependentSwitchesAndALongDescriptionKeepsTheLabelsSize) {
    WindowsRig rig;
    rig.form->m_Tracks[1].strDescription = std::string(200, 'W');
    rig.RunChannelCommand([&](TFormAmbisonicSetup& w) {
        w.SpeedButtonTopLeft->Press();
        w.SpeedButtonTopRight->Press();
        EXPECT_TRUE(w.SpeedButtonTopLeft->Down());
        EXPECT_TRUE(w.SpeedButtonTopRight->Down());
        EXPECT_EQ(w.LabelTopRight->size(), QSize(164, 26));
        EXPECT_EQ(w.LabelTopRight->text().size(), 200);
        EXPECT_EQ(w.Label5->text(), "Drag & Drop on to the labels");
        w.ButtonCancelClick();
    });
}

}  // namespace
