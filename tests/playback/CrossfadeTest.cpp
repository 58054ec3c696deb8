// A/B switching: scripts of presses, answers and fade ticks, with the volumes,
// the state and the buffers checked after every step.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "PlaybackRig.h"
#include "platform/audio/Mixer.h"
#include "sound/SoundOutput.h"

using playtest::PlaybackRig;

namespace {

enum class Act { PressA, PressB, Answer, Tick };

struct Step {
    Act act;
    int n = 1;  // ticks, for Tick
    std::optional<int> volA = {};
    std::optional<int> volB = {};
    std::optional<TPlayState> state = {};
    std::optional<bool> stopped = {};
};

struct Script {
    const char* name;
    std::vector<Step> steps;
};

Step Tick(int n, int a, int b) { return {Act::Tick, n, a, b}; }
Step Press(Act act, TPlayState state, bool stopped) { return {act, 1, {}, {}, state, stopped}; }

void RunStep(PlaybackRig& rig, const Step& s) {
    switch (s.act) {
        case Act::PressA: rig.PressA(); break;
        case Act::PressB: rig.PressB(); break;
        case Act::Answer: rig.Answer(); break;
        case Act::Tick: rig.Tick(s.n); break;
    }
}

void ExpectBuffersCarryTheVolumes(PlaybackRig& rig) {
    for (const TSndTrack& Track : rig.set.m_Tracks) {
        if (Track.apSound[0]) {
            EXPECT_EQ(PlaybackRig::Volume(Track.apSound[0]), rig.set.m_nVolumeA);
        }
        if (Track.apSound[1]) {
            EXPECT_EQ(PlaybackRig::Volume(Track.apSound[1]), rig.set.m_nVolumeB);
        }
    }
}

class Crossfade : public ::testing::TestWithParam<Script> {};

TEST_P(Crossfade, Timeline) {
    PlaybackRig rig;
    rig.LoadExcerpts(4, 4410);
    for (std::size_t i = 0; i < GetParam().steps.size(); ++i) {
        const Step& s = GetParam().steps[i];
        SCOPED_TRACE("step " + std::to_string(i));
        RunStep(rig, s);
        EXPECT_EQ(rig.set.m_nVolumeA, s.volA.value_or(rig.set.m_nVolumeA));
        EXPECT_EQ(rig.set.m_nVolumeB, s.volB.value_or(rig.set.m_nVolumeB));
        EXPECT_EQ(rig.set.m_PlayState, s.state.value_or(rig.set.m_PlayState));
        EXPECT_EQ(rig.set.m_bStopped, s.stopped.value_or(rig.set.m_bStopped));
        if (s.act == Act::Tick) ExpectBuffersCarryTheVolumes(rig);
        for (CSound* pSnd : rig.LoadedSounds()) EXPECT_EQ(PlaybackRig::Playing(pSnd), !rig.set.m_bStopped);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, Crossfade,
    ::testing::Values(
        Script{"A_from_start",
               {Press(Act::PressA, psFadeToA, false), Tick(1, -9200, -10000), Tick(11, -400, -10000),
                Tick(1, 0, -10000), Tick(20, 0, -10000)}},
        Script{"B_five_ticks_after_A",
               {Press(Act::PressA, psFadeToA, false), Tick(5, -6000, -10000), Press(Act::PressB, psFadeToB, false),
                Tick(5, -10000, -6000), Tick(7, -10000, -400), Tick(1, -10000, 0)}},
        Script{"switch_back_midway_goes_on_from_there",
               {Press(Act::PressA, psFadeToA, false), Tick(3, -7600, -10000), Press(Act::PressB, psFadeToB, false),
                Tick(1, -8400, -9200), Press(Act::PressA, psFadeToA, false), Tick(2, -6800, -10000)}},
        Script{"pressing_A_twice_pauses_and_a_third_press_resumes",
               {Press(Act::PressA, psFadeToA, false), Tick(13, 0, -10000), Press(Act::PressA, psFadeOut, true),
                Tick(12, -9600, -10000), Tick(1, -10000, -10000), Press(Act::PressA, psFadeToA, false),
                Tick(1, -9200, -10000)}},
        Script{"pausing_from_B_and_resuming_with_A",
               {Press(Act::PressB, psFadeToB, false), Tick(13, -10000, 0), Press(Act::PressB, psFadeOut, true),
                Tick(2, -10000, -1600), Press(Act::PressA, psFadeToA, false), Tick(1, -9200, -2400)}},
        Script{"an_answer_fades_both_while_the_sounds_run",
               {Press(Act::PressA, psFadeToA, false), Tick(13, 0, -10000), {Act::Answer, 1, {}, {}, psFadeOut, false},
                Tick(6, -4800, -10000), Tick(7, -10000, -10000), Tick(3, -10000, -10000),
                Press(Act::PressB, psFadeToB, false), Tick(13, -10000, 0)}}),
    [](const ::testing::TestParamInfo<Script>& info) { return std::string(info.param.name); });

TEST(CrossfadePause, BuffersKeepTheirPositionsAndResumeThere) {
    PlaybackRig rig;
    rig.LoadExcerpts(4, 44100);
    rig.PressA();
    rig.Tick(13);
    rig.Advance(1000);
    for (CSound* pSnd : rig.LoadedSounds()) ASSERT_EQ(PlaybackRig::Position(pSnd), 2000u);

    rig.PressA();  // raises A: pause
    EXPECT_TRUE(rig.set.m_bStopped);
    EXPECT_EQ(rig.set.m_PlayState, psFadeOut);
    rig.Advance(500);
    // A stop fades out over the ramp and stays where the sound stopped.
    const DWORD dwStopped = 2000u + 2 * audio::kRampFrames;
    for (CSound* pSnd : rig.LoadedSounds()) {
        EXPECT_FALSE(PlaybackRig::Playing(pSnd));
        EXPECT_EQ(PlaybackRig::Position(pSnd), dwStopped);
    }

    rig.PressA();
    rig.Advance(100);
    for (CSound* pSnd : rig.LoadedSounds()) EXPECT_EQ(PlaybackRig::Position(pSnd), dwStopped + 200u);
}

TEST(CrossfadeLaw, NoVolumeEverLeavesTheBuffersRange) {
    PlaybackRig rig;
    rig.LoadExcerpts(1, 4410);
    std::mt19937 random(5);
    for (int i = 0; i < 3000; ++i) {
        switch (random() % 8) {
            case 0: rig.PressA(); break;
            case 1: rig.PressB(); break;
            case 2: rig.Answer(); break;
            case 3: rig.Rewind(); break;
            default: rig.Tick(static_cast<int>(random() % 4)); break;
        }
        ASSERT_GE(rig.set.m_nVolumeA, -10000);
        ASSERT_LE(rig.set.m_nVolumeA, 0);
        ASSERT_GE(rig.set.m_nVolumeB, -10000);
        ASSERT_LE(rig.set.m_nVolumeB, 0);
    }
}

}  // namespace
