#include "platform/audio/Device.h"

#include <algorithm>

#include "platform/audio/SoundBuffer.h"

namespace audio {

HRESULT Device::Open(const GUID* id, Device** out, std::string& reason) {
    auto backend = GetBackend();
    if (!backend) {
        reason = "no audio back end is installed";
        return DSERR_NODRIVER;
    }
    std::unique_ptr<IOutputStream> stream;
    HRESULT hr = backend->Open(id, stream, reason);
    if (FAILED(hr)) return hr;
    if (!stream) {
        reason = "the audio back end opened no stream";
        return DSERR_NODRIVER;
    }
    auto* dev = new (std::nothrow) Device(std::move(stream));
    if (!dev) return DSERR_OUTOFMEMORY;
    dev->mixer_.SetPrimary(dev->AtStreamRate(dev->mixer_.Primary()));
    hr = dev->stream_->Attach(&dev->mixer_);
    if (FAILED(hr)) {
        reason = "the output refused to start";
        dev->Release();
        return hr;
    }
    *out = dev;
    return DS_OK;
}

Device::Device(std::unique_ptr<IOutputStream> stream)
    : stream_(std::move(stream)), faults_(stream_->Faults()), link_(std::make_shared<DeviceLink>()) {
    link_->device = this;
    retired_.reserve(16);
}

Device::~Device() {
    // After Detach the mixer is never called again, so every retired voice can go.
    stream_->Detach();
    for (auto& r : retired_) {
        delete r.voice;
        r.block->Release();
    }
    staleCopies_.clear();
    link_->device = nullptr;
}

HRESULT Device::QueryInterface(REFIID, void** ppvObject) {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG Device::AddRef() { return ++refs_; }

ULONG Device::Release() {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
}

HRESULT Device::SetCooperativeLevel(HWND, DWORD level) {
    if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
    if (faults_ && FAILED(faults_->cooperativeLevel)) return faults_->cooperativeLevel;
    level_ = level;
    return DS_OK;
}

HRESULT Device::SetPrimaryFormat(const WAVEFORMATEX* wfx) {
    if (level_ < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
    SampleFormat f;
    HRESULT hr = ParseFormat(wfx, f);
    if (FAILED(hr)) return hr;
    if (faults_ && FAILED(faults_->primaryFormat)) return faults_->primaryFormat;
    // The stream sizes its periods from the primary format, so the format only
    // changes while no period is being rendered.
    stream_->OfferRate(f.rate);
    stream_->Detach();
    mixer_.SetPrimary(AtStreamRate(f));
    hr = stream_->Attach(&mixer_);
    if (FAILED(hr)) return hr;
    return stream_->FormatChanged();
}

std::string Device::OutputFormat() const {
    return std::to_string(mixer_.PrimaryRate()) + " Hz, " + stream_->SampleFormatName();
}

// An output runs at its device's rate (a sound server's, or the rate an ALSA
// device took for the excerpts): the mixer renders at it, converting every
// buffer of another rate and passing the others unchanged.
SampleFormat Device::AtStreamRate(SampleFormat f) const {
    if (const std::uint32_t rate = stream_->FixedRate()) f.rate = rate;
    return f;
}

void Device::SyncRate() {
    const std::uint32_t rate = stream_->FixedRate();
    if (rate && rate != mixer_.PrimaryRate()) mixer_.SetRate(rate);
}

HRESULT Device::CreationFault() {
    if (!faults_) return DS_OK;
    if (faults_->createBufferSkip > 0) {
        --faults_->createBufferSkip;
        return DS_OK;
    }
    return faults_->createBuffer;
}

HRESULT Device::CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** ppBuffer, IUnknown* outer) {
    Reclaim();
    if (!desc || !ppBuffer || outer) return DSERR_INVALIDPARAM;
    *ppBuffer = nullptr;
    // The program's records say 36 bytes (their 32-bit layout); this build's is larger.
    if (desc->dwSize != 36 && desc->dwSize != sizeof(DSBUFFERDESC)) return DSERR_INVALIDPARAM;
    if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
        if (desc->dwBufferBytes != 0 || desc->lpwfxFormat) return DSERR_INVALIDPARAM;
        auto* p = new (std::nothrow) PrimaryBuffer(link_);
        if (!p) return DSERR_OUTOFMEMORY;
        *ppBuffer = p;
        return DS_OK;
    }
    if (!desc->lpwfxFormat) return DSERR_INVALIDPARAM;
    if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX) return DSERR_INVALIDPARAM;
    SampleFormat f;
    HRESULT hr = ParseFormat(desc->lpwfxFormat, f);
    if (FAILED(hr)) return hr;
    const HRESULT answer = CreationFault();
    if (FAILED(answer)) return answer;
    stream_->OfferRate(f.rate);
    SampleBlock* block = SampleBlock::Make(f, desc->dwBufferBytes);
    if (!block) return DSERR_OUTOFMEMORY;
    hr = AddBuffer(block, desc->dwFlags, faults_ && faults_->lostAtCreation, ppBuffer);
    return FAILED(hr) ? hr : answer;
}

