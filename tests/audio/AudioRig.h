// A device object on a virtual output, and buffers filled from sample vectors.
#pragma once

#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "platform/audio/DSound.h"
#include "platform/audio/Mixer.h"
#include "platform/audio/virtual/VirtualBackend.h"

namespace audiotest {

// A start ramps up from silence over this many frames; samples come back
// bit for bit after it.
constexpr std::uint32_t kRamp = audio::kRampFrames;

struct Releaser {
    void operator()(IUnknown* p) const {
        if (p) p->Release();
    }
};
using BufferPtr = std::unique_ptr<IDirectSoundBuffer, Releaser>;

inline WAVEFORMATEX Format(WORD channels, DWORD rate, WORD bits, WORD tag = WAVE_FORMAT_PCM) {
    WAVEFORMATEX w{};
    w.wFormatTag = tag;
    w.nChannels = channels;
    w.nSamplesPerSec = rate;
    w.wBitsPerSample = bits;
    w.nBlockAlign = static_cast<WORD>(channels * (bits / 8));
    w.nAvgBytesPerSec = rate * w.nBlockAlign;
    return w;
}

template <class T>
std::vector<BYTE> Bytes(const std::vector<T>& samples) {
    std::vector<BYTE> b(samples.size() * sizeof(T));
    std::memcpy(b.data(), samples.data(), b.size());
    return b;
}

class Rig {
public:
    // `fixedRate`: the output runs at it whatever the primary format (a sound server's).
    explicit Rig(WORD channels = 1, DWORD rate = 44100, WORD bits = 16, DWORD fixedRate = 0) {
        vb = audio::VirtualBackend::Install(audio::VirtualBackend::Outputs({"Virtual 1", "Virtual 2"}));
        vb->FixRate(0, fixedRate);
        EXPECT_EQ(DS_OK, DirectSoundCreate8(&vb->Id(0), &ds, nullptr));
        EXPECT_EQ(DS_OK, ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY));
        SetPrimary(channels, rate, bits);
    }
    ~Rig() {
        if (ds) ds->Release();
    }
    HRESULT SetPrimary(WORD channels, DWORD rate, WORD bits, WORD tag = WAVE_FORMAT_PCM) {
        DSBUFFERDESC d{36, DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr, GUID_NULL};
        IDirectSoundBuffer* p = nullptr;
        HRESULT hr = ds->CreateSoundBuffer(&d, &p, nullptr);
        if (FAILED(hr)) return hr;
        WAVEFORMATEX w = Format(channels, rate, bits, tag);
        hr = p->SetFormat(&w);
        p->Release();
        return hr;
    }
    // A static buffer holding `data` (the buffer is as large as the data).
    BufferPtr Make(WAVEFORMATEX w, const std::vector<BYTE>& data, DWORD flags = DSBCAPS_CTRLVOLUME) {
        DSBUFFERDESC d{36, flags, static_cast<DWORD>(data.size()), 0, &w, GUID_NULL};
        IDirectSoundBuffer* b = nullptr;
        EXPECT_TRUE(SUCCEEDED(ds->CreateSoundBuffer(&d, &b, nullptr)));
        if (!b) return nullptr;
        Fill(b, data);
        return BufferPtr(b);
    }
    static void Fill(IDirectSoundBuffer* b, const std::vector<BYTE>& data) {
        void* p = nullptr;
        DWORD n = 0;
        ASSERT_EQ(DS_OK, b->Lock(0, static_cast<DWORD>(data.size()), &p, &n, nullptr, nullptr, 0));
        ASSERT_EQ(n, data.size());
        std::memcpy(p, data.data(), n);
        b->Unlock(p, n, nullptr, 0);
    }
    BufferPtr Mono16(const std::vector<std::int16_t>& s, DWORD rate = 44100, DWORD flags = DSBCAPS_CTRLVOLUME) {
        return Make(Format(1, rate, 16), Bytes(s), flags);
    }
    std::vector<float> Render(std::uint32_t frames) { return vb->Render(0, frames); }
    std::vector<std::int16_t> Render16(std::uint32_t frames) { return vb->RenderInt16(0, frames); }

    std::shared_ptr<audio::VirtualBackend> vb;
    IDirectSound8* ds = nullptr;
};

inline DWORD PlayCursor(IDirectSoundBuffer* b) {
    DWORD play = 0xFFFFFFFF, write = 0;
    EXPECT_EQ(DS_OK, b->GetCurrentPosition(&play, &write));
    return play;
}

}  // namespace audiotest
