#include "platform/audio/SoundBuffer.h"

#include <algorithm>

namespace audio {

namespace {
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x2;
constexpr GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// Size the primary buffer reports: a nominal mix period of this many frames.
constexpr DWORD kPrimaryFrames = 4096;
}  // namespace

// ---- common -------------------------------------------------------------

HRESULT BufferBase::QueryInterface(REFIID riid, void** ppvObject) {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    if (riid != IID_IDirectSoundBuffer8 && riid != IID_IDirectSoundBuffer && riid != IID_IUnknown)
        return E_NOINTERFACE;
    AddRef();
    *ppvObject = static_cast<IDirectSoundBuffer8*>(this);
    return S_OK;
}

ULONG BufferBase::AddRef() { return ++refs_; }

ULONG BufferBase::Release() {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
}

// ---- primary buffer: the device's mix format --------------------------------

HRESULT PrimaryBuffer::GetCaps(DSBCAPS* pCaps) {
    if (!Dev()) return DSERR_NODRIVER;
    if (!pCaps || pCaps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    *pCaps = DSBCAPS{sizeof(DSBCAPS), DSBCAPS_PRIMARYBUFFER, kPrimaryFrames * Dev()->GetMixer().Primary().blockAlign,
                     0, 0};
    return DS_OK;
}

HRESULT PrimaryBuffer::GetCurrentPosition(DWORD* play, DWORD* write) {
    if (!Dev()) return DSERR_NODRIVER;
    if (play) *play = 0;
    if (write) *write = 0;
    return DS_OK;
}

HRESULT PrimaryBuffer::GetFormat(WAVEFORMATEX* pwfx, DWORD size, DWORD* written) {
    if (!Dev()) return DSERR_NODRIVER;
    if (pwfx) {
        if (size < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
        *pwfx = ToWaveFormat(Dev()->GetMixer().Primary());
    }
    if (written) *written = sizeof(WAVEFORMATEX);
    return DS_OK;
}

HRESULT PrimaryBuffer::GetVolume(LONG*) { return Dev() ? DSERR_CONTROLUNAVAIL : DSERR_NODRIVER; }
HRESULT PrimaryBuffer::SetVolume(LONG) { return Dev() ? DSERR_CONTROLUNAVAIL : DSERR_NODRIVER; }

HRESULT PrimaryBuffer::GetStatus(DWORD* pdwStatus) {
    if (!Dev()) return DSERR_NODRIVER;
    if (!pdwStatus) return DSERR_INVALIDPARAM;
    *pdwStatus = DSBSTATUS_PLAYING | DSBSTATUS_LOOPING;  // the mix always runs
    return DS_OK;
}

// Writing the primary buffer directly is a level the program never asks for.
HRESULT PrimaryBuffer::Lock(DWORD, DWORD, void**, DWORD*, void**, DWORD*, DWORD) {
    return Dev() ? DSERR_PRIOLEVELNEEDED : DSERR_NODRIVER;
}
HRESULT PrimaryBuffer::Unlock(void*, DWORD, void*, DWORD) { return Dev() ? DSERR_INVALIDCALL : DSERR_NODRIVER; }
HRESULT PrimaryBuffer::SetCurrentPosition(DWORD) { return Dev() ? DSERR_INVALIDCALL : DSERR_NODRIVER; }
HRESULT PrimaryBuffer::Play(DWORD, DWORD, DWORD) { return Dev() ? DS_OK : DSERR_NODRIVER; }
HRESULT PrimaryBuffer::Stop() { return Dev() ? DS_OK : DSERR_NODRIVER; }
HRESULT PrimaryBuffer::Restore() { return Dev() ? DS_OK : DSERR_NODRIVER; }

HRESULT PrimaryBuffer::SetFormat(const WAVEFORMATEX* pcfxFormat) {
    if (!Dev()) return DSERR_NODRIVER;
    if (!pcfxFormat) return DSERR_INVALIDPARAM;
    return Dev()->SetPrimaryFormat(pcfxFormat);
}

// ---- secondary buffers ----------------------------------------------------

SecondaryBuffer::SecondaryBuffer(std::shared_ptr<DeviceLink> link, SampleBlock* block, DWORD flags, bool lost)
    : BufferBase(std::move(link)), block_(block), voice_(new Voice(block, flags & DSBCAPS_CTRLVOLUME)), flags_(flags), lost_(lost) {
    if (InjectedFaults* f = Dev() ? Dev()->Faults() : nullptr) lostGeneration_ = f->loseGeneration;
}

SecondaryBuffer::~SecondaryBuffer() {
    if (Dev() && registered_) {
        Dev()->Retire(voice_, block_);
    } else {
        delete voice_;
        block_->Release();
    }
}

bool SecondaryBuffer::Register() {
    registered_ = Dev() && Dev()->GetMixer().Add(voice_);
    return registered_;
}

HRESULT SecondaryBuffer::Usable() const {
    if (!Dev()) return DSERR_NODRIVER;
    const HRESULT hr = Dev()->StreamStatus();
    return FAILED(hr) ? hr : DS_OK;
}

bool SecondaryBuffer::Lost() {
    InjectedFaults* f = Dev() ? Dev()->Faults() : nullptr;
    if (f && f->loseGeneration != lostGeneration_) {
        lostGeneration_ = f->loseGeneration;
        lost_ = true;
    }
    if (lost_ && voice_->Playing()) voice_->Command(false, false);
    return lost_;
}

HRESULT SecondaryBuffer::GetCaps(DSBCAPS* pCaps) {
    if (!Dev()) return DSERR_NODRIVER;
    if (!pCaps || pCaps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    *pCaps = DSBCAPS{sizeof(DSBCAPS), flags_ | DSBCAPS_STATIC, block_->bytes, 0, 0};
    return DS_OK;
}

// The play cursor is the frame being heard: the mixed position less what the
// output still holds (never more than was played since the start or the last
// seek). A seek not yet made reads back as asked, also while the buffer fades
// out at the old place. The write cursor is the mixed position. After a Stop
// the buffer reads stopped at once; its position goes on over the fade-out and
// then stays where the sound stopped.
HRESULT SecondaryBuffer::GetCurrentPosition(DWORD* play, DWORD* write) {
    if (const HRESULT hr = Usable(); FAILED(hr)) return hr;
    const DWORD align = block_->format.blockAlign;
    std::uint64_t frame, heard;
    if (voice_->SeekPending()) {
        frame = heard = static_cast<std::uint64_t>(voice_->want.seekFrame);
    } else {
        const std::uint64_t p = voice_->position.load();
        frame = heard = p & 0xFFFFFFFFu;
        if (voice_->Playing()) {
            const std::uint64_t latency = std::uint64_t{Dev()->LatencyFrames()} * block_->format.rate /
                                          std::max<std::uint32_t>(Dev()->GetMixer().PrimaryRate(), 1);
            const std::uint64_t back = std::min(latency, p >> 32);
            heard = frame >= back ? frame - back : frame + block_->frames - back;
        }
    }
    if (play) *play = static_cast<DWORD>(heard * align);
    if (write) *write = static_cast<DWORD>(frame * align);
    return DS_OK;
}

HRESULT SecondaryBuffer::GetFormat(WAVEFORMATEX* pwfx, DWORD size, DWORD* written) {
    if (!Dev()) return DSERR_NODRIVER;
    if (pwfx) {
        if (size < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
        *pwfx = ToWaveFormat(block_->format);
    }
    if (written) *written = sizeof(WAVEFORMATEX);
    return DS_OK;
}

HRESULT SecondaryBuffer::GetVolume(LONG* plVolume) {
    if (!Dev()) return DSERR_NODRIVER;
    if (!plVolume) return DSERR_INVALIDPARAM;
    if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    *plVolume = volume_;
    return DS_OK;
}

HRESULT SecondaryBuffer::GetStatus(DWORD* pdwStatus) {
    if (!Dev()) return DSERR_NODRIVER;
    if (!pdwStatus) return DSERR_INVALIDPARAM;
    const bool lost = Lost();
    DWORD s = lost ? DSBSTATUS_BUFFERLOST : 0;
    if (voice_->Playing()) s |= DSBSTATUS_PLAYING | (voice_->Looping() ? DSBSTATUS_LOOPING : 0);
    *pdwStatus = s;
    return DS_OK;
}

HRESULT SecondaryBuffer::Lock(DWORD offset, DWORD bytes, void** p1, DWORD* n1, void** p2, DWORD* n2,
                              DWORD flags) {
    if (!Dev()) return DSERR_NODRIVER;
    if (!p1 || !n1) return DSERR_INVALIDPARAM;
    if (Lost()) return DSERR_BUFFERLOST;
    const DWORD size = block_->bytes;
    if (flags & DSBLOCK_ENTIREBUFFER) {
        offset = 0;
        bytes = size;
    }
    if (bytes == 0 || bytes > size || offset >= size) return DSERR_INVALIDPARAM;
    const DWORD first = std::min(bytes, size - offset);
    const DWORD rest = bytes - first;
    if (rest && (!p2 || !n2)) return DSERR_INVALIDPARAM;
    block_->conversion.reset();  // its worker must not read what is written now
    *p1 = block_->data + offset;
    *n1 = first;
    if (p2) *p2 = rest ? block_->data : nullptr;
    if (n2) *n2 = rest;
    return DS_OK;
}

HRESULT SecondaryBuffer::Unlock(void* p1, DWORD n1, void* p2, DWORD n2) {
    if (!Dev()) return DSERR_NODRIVER;
    auto inside = [this](void* p, DWORD n) {
        if (!p) return n == 0;
        const BYTE* b = static_cast<const BYTE*>(p);
        return b >= block_->data && n <= block_->bytes && b + n <= block_->data + block_->bytes;
    };
    if (!inside(p1, n1) || !inside(p2, n2)) return DSERR_INVALIDPARAM;
    Dev()->Convert(block_);
    return DS_OK;
}

HRESULT SecondaryBuffer::Play(DWORD, DWORD, DWORD flags) {
    if (const HRESULT hr = Usable(); FAILED(hr)) return hr;
    if (Lost()) return DSERR_BUFFERLOST;
    // Never the samples at the wrong rate, nor a copy half made: the start
    // is held back until the copy is whole.
    if (!voice_->Playing() && !Dev()->Converted(block_)) return DSERR_OUTOFMEMORY;
    voice_->Command(true, flags & DSBPLAY_LOOPING);
    return DS_OK;
}

HRESULT SecondaryBuffer::Stop() {
    if (!Dev()) return DSERR_NODRIVER;
    voice_->Command(false, false);
    return DS_OK;
}

// An offset inside a frame moves to the frame's start; one at or past the end
// moves to the end itself, where a looping buffer wraps to its start at once
// and a non-looping one ends (and rewinds) at once.
HRESULT SecondaryBuffer::SetCurrentPosition(DWORD pos) {
    if (const HRESULT hr = Usable(); FAILED(hr)) return hr;
    const std::int64_t frame = std::min<DWORD>(pos / block_->format.blockAlign, block_->frames);
    voice_->Seek(frame);
    return DS_OK;
}

HRESULT SecondaryBuffer::SetFormat(const WAVEFORMATEX*) { return Dev() ? DSERR_INVALIDCALL : DSERR_NODRIVER; }

HRESULT SecondaryBuffer::SetVolume(LONG volume) {
    if (const HRESULT hr = Usable(); FAILED(hr)) return hr;
    if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    volume_ = volume;
    voice_->SetGain(VolumeToGain(volume));
    return DS_OK;
}

HRESULT SecondaryBuffer::Restore() {
    if (!Dev()) return DSERR_NODRIVER;
    InjectedFaults* f = Dev()->Faults();
    if (f) ++f->restoreCalls;
    if (!Lost()) return DS_OK;
    if (f && f->restoreStillLost > 0) {
        --f->restoreStillLost;
        return DSERR_BUFFERLOST;
    }
    lost_ = false;
    return DS_OK;
}

}  // namespace audio
