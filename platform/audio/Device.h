// The device object (IDirectSound8) of one output, with its mixer and stream.
//
// Ownership: the device holds its stream and mixer; every buffer it made holds
// the device's link (a shared record that points back at the device until the
// device is destroyed) instead of the device itself, so releasing the device
// object ends the device even while buffers live: their later calls answer
// DSERR_NODRIVER and touch nothing of the device. A buffer released while the
// device lives hands its voice and block to the device, which frees them once
// the mix thread can no longer see them (Reclaim, and at destruction).
//
// Threads: control thread only; the stream's thread calls only the mixer.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/AudioBackend.h"
#include "platform/audio/DSound.h"
#include "platform/audio/Faults.h"
#include "platform/audio/Mixer.h"

namespace audio {

class Device;

struct DeviceLink {
    Device* device = nullptr;  // null once the device is destroyed
};

class Device : public IDirectSound8 {
public:
    // Opens the output `id` (null: default) through the installed back end.
    static HRESULT Open(const GUID* id, Device** out, std::string& reason);

    HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** ppBuffer, IUnknown* outer) override;
    HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** ppDuplicate) override;
    HRESULT SetCooperativeLevel(HWND hwnd, DWORD level) override;

    // For the device's buffers.
    HRESULT StreamStatus() const { return stream_->Status(); }
    std::uint32_t LatencyFrames() const { return stream_->LatencyFrames(); }
    InjectedFaults* Faults() const { return faults_.get(); }
    // The mixer, at the rate the output runs at now.
    Mixer& GetMixer() {
        SyncRate();
        return mixer_;
    }
    HRESULT SetPrimaryFormat(const WAVEFORMATEX* wfx);
    // "48000 Hz, S32_LE": the rate the mix runs at and the samples the output takes.
    std::string OutputFormat() const;
    // Takes over a released buffer's voice and its reference to the block.
    void Retire(Voice* voice, SampleBlock* block);
    // The block's samples were written: where its rate is not the mix rate,
    // converting them begins on a worker (a conversion under way is dropped).
    void Convert(SampleBlock* block);
    // The block can be played at the mix rate: it is, or its conversion is
    // under way (begun here if none is, for this rate); a Play's commit is
    // held back until it is done. False when no copy can be made.
    bool Converted(SampleBlock* block);

private:
    Device(std::unique_ptr<IOutputStream> stream);
    ~Device();
    // Frees retired voices the mix thread can no longer see.
    void Reclaim();
    SampleFormat AtStreamRate(SampleFormat f) const;
    // The mixer follows an output whose rate changed (another output of its
    // card took a test's rate).
    void SyncRate();
    // Answers the injected creation fault, if one is due.
    HRESULT CreationFault();
    HRESULT AddBuffer(SampleBlock* block, DWORD flags, bool lost, IDirectSoundBuffer** ppBuffer);

    struct Retired {
        Voice* voice;
        SampleBlock* block;
        std::uint64_t token;
    };

    std::atomic<ULONG> refs_{1};
    std::unique_ptr<IOutputStream> stream_;
    std::shared_ptr<InjectedFaults> faults_;
    std::shared_ptr<DeviceLink> link_;
    Mixer mixer_;
    DWORD level_ = 0;  // 0 until SetCooperativeLevel
    std::vector<Retired> retired_;
    // Converted copies replaced while a voice may still read them.
    std::vector<std::pair<std::unique_ptr<ConvertedBlock>, std::uint64_t>> staleCopies_;
};

}  // namespace audio
