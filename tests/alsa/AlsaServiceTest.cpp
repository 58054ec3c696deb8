// The audio service end to end on the ALSA back end: listing, opening a card
// pair through DirectSoundCreate8 and playing a buffer at volume 0 into the
// card's shared stream; an output that cannot be opened says why.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "alsa/AlsaEnv.h"
#include "common/WavBuilder.h"
#include "platform/audio/DSound.h"
#include "platform/audio/Mixer.h"

namespace {

struct Listed {
    std::vector<std::wstring> descriptions;
    std::vector<GUID> ids;  // GUID_NULL for the default output
};

BOOL Collect(LPGUID id, const wchar_t* description, const wchar_t*, void* context) {
    auto* l = static_cast<Listed*>(context);
    l->descriptions.emplace_back(description);
    l->ids.push_back(id ? *id : GUID_NULL);
    return TRUE;
}

class AlsaService : public ::testing::Test {
protected:
    void SetUp() override {
        alsatest::TheHome();
        audio::SetBackend(audio::MakeAlsaBackend([] { return alsatest::TestCards(); }));
        ASSERT_EQ(DirectSoundEnumerateW(&Collect, &list), DS_OK);
    }
    void TearDown() override { audio::SetBackend(nullptr); }
    Listed list;
};

TEST_F(AlsaService, ABufferPlaysUnchangedOnItsPairOfTheCard) {
    ASSERT_GE(list.descriptions.size(), 5u);
    EXPECT_EQ(list.descriptions[0], L"Driver audio principale");
    EXPECT_EQ(list.ids[0], GUID_NULL);
    ASSERT_EQ(list.descriptions[2], L"OUT 3-4 (1:UA-101)");

    IDirectSound8* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate8(&list.ids[2], &ds, nullptr), DS_OK) << DirectSoundLastOpenError();
    ASSERT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
    DSBUFFERDESC pd{36, DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr, GUID_NULL};
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&pd, &primary, nullptr), DS_OK);
    WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};
    ASSERT_EQ(primary->SetFormat(&wfx), DS_OK);
    primary->Release();

    // A buffer of another rate than the primary's: the card (nothing sounds
    // on it) takes the buffer's rate, so its samples arrive unconverted.
    const std::uint32_t frames = 3000;
    const wavbuild::Bytes samples = wavbuild::Samples({1, 2, 48000, 16}, frames);
    WAVEFORMATEX bwfx{WAVE_FORMAT_PCM, 2, 48000, 48000 * 4, 4, 16, 0};
    DSBUFFERDESC bd{36, DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME, DWORD(samples.size()), 0, &bwfx, GUID_NULL};
    IDirectSoundBuffer* buf = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&bd, &buf, nullptr), DS_OK);
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(buf->Lock(0, DWORD(samples.size()), &p1, &n1, &p2, &n2, 0), DS_OK);
    std::memcpy(p1, samples.data(), n1);
    buf->Unlock(p1, n1, p2, n2);
    ASSERT_EQ(buf->SetVolume(0), DS_OK);
    ASSERT_EQ(buf->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(DirectSoundOutputFormat(ds), "48000 Hz, S32_LE");
    DWORD status = DSBSTATUS_PLAYING;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (SUCCEEDED(buf->GetStatus(&status)) && (status & DSBSTATUS_PLAYING)) {
        ASSERT_LT(std::chrono::steady_clock::now(), until);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    buf->Release();
    ds->Release();

    const std::vector<std::int16_t> s = alsatest::ReadSamples16(alsatest::TheHome().RawPath("card8"));
    std::vector<std::int16_t> want(samples.size() / 2);
    std::memcpy(want.data(), samples.data(), samples.size());
    const std::size_t total = s.size() / 8;
    std::size_t start = 0;
    while (start < total && s[start * 8 + 2] == 0 && s[start * 8 + 3] == 0) ++start;
    ASSERT_GT(start, 0u);
    --start;  // the start ramps up from silence: its first frame is 0
    const std::size_t ramp = audio::kRampFrames;
    ASSERT_LE(start + frames, total);
    for (std::size_t f = 0; f < total; ++f) {
        for (unsigned c = 0; c < 8; ++c) {
            const bool ours = (c == 2 || c == 3) && f >= start && f < start + frames;
            const std::int16_t expect = ours ? want[(f - start) * 2 + (c - 2)] : 0;
            if (ours && f < start + ramp) {
                ASSERT_LE(std::abs(s[f * 8 + c]), std::abs(expect) + 1) << "frame " << f << " ch " << c;
            } else {
                ASSERT_EQ(s[f * 8 + c], expect) << "frame " << f << " ch " << c;
            }
        }
    }
}

TEST_F(AlsaService, AnOutputThatCannotBeOpenedSaysWhichAndWhy) {
    std::size_t at = 0;
    while (at < list.descriptions.size() && list.descriptions[at] != L"Assente") ++at;
    ASSERT_LT(at, list.descriptions.size());
    IDirectSound8* ds = nullptr;
    EXPECT_EQ(DirectSoundCreate8(&list.ids[at], &ds, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(ds, nullptr);
    const std::string why = DirectSoundLastOpenError();
    EXPECT_NE(why.find("\"missing\""), std::string::npos) << why;
}

}  // namespace
