// The software mixer on synthetic signals, observed through the virtual back end.
#include <cmath>
#include <numeric>
#include <random>

#include "AudioRig.h"
#include "common/ToneMeter.h"

using namespace audiotest;

namespace {

std::vector<std::int16_t> Ramp(int frames, int channels = 1, int step = 97) {
    std::vector<std::int16_t> s(static_cast<std::size_t>(frames * channels));
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::int16_t>((static_cast<int>(i) * step) % 60000 - 30000);
    return s;
}

TEST(Mixer, PrimaryFormatSamplesComeBackBitForBitAtVolumeZero) {
    struct Case {
        WORD channels;
        DWORD rate;
    } cases[] = {{1, 44100}, {2, 48000}, {4, 96000}};
    for (const Case& c : cases) {
        Rig rig(c.channels, c.rate, 16);
        auto samples = Ramp(1000, c.channels);
        auto b = rig.Make(Format(c.channels, c.rate, 16), Bytes(samples));
        ASSERT_EQ(DS_OK, b->SetVolume(0));
        ASSERT_EQ(DS_OK, b->Play(0, 0, 0));
        auto out = rig.Render16(1000);
        const std::size_t settled = kRamp * c.channels;
        for (std::size_t i = 0; i < settled; ++i) ASSERT_LE(std::abs(out[i]), std::abs(samples[i])) << i;
        EXPECT_TRUE(std::equal(out.begin() + settled, out.end(), samples.begin() + settled))
            << c.channels << " channels at " << c.rate;
    }
}

TEST(Mixer, GainFollowsTheVolumeLaw) {
    const LONG volumes[] = {0, -100, -600, -2000, -4500, -9999, -10000};
    for (LONG v : volumes) {
        Rig rig;
        auto b = rig.Mono16(std::vector<std::int16_t>(512, 16384));
        ASSERT_EQ(DS_OK, b->SetVolume(v));
        ASSERT_EQ(DS_OK, b->Play(0, 0, DSBPLAY_LOOPING));
        rig.Render(kRamp);
        auto out = rig.Render(512);
        const float expect = v == -10000 ? 0.0f : 0.5f * static_cast<float>(std::pow(10.0, v / 2000.0));
        for (float x : out) ASSERT_NEAR(x, expect, 1e-6f) << "volume " << v;
        if (v == -10000) {
            for (float x : out) ASSERT_EQ(x, 0.0f);
        }
    }
}

TEST(Mixer, PlayingBuffersAreSummed) {
    Rig rig;
    auto a = rig.Mono16(std::vector<std::int16_t>(kRamp + 64, 1000));
    auto b = rig.Mono16(std::vector<std::int16_t>(kRamp + 64, -300));
    auto stopped = rig.Mono16(std::vector<std::int16_t>(kRamp + 64, 5000));
    a->Play(0, 0, 0);
    b->Play(0, 0, 0);
    rig.Render(kRamp);
    for (std::int16_t s : rig.Render16(64)) ASSERT_EQ(s, 700);
}

TEST(Mixer, LoopingWrapsAndOneShotStopsAndRewinds) {
    Rig rig;
    auto samples = Ramp(100);
    auto looping = rig.Mono16(samples);
    looping->Play(0, 0, DSBPLAY_LOOPING);
    auto out = rig.Render16(250);
    for (int i = kRamp; i < 250; ++i) ASSERT_EQ(out[i], samples[i % 100]) << i;
    looping->Stop();
    rig.Render(kRamp);

    auto once = rig.Mono16(samples);
    once->Play(0, 0, 0);
    out = rig.Render16(250);
    for (int i = 1; i < 250; ++i) ASSERT_EQ(out[i] == 0, i >= 100 || samples[i] == 0) << i;
    DWORD status = 0;
    once->GetStatus(&status);
    EXPECT_EQ(status & DSBSTATUS_PLAYING, 0u);
    EXPECT_EQ(PlayCursor(once.get()), 0u);
}

TEST(Mixer, PositionsAreFramesHeardNetOfLatency) {
    Rig rig(2, 44100, 16);
    auto b = rig.Make(Format(2, 44100, 16), Bytes(Ramp(1000, 2)));
    rig.vb->SetLatencyFrames(0, 10);
    b->Play(0, 0, DSBPLAY_LOOPING);
    rig.Render(4);  // fewer frames played than the latency: the start is heard
    EXPECT_EQ(PlayCursor(b.get()), 0u);
    rig.Render(26);
    DWORD play = 0, write = 0;
    ASSERT_EQ(DS_OK, b->GetCurrentPosition(&play, &write));
    EXPECT_EQ(play, 20u * 4);
    EXPECT_EQ(write, 30u * 4);
    b->Stop();  // a stopped buffer fades out, then keeps its position
    rig.Render(kRamp + 50);
    EXPECT_EQ(PlayCursor(b.get()), (30u + kRamp) * 4);
}

TEST(Mixer, SetPositionAlignsToFramesAndClampsToTheEnd) {
    struct Case {
        DWORD asked, readBack;
        bool looping;
    } cases[] = {
        {0, 0, true}, {7, 4, true}, {400, 400, true}, {3999, 3996, true},
        {4000, 4000, true}, {70000, 4000, true}, {70000, 4000, false},
    };
    for (const Case& c : cases) {
        Rig rig(2, 44100, 16);
        std::vector<std::int16_t> s(2000);
        for (int i = 0; i < 1000; ++i) s[2 * i] = s[2 * i + 1] = static_cast<std::int16_t>(i);
        auto b = rig.Make(Format(2, 44100, 16), Bytes(s));
        auto other = rig.Make(Format(2, 44100, 16), Bytes(s));
        other->SetCurrentPosition(40);
        ASSERT_EQ(DS_OK, b->SetCurrentPosition(c.asked));
        EXPECT_EQ(PlayCursor(b.get()), c.readBack) << c.asked;
        b->Play(0, 0, c.looping ? DSBPLAY_LOOPING : 0);
        auto out = rig.Render16(kRamp + 1);
        // the left sample once the start's ramp is over; a one-shot at its end ends at once
        const int left = c.looping ? static_cast<int>((c.readBack / 4 + kRamp) % 1000) : 0;
        EXPECT_EQ(out[2 * kRamp], left) << c.asked;
        EXPECT_EQ(PlayCursor(other.get()), 40u);
    }
}

// A buffer of another rate plays its converted copy; seeks and play cursors
// stay in the buffer's own bytes.
TEST(Mixer, ConvertedBuffersSeekAndReportInTheirOwnBytes) {
    Rig rig(1, 44100, 16);
    auto b = rig.Mono16(Ramp(22050), 22050);
    ASSERT_EQ(DS_OK, b->SetCurrentPosition(2001));
    ASSERT_EQ(DS_OK, b->Play(0, 0, DSBPLAY_LOOPING));
    EXPECT_EQ(PlayCursor(b.get()), 2000u);
    rig.Render(882);  // 20 ms of output: 441 frames of the buffer
    EXPECT_EQ(PlayCursor(b.get()), 2000u + 441 * 2);
}

TEST(Mixer, DownsamplingKeepsTime) {
    Rig rig(1, 44100, 16);
    auto b = rig.Mono16(Ramp(4800), 48000);
    b->Play(0, 0, 0);
    rig.Render(441);  // 10 ms of output
    EXPECT_NEAR(static_cast<double>(PlayCursor(b.get())), 480.0 * 2, 2.0);
}

TEST(Mixer, ChannelsMapToThePrimaryCount) {
    struct Case {
        WORD src, dst;
        std::vector<std::int16_t> in;   // one frame
        std::vector<std::int16_t> out;  // one frame
    } cases[] = {
        {1, 2, {1000}, {1000, 1000}},
        {2, 1, {1000, 3000}, {2000}},
        {2, 4, {100, -200}, {100, -200, 100, -200}},
        {4, 2, {100, 200, 300, 400}, {200, 300}},
        {6, 1, {6, 6, 6, 6, 6, 6}, {6}},
    };
    for (const Case& c : cases) {
        Rig rig(c.dst, 44100, 16);
        std::vector<std::int16_t> in;
        for (int k = 0; k < 4; ++k) in.insert(in.end(), c.in.begin(), c.in.end());
        auto b = rig.Make(Format(c.src, 44100, 16), Bytes(in));
        b->Play(0, 0, DSBPLAY_LOOPING);
        auto out = rig.Render16(kRamp + 1);
        EXPECT_EQ(std::vector<std::int16_t>(out.end() - c.dst, out.end()), c.out) << c.src << " to " << c.dst;
    }
}

TEST(Mixer, EverySampleFormatDecodesToFullScale) {
    struct Case {
        WORD bits, tag;
        std::vector<BYTE> frame;
        float value;
    } cases[] = {
        {8, WAVE_FORMAT_PCM, {0xC0}, 0.5f},
        {8, WAVE_FORMAT_PCM, {0x00}, -1.0f},
        {16, WAVE_FORMAT_PCM, {0x00, 0xC0}, -0.5f},
        {24, WAVE_FORMAT_PCM, {0x00, 0x00, 0x40}, 0.5f},
        {24, WAVE_FORMAT_PCM, {0xFF, 0xFF, 0xFF}, -1.0f / 8388608.0f},
        {32, WAVE_FORMAT_PCM, {0x00, 0x00, 0x00, 0xC0}, -0.5f},
        {32, WAVE_FORMAT_IEEE_FLOAT, {0x00, 0x00, 0x40, 0x3F}, 0.75f},
    };
    for (const Case& c : cases) {
        Rig rig;
        std::vector<BYTE> data;
        for (int k = 0; k < 8; ++k) data.insert(data.end(), c.frame.begin(), c.frame.end());
        auto b = rig.Make(Format(1, 44100, c.bits, c.tag), data);
        b->Play(0, 0, DSBPLAY_LOOPING);
        auto out = rig.Render(kRamp + 1);
        EXPECT_FLOAT_EQ(out.back(), c.value) << c.bits << " bits, tag " << c.tag;
    }
}

TEST(Mixer, VolumeChangesRampWithoutSteps) {
    struct Case {
        LONG from, to;
    } cases[] = {{0, -10000}, {-10000, 0}, {-800, 0}, {0, -2400}};
    for (const Case& c : cases) {
        Rig rig;
        auto b = rig.Mono16(std::vector<std::int16_t>(4096, 32767));
        b->SetVolume(c.from);
        b->Play(0, 0, DSBPLAY_LOOPING);
        rig.Render(kRamp);
        b->SetVolume(c.to);
        auto out = rig.Render(512);
        const float g0 = 32767 / 32768.0f * (c.from == -10000 ? 0.0f : std::pow(10.0f, c.from / 2000.0f));
        const float g1 = 32767 / 32768.0f * (c.to == -10000 ? 0.0f : std::pow(10.0f, c.to / 2000.0f));
        const float maxStep = std::fabs(g1 - g0) / 64.0f;  // no jump larger than a 64-frame ramp's step
        float prev = g0;
        for (float x : out) {
            ASSERT_LE(std::fabs(x - prev), maxStep + 1e-6f);
            prev = x;
        }
        EXPECT_NEAR(out.back(), g1, 1e-6f);
        EXPECT_GT(std::fabs(out[1] - g1), 0.0f) << "the change must not be immediate";
    }
}

TEST(Mixer, DuplicatesShareSamplesAndKeepTheirOwnPositionAndVolume) {
    Rig rig;
    auto samples = Ramp(200);
    auto a = rig.Mono16(std::vector<std::int16_t>(200, 0));
    IDirectSoundBuffer* raw = nullptr;
    ASSERT_EQ(DS_OK, rig.ds->DuplicateSoundBuffer(a.get(), &raw));
    BufferPtr dup(raw);
    Rig::Fill(a.get(), Bytes(samples));  // written once, heard through both

    dup->SetCurrentPosition(100 * 2);
    dup->SetVolume(-10000);
    dup->Play(0, 0, DSBPLAY_LOOPING);
    a->Play(0, 0, 0);
    const int n = kRamp + 50;
    auto out = rig.Render16(n);
    for (int i = kRamp; i < n; ++i) ASSERT_EQ(out[i], samples[i]);
    EXPECT_EQ(PlayCursor(a.get()), n * 2u);
    EXPECT_EQ(PlayCursor(dup.get()), (100u + n) % 200 * 2);

    a->Stop();
    dup->SetVolume(0);
    rig.Render(200);  // past the volume ramp
    out = rig.Render16(10);
    for (int i = 0; i < 10; ++i) ASSERT_EQ(out[i], samples[(100 + n + 200 + i) % 200]);

    a.reset();  // the duplicate keeps the samples alive
    out = rig.Render16(10);
    EXPECT_EQ(out[0], samples[(100 + n + 210) % 200]);
}

TEST(Mixer, BuffersReleasedWhileTheClockRendersAreReclaimedSafely) {
    Rig rig;
    rig.vb->StartClock(64);
    auto samples = Ramp(441);
    for (int round = 0; round < 200; ++round) {
        auto b = rig.Mono16(samples);
        b->Play(0, 0, DSBPLAY_LOOPING);
        IDirectSoundBuffer* raw = nullptr;
        ASSERT_EQ(DS_OK, rig.ds->DuplicateSoundBuffer(b.get(), &raw));
        raw->Play(0, 0, DSBPLAY_LOOPING);
        raw->Release();
    }
    rig.vb->StopClock();
    for (float x : rig.Render(64)) ASSERT_EQ(x, 0.0f);  // every released voice is gone
}

// `x` (full scale +-1) as samples of `bits` (32: float). A value between two
// integer steps gets TPDF dither, as a careful lab makes its stimuli.
std::vector<BYTE> Encode(const std::vector<double>& x, WORD bits, std::mt19937& random) {
    if (bits == 32) return Bytes(std::vector<float>(x.begin(), x.end()));
    std::vector<BYTE> out;
    std::uniform_real_distribution<double> lsb(-0.5, 0.5);
    for (double v : x) {
        const double q = std::ldexp(v, bits - 1);
        const auto i = static_cast<std::int32_t>(std::lrint(q == std::floor(q) ? q : q + lsb(random) + lsb(random)));
        for (int b = 0; b < bits / 8; ++b) out.push_back(static_cast<BYTE>(i >> (8 * b)));
    }
    return out;
}

// Excerpts of every rate and sample format on outputs of a fixed rate (a sound
// server's): a matching rate comes back sample for sample; any other converted
// flat and clean, nothing folded back from above the output's Nyquist
// frequency, but a 16-bit excerpt's own dither floor (-87.3 dBc) comes through.
TEST(Mixer, EveryRateAndFormatIsBitExactOrConvertedCleanly) {
    constexpr double kAmp = 0.5;
    constexpr std::size_t kMeasured = 1 << 15;
    std::mt19937 random(20);
    for (DWORD out : {44100u, 48000u, 96000u}) {
        for (DWORD in : {44100u, 48000u, 96000u}) {
            for (WORD bits : {16, 24, 32}) {
                SCOPED_TRACE(std::to_string(in) + " Hz " + std::to_string(bits) + "-bit on " + std::to_string(out));
                Rig rig(1, 44100, 16, out);
                const std::size_t n = in / 5;  // 0.2 s: tones on a 5 Hz grid loop seamlessly
                auto play = [&](const std::vector<double>& x) {
                    auto b = rig.Make(Format(1, in, bits, bits == 32 ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM), Encode(x, bits, random));
                    b->Play(0, 0, DSBPLAY_LOOPING);
                    auto got = rig.Render(kRamp + kMeasured);
                    b->Stop();
                    rig.Render(kRamp);
                    return got;
                };
                if (in == out) {
                    std::vector<double> x(n);  // every value on the excerpt's grid
                    for (double& v : x) v = std::uniform_int_distribution<int>(-32768, 32767)(random) / 32768.0 +
                                            (bits == 16 ? 0.0 : std::uniform_int_distribution<int>(0, 255)(random) / 8388608.0);
                    const auto got = play(x);
                    for (std::size_t f = kRamp; f < got.size(); ++f) ASSERT_EQ(got[f], static_cast<float>(x[f % n])) << f;
                    continue;
                }
                const double top = std::floor(std::min(20000.0, 0.45 * std::min(in, out)) / 5) * 5;
                for (double hz : {20.0, 1000.0, top}) {
                    const tonemeter::Fit fit = tonemeter::FitTone(play(tonemeter::Sine(n, hz, in, kAmp)), kRamp, kMeasured, hz, out);
                    EXPECT_LE(std::abs(tonemeter::Db(fit.amplitude / kAmp)), 0.01) << hz << " Hz";
                    EXPECT_LE(tonemeter::ThdN(fit), bits == 16 ? -87.0 : -120.0) << hz << " Hz";
                }
                if (in > out) {  // 23 or 30 kHz, above the output's Nyquist frequency
                    const double above = in == 48000 ? 23000.0 : 30000.0;
                    const auto got = play(tonemeter::Sine(n, above, in, kAmp));
                    EXPECT_LE(tonemeter::Db(tonemeter::FitTone(got, kRamp, kMeasured, out - above, out).amplitude / kAmp), -120.0);
                }
            }
        }
    }
}

}  // namespace
