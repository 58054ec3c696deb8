// The whole playback with the form's own timers running and the four virtual
// outputs rendering in real time: what each output carried is decoded sample
// by sample afterwards.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QThread>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "PlaybackRig.h"

using playtest::BAND;
using playtest::PlaybackRig;

namespace {

constexpr std::uint32_t EXCERPT_FRAMES = 3 * BAND;
constexpr std::uint32_t SEEK_FRAME = 10000;
// A stretch of output this long that follows one excerpt's ramp exactly was
// heard at full volume with the other one silent.
constexpr std::size_t PURE_RUN = 2000;

void PumpUntil(const std::function<bool()>& done, int nLimitMs = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < nLimitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}
void PumpFor(int nMs) {
    QElapsedTimer clock;
    clock.start();
    PumpUntil([&] { return clock.elapsed() >= nMs; });
}

// A stretch where every sample is the next one of excerpt A or of excerpt B.
struct Stretch {
    bool bExcerptB;
    std::size_t nStart;   // output frame
    std::size_t nLength;
    std::int32_t nIndex;  // the excerpt's frame at nStart, modulo BAND
};

std::int32_t IndexOf(std::int16_t nSample, int nChannel, bool bExcerptB) {
    const std::int32_t nStep = nSample - (nChannel * BAND - 32768);
    if (nStep < 0 || nStep >= BAND) return -1;
    return bExcerptB ? BAND - 1 - nStep : nStep;
}

std::vector<Stretch> PureRuns(const std::vector<std::int16_t>& heard, int nChannel) {
    std::vector<Stretch> runs;
    for (bool bB : {false, true}) {
        std::size_t k = 0;
        while (k < heard.size()) {
            const std::int32_t nFirst = IndexOf(heard[k], nChannel, bB);
            std::size_t n = 1;
            while (nFirst >= 0 && k + n < heard.size() &&
                   IndexOf(heard[k + n], nChannel, bB) == static_cast<std::int32_t>((nFirst + n) % BAND)) {
                ++n;
            }
            if (nFirst >= 0 && n >= PURE_RUN) runs.push_back({bB, k, n, nFirst});
            k += n;
        }
    }
    std::sort(runs.begin(), runs.end(), [](const Stretch& a, const Stretch& b) { return a.nStart < b.nStart; });
    return runs;
}

std::int32_t Mod(std::int64_t n) { return static_cast<std::int32_t>(((n % BAND) + BAND) % BAND); }

// Between two stretches without a seek in between, every output sample may
// differ from the one before by no more than the two excerpts themselves do
// there, plus what a volume ramp of the mixer adds.
void ExpectSmoothSwitch(const std::vector<std::int16_t>& heard, int nChannel, const Stretch& from, const Stretch& to) {
    constexpr int RAMP_ALLOWANCE = 400;  // 0.6 of full scale over a 128-frame ramp, for both excerpts
    for (std::size_t k = from.nStart + from.nLength - 1; k + 1 < to.nStart + 1; ++k) {
        const std::int64_t n = from.nIndex + static_cast<std::int64_t>(k - from.nStart);
        const int nJumpA = std::abs(playtest::ExcerptSample(nChannel, false, Mod(n + 1)) -
                                    playtest::ExcerptSample(nChannel, false, Mod(n)));
        const int nJumpB = std::abs(playtest::ExcerptSample(nChannel, true, Mod(n + 1)) -
                                    playtest::ExcerptSample(nChannel, true, Mod(n)));
        ASSERT_LE(std::abs(heard[k + 1] - heard[k]), nJumpA + nJumpB + RAMP_ALLOWANCE)
            << "channel " << nChannel << ", output frame " << k;
    }
}

// Across a switch the two excerpts' volumes move in 8 dB steps, tick by tick:
// on a rising ramp of A and a falling one of B, the output's slope is
// gain A - gain B, which therefore rests on one level after another between
// +1 and -1. A hard cut (smoothed only by the mixer's short ramp) has no
// level in between.
int CrossfadeLevels(const std::vector<float>& heard, const Stretch& from, const Stretch& to) {
    // A level holds for most of a tick (441 frames at 10 ms); the mixer ramps over 128.
    constexpr std::size_t LEVEL_FRAMES = 100;
    std::vector<double> levels;
    double dRest = 0.0;
    std::size_t nRest = 0;
    for (std::size_t k = from.nStart + from.nLength - 1; k + 1 < to.nStart; ++k) {
        const std::int64_t n = from.nIndex + static_cast<std::int64_t>(k - from.nStart);
        if (Mod(n) == BAND - 1) {  // the ramps start again here
            nRest = 0;
            continue;
        }
        const double dSlope = (heard[k + 1] - heard[k]) * 32768.0 * (from.bExcerptB ? -1.0 : 1.0);
        if (nRest > 0 && std::abs(dSlope - dRest) < 0.02) {
            if (++nRest == LEVEL_FRAMES && (levels.empty() || std::abs(levels.back() - dRest) > 0.05)) {
                levels.push_back(dRest);
            }
        } else {
            dRest = dSlope;
            nRest = 1;
        }
    }
    return static_cast<int>(levels.size());
}

TEST(EndToEnd, FourOutputsStayAlignedThroughSwitchesAndSeeksAndSwitchSmoothly) {
    PlaybackRig rig(playtest::Rig::WindowWithTimers);
    rig.LoadExcerpts(4, EXCERPT_FRAMES);
    rig.form->SetupPositionBar();
    TFormMain& form = *rig.form;
    rig.vb->StartClock();

    rig.PressA();
    PumpUntil([&] { return form.m_nVolumeA == 0; });
    PumpFor(250);
    rig.PressB();
    PumpUntil([&] { return form.m_nVolumeB == 0 && form.m_nVolumeA == -10000; });
    PumpFor(250);
    int nPos = static_cast<int>(SEEK_FRAME * 2 + 1);  // inside a frame: aligned down
    form.ScrollBarTrackPosScroll(scTrack, nPos);
    PumpUntil([&] { return form.m_nVolumeB == 0; });
    PumpFor(250);
    rig.PressA();
    PumpUntil([&] { return form.m_nVolumeA == 0 && form.m_nVolumeB == -10000; });
    PumpFor(300);
    rig.vb->StopClock();

    // The position display ran on its own timer.
    EXPECT_TRUE(form.LabelPosition->text().endsWith(" / 0.6 s")) << form.LabelPosition->text().toStdString();

    for (int c = 0; c < 4; ++c) {
        SCOPED_TRACE("channel " + std::to_string(c));
        const std::vector<float> heardFloat = rig.vb->TakeClocked(rig.OutputOfTrack(c));
        std::vector<std::int16_t> heard;
        for (float v : heardFloat) heard.push_back(audio::VirtualBackend::ToInt16(v));
        const std::vector<Stretch> runs = PureRuns(heard, c);
        // A, then B, then B again after the seek, then A: each heard unaltered
        // and in this output's own band.
        ASSERT_EQ(runs.size(), 4u);
        ASSERT_FALSE(runs[0].bExcerptB);
        ASSERT_TRUE(runs[1].bExcerptB);
        ASSERT_TRUE(runs[2].bExcerptB);
        ASSERT_FALSE(runs[3].bExcerptB);

        // Without a seek between them, B goes on exactly where A's frames have got to.
        EXPECT_EQ(runs[1].nIndex, Mod(runs[0].nIndex + static_cast<std::int64_t>(runs[1].nStart - runs[0].nStart)));
        EXPECT_EQ(runs[3].nIndex, Mod(runs[2].nIndex + static_cast<std::int64_t>(runs[3].nStart - runs[2].nStart)));
        // The seek landed on the frame the offset names, somewhere between the two B stretches.
        const std::int64_t nSeekAt =
            static_cast<std::int64_t>(runs[2].nStart) - Mod(runs[2].nIndex - static_cast<std::int64_t>(SEEK_FRAME));
        EXPECT_GE(nSeekAt, static_cast<std::int64_t>(runs[1].nStart + runs[1].nLength));
        EXPECT_LE(nSeekAt, static_cast<std::int64_t>(runs[2].nStart));

        ExpectSmoothSwitch(heard, c, runs[0], runs[1]);
        ExpectSmoothSwitch(heard, c, runs[2], runs[3]);
        // Thirteen ticks each way; levels near the middle lie too close to tell apart.
        EXPECT_GE(CrossfadeLevels(heardFloat, runs[0], runs[1]), 6);
        EXPECT_GE(CrossfadeLevels(heardFloat, runs[2], runs[3]), 6);
    }
}

}  // namespace
