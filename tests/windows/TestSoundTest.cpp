// The channel setup window's test sounds, heard on the virtual outputs: the
// embedded clip handed over whole, the toggles, and what closing does to them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WindowsRig.h"
#include "platform/audio/DSound.h"
#include "platform/ui/SpeedButton.h"
#include "sound/SoundOutput.h"
#include "windows/DragLabel.h"
#include "windows/TFormAmbisonicSetup.h"

using wintest::WindowsRig;

namespace {

std::vector<std::int16_t> Slice(const std::vector<std::int16_t>& v, std::size_t from, std::size_t n) {
    return {v.begin() + static_cast<std::ptrdiff_t>(from), v.begin() + static_cast<std::ptrdiff_t>(from + n)};
}

TEST(TestSound, ATogglePressedTwicePlaysTheWholeResourceLoopingThenStopsAndRewinds) {
    WindowsRig rig;
    const std::vector<std::int16_t> clip = WindowsRig::TestSoundSamples();
    ASSERT_EQ(clip.size(), 80594u / 2);
    // The RIFF header goes out as sound too: the clip is not parsed.
    ASSERT_EQ(clip[0], static_cast<std::int16_t>('R' | ('I' << 8)));
    const std::size_t n = clip.size();

    rig.RunChannelCommand([&](TFormAmbisonicSetup& w) {
        const int nOut = rig.OutputOf(w.m_SetupTracks[0].pSM.get());
        CSound* pSnd = w.m_SetupTracks[0].apSound[0];
        ASSERT_NE(pSnd, nullptr);
        ASSERT_NE(pSnd, rig.form->m_Tracks[0].apSound[0]);

        w.SpeedButtonTopLeft->Press();
        EXPECT_TRUE(w.SpeedButtonTopLeft->Down());
        std::vector<std::int16_t> heard = rig.vb->RenderInt16(nOut, static_cast<std::uint32_t>(n - 100));
        // Another position's toggle leaves this one alone.
        w.SpeedButtonBottomRight->Press();
        w.SpeedButtonBottomRight->Press();
        const std::vector<std::int16_t> more = rig.vb->RenderInt16(nOut, 300);
        heard.insert(heard.end(), more.begin(), more.end());
        EXPECT_EQ(Slice(heard, 0, n), clip);
        EXPECT_EQ(Slice(heard, n, 200), Slice(clip, 0, 200)) << "the clip loops";
        EXPECT_TRUE(WindowsRig::Playing(pSnd));

        w.SpeedButtonTopLeft->Press();
        EXPECT_FALSE(w.SpeedButtonTopLeft->Down());
        EXPECT_FALSE(WindowsRig::Playing(pSnd));
        EXPECT_EQ(WindowsRig::Position(pSnd), 0u);
        EXPECT_EQ(rig.vb->RenderInt16(nOut, 64), std::vector<std::int16_t>(64, 0));

        w.SpeedButtonTopLeft->Press();
        EXPECT_EQ(rig.vb->RenderInt16(nOut, 64), Slice(clip, 0, 64)) << "from the first byte again";
        w.ButtonCancelClick();
    });
}

enum class Closing { Ok, Cancel, CloseBox };
std::string ClosingName(Closing c) {
    const char* const names[] = {"ok", "cancel", "close_box"};
    return names[static_cast<int>(c)];
}
void PrintTo(Closing c, std::ostream* os) { *os << ClosingName(c); }

class LeftRunning : public ::testing::TestWithParam<Closing> {};

TEST_P(LeftRunning, IsStoppedByClosingAndItsButtonIsUpNextTime) {
    WindowsRig rig;
    int nOut = 0;
    rig.RunChannelCommand([&](TFormAmbisonicSetup& w) {
        nOut = rig.OutputOf(w.m_SetupTracks[2].pSM.get());
        w.SpeedButtonBottomRight->Press();
        EXPECT_NE(rig.vb->RenderInt16(nOut, 16), std::vector<std::int16_t>(16, 0));
        switch (GetParam()) {
            case Closing::Ok: w.ButtonOkClick(); break;
            case Closing::Cancel: w.ButtonCancelClick(); break;
            case Closing::CloseBox: w.close(); break;
        }
    });
    EXPECT_EQ(rig.vb->RenderInt16(nOut, 16), std::vector<std::int16_t>(16, 0));
    EXPECT_FALSE(rig.Setup().SpeedButtonBottomRight->Down());
    if (GetParam() == Closing::Ok) {
        // Handed over, stopped where it was: the reload (none here) releases it.
        ASSERT_NE(rig.form->m_Tracks[2].apSound[0], nullptr);
        EXPECT_FALSE(WindowsRig::Playing(rig.form->m_Tracks[2].apSound[0]));
    } else {
        EXPECT_EQ(rig.form->m_Tracks[2].apSound[0], nullptr) << "the main window's slot was never touched";
    }
    rig.RunChannelCommand([&](TFormAmbisonicSetup& w) {
        for (int i = 0; i < 4; ++i) EXPECT_FALSE(w.PositionButton(i)->Down()) << i;
        for (const TSndTrack& t : w.m_SetupTracks) {
            ASSERT_NE(t.apSound[0], nullptr);
            EXPECT_FALSE(WindowsRig::Playing(t.apSound[0]));
        }
        w.ButtonCancelClick();
    });
}

INSTANTIATE_TEST_SUITE_P(Ways, LeftRunning, ::testing::Values(Closing::Ok, Closing::Cancel, Closing::CloseBox),
                         [](const auto& info) { return ClosingName(info.param); });

TEST(TestSound, OneThatCannotBeMadeIsReportedAndThatPositionGoesWithoutOne) {
    WindowsRig rig;
    const int nOut = rig.OutputOf(rig.form->m_Tracks[1].pSM.get());
    rig.vb->Faults(nOut).createBuffer = DSERR_OUTOFMEMORY;
    rig.RunChannelCommand([&](TFormAmbisonicSetup& w) {
        ASSERT_EQ(rig.observer.messages.size(), 1u);
        const ShownMessage& m = rig.observer.messages[0];
        EXPECT_EQ(m.caption, "Errore :");
        EXPECT_EQ(m.icon, MsgIcon::Error);
        EXPECT_NE(m.text.find("Impossibile creare il suono di prova per la posizione \"top right\""),
                  std::string::npos);
        EXPECT_NE(m.text.find(rig.form->m_Tracks[1].strDescription), std::string::npos);
        EXPECT_EQ(w.m_SetupTracks[1].apSound[0], nullptr);
        for (int i : {0, 2, 3}) EXPECT_NE(w.m_SetupTracks[i].apSound[0], nullptr) << i;
        w.SpeedButtonTopRight->Press();  // nothing to play
        EXPECT_EQ(rig.vb->RenderInt16(nOut, 16), std::vector<std::int16_t>(16, 0));
        w.ButtonCancelClick();
    });
}

}  // namespace
