// The in-memory WAV player on the virtual back end's default output: what it
// plays, once; a new sound cutting the old; a null sound stopping it; images it
// refuses; a default output that cannot be opened.
#include <gtest/gtest.h>

#include <cstring>

#include "common/WavBuilder.h"
#include "platform/audio/DSound.h"
#include "platform/audio/virtual/VirtualBackend.h"
#include "platform/sndplay/SndPlay.h"

namespace {

using wavbuild::Bytes;
using wavbuild::Format;

constexpr UINT kAsyncMemory = SND_ASYNC | SND_MEMORY;

class SndPlay : public ::testing::Test {
protected:
    void SetUp() override {
        sndPlaySoundW(nullptr, 0);  // the player lets go of an earlier test's device
        vb = audio::VirtualBackend::Install(audio::VirtualBackend::UA101Outputs());
    }
    void TearDown() override { sndPlaySoundW(nullptr, 0); }

    // The default output's next frames as 16-bit samples.
    std::vector<std::int16_t> Heard(std::uint32_t frames) { return vb->RenderInt16(0, frames); }

    std::shared_ptr<audio::VirtualBackend> vb;
};

std::vector<std::int16_t> AsInt16(const Bytes& b) {
    std::vector<std::int16_t> s(b.size() / 2);
    std::memcpy(s.data(), b.data(), s.size() * 2);
    return s;
}

struct PlayCase {
    const char* name;
    Format format;
    std::uint32_t frames;
};

class SndPlayFormats : public SndPlay, public ::testing::WithParamInterface<PlayCase> {};

TEST_P(SndPlayFormats, PlaysTheWholeImageOnceUnchanged) {
    const PlayCase& c = GetParam();
    const Bytes samples = wavbuild::Samples(c.format, c.frames);
    const Bytes image = wavbuild::Wave(c.format, samples);
    ASSERT_EQ(sndPlaySoundW(image.data(), kAsyncMemory), TRUE);
    EXPECT_EQ(vb->Rate(0), c.format.rate) << "the output follows the sound's rate";
    EXPECT_EQ(vb->Channels(0), c.format.channels);
    const std::uint32_t tail = 500;
    const std::size_t n = std::size_t(c.frames) * c.format.channels;
    if (c.format.tag == 3) {
        const std::vector<float> got = vb->Render(0, c.frames + tail);
        ASSERT_EQ(got.size(), std::size_t(c.frames + tail) * c.format.channels);
        std::vector<float> want(n);
        std::memcpy(want.data(), samples.data(), n * 4);
        for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(got[i], want[i]) << i;
        for (std::size_t i = n; i < got.size(); ++i) ASSERT_EQ(got[i], 0.0f) << "played once: " << i;
    } else {
        const std::vector<std::int16_t> got = Heard(c.frames + tail);
        ASSERT_EQ(got.size(), std::size_t(c.frames + tail) * c.format.channels);
        const std::vector<std::int16_t> want = AsInt16(samples);
        for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(got[i], want[i]) << i;
        for (std::size_t i = n; i < got.size(); ++i) ASSERT_EQ(got[i], 0) << "played once: " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Images, SndPlayFormats,
                         ::testing::Values(PlayCase{"Stereo16", {1, 2, 44100, 16}, 3000},
                                           PlayCase{"Mono16At22050", {1, 1, 22050, 16}, 1501},
                                           PlayCase{"FloatStereo48000", {3, 2, 48000, 32}, 2000},
                                           PlayCase{"OneFrame", {1, 1, 44100, 16}, 1}),
                         [](const ::testing::TestParamInfo<PlayCase>& i) { return std::string(i.param.name); });

TEST_F(SndPlay, ANewSoundCutsOffTheOneThatPlays) {
    const Format f{1, 2, 44100, 16};
    const Bytes a = wavbuild::Samples(f, 20000, 1), b = wavbuild::Samples(f, 1000, 2);
    const Bytes imageA = wavbuild::Wave(f, a), imageB = wavbuild::Wave(f, b);
    ASSERT_EQ(sndPlaySoundW(imageA.data(), kAsyncMemory), TRUE);
    Heard(300);
    ASSERT_EQ(sndPlaySoundW(imageB.data(), kAsyncMemory), TRUE);
    const std::vector<std::int16_t> got = Heard(1500);
    const std::vector<std::int16_t> want = AsInt16(b);
    for (std::size_t i = 0; i < want.size(); ++i) ASSERT_EQ(got[i], want[i]) << i;
    for (std::size_t i = want.size(); i < got.size(); ++i) ASSERT_EQ(got[i], 0) << "A came back at " << i;
}

TEST_F(SndPlay, ANullSoundStopsItAndLetsGoOfTheOutput) {
    const Format f{1, 2, 44100, 16};
    const Bytes image = wavbuild::Wave(f, wavbuild::Samples(f, 20000));
    ASSERT_EQ(sndPlaySoundW(image.data(), kAsyncMemory), TRUE);
    Heard(300);
    EXPECT_EQ(vb->OpenStreams(0), 1);
    EXPECT_EQ(sndPlaySoundW(nullptr, 0), TRUE);
    EXPECT_EQ(vb->OpenStreams(0), 0);
    EXPECT_TRUE(vb->Render(0, 100).empty());
    // And the next sound opens it again.
    EXPECT_EQ(sndPlaySoundW(image.data(), kAsyncMemory), TRUE);
    EXPECT_EQ(vb->OpenStreams(0), 1);
}

struct RefusedCase {
    const char* name;
    Bytes image;
    UINT flags;
};

Bytes Refused(const std::string& what) {
    const Format f{1, 2, 44100, 16};
    const Bytes samples = wavbuild::Samples(f, 100);
    wavbuild::Riff r;
    if (what == "NotRiff") r.id = "RIFX";
    if (what == "NotWave") r.form = "AVI ";
    if (what == "NoFormat") r.Add("data", samples);
    if (what == "ShortFormat") {
        Bytes body = wavbuild::FmtBody(f);
        body.resize(14);
        r.Add("fmt ", body).Add("data", samples);
    }
    if (what == "DataBeforeFormat") r.Add("data", samples).Add("fmt ", wavbuild::FmtBody(f));
    if (what == "NoData") r.Add("fmt ", wavbuild::FmtBody(f)).Add("LIST", wavbuild::Text("info"));
    if (what == "FormatPastTheEnd") {
        r.Add("fmt ", wavbuild::FmtBody(f));
        r.chunks.back().declaredSize = 4000;
    }
    if (what == "Adpcm") r.Add("fmt ", wavbuild::FmtBody({2, 2, 44100, 4})).Add("data", samples);
    if (what == "LessThanAFrame") r.Add("fmt ", wavbuild::FmtBody(f)).Add("data", {1, 2, 3});
    return r.Build();
}

class SndPlayRefuses : public SndPlay, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(SndPlayRefuses, AnswersFalseAndTheOldSoundStops) {
    const Format f{1, 2, 44100, 16};
    const Bytes image = wavbuild::Wave(f, wavbuild::Samples(f, 20000));
    ASSERT_EQ(sndPlaySoundW(image.data(), kAsyncMemory), TRUE);
    Heard(300);
    EXPECT_EQ(sndPlaySoundW(GetParam().image.data(), GetParam().flags), FALSE);
    for (std::int16_t s : Heard(500)) ASSERT_EQ(s, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Images, SndPlayRefuses,
    ::testing::Values(RefusedCase{"NotRiff", Refused("NotRiff"), kAsyncMemory},
                      RefusedCase{"NotWave", Refused("NotWave"), kAsyncMemory},
                      RefusedCase{"NoFormat", Refused("NoFormat"), kAsyncMemory},
                      RefusedCase{"ShortFormat", Refused("ShortFormat"), kAsyncMemory},
                      RefusedCase{"DataBeforeFormat", Refused("DataBeforeFormat"), kAsyncMemory},
                      RefusedCase{"NoData", Refused("NoData"), kAsyncMemory},
                      RefusedCase{"FormatPastTheEnd", Refused("FormatPastTheEnd"), kAsyncMemory},
                      RefusedCase{"Adpcm", Refused("Adpcm"), kAsyncMemory},
                      RefusedCase{"LessThanAFrame", Refused("LessThanAFrame"), kAsyncMemory},
                      RefusedCase{"NotAnImage", Refused("none"), SND_ASYNC}),
    [](const ::testing::TestParamInfo<RefusedCase>& i) { return std::string(i.param.name); });

TEST_F(SndPlay, DataClaimingMoreThanTheImageHoldsPlaysWhatIsThere) {
    const Format f{1, 2, 44100, 16};
    const Bytes samples = wavbuild::Samples(f, 800);
    wavbuild::Riff r;
    r.Add("fmt ", wavbuild::FmtBody(f)).Add("data", samples);
    r.chunks.back().declaredSize = 0x7FFFFFF0;
    const Bytes image = r.Build();
    ASSERT_EQ(sndPlaySoundW(image.data(), kAsyncMemory), TRUE);
    const std::vector<std::int16_t> got = Heard(1000), want = AsInt16(samples);
    for (std::size_t i = 0; i < want.size(); ++i) ASSERT_EQ(got[i], want[i]) << i;
    for (std::size_t i = want.size(); i < got.size(); ++i) ASSERT_EQ(got[i], 0) << i;
}

TEST_F(SndPlay, ADefaultOutputThatCannotBeOpenedAnswersFalseUntilItCan) {
    const Format f{1, 2, 44100, 16};
    const Bytes image = wavbuild::Wave(f, wavbuild::Samples(f, 100));
    vb->RefuseOpen(0, DSERR_ALLOCATED, "busy");
    EXPECT_EQ(sndPlaySoundW(image.data(), kAsyncMemory), FALSE);
    vb->RefuseOpen(0, DS_OK, "");
    EXPECT_EQ(sndPlaySoundW(image.data(), kAsyncMemory), TRUE);
}

}  // namespace
