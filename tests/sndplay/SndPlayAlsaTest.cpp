// The player through the real ALSA library: ALSA's default device is a file
// PCM in a private HOME, and the file holds the sound bit for bit.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "common/AlsaTestHome.h"
#include "common/WavBuilder.h"
#include "platform/audio/alsa/AlsaBackend.h"
#include "platform/sndplay/SndPlay.h"

namespace {

alsatest::Home* home = nullptr;

class Env : public ::testing::Environment {
public:
    void SetUp() override {
        char dir[] = "/tmp/sondarium-sndplay-XXXXXX";
        ASSERT_TRUE(mkdtemp(dir));
        out = std::string(dir) + "/default.raw";
        home = new alsatest::Home({}, "pcm.!default { type file slave.pcm \"null\" file \"" + out +
                                          "\" format \"raw\" }\n");
        folder = dir;
    }
    void TearDown() override {
        delete home;
        std::filesystem::remove_all(folder);
    }
    static inline std::string out, folder;
};

[[maybe_unused]] ::testing::Environment* const env = ::testing::AddGlobalTestEnvironment(new Env);

TEST(SndPlayAlsa, PlaysOnAlsasDefaultDeviceUnchanged) {
    audio::SetBackend(audio::MakeAlsaBackend([] { return std::vector<audio::AlsaCard>{}; }));
    const wavbuild::Format f{1, 2, 44100, 16};
    const std::uint32_t frames = 4410;
    const wavbuild::Bytes samples = wavbuild::Samples(f, frames);
    const wavbuild::Bytes image = wavbuild::Wave(f, samples);
    ASSERT_EQ(sndPlaySoundW(image.data(), SND_ASYNC | SND_MEMORY), TRUE);

    // The file grows as the stream plays in real time; give it the sound and some silence.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::error_code ec;
    while (std::filesystem::file_size(Env::out, ec) < 2 * samples.size() + 32768 || ec) {
        ASSERT_LT(std::chrono::steady_clock::now(), until) << "the sound did not arrive";
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(sndPlaySoundW(nullptr, 0), TRUE);
    audio::SetBackend(nullptr);

    const std::vector<std::int16_t> got = alsatest::ReadSamples16(Env::out);
    std::size_t first = 0;
    while (first < got.size() && got[first] == 0) ++first;
    first -= first % 2;
    ASSERT_GE(2 * got.size(), 2 * first + samples.size());
    EXPECT_EQ(0, std::memcmp(got.data() + first, samples.data(), samples.size()));
    for (std::size_t i = first + samples.size() / 2; i < got.size(); ++i) ASSERT_EQ(got[i], 0) << "played once: " << i;
}

}  // namespace
