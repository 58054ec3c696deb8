#include "platform/audio/SampleFormat.h"

#include <cstring>

#include "platform/audio/DSound.h"

namespace audio {

namespace {
constexpr WORD kWaveFormatExtensible = 0xFFFE;
constexpr WORD kExtensibleExtra = 22;  // valid bits, channel mask, sub-format GUID
}  // namespace

HRESULT ParseFormat(const WAVEFORMATEX* wfx, SampleFormat& out) {
    if (!wfx) return DSERR_INVALIDPARAM;
    WORD tag = wfx->wFormatTag;
    if (tag == kWaveFormatExtensible) {
        if (wfx->cbSize < kExtensibleExtra) return DSERR_BADFORMAT;
        // The sub-format GUID follows valid bits (2) and the channel mask (4);
        // its first two bytes carry the plain tag.
        WORD sub = 0;
        std::memcpy(&sub, reinterpret_cast<const BYTE*>(wfx) + sizeof(WAVEFORMATEX) + 6, sizeof sub);
        tag = sub;
    }
    SampleFormat f;
    f.bits = wfx->wBitsPerSample;
    if (tag == WAVE_FORMAT_PCM) {
        switch (f.bits) {
            case 8: f.kind = SampleKind::U8; break;
            case 16: f.kind = SampleKind::S16; break;
            case 24: f.kind = SampleKind::S24; break;
            case 32: f.kind = SampleKind::S32; break;
            default: return DSERR_BADFORMAT;
        }
    } else if (tag == WAVE_FORMAT_IEEE_FLOAT && f.bits == 32) {
        f.kind = SampleKind::F32;
    } else {
        return DSERR_BADFORMAT;
    }
    f.channels = wfx->nChannels;
    f.rate = wfx->nSamplesPerSec;
    if (f.channels < 1 || f.channels > kMaxChannels) return DSERR_BADFORMAT;
    if (f.rate < kMinRate || f.rate > kMaxRate) return DSERR_BADFORMAT;
    f.blockAlign = f.channels * (f.bits / 8);
    if (wfx->nBlockAlign != f.blockAlign) return DSERR_BADFORMAT;
    out = f;
    return DS_OK;
}

WAVEFORMATEX ToWaveFormat(const SampleFormat& f) {
    WAVEFORMATEX w{};
    w.wFormatTag = f.kind == SampleKind::F32 ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    w.nChannels = static_cast<WORD>(f.channels);
    w.nSamplesPerSec = f.rate;
    w.nBlockAlign = static_cast<WORD>(f.blockAlign);
    w.nAvgBytesPerSec = f.rate * f.blockAlign;
    w.wBitsPerSample = static_cast<WORD>(f.bits);
    return w;
}

}  // namespace audio
