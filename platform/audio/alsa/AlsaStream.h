// One open ALSA device and the thread that feeds it.
//
// Sources attach to slots: a slot covers a run of the device's channels (a
// card's channel pair, or every channel of a device used whole). Every period
// the thread renders each attached source for the same frames and writes them
// into its channels, so the outputs sharing a device stay sample-aligned.
//
// Threads: the control thread opens, reshapes and attaches; the stream thread
// renders and writes. They meet only through atomics; Detach waits for at most
// the one Render call that may be running.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/AudioBackend.h"
#include "platform/audio/alsa/AlsaPcm.h"

namespace audio::alsa {

class AlsaStream {
public:
    static constexpr unsigned kMaxSlots = 16;
    static constexpr unsigned kMaxSourceChannels = 8;

    explicit AlsaStream(std::string name);
    ~AlsaStream();

    // Opens the device and starts the thread; on failure says why.
    int Start(const PcmRequest& want, std::string& why);
    // Reopens in a new shape (rate, channels, sample format) with the attached
    // sources kept. On failure the previous shape is restored where possible.
    int Reshape(const PcmRequest& want, std::string& why);

    // A free slot: `preferred` if it is free, or any free one when preferred is
    // kMaxSlots; -1 when taken or full.
    int ClaimSlot(unsigned preferred);
    void ReleaseSlot(unsigned slot);
    // Attached sources write channels [offset, offset + width) of the device.
    void Attach(unsigned slot, IMixSource* source, unsigned offset, unsigned width);
    // After return the slot's source is never called again.
    void Detach(unsigned slot);
    // Control thread: no attached source has a buffer sounding, so the device
    // may change its rate unheard.
    bool Silent() const;

    // Threads: control thread. The stream thread rewrites the period, buffer
    // and sample format when it reopens the device; the rate and the channels,
    // which the control thread reads, change only in Start and Reshape.
    const PcmShape& Shape() const { return shape_; }
    const PcmRequest& Request() const { return want_; }
    const std::string& Name() const { return name_; }
    HRESULT Status() const noexcept { return status_.load(std::memory_order_acquire); }
    std::uint32_t LatencyFrames() const noexcept { return latency_.load(std::memory_order_relaxed); }
    // Frames the thread has handed to ALSA since the device was last opened.
    std::uint64_t FramesWritten() const noexcept { return writtenShown_.load(std::memory_order_relaxed); }

    AlsaStream(const AlsaStream&) = delete;
    AlsaStream& operator=(const AlsaStream&) = delete;

private:
    struct Slot {
        std::atomic<IMixSource*> source{nullptr};
        std::atomic<bool> inUse{false};
        std::atomic<unsigned> offset{0};
        std::atomic<unsigned> width{0};
        bool claimed = false;  // control thread only
    };

    void Allocate();
    void StopThread();
    void Run();
    bool Reopen();
    void Fail(int err, const char* what);
    void Mix(unsigned frames);
    void Convert(unsigned frames);
    bool WriteAll(unsigned frames);
    void Pace(unsigned frames);
    void AfterWrite();
    bool WaitForRoom(unsigned frames);

    const std::string name_;
    PcmRequest want_;
    PcmShape shape_;
    snd_pcm_t* pcm_ = nullptr;  // the thread's while it runs
    std::thread thread_;
    std::atomic<bool> quit_{false};
    std::atomic<HRESULT> status_;
    std::atomic<std::uint32_t> latency_{0};
    std::atomic<std::uint64_t> writtenShown_{0};
    std::array<Slot, kMaxSlots> slots_;

    // Buffers sized by the control thread before the thread starts.
    unsigned chunkCap_ = 0;
    unsigned channelCap_ = 0;
    std::vector<float> mix_;
    std::vector<float> scratch_;
    std::vector<unsigned char> bytes_;

    // The thread's own bookkeeping.
    std::uint64_t written_ = 0;
    bool paced_ = false;
    std::int64_t anchorNs_ = 0;
    std::uint64_t anchorFrames_ = 0;
    std::int64_t retryAtNs_ = 0;
    std::uint32_t dither_ = 0x9E3779B9u;  // ToDeviceSamples' noise state
};

}  // namespace audio::alsa
