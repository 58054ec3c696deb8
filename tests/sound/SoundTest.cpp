// The sound layer over the virtual back end: managers, sounds, their failures
// and the buffer fill.
#include <QTemporaryDir>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/WavBuilder.h"
#include "platform/audio/Mixer.h"
#include "platform/audio/virtual/VirtualBackend.h"
#include "platform/ui/Messages.h"
#include "sound/SoundOutput.h"

namespace {

using wavbuild::Bytes;

WAVEFORMATEX Wfx(WORD channels, DWORD rate, WORD bits) {
    WAVEFORMATEX w{WAVE_FORMAT_PCM, channels, rate, 0, static_cast<WORD>(channels * (bits / 8)), bits, 0};
    w.nAvgBytesPerSec = rate * w.nBlockAlign;
    return w;
}

Bytes Contents(LPDIRECTSOUNDBUFFER b) {
    void* p = nullptr;
    DWORD n = 0;
    DSBCAPS caps{20, 0, 0, 0, 0};
    if (FAILED(b->GetCaps(&caps)) || FAILED(b->Lock(0, caps.dwBufferBytes, &p, &n, nullptr, nullptr, 0))) return {};
    Bytes out(static_cast<BYTE*>(p), static_cast<BYTE*>(p) + n);
    b->Unlock(p, n, nullptr, 0);
    return out;
}

class SoundLayer : public ::testing::Test {
protected:
    void SetUp() override {
        vb = audio::VirtualBackend::Install(audio::VirtualBackend::UA101Outputs());
        ASSERT_EQ(S_OK, sm.Initialize(nullptr, DSSCL_PRIORITY, const_cast<GUID*>(&vb->Id(1))));
        ASSERT_EQ(S_OK, sm.SetPrimaryFormat(1, 44100, 16));
    }
    std::wstring Write(const std::string& name, const Bytes& image) {
        const std::string path = dir.path().toStdString() + "/" + name;
        EXPECT_TRUE(wavbuild::WriteFile(path, image));
        return QString::fromStdString(path).toStdWString();
    }
    std::wstring Mono16File(const std::string& name, std::uint32_t frames, Bytes* samples = nullptr) {
        wavbuild::Format f{1, 1, 44100, 16};
        Bytes s = wavbuild::Samples(f, frames);
        if (samples) *samples = s;
        return Write(name, wavbuild::Wave(f, s));
    }

