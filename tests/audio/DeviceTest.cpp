// Device objects and buffers of the audio service: the output list, creation,
// validation, reference counts, lifetimes and the failures a back end reports.
#include <string>
#include <vector>

#include "AudioRig.h"

using namespace audiotest;

namespace {

struct Listed {
    bool hasId;
    GUID id;
    std::wstring description;
    std::wstring module;
};

BOOL Collect(LPGUID guid, const wchar_t* description, const wchar_t* module, void* context) {
    auto* list = static_cast<std::vector<Listed>*>(context);
    list->push_back({guid != nullptr, guid ? *guid : GUID_NULL, description, module});
    return list->size() < 3 ? TRUE : FALSE;
}

TEST(DirectSound, EnumeratesInListingOrderWithWideDescriptionsAndStopsWhenAsked) {
    auto vb = audio::VirtualBackend::Install(audio::VirtualBackend::Outputs(
        {"Driver audio principale", "OUT 1-2 (1:UA-101)", "Uscita \xC3\xA8 \xE2\x82\xAC", "never reached"}, true));
    std::vector<Listed> list;
    ASSERT_EQ(DS_OK, DirectSoundEnumerateW(Collect, &list));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_FALSE(list[0].hasId);
    EXPECT_EQ(list[0].description, L"Driver audio principale");
    EXPECT_TRUE(list[1].hasId);
    EXPECT_EQ(list[1].id, vb->Id(1));
    EXPECT_EQ(list[2].description, L"Uscita \u00E8 \u20AC");
    EXPECT_EQ(list[2].module, L"");
    EXPECT_EQ(DSERR_INVALIDPARAM, DirectSoundEnumerateW(nullptr, nullptr));
}

TEST(DirectSound, CreationFailuresKeepTheirReason) {
    auto vb = audio::VirtualBackend::Install(audio::VirtualBackend::Outputs({"one", "two"}));
    IDirectSound8* ds = reinterpret_cast<IDirectSound8*>(0x1);
    const GUID unknown = audio::VirtualBackend::IdFor(77);
    EXPECT_EQ(DSERR_NODRIVER, DirectSoundCreate8(&unknown, &ds, nullptr));
    EXPECT_EQ(ds, nullptr);
    EXPECT_NE(std::string(DirectSoundLastOpenError()), "");
    EXPECT_EQ(DSERR_NODRIVER, DirectSoundCreate8(nullptr, &ds, nullptr)) << "this list has no default output";

    vb->RefuseOpen(1, DSERR_ALLOCATED, "OUT 3-4: device busy");
    EXPECT_EQ(DSERR_ALLOCATED, DirectSoundCreate8(&vb->Id(1), &ds, nullptr));
    EXPECT_EQ(std::string(DirectSoundLastOpenError()), "OUT 3-4: device busy");

    ASSERT_EQ(DS_OK, DirectSoundCreate8(&vb->Id(0), &ds, nullptr));
    EXPECT_EQ(std::string(DirectSoundLastOpenError()), "");
    EXPECT_EQ(vb->OpenStreams(0), 1);
    EXPECT_EQ(ds->Release(), 0u);
    EXPECT_EQ(vb->OpenStreams(0), 0);
}

TEST(DirectSound, BufferDescriptionsAreJudged) {
    struct Case {
        const char* what;
        WAVEFORMATEX format;
        DWORD bytes;
        DWORD size;
        HRESULT expected;
    } cases[] = {
        {"16-bit mono", Format(1, 44100, 16), 1000, 36, DS_OK},
        {"8-bit stereo", Format(2, 8000, 8), 1000, 36, DS_OK},
        {"24-bit 6 channels", Format(6, 96000, 24), 1800, 36, DS_OK},
        {"32-bit float 8 channels", Format(8, 384000, 32, WAVE_FORMAT_IEEE_FLOAT), 3200, 36, DS_OK},
        {"size not a multiple of the block", Format(2, 44100, 16), 1001, 36, DS_OK},
        {"full record size", Format(1, 44100, 16), 1000, sizeof(DSBUFFERDESC), DS_OK},
        {"12-bit", Format(1, 44100, 12), 1000, 36, DSERR_BADFORMAT},
        {"64-bit float", Format(1, 44100, 64, WAVE_FORMAT_IEEE_FLOAT), 1000, 36, DSERR_BADFORMAT},
        {"16-bit float", Format(1, 44100, 16, WAVE_FORMAT_IEEE_FLOAT), 1000, 36, DSERR_BADFORMAT},
        {"9 channels", Format(9, 44100, 16), 1800, 36, DSERR_BADFORMAT},
        {"no channels", Format(0, 44100, 16), 1000, 36, DSERR_BADFORMAT},
        {"rate too low", Format(1, 999, 16), 1000, 36, DSERR_BADFORMAT},
        {"rate too high", Format(1, 384001, 16), 1000, 36, DSERR_BADFORMAT},
        {"unknown tag", Format(1, 44100, 16, 2), 1000, 36, DSERR_BADFORMAT},
        {"size 0", Format(1, 44100, 16), 0, 36, DSERR_INVALIDPARAM},
        {"absurd size", Format(1, 44100, 16), 0xFFFFFFF0u, 36, DSERR_INVALIDPARAM},
        {"wrong record size", Format(1, 44100, 16), 1000, 20, DSERR_INVALIDPARAM},
    };
    Rig rig;
    for (Case& c : cases) {
        DSBUFFERDESC d{c.size, DSBCAPS_CTRLVOLUME, c.bytes, 0, &c.format, GUID_NULL};
        IDirectSoundBuffer* b = nullptr;
        EXPECT_EQ(c.expected, rig.ds->CreateSoundBuffer(&d, &b, nullptr)) << c.what;
        EXPECT_EQ(b != nullptr, SUCCEEDED(c.expected)) << c.what;
        if (b) b->Release();
    }
    WAVEFORMATEX bad = Format(2, 44100, 16);
    bad.nBlockAlign = 3;
    DSBUFFERDESC d{36, 0, 1000, 0, &bad, GUID_NULL};
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(DSERR_BADFORMAT, rig.ds->CreateSoundBuffer(&d, &b, nullptr));
    d.lpwfxFormat = nullptr;
    EXPECT_EQ(DSERR_INVALIDPARAM, rig.ds->CreateSoundBuffer(&d, &b, nullptr));
}

TEST(DirectSound, PrimaryFormatNeedsThePriorityLevel) {
    Rig rig;
    EXPECT_EQ(DS_OK, rig.SetPrimary(2, 48000, 24));
    EXPECT_EQ(rig.vb->Rate(0), 48000u);
    EXPECT_EQ(rig.vb->Channels(0), 2u);
    EXPECT_EQ(rig.vb->Bits(0), 24u);
    EXPECT_GE(rig.vb->FormatChanges(0), 1);
    EXPECT_EQ(DSERR_BADFORMAT, rig.SetPrimary(2, 48000, 20));

    ASSERT_EQ(DS_OK, rig.ds->SetCooperativeLevel(nullptr, DSSCL_NORMAL));
    EXPECT_EQ(DSERR_PRIOLEVELNEEDED, rig.SetPrimary(1, 44100, 16));
    EXPECT_EQ(DSERR_INVALIDPARAM, rig.ds->SetCooperativeLevel(nullptr, 9));
}

TEST(DirectSound, BufferControlsAnswerTheirCodes) {
    Rig rig;
    auto plain = rig.Mono16(std::vector<std::int16_t>(100), 44100, 0);
    auto ctrl = rig.Mono16(std::vector<std::int16_t>(100));
    EXPECT_EQ(DSERR_CONTROLUNAVAIL, plain->SetVolume(-100));
    const LONG volumes[] = {-10001, 1, -20000};
    for (LONG v : volumes) EXPECT_EQ(DSERR_INVALIDPARAM, ctrl->SetVolume(v)) << v;
    EXPECT_EQ(DS_OK, ctrl->SetVolume(-10000));
    LONG v = 1;
    EXPECT_EQ(DS_OK, ctrl->GetVolume(&v));
    EXPECT_EQ(v, -10000);

    DSBCAPS caps{};
    caps.dwSize = 20;
    ASSERT_EQ(DS_OK, ctrl->GetCaps(&caps));
    EXPECT_EQ(caps.dwBufferBytes, 200u);
    EXPECT_TRUE(caps.dwFlags & DSBCAPS_CTRLVOLUME);

    void* p1 = nullptr;
    DWORD n1 = 0;
    EXPECT_EQ(DSERR_INVALIDPARAM, ctrl->Lock(0, 201, &p1, &n1, nullptr, nullptr, 0));
    EXPECT_EQ(DSERR_INVALIDPARAM, ctrl->Lock(100, 150, &p1, &n1, nullptr, nullptr, 0)) << "wraps, no second region";

    DWORD status = 0;
    ctrl->Play(0, 0, DSBPLAY_LOOPING);
    ctrl->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    ctrl->Stop();
    ctrl->GetStatus(&status);
    EXPECT_EQ(status, 0u);
}

TEST(DirectSound, QueryInterfaceAndReferenceCounts) {
    Rig rig;
    auto b = rig.Mono16(std::vector<std::int16_t>(100));
    IDirectSoundBuffer8* b8 = nullptr;
    ASSERT_EQ(S_OK, b->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&b8)));
    ASSERT_NE(b8, nullptr);
    IDirectSoundBuffer* b1 = nullptr;
    ASSERT_EQ(S_OK, b->QueryInterface(IID_IDirectSoundBuffer, reinterpret_cast<void**>(&b1)));
    EXPECT_EQ(b1->Release(), 2u);
    DWORD play = 1, write = 1;
    EXPECT_EQ(DS_OK, b8->GetCurrentPosition(&play, &write));
    EXPECT_EQ(b8->Release(), 1u);
    void* other = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, b->QueryInterface(audio::VirtualBackend::IdFor(3), &other));
    EXPECT_EQ(other, nullptr);
}