// Makes a buffer over `block`, whose reference it takes over (and drops on failure).
HRESULT Device::AddBuffer(SampleBlock* block, DWORD flags, bool lost, IDirectSoundBuffer** ppBuffer) {
    auto* b = new (std::nothrow) SecondaryBuffer(link_, block, flags, lost);
    if (!b) {
        block->Release();
        return DSERR_OUTOFMEMORY;
    }
    if (!b->Register()) {
        b->Release();
        return DSERR_OUTOFMEMORY;
    }
    if (faults_) ++faults_->buffersCreated;
    *ppBuffer = b;
    return DS_OK;
}

HRESULT Device::DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** ppDuplicate) {
    Reclaim();
    if (!original || !ppDuplicate) return DSERR_INVALIDPARAM;
    *ppDuplicate = nullptr;
    auto* src = dynamic_cast<SecondaryBuffer*>(original);
    if (!src || !src->SameDevice(link_)) return DSERR_INVALIDPARAM;
    const HRESULT answer = CreationFault();
    if (FAILED(answer)) return answer;
    src->Block()->AddRef();
    const HRESULT hr = AddBuffer(src->Block(), src->Flags(), false, ppDuplicate);
    return FAILED(hr) ? hr : answer;
}

void Device::Retire(Voice* voice, SampleBlock* block) {
    retired_.push_back({voice, block, mixer_.Remove(voice)});
    Reclaim();
}

void Device::Reclaim() {
    std::erase_if(retired_, [this](const Retired& r) {
        if (!mixer_.CanReclaim(r.token)) return false;
        delete r.voice;
        r.block->Release();
        return true;
    });
    std::erase_if(staleCopies_, [this](const auto& s) { return mixer_.CanReclaim(s.second); });
}

void Device::Convert(SampleBlock* block) {
    SyncRate();
    block->conversion.reset();
    // Sequentially consistent, as the mixer's slots: a render that may still
    // hold the old copy shows in the fence.
    if (ConvertedBlock* old = block->converted.exchange(nullptr)) {
        staleCopies_.emplace_back(old, mixer_.Fence());
    }
    const std::uint32_t rate = mixer_.PrimaryRate();
    if (block->format.rate == rate || block->frames == 0) return;
    try {
        block->conversion = std::make_unique<Conversion>(block->format, block->data, block->frames, rate, block->converted);
    } catch (const std::exception&) {
        // No thread to spare: converted on this thread, at once.
        const std::atomic<bool> never{false};
        block->converted.store(ConvertLoop(block->format, block->data, block->frames, rate, never).release(),
                               std::memory_order_release);
    }
}

bool Device::Converted(SampleBlock* block) {
    SyncRate();
    const std::uint32_t rate = mixer_.PrimaryRate();
    if (block->format.rate == rate || block->frames == 0) return true;
    const ConvertedBlock* have = block->converted.load(std::memory_order_acquire);
    if (have && have->rate == rate) return true;
    const bool underway = block->conversion && block->conversion->Rate() == rate && !block->conversion->Failed();
    if (!underway) Convert(block);
    return block->conversion || block->converted.load(std::memory_order_acquire);
}

}  // namespace audio