    QTemporaryDir dir;
    std::shared_ptr<audio::VirtualBackend> vb;
    CSoundManager sm;
    MessageObserver messages;
};

CSound* const kUntouched = reinterpret_cast<CSound*>(0x5A5A);

TEST_F(SoundLayer, CreateRefusesQuietly) {
    const std::wstring good = Mono16File("good.wav", 100);
    wavbuild::Format f{1, 1, 44100, 16};
    const std::wstring empty = Write("empty.wav", wavbuild::Wave(f, {}));
    const std::wstring missing = dir.path().toStdWString() + L"/nothing.wav";
    const std::wstring notWave = Write("text.wav", wavbuild::Text("just some text, no RIFF"));
    CSoundManager fresh;
    struct Case {
        const char* what;
        CSoundManager* manager;
        const wchar_t* name;
        DWORD count;
        HRESULT expected;
    } cases[] = {
        {"missing file", &sm, missing.c_str(), 1, E_FAIL},
        {"empty data chunk", &sm, empty.c_str(), 1, E_FAIL},
        {"not a wave", &sm, notWave.c_str(), 1, E_FAIL},
        {"count 0", &sm, good.c_str(), 0, E_INVALIDARG},
        {"no name", &sm, nullptr, 1, E_INVALIDARG},
        {"uninitialised manager", &fresh, good.c_str(), 1, CO_E_NOTINITIALIZED},
    };
    for (const Case& c : cases) {
        CSound* out = kUntouched;
        EXPECT_EQ(c.expected, c.manager->Create(&out, c.name, 0x280, GUID_NULL, c.count)) << c.what;
        EXPECT_EQ(out, kUntouched) << c.what;
    }
    EXPECT_EQ(CO_E_NOTINITIALIZED, fresh.SetPrimaryFormat(1, 44100, 16));
    BYTE data[4] = {};
    WAVEFORMATEX w = Wfx(1, 44100, 16);
    CSound* out = kUntouched;
    EXPECT_EQ(E_INVALIDARG, sm.CreateFromData(&out, nullptr, 4, &w, 0, GUID_NULL, 1));
    EXPECT_EQ(E_INVALIDARG, sm.CreateFromData(&out, data, 4, &w, 0, GUID_NULL, 0));
    EXPECT_EQ(CO_E_NOTINITIALIZED, fresh.CreateFromData(&out, data, 4, &w, 0, GUID_NULL, 1));
    EXPECT_EQ(out, kUntouched);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(messages.beeps, 0);
}

TEST_F(SoundLayer, RefusedBufferZeroBeepsAndShowsTheOneMessage) {
    const std::wstring good = Mono16File("good.wav", 100);
    vb->Faults(1).createBuffer = DSERR_BADFORMAT;
    CSound* out = kUntouched;
    EXPECT_EQ(DSERR_BADFORMAT, sm.Create(&out, good.c_str(), 0x280, GUID_NULL, 1));
    EXPECT_EQ(out, kUntouched);
    EXPECT_EQ(messages.beeps, 1);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Error in: CSoundManager::Create");
    EXPECT_EQ(messages.messages[0].caption, "Sondarium");
    EXPECT_EQ(messages.messages[0].icon, MsgIcon::Error);
    EXPECT_TRUE(messages.messages[0].beepBefore);

    // From data, and for a further buffer, the refusal is only a code.
    messages.clear();
    BYTE data[8] = {};
    WAVEFORMATEX w = Wfx(1, 44100, 16);
    EXPECT_EQ(DSERR_BADFORMAT, sm.CreateFromData(&out, data, 8, &w, 0, GUID_NULL, 1));
    vb->Faults(1).createBufferSkip = 1;
    EXPECT_EQ(DSERR_BADFORMAT, sm.Create(&out, good.c_str(), 0x280, GUID_NULL, 2));
    EXPECT_EQ(out, kUntouched);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(messages.beeps, 0);
    EXPECT_EQ(vb->Faults(1).buffersCreated, 1);
}

TEST_F(SoundLayer, NoVirtualizationIsRememberedFromFilesOnly) {
    const std::wstring good = Mono16File("good.wav", 100);
    vb->Faults(1).createBuffer = DS_NO_VIRTUALIZATION;
    CSound* fromFile = nullptr;
    EXPECT_EQ(DS_NO_VIRTUALIZATION, sm.Create(&fromFile, good.c_str(), 0x280, GUID_NULL, 1));
    std::unique_ptr<CSound> a(fromFile);
    BYTE data[8] = {};
    WAVEFORMATEX w = Wfx(1, 44100, 16);
    CSound* fromData = nullptr;
    EXPECT_EQ(S_OK, sm.CreateFromData(&fromData, data, 8, &w, 0, GUID_NULL, 1));
    std::unique_ptr<CSound> b(fromData);
    ASSERT_NE(fromData, nullptr);
}

TEST_F(SoundLayer, ExtraBuffersAreDuplicatesUnlessEffectsAreAsked) {
    Bytes samples;
    const std::wstring name = Mono16File("three.wav", 300, &samples);
    struct Case {
        DWORD flags;
        bool shared;
    } cases[] = {{DSBCAPS_CTRLVOLUME, true}, {DSBCAPS_CTRLFX | DSBCAPS_CTRLVOLUME, false}};
    for (const Case& c : cases) {
        CSound* raw = nullptr;
        ASSERT_EQ(S_OK, sm.Create(&raw, name.c_str(), c.flags, GUID_NULL, 3));
        std::unique_ptr<CSound> snd(raw);
        ASSERT_EQ(snd->m_dwBufferCount, 3u);
        EXPECT_EQ(snd->m_dwBufferBytes, samples.size());
        EXPECT_EQ(snd->GetBuffer(3), nullptr);
        for (DWORD i = 0; i < 3; ++i) {
            ASSERT_NE(snd->GetBuffer(i), nullptr);
            EXPECT_EQ(Contents(snd->GetBuffer(i)), i == 0 || c.shared ? samples : Bytes(samples.size(), 0))
                << "buffer " << i << " flags " << c.flags;
        }
        EXPECT_NE(snd->GetBuffer(1), snd->GetBuffer(2));
        // Buffer 2 plays while buffer 0 is stopped: positions are their own.
        snd->GetBuffer(2)->Play(0, 0, DSBPLAY_LOOPING);
        vb->Render(1, 50);
        DWORD p0 = 1, p2 = 0;
        snd->GetBuffer(0)->GetCurrentPosition(&p0, nullptr);
        snd->GetBuffer(2)->GetCurrentPosition(&p2, nullptr);
        EXPECT_EQ(p0, 0u);
        EXPECT_EQ(p2, 100u);
    }
}

TEST_F(SoundLayer, StopAndResetCombineTheBuffersAnswers) {
    const std::wstring name = Mono16File("two.wav", 200);
    CSound* raw = nullptr;
    ASSERT_EQ(S_OK, sm.Create(&raw, name.c_str(), 0x280, GUID_NULL, 2));
    std::unique_ptr<CSound> snd(raw);
    EXPECT_EQ(S_OK, snd->Stop()) << "stopping a stopped sound";
    for (DWORD i = 0; i < 2; ++i) snd->GetBuffer(i)->Play(0, 0, DSBPLAY_LOOPING);
    vb->Render(1, 40);
    EXPECT_EQ(S_OK, snd->Stop());
    DWORD pos = 0, status = 1;
    snd->GetBuffer(1)->GetCurrentPosition(&pos, nullptr);
    snd->GetBuffer(1)->GetStatus(&status);
    EXPECT_EQ(pos, 80u) << "Stop keeps the position";
    EXPECT_EQ(status, 0u);
    snd->GetBuffer(0)->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(S_OK, snd->Reset());
    snd->GetBuffer(0)->GetStatus(&status);
    EXPECT_TRUE(status & DSBSTATUS_PLAYING) << "Reset does not stop";
    snd->GetBuffer(1)->GetCurrentPosition(&pos, nullptr);
    EXPECT_EQ(pos, 0u);

    vb->FailStream(1, DSERR_NODRIVER);
    EXPECT_EQ(DSERR_NODRIVER, snd->Reset());
    vb->FailStream(1, DS_OK);

    CSound empty(nullptr, 0, 0, nullptr, 0);
    EXPECT_EQ(CO_E_NOTINITIALIZED, empty.Stop());
    EXPECT_EQ(CO_E_NOTINITIALIZED, empty.Reset());
    EXPECT_EQ(empty.GetBuffer(0), nullptr);
}

TEST_F(SoundLayer, PrimaryFormatIsBuiltFromChannelsRateAndBits) {
    struct Case {
        WORD channels;
        DWORD rate;
        WORD bits;
        std::uint32_t blockAlign, bytesPerSecond;
    } cases[] = {{1, 44100, 16, 2, 88200}, {2, 48000, 24, 6, 288000}, {2, 96000, 32, 8, 768000}};
    for (const Case& c : cases) {
        ASSERT_EQ(S_OK, sm.SetPrimaryFormat(c.channels, c.rate, c.bits));
        DSBUFFERDESC d{36, DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr, GUID_NULL};
        LPDIRECTSOUNDBUFFER primary = nullptr;
        ASSERT_EQ(DS_OK, sm.m_pDevice->CreateSoundBuffer(&d, &primary, nullptr));
        WAVEFORMATEX w{};
        primary->GetFormat(&w, sizeof w, nullptr);
        primary->Release();
        EXPECT_EQ(w.nBlockAlign, c.blockAlign);
        EXPECT_EQ(w.nAvgBytesPerSec, c.bytesPerSecond);
        EXPECT_EQ(vb->Channels(1), c.channels);
        EXPECT_EQ(vb->Rate(1), c.rate);
        EXPECT_EQ(vb->Bits(1), c.bits);
    }
    vb->Faults(1).primaryFormat = DSERR_BADFORMAT;
    EXPECT_EQ(DSERR_BADFORMAT, sm.SetPrimaryFormat(1, 44100, 16));
}

TEST_F(SoundLayer, InitializeAnswersTheServicesCode) {
    vb->RefuseOpen(2, DSERR_ALLOCATED, "busy");
    CSoundManager refused;
    EXPECT_EQ(DSERR_ALLOCATED, refused.Initialize(nullptr, DSSCL_PRIORITY, const_cast<GUID*>(&vb->Id(2))));
    EXPECT_EQ(refused.m_pDevice, nullptr);
    vb->Faults(3).cooperativeLevel = DSERR_ALLOCATED;
    CSoundManager noLevel;
    EXPECT_EQ(DSERR_ALLOCATED, noLevel.Initialize(nullptr, DSSCL_PRIORITY, const_cast<GUID*>(&vb->Id(3))));
    EXPECT_NE(noLevel.m_pDevice, nullptr) << "the device stays held";
    CSoundManager byDefault;
    EXPECT_EQ(S_OK, byDefault.Initialize(nullptr, DSSCL_PRIORITY, nullptr));
    EXPECT_EQ(vb->OpenStreams(0), 1);
}

TEST_F(SoundLayer, FillPadsWithSilenceOrRepeatsTheWave) {
    struct Case {
        WORD bits;
        BYTE silence;
    } cases[] = {{8, 0x80}, {16, 0x00}};
    for (const Case& c : cases) {
        Bytes wave(600);
        for (std::size_t i = 0; i < wave.size(); ++i) wave[i] = static_cast<BYTE>(i * 7 + 1);
        WAVEFORMATEX w = Wfx(1, 44100, c.bits);
        DSBUFFERDESC d{36, 0, 1000, 0, &w, GUID_NULL};
        LPDIRECTSOUNDBUFFER b = nullptr;
        ASSERT_EQ(DS_OK, sm.m_pDevice->CreateSoundBuffer(&d, &b, nullptr));
        auto* reader = new CWaveFile();
        reader->OpenFromData(wave.data(), static_cast<ULONG>(wave.size()), &w, WAVEFILE_READ);
        CSound snd(&b, 1000, 1, reader, 0);  // fills without repeat

        Bytes expect = wave;
        expect.resize(1000, c.silence);
        EXPECT_EQ(Contents(b), expect) << c.bits << " bits";

        ASSERT_EQ(S_OK, snd.FillBufferWithSound(b, true));
        std::copy(wave.begin(), wave.begin() + 400, expect.begin() + 600);
        EXPECT_EQ(Contents(b), expect) << c.bits << " bits, repeated";
    }
    CSound none(nullptr, 0, 0, nullptr, 0);
    EXPECT_EQ(CO_E_NOTINITIALIZED, none.FillBufferWithSound(nullptr, false));
    EXPECT_EQ(CO_E_NOTINITIALIZED, none.RestoreBuffer(nullptr, nullptr));
}

TEST_F(SoundLayer, ABufferLostAtCreationIsRestoredBeforeItIsFilled) {
    Bytes samples;
    const std::wstring name = Mono16File("lost.wav", 100, &samples);
    auto& f = vb->Faults(1);
    f.lostAtCreation = true;
    f.restoreStillLost = 2;
    CSound* raw = nullptr;
    ASSERT_EQ(S_OK, sm.Create(&raw, name.c_str(), 0x280, GUID_NULL, 1));
    std::unique_ptr<CSound> snd(raw);
    EXPECT_EQ(f.restoreCalls, 3);
    DWORD status = 1;
    snd->GetBuffer(0)->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(Contents(snd->GetBuffer(0)), samples);

    bool restored = true;
    EXPECT_EQ(S_FALSE, snd->RestoreBuffer(snd->GetBuffer(0), &restored)) << "nothing to restore";
    EXPECT_FALSE(restored);
    vb->LoseBuffers(1);
    EXPECT_EQ(S_OK, snd->RestoreBuffer(snd->GetBuffer(0), &restored));
    EXPECT_TRUE(restored);
}

TEST_F(SoundLayer, ARestoreThatStaysLostGivesUpButTheSoundIsMade) {
    const std::wstring name = Mono16File("stuck.wav", 100);
    vb->Faults(1).lostAtCreation = true;
    vb->Faults(1).restoreStillLost = 1000000;
    CSound* raw = nullptr;
    ASSERT_EQ(S_OK, sm.Create(&raw, name.c_str(), 0x280, GUID_NULL, 1));
    std::unique_ptr<CSound> snd(raw);
    bool restored = true;
    EXPECT_EQ(DSERR_BUFFERLOST, snd->RestoreBuffer(snd->GetBuffer(0), &restored));
    EXPECT_FALSE(restored);
    EXPECT_EQ(DSERR_BUFFERLOST, snd->FillBufferWithSound(snd->GetBuffer(0), false));
}

TEST_F(SoundLayer, CreateFromDataTakesEveryByteAsSamples) {
    wavbuild::Format f{1, 1, 44100, 16};
    const Bytes image = wavbuild::Wave(f, wavbuild::Samples(f, 1000));
    WAVEFORMATEX w = Wfx(1, 44100, 16);
    CSound* raw = nullptr;
    {
        Bytes copy = image;  // the caller's bytes need not outlive the call
        ASSERT_EQ(S_OK, sm.CreateFromData(&raw, copy.data(), static_cast<ULONG>(copy.size()), &w, 0, GUID_NULL, 1));
    }
    std::unique_ptr<CSound> snd(raw);
    const Bytes held = Contents(snd->GetBuffer(0));
    ASSERT_EQ(held.size(), image.size());
    EXPECT_EQ(held, image);
    EXPECT_EQ(std::memcmp(held.data(), "RIFF", 4), 0);
}

TEST_F(SoundLayer, ASoundPlaysItsFileBitForBit) {
    Bytes samples;
    const std::wstring name = Mono16File("play.wav", 500, &samples);
    CSound* raw = nullptr;
    ASSERT_EQ(S_OK, sm.Create(&raw, name.c_str(), 0x280, GUID_NULL, 1));
    std::unique_ptr<CSound> snd(raw);
    snd->GetBuffer(0)->SetVolume(0);
    snd->GetBuffer(0)->Play(0, 0, 0);
    const auto out = vb->RenderInt16(1, 500);
    ASSERT_EQ(out.size(), 500u);
    const std::size_t ramp = audio::kRampFrames;  // the start ramps up from silence
    EXPECT_EQ(std::memcmp(out.data() + ramp, samples.data() + ramp * 2, samples.size() - ramp * 2), 0);
}

TEST(SoundLayerLifetime, SoundsOutlivingTheirManagerFailCleanly) {
    auto vb = audio::VirtualBackend::Install(audio::VirtualBackend::UA101Outputs());
    auto sm = std::make_unique<CSoundManager>();
    ASSERT_EQ(S_OK, sm->Initialize(nullptr, DSSCL_PRIORITY, const_cast<GUID*>(&vb->Id(4))));
    BYTE data[64] = {};
    WAVEFORMATEX w = Wfx(1, 44100, 16);
    CSound* raw = nullptr;
    ASSERT_EQ(S_OK, sm->CreateFromData(&raw, data, 64, &w, DSBCAPS_CTRLVOLUME, GUID_NULL, 2));
    std::unique_ptr<CSound> snd(raw);
    snd->GetBuffer(0)->Play(0, 0, DSBPLAY_LOOPING);
    sm.reset();
    EXPECT_EQ(vb->OpenStreams(4), 0);
    EXPECT_TRUE(FAILED(snd->Stop()));
    EXPECT_TRUE(FAILED(snd->Reset()));
    EXPECT_TRUE(FAILED(snd->GetBuffer(0)->Play(0, 0, DSBPLAY_LOOPING)));
    EXPECT_TRUE(FAILED(snd->GetBuffer(0)->SetVolume(-100)));
    EXPECT_TRUE(FAILED(snd->FillBufferWithSound(snd->GetBuffer(0), false)));
}

}  // namespace