TEST(DirectSound, BuffersOutlivingTheirDeviceFailCleanly) {
    Rig rig;
    auto b = rig.Mono16(std::vector<std::int16_t>(100));
    IDirectSoundBuffer* dup = nullptr;
    ASSERT_EQ(DS_OK, rig.ds->DuplicateSoundBuffer(b.get(), &dup));
    b->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(rig.ds->Release(), 0u);
    rig.ds = nullptr;
    EXPECT_EQ(rig.vb->OpenStreams(0), 0);

    DWORD d = 0;
    void* p = nullptr;
    DSBCAPS caps{20, 0, 0, 0, 0};
    EXPECT_EQ(DSERR_NODRIVER, b->Play(0, 0, DSBPLAY_LOOPING));
    EXPECT_EQ(DSERR_NODRIVER, b->Stop());
    EXPECT_EQ(DSERR_NODRIVER, b->SetVolume(0));
    EXPECT_EQ(DSERR_NODRIVER, b->SetCurrentPosition(0));
    EXPECT_EQ(DSERR_NODRIVER, b->GetCurrentPosition(&d, &d));
    EXPECT_EQ(DSERR_NODRIVER, b->GetStatus(&d));
    EXPECT_EQ(DSERR_NODRIVER, b->Lock(0, 10, &p, &d, nullptr, nullptr, 0));
    EXPECT_EQ(DSERR_NODRIVER, b->Restore());
    EXPECT_EQ(DSERR_NODRIVER, dup->GetCaps(&caps));
    EXPECT_EQ(dup->Release(), 0u);
}

