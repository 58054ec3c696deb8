// Rate conversion of a whole buffer to an output's rate, made once, off the
// mix thread, with libsoxr's mastering-grade filter.
//
// A buffer loops, so it is converted as a circle: the filter sees the buffer's
// tail before its head, and the seam where it starts again is as clean as any
// other point. The converted copy has a whole number of frames and the filter
// runs at exactly the ratio of the two frame counts, so every pass of the loop
// lands on the same phase.
//
// Threads: ConvertLoop runs anywhere; a Conversion is started and destroyed
// by the control thread and runs on a thread of its own. The mix thread only
// reads a finished ConvertedBlock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "platform/audio/SampleFormat.h"

namespace audio {

// libsoxr's quality recipe: SOXR_28_BITQ, its "very high quality" (passband
// flat within 0.01 dB to 91 % of the lower Nyquist frequency, images and
// aliases far below -120 dBc).
inline constexpr unsigned long kConverterRecipe = 6;

// A buffer's samples at an output's rate: 32-bit float, interleaved, in the
// buffer's own channel count.
struct ConvertedBlock {
    std::uint32_t rate = 0;
    std::uint32_t channels = 0;
    std::uint64_t frames = 0;
    std::unique_ptr<float[]> data;
};

// The frames a loop of `frames` frames at `from` Hz lasts at `to` Hz: the
// nearest whole number, at least 1.
std::uint64_t ConvertedLength(std::uint64_t frames, std::uint32_t from, std::uint32_t to);

// Frame `frame` of a loop of `fromFrames` frames, as a frame of the same loop
// counted in `toFrames` frames (rounded down).
inline std::uint64_t MapFrame(std::uint64_t frame, std::uint64_t fromFrames, std::uint64_t toFrames) {
    if (fromFrames == toFrames || fromFrames == 0) return frame;
    return static_cast<std::uint64_t>(static_cast<unsigned __int128>(frame) * toFrames / fromFrames);
}

// The same, rounded up.
inline std::uint64_t MapFrameUp(std::uint64_t frame, std::uint64_t fromFrames, std::uint64_t toFrames) {
    if (fromFrames == toFrames || fromFrames == 0) return frame;
    return static_cast<std::uint64_t>((static_cast<unsigned __int128>(frame) * toFrames + fromFrames - 1) / fromFrames);
}

// Converts the `frames` whole frames of `format` at `data` to `rate` as one
// turn of a loop. Null without memory, on a filter failure, or once `cancel`
// is set.
std::unique_ptr<ConvertedBlock> ConvertLoop(const SampleFormat& format, const BYTE* data, std::uint64_t frames,
                                            std::uint32_t rate, const std::atomic<bool>& cancel);

// One buffer's conversion on a worker thread of its own, which publishes the
// converted block into `publish` once it is whole. From its start until its
// worker ends, commands handed over are held back (BeginConversion). The
// samples it reads must stay unchanged and alive until the conversion is
// destroyed (which cancels it and waits for the worker).
class Conversion {
public:
    // Throws what starting a thread throws (and then holds nothing back).
    Conversion(const SampleFormat& format, const BYTE* data, std::uint64_t frames, std::uint32_t rate,
               std::atomic<ConvertedBlock*>& publish);
    ~Conversion();
    std::uint32_t Rate() const { return rate_; }
    // The worker ended without a block (no memory, a filter failure).
    bool Failed() const { return failed_.load(std::memory_order_acquire); }

    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

private:
    const std::uint32_t rate_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> failed_{false};
    std::thread worker_;
};

}  // namespace audio
