// The device object's software mixer: sums the playing secondary buffers into
// the primary format.
//
// Threads and ownership:
// - The control thread makes SampleBlocks and Voices, publishes a voice with
//   Add, steers it through the voice's atomics (play/stop, volume target, seek),
//   and withdraws it with Remove. After Remove it may free the voice (and drop
//   its block) only once CanReclaim says the mix thread can no longer see it.
// - The mix thread (the stream's, or a test calling Render) only reads the
//   published slots and the voices' atomics, owns the voices' mix state, and
//   publishes position and play state back. It allocates nothing, takes no
//   lock and never waits.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/audio/AudioBackend.h"
#include "platform/audio/SampleFormat.h"

namespace audio {

// The sample memory of one buffer and its duplicates. Control thread: made by
// CreateSoundBuffer, shared by DuplicateSoundBuffer (refs), freed by the last
// holder after its voice is reclaimed. The mix thread reads `data`.
struct SampleBlock {
    SampleFormat format;
    BYTE* data = nullptr;
    DWORD bytes = 0;
    DWORD frames = 0;  // whole frames; a trailing partial frame is never played
    int refs = 1;      // control thread only

    static SampleBlock* Make(const SampleFormat& format, DWORD bytes);  // null without memory
    void AddRef() { ++refs; }
    void Release();
};

// One buffer's voice in the mixer.
struct Voice {
    explicit Voice(const SampleBlock* b) : block(b) {}
    const SampleBlock* block;  // set before Add, never changed

    // Control -> mix. `command`: sequence << 2 | looping << 1 | playing; every
    // Play or Stop bumps the sequence so the mix thread applies it exactly once.
    std::atomic<std::uint32_t> command{0};
    std::atomic<float> targetGain{1.0f};
    std::atomic<std::int64_t> seekFrame{-1};  // -1: no seek asked for

    // Mix -> control. `state`: applied sequence << 2 | looping << 1 | playing.
    // `position`: frame (low 32 bits) | frames played since the last start or
    // seek, saturating (high 32 bits).
    std::atomic<std::uint32_t> state{0};
    std::atomic<std::uint64_t> position{0};

    // Mix thread only.
    std::uint32_t seenSequence = 0;
    bool running = false;
    bool looping = false;
    std::uint64_t pos = 0;  // frames, 32.32 fixed point
    std::uint32_t played = 0;
    float gain = 1.0f;
    float rampTarget = 1.0f;
    float rampStep = 0.0f;
    std::uint32_t rampLeft = 0;

    // Control thread.
    void Command(bool play, bool loop);
    bool Playing() const;  // as last commanded, or as the mix thread stopped it
    bool Looping() const;
};

// Frames over which a volume change ramps linearly.
constexpr std::uint32_t kRampFrames = 128;

// Volume in hundredths of a decibel to linear gain: 0 -> 1 and -10000 -> 0 exactly.
float VolumeToGain(LONG volume);

class Mixer : public IMixSource {
public:
    static constexpr int kMaxVoices = 256;

    Mixer();
    // Control thread, only while no stream calls Render (detached).
    void SetPrimary(const SampleFormat& format);
    const SampleFormat& Primary() const { return primary_; }
    // Control thread. False when every slot is taken.
    bool Add(Voice* voice);
    // Control thread. Returns the token to hand CanReclaim.
    std::uint64_t Remove(Voice* voice);
    // Control thread: the mix thread can no longer see a voice removed with `token`.
    bool CanReclaim(std::uint64_t token) const;

    // IMixSource (mix thread).
    void Render(float* out, std::uint32_t frames) noexcept override;
    std::uint32_t PrimaryRate() const noexcept override { return rate_.load(); }
    std::uint32_t PrimaryChannels() const noexcept override { return channels_.load(); }
    std::uint32_t PrimaryBits() const noexcept override { return bits_.load(); }

private:
    SampleFormat primary_;  // control thread's copy
    std::atomic<std::uint32_t> rate_, channels_, bits_;
    std::atomic<Voice*> slots_[kMaxVoices];
    std::atomic<int> used_{0};  // slots at or beyond are empty
    // Odd while a Render runs; bumped at its start and its end.
    std::atomic<std::uint64_t> epoch_{0};
};

}  // namespace audio