TEST(DirectSound, AFailedStreamFailsTheBufferCalls) {
    Rig rig;
    auto b = rig.Mono16(std::vector<std::int16_t>(100));
    b->Play(0, 0, DSBPLAY_LOOPING);
    const HRESULT gone = DSERR_NODRIVER;
    rig.vb->FailStream(0, gone);
    DWORD d = 0;
    EXPECT_EQ(gone, b->Play(0, 0, DSBPLAY_LOOPING));
    EXPECT_EQ(gone, b->SetVolume(-100));
    EXPECT_EQ(gone, b->GetCurrentPosition(&d, &d));
    EXPECT_EQ(gone, b->SetCurrentPosition(0));
    rig.vb->FailStream(0, DS_OK);
    EXPECT_EQ(DS_OK, b->SetVolume(-100));
}

TEST(DirectSound, InjectedRefusalsReachTheirCalls) {
    Rig rig;
    auto& f = rig.vb->Faults(0);
    f.cooperativeLevel = DSERR_ALLOCATED;
    EXPECT_EQ(DSERR_ALLOCATED, rig.ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY));
    f.cooperativeLevel = DS_OK;
    f.primaryFormat = DSERR_BADFORMAT;
    EXPECT_EQ(DSERR_BADFORMAT, rig.SetPrimary(1, 44100, 16));
    f.primaryFormat = DS_OK;

    f.createBuffer = DSERR_OUTOFMEMORY;
    f.createBufferSkip = 1;
    auto first = rig.Mono16(std::vector<std::int16_t>(100));
    ASSERT_NE(first, nullptr);
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(DSERR_OUTOFMEMORY, rig.ds->DuplicateSoundBuffer(first.get(), &b));
    EXPECT_EQ(b, nullptr);
    f.createBuffer = DS_NO_VIRTUALIZATION;
    WAVEFORMATEX w = Format(1, 44100, 16);
    DSBUFFERDESC d{36, 0, 100, 0, &w, GUID_NULL};
    EXPECT_EQ(DS_NO_VIRTUALIZATION, rig.ds->CreateSoundBuffer(&d, &b, nullptr));
    ASSERT_NE(b, nullptr);
    b->Release();
}

TEST(DirectSound, LostBuffersReportItAndRestoreAfterTheStillLostAnswers) {
    Rig rig;
    auto b = rig.Mono16(std::vector<std::int16_t>(100, 1000));
    b->Play(0, 0, DSBPLAY_LOOPING);
    rig.vb->LoseBuffers(0);
    DWORD status = 0;
    ASSERT_EQ(DS_OK, b->GetStatus(&status));
    EXPECT_EQ(status, DSBSTATUS_BUFFERLOST) << "a lost buffer stops";
    EXPECT_EQ(DSERR_BUFFERLOST, b->Play(0, 0, 0));
    void* p = nullptr;
    DWORD n = 0;
    EXPECT_EQ(DSERR_BUFFERLOST, b->Lock(0, 200, &p, &n, nullptr, nullptr, 0));

    rig.vb->Faults(0).restoreStillLost = 2;
    EXPECT_EQ(DSERR_BUFFERLOST, b->Restore());
    EXPECT_EQ(DSERR_BUFFERLOST, b->Restore());
    EXPECT_EQ(DS_OK, b->Restore());
    b->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(DS_OK, b->Play(0, 0, 0));
}

}  // namespace
