// Playing through the real ALSA library onto file PCMs: what was rendered
// arrives bit for bit, positions follow the wall clock, the pairs of a card
// stay aligned, and failing devices neither hang nor crash.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <thread>

#include "alsa/AlsaEnv.h"
#include "alsa/TestSources.h"
#include "platform/audio/DSound.h"
#include "platform/audio/alsa/AlsaPcm.h"

namespace {

using namespace std::chrono_literals;
using alsatest::Format;
using alsatest::Gate;
using alsatest::PatternSource;

std::shared_ptr<audio::IBackend> Backend(bool withCard = false) {
    alsatest::TheHome();
    std::vector<audio::AlsaCard> cards = withCard ? alsatest::TestCards() : std::vector<audio::AlsaCard>{};
    return audio::MakeAlsaBackend([cards] { return cards; });
}

std::unique_ptr<audio::IOutputStream> Open(audio::IBackend& b, const GUID& id) {
    std::unique_ptr<audio::IOutputStream> s;
    std::string why;
    const HRESULT hr = b.Open(&id, s, why);
    EXPECT_EQ(hr, DS_OK) << why;
    return s;
}

// Waits for a condition the stream thread brings about; gives up after `limit`.
template <class F>
bool WaitFor(F done, std::chrono::milliseconds limit = 5000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// Plays `src` once through the gate and waits until ALSA has taken it all.
void PlayThrough(audio::IOutputStream& out, PatternSource& src, Gate& gate) {
    ASSERT_EQ(out.Attach(&src), DS_OK);
    gate.open = true;
    ASSERT_TRUE(WaitFor([&] { return src.Done(); }));
    const std::uint64_t at = src.Rendered();
    ASSERT_TRUE(WaitFor([&] { return src.Rendered() > at + 4096; }));
}

struct ExactCase {
    const char* name;
    std::uint32_t bits;  // of the source: 16, or 32 (float)
};

class AlsaBitExact : public ::testing::TestWithParam<ExactCase> {};

TEST_P(AlsaBitExact, RenderedFramesArriveUnchangedInTheFile) {
    const ExactCase& c = GetParam();
    const std::uint32_t frames = 3000, ch = 2;
    std::vector<float> pattern(frames * ch);
    for (std::uint32_t i = 0; i < pattern.size(); ++i) {
        const std::uint32_t h = (i + 1) * 2654435761u;
        // 16-bit: every value from -32768 to 32767 may occur, never 0; float: 24 significant bits.
        pattern[i] = c.bits == 16 ? float(std::int32_t(h >> 16) - 32768 + ((h >> 16) == 32768)) / 32768.0f
                                  : float(std::int32_t(h >> 8) - 8388608 + ((h >> 8) == 8388608)) / 8388608.0f;
    }
    pattern[0] = c.bits == 16 ? -1.0f : 0.5f;  // the extremes are there for sure
    pattern[1] = c.bits == 16 ? 32767.0f / 32768.0f : -1.0f;

    auto b = Backend();
    Gate gate;
    PatternSource src({44100, ch, c.bits}, pattern, &gate, true);
    auto out = Open(*b, alsatest::IdOf(*b, "OUT 1-2 (1:UA-101)"));
    ASSERT_TRUE(out);
    PlayThrough(*out, src, gate);
    out.reset();

    const std::vector<std::uint8_t> bytes = alsatest::ReadAll(alsatest::TheHome().RawPath("out12"));
    ASSERT_EQ(bytes.size() % (4 * ch), 0u);  // whole frames of 32-bit samples
    std::vector<std::int32_t> raw(bytes.size() / 4);
    std::memcpy(raw.data(), bytes.data(), bytes.size());
    std::vector<float> got;
    for (std::int32_t v : raw) got.push_back(float(v / 2147483648.0));
    std::size_t first = 0;
    while (first < got.size() && got[first] == 0.0f) ++first;
    ASSERT_EQ(first % ch, 0u) << "the sound must start on a frame";
    ASSERT_GE(got.size(), first + pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) ASSERT_EQ(got[first + i], pattern[i]) << "sample " << i;
    for (std::size_t i = first + pattern.size(); i < got.size(); ++i) ASSERT_EQ(got[i], 0.0f) << "after, " << i;
}

// A device narrower than the mix gets it with TPDF dither, never plainly
// rounded: unbiased, within one LSB either side; what the device's width
// holds exactly (a 16-bit sound at full level) passes unchanged.
TEST(AlsaPlay, NarrowerDevicesGetDitherWiderOnesTheSamplesWhole) {
    const std::pair<snd_pcm_format_t, double> cases[] = {  // the sample in the format's LSBs
        {SND_PCM_FORMAT_S16_LE, 12345}, {SND_PCM_FORMAT_S16_LE, -32768},   {SND_PCM_FORMAT_S16_LE, 12345.25},
        {SND_PCM_FORMAT_S16_LE, -0.5},  {SND_PCM_FORMAT_S24_3LE, 4000001}, {SND_PCM_FORMAT_S24_LE, -77.75},
        {SND_PCM_FORMAT_S32_LE, 256.0 * 4000001}};
    for (const auto& [format, lsbs] : cases) {
        const int width = snd_pcm_format_physical_width(format) / 8, bits = snd_pcm_format_width(format);
        const std::vector<float> in(20000, static_cast<float>(std::ldexp(lsbs, 1 - bits)));
        std::vector<unsigned char> out(in.size() * width);
        std::uint32_t noise = 1;
        audio::alsa::ToDeviceSamples(in.data(), in.size(), format, out.data(), noise);
        double sum = 0, lo = 1e12, hi = -1e12;
        for (std::size_t i = 0; i < in.size(); ++i) {
            std::uint32_t u = 0;
            std::memcpy(&u, &out[i * width], width);
            const double v = static_cast<std::int32_t>(u << (32 - bits)) >> (32 - bits);
            sum += v, lo = std::min(lo, v), hi = std::max(hi, v);
        }
        const bool exact = lsbs == std::floor(lsbs);
        EXPECT_NEAR(sum / in.size(), lsbs, exact ? 0.0 : 0.02) << snd_pcm_format_name(format) << " " << lsbs;
        EXPECT_TRUE(exact ? lo == hi : lo >= std::floor(lsbs) - 1 && hi <= std::ceil(lsbs) + 1) << lsbs;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, AlsaBitExact, ::testing::Values(ExactCase{"Int16", 16}, ExactCase{"Float", 32}),
                         [](const ::testing::TestParamInfo<ExactCase>& i) { return std::string(i.param.name); });

// A file PCM takes data as fast as it comes; the stream holds itself to the
// clock. Tolerance: 1 s of wall time is 1 s of frames +-20 %.
TEST(AlsaPlay, PositionsOnAFilePcmAdvanceInRealTime) {
    auto b = Backend();
    Gate gate;
    PatternSource src({48000, 2, 16}, {}, &gate, true);
    auto out = Open(*b, alsatest::IdOf(*b, "OUT 3-4 (1:UA-101)"));
    ASSERT_TRUE(out);
    ASSERT_EQ(out->Attach(&src), DS_OK);
    ASSERT_TRUE(WaitFor([&] { return src.Rendered() > 4800; }));
    auto heard = [&] { return double(src.Rendered()) - double(out->LatencyFrames()); };
    const auto t0 = std::chrono::steady_clock::now();
    const double p0 = heard();
    std::this_thread::sleep_for(1s);
    const double p1 = heard();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double ratio = (p1 - p0) / (wall * 48000.0);
    EXPECT_GT(ratio, 0.8);
    EXPECT_LT(ratio, 1.2);
    EXPECT_LT(out->LatencyFrames(), 4800u) << "more than 100 ms ahead of the clock";
    EXPECT_EQ(out->Status(), DS_OK);
}

TEST(AlsaPlay, PairsOfOneCardStartOnOneFrameAndStayAligned) {
    auto b = Backend(true);
    const std::vector<audio::OutputInfo> list = b->Enumerate();
    ASSERT_GE(list.size(), 5u);
    const std::uint32_t frames = 3000;
    Gate gate;
    std::vector<std::unique_ptr<PatternSource>> sources;
    std::vector<std::unique_ptr<audio::IOutputStream>> outs;
    for (unsigned k = 0; k < 4; ++k) {
        ASSERT_EQ(list[1 + k].description, "OUT " + std::to_string(2 * k + 1) + "-" + std::to_string(2 * k + 2) +
                                               " (1:UA-101)");
        const std::uint32_t ch = k == 3 ? 1 : 2;  // a mono primary feeds both channels of its pair
        std::vector<float> p;
        for (std::uint32_t n = 0; n < frames; ++n) {
            const float v = float(n + 1 + 4000 * k) / 32768.0f;
            p.push_back(v);
            if (ch == 2) p.push_back(-v);
        }
        sources.push_back(std::make_unique<PatternSource>(Format{44100, ch, 16}, p, &gate, k == 0));
        outs.push_back(Open(*b, list[1 + k].id));
        ASSERT_TRUE(outs.back());
        ASSERT_EQ(outs.back()->Attach(sources.back().get()), DS_OK);
    }
    std::unique_ptr<audio::IOutputStream> twice;
    std::string why;
    EXPECT_EQ(b->Open(&list[2].id, twice, why), DSERR_ALLOCATED) << "a pair is one output";
    EXPECT_FALSE(twice);

    gate.open = true;
    for (auto& s : sources) ASSERT_TRUE(WaitFor([&] { return s->Done(); }));
    const std::uint64_t at = sources[0]->Rendered();
    ASSERT_TRUE(WaitFor([&] { return sources[0]->Rendered() > at + 4096; }));
    outs.clear();

    const std::vector<std::int16_t> s = alsatest::ReadSamples16(alsatest::TheHome().RawPath("card8"));
    ASSERT_EQ(s.size() % 8, 0u) << "one stream of eight channels";
    const std::size_t total = s.size() / 8;
    std::size_t start = 0;
    while (start < total && s[start * 8] == 0) ++start;
    ASSERT_LE(start + frames, total);
    for (std::size_t f = 0; f < total; ++f) {
        for (unsigned k = 0; k < 4; ++k) {
            const bool sounding = f >= start && f < start + frames;
            const int v = sounding ? int(f - start) + 1 + 4000 * int(k) : 0;
            ASSERT_EQ(s[f * 8 + 2 * k], v) << "frame " << f << " pair " << k;
            ASSERT_EQ(s[f * 8 + 2 * k + 1], k == 3 ? v : -v) << "frame " << f << " pair " << k;
        }
    }
}

struct OpenFailCase {
    const char* name;
    const char* description;  // null: an id nothing has
    HRESULT code;
    const char* reasonHas;
};

class AlsaOpenFails : public ::testing::TestWithParam<OpenFailCase> {};

TEST_P(AlsaOpenFails, WithACodeAndAReason) {
    const OpenFailCase& c = GetParam();
    auto b = Backend();
    const GUID id = c.description ? alsatest::IdOf(*b, c.description) : GUID{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    std::unique_ptr<audio::IOutputStream> s;
    std::string why;
    EXPECT_EQ(b->Open(&id, s, why), c.code) << why;
    EXPECT_FALSE(s);
    EXPECT_NE(why.find(c.reasonHas), std::string::npos) << why;
}

INSTANTIATE_TEST_SUITE_P(Outputs, AlsaOpenFails,
                         ::testing::Values(OpenFailCase{"MissingCard", "Assente", DSERR_NODRIVER, "\"missing\""},
                                           OpenFailCase{"UnknownId", nullptr, DSERR_NODRIVER, "id"}),
                         [](const ::testing::TestParamInfo<OpenFailCase>& i) { return std::string(i.param.name); });

TEST(AlsaOpenFails, ErrorsMapToTheServiceCodes) {
    const std::pair<int, HRESULT> table[] = {{-EBUSY, DSERR_ALLOCATED}, {-ENOENT, DSERR_NODRIVER},
                                             {-ENODEV, DSERR_NODRIVER}, {-EINVAL, DSERR_BADFORMAT},
                                             {-EIO, DSERR_GENERIC}};
    for (const auto& [err, code] : table) EXPECT_EQ(audio::alsa::CodeForError(err), code) << err;
}

struct MidPlayCase {
    const char* name;
    const char* description;
    const char* folder;  // removed before playing and made again to let the stream come back; null: none
};

class AlsaFailsMidPlay : public ::testing::TestWithParam<MidPlayCase> {};

TEST_P(AlsaFailsMidPlay, StatusFailsWithoutHangingTheControlThread) {
    const MidPlayCase& c = GetParam();
    auto b = Backend();
    const std::string folder = c.folder ? alsatest::TheHome().Dir() + "/" + c.folder : "";
    if (c.folder) std::filesystem::remove_all(folder);
    Gate gate;
    PatternSource src({44100, 2, 16}, std::vector<float>(44100 * 2 * 60, 0.25f), &gate, true);
    auto out = Open(*b, alsatest::IdOf(*b, c.description));
    ASSERT_TRUE(out);
    ASSERT_EQ(out->Attach(&src), DS_OK);
    gate.open = true;
    ASSERT_TRUE(WaitFor([&] { return FAILED(out->Status()); })) << "a write error must show";

    if (c.folder) {
        std::filesystem::create_directory(folder);
        EXPECT_TRUE(WaitFor([&] { return out->Status() == DS_OK; })) << "the stream comes back";
        const std::uint64_t at = src.Rendered();
        EXPECT_TRUE(WaitFor([&] { return src.Rendered() > at + 44100 / 10; }));
    }
    // The control thread's calls return promptly whatever the device does.
    auto done = std::async(std::launch::async, [&] {
        out->Detach();
        const std::uint64_t calls = src.Calls();
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(src.Calls(), calls) << "a detached source was called";
        out.reset();
    });
    if (done.wait_for(10s) != std::future_status::ready) {
        ADD_FAILURE() << "detach or close hangs";
        std::abort();
    }
}

INSTANTIATE_TEST_SUITE_P(Devices, AlsaFailsMidPlay,
                         ::testing::Values(MidPlayCase{"UnwritableFile", "Pieno", nullptr},
                                           MidPlayCase{"FolderRemovedThenBack", "Sparita", "gone"},
                                           // Without SIGPIPE ignored the process would die here (status 141).
                                           MidPlayCase{"PipeReaderQuits", "Tubo", nullptr}),
                         [](const ::testing::TestParamInfo<MidPlayCase>& i) { return std::string(i.param.name); });

}  // namespace
