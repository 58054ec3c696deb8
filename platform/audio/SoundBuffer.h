// The buffers of a device object: the primary buffer (the device's mix format)
// and static secondary buffers (sample memory with a voice in the mixer).
//
// Threads: control thread only. Ownership: each buffer holds its device's link
// (Device.h); a secondary buffer owns its voice and one reference to its
// sample block, both handed to the device on the last Release.
#pragma once

#include <atomic>
#include <memory>

#include "platform/audio/Device.h"

namespace audio {

class BufferBase : public IDirectSoundBuffer8 {
public:
    explicit BufferBase(std::shared_ptr<DeviceLink> link) : link_(std::move(link)) {}
    HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG AddRef() override;
    ULONG Release() override;

protected:
    // The device, or null after it was destroyed.
    Device* Dev() const { return link_->device; }
    std::shared_ptr<DeviceLink> link_;

private:
    std::atomic<ULONG> refs_{1};
};

class PrimaryBuffer final : public BufferBase {
public:
    using BufferBase::BufferBase;
    HRESULT GetCaps(DSBCAPS* pCaps) override;
    HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override;
    HRESULT GetFormat(WAVEFORMATEX* pwfx, DWORD size, DWORD* written) override;
    HRESULT GetVolume(LONG* plVolume) override;
    HRESULT GetStatus(DWORD* pdwStatus) override;
    HRESULT Lock(DWORD, DWORD, void**, DWORD*, void**, DWORD*, DWORD) override;
    HRESULT Play(DWORD, DWORD, DWORD flags) override;
    HRESULT SetCurrentPosition(DWORD) override;
    HRESULT SetFormat(const WAVEFORMATEX* pcfxFormat) override;
    HRESULT SetVolume(LONG) override;
    HRESULT Stop() override;
    HRESULT Unlock(void*, DWORD, void*, DWORD) override;
    HRESULT Restore() override;
};

class SecondaryBuffer final : public BufferBase {
public:
    // Takes the caller's reference to `block`.
    SecondaryBuffer(std::shared_ptr<DeviceLink> link, SampleBlock* block, DWORD flags, bool lost);
    ~SecondaryBuffer() override;

    SampleBlock* Block() const { return block_; }
    DWORD Flags() const { return flags_; }
    bool Registered() const { return registered_; }
    bool SameDevice(const std::shared_ptr<DeviceLink>& link) const { return link == link_; }
    // Publishes the voice in the device's mixer; false when it has no room.
    bool Register();

    HRESULT GetCaps(DSBCAPS* pCaps) override;
    HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override;
    HRESULT GetFormat(WAVEFORMATEX* pwfx, DWORD size, DWORD* written) override;
    HRESULT GetVolume(LONG* plVolume) override;
    HRESULT GetStatus(DWORD* pdwStatus) override;
    HRESULT Lock(DWORD offset, DWORD bytes, void** p1, DWORD* n1, void** p2, DWORD* n2, DWORD flags) override;
    HRESULT Play(DWORD, DWORD, DWORD flags) override;
    HRESULT SetCurrentPosition(DWORD pos) override;
    HRESULT SetFormat(const WAVEFORMATEX*) override;
    HRESULT SetVolume(LONG volume) override;
    HRESULT Stop() override;
    HRESULT Unlock(void* p1, DWORD n1, void* p2, DWORD n2) override;
    HRESULT Restore() override;

private:
    // DS_OK, DSERR_NODRIVER after the device went, or the failed stream's code.
    HRESULT Usable() const;
    // Notices a loss injected since the last call; a lost buffer stops.
    bool Lost();

    SampleBlock* block_;
    Voice* voice_;
    DWORD flags_;
    LONG volume_ = 0;
    bool lost_;
    std::uint32_t lostGeneration_ = 0;
    bool registered_ = false;
};

}  // namespace audio
