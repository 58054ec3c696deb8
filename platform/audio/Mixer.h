// The device object's software mixer: sums the playing secondary buffers into
// the primary format.
//
// Threads and ownership:
// - The control thread makes SampleBlocks and Voices, publishes a voice with
//   Add, steers it through the voice's atomics (play/stop, volume target, seek),
//   and withdraws it with Remove. After Remove it may free the voice (and drop
//   its block) only once CanReclaim says the mix thread can no longer see it.
// - The mix thread (the stream's, or a test calling Render) only reads the
//   published slots and the voices' orders, owns the voices' mix state, and
//   publishes position and play state back. At the start of a render it
//   applies, for every voice, the orders of the commits its stream's snapshot
//   covers, before it mixes any of them. It allocates nothing, takes no
//   lock and never waits.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/audio/AudioBackend.h"
#include "platform/audio/Converter.h"
#include "platform/audio/SampleFormat.h"

namespace audio {

// The sample memory of one buffer and its duplicates. Control thread: made by
// CreateSoundBuffer, shared by DuplicateSoundBuffer (refs), freed by the last
// holder after its voice is reclaimed. The mix thread reads `data`, and
// `converted` where the buffer's rate is not the output's.
struct SampleBlock {
    SampleFormat format;
    BYTE* data = nullptr;
    DWORD bytes = 0;
    DWORD frames = 0;  // whole frames; a trailing partial frame is never played
    int refs = 1;      // control thread only
    // The samples at the output's rate, published whole by the control thread
    // (Device::Convert, Device::Converted); never replaced while a voice of
    // the block can see it.
    std::atomic<ConvertedBlock*> converted{nullptr};
    std::unique_ptr<Conversion> conversion;  // control thread: the one running

    static SampleBlock* Make(const SampleFormat& format, DWORD bytes);  // null without memory
    void AddRef() { ++refs; }
    void Release();
};

// What the control thread asks of a voice, whole: play state, volume and the
// last seek. `command`: sequence << 2 | looping << 1 | playing; every Play or
// Stop bumps the sequence, every seek bumps `seekSeq`, so that the mix thread
// applies each exactly once however many orders it skips.
struct Wanted {
    std::uint32_t command = 0;
    float gain = 1.0f;
    std::uint32_t seekSeq = 0;
    std::int64_t seekFrame = 0;
};

// One published order: a Wanted tagged with the commit it belongs to and a
// version (even while stable, odd while the control thread rewrites it).
struct Order {
    std::atomic<std::uint64_t> version{0};
    std::atomic<std::uint64_t> commit{0};
    std::atomic<std::uint32_t> command{0};
    std::atomic<float> gain{1.0f};
    std::atomic<std::uint32_t> seekSeq{0};
    std::atomic<std::int64_t> seekFrame{0};
};

// One buffer's voice in the mixer.
//
// The control thread writes orders into two slots: the open bracket's order
// is rewritten in place until the bracket commits; any later order goes into
// the other slot, so the last committed one stays readable for a render that
// began before the commit. A render applies the newest order whose commit its
// stream's period snapshot covers. (Only a render held up from before one
// commit until a later bracket has touched the same voice again could find
// neither slot usable and take that voice's order a period late; a render
// takes microseconds, brackets come from user actions and 10 ms timer ticks.)
struct Voice {
    Voice(const SampleBlock* b, bool f) : block(b), fades(f), posFrames(b->frames) {}
    const SampleBlock* block;  // set before Add, never changed
    // Starts, stops and seeks fade over the ramp. A buffer without volume
    // control has no gain to ramp: it plays its samples unchanged from the
    // first frame and stops and moves at once.
    const bool fades;

    Order orders[2];

    // Mix -> control. `state`: applied sequence << 2 | looping << 1 | playing
    // (a buffer fading out after a Stop already reads stopped). `position`:
    // frame (low 32 bits) | frames played since the last start or seek,
    // saturating (high 32 bits). `seekDone`: the last seek the voice has made.
    std::atomic<std::uint32_t> state{0};
    std::atomic<std::uint64_t> position{0};
    std::atomic<std::uint32_t> seekDone{0};

    // Mix thread only.
    std::uint64_t appliedVersion = 0;
    std::uint32_t seenSequence = 0;
    std::uint32_t seenSeek = 0;
    bool running = false;   // sounding (a stop's fade-out included)
    bool looping = false;
    bool stopping = false;  // fading out, then stops
    std::int64_t pendingSeek = -1;  // fading out, then jumps here
    std::uint32_t fadeLeft = 0;     // frames until the stop or the jump
    float target = 1.0f;
    std::uint64_t pos = 0;       // frame of what it plays (the buffer, or its converted copy)
    std::uint64_t posFrames = 0;  // frames of what `pos` counts in
    std::uint32_t played = 0;     // frames played, in the output's frames
    float gain = 1.0f;
    float rampTarget = 1.0f;
    float rampStep = 0.0f;
    std::uint32_t rampLeft = 0;

    // Control thread only.
    Wanted want;
    std::uint64_t written = 0;  // versions handed out
    int newest = 0;             // slot of the last order written

    // Control thread. Each sends the whole Wanted as an order of the commit
    // now open (CommandCommit).
    void Command(bool play, bool loop);
    void SetGain(float gain);
    void Seek(std::int64_t frame);
    bool Playing() const;  // as last commanded, or as the mix thread stopped it
    bool Looping() const;
    // A seek the voice has not made yet (it reads back as asked).
    bool SeekPending() const { return seekDone.load(std::memory_order_acquire) != want.seekSeq; }

private:
    void Send();
};

// Commands issued together. Control thread: BeginCommands / CommitCommands
// nest; orders sent while a bracket is open carry the commit that the
// outermost CommitCommands hands over; outside a bracket they carry the commit
// already handed over, so the next period applies them.
void BeginCommands();
void CommitCommands();
std::uint64_t CommandCommit();

// While a buffer is being converted (Conversion), the commits handed over
// since the first running conversion began are held back on every stream,
// so that a press never plays a sound half made and the whole set still
// lands on one frame once every copy is there. BeginConversion: control
// thread; EndConversion: the conversion's worker.
void BeginConversion();
void EndConversion();
// Any thread: conversions under way.
int ConversionsRunning();

// Frames over which a volume change, a start, a stop and a seek's fade-out
// ramp linearly.
constexpr std::uint32_t kRampFrames = 128;

// Volume in hundredths of a decibel to linear gain: 0 -> 1 and -10000 -> 0 exactly.
float VolumeToGain(LONG volume);

class Mixer : public IMixSource {
public:
    static constexpr int kMaxVoices = 256;

    Mixer();
    // Control thread, only while no stream calls Render (detached).
    void SetPrimary(const SampleFormat& format);
    // Control thread: the output now runs at `rate` (the next render follows).
    void SetRate(std::uint32_t rate);
    bool Sounding() const override;
    const SampleFormat& Primary() const { return primary_; }
    // Control thread. False when every slot is taken.
    bool Add(Voice* voice);
    // Control thread. Returns the token to hand CanReclaim.
    std::uint64_t Remove(Voice* voice);
    // Control thread: the mix thread can no longer see a voice removed with `token`.
    bool CanReclaim(std::uint64_t token) const;
    // Control thread: a token for what was unpublished before the call (a
    // block's converted copy), to hand CanReclaim.
    std::uint64_t Fence() const { return epoch_.load(); }

    // IMixSource (mix thread).
    void Render(float* out, std::uint32_t frames, std::uint64_t commit) noexcept override;
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
