#include "platform/audio/Mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "platform/audio/DSound.h"

namespace audio {

static_assert(std::atomic<float>::is_always_lock_free);
static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
static_assert(std::atomic<std::int64_t>::is_always_lock_free);

SampleBlock* SampleBlock::Make(const SampleFormat& format, DWORD bytes) {
    auto* b = new (std::nothrow) SampleBlock;
    if (!b) return nullptr;
    b->data = new (std::nothrow) BYTE[bytes];
    if (!b->data) {
        delete b;
        return nullptr;
    }
    std::memset(b->data, 0, bytes);
    b->format = format;
    b->bytes = bytes;
    b->frames = bytes / format.blockAlign;
    return b;
}

void SampleBlock::Release() {
    if (--refs > 0) return;
    conversion.reset();  // cancels and waits: the worker reads `data`
    delete converted.load();
    delete[] data;
    delete this;
}

float VolumeToGain(LONG volume) {
    if (volume <= DSBVOLUME_MIN) return 0.0f;
    if (volume >= DSBVOLUME_MAX) return 1.0f;
    return static_cast<float>(std::pow(10.0, volume / 2000.0));
}

Mixer::Mixer() : rate_(primary_.rate), channels_(primary_.channels), bits_(primary_.bits) {
    for (auto& s : slots_) s.store(nullptr);
}

void Mixer::SetPrimary(const SampleFormat& format) {
    primary_ = format;
    rate_ = format.rate;
    channels_ = format.channels;
    bits_ = format.bits;
}

void Mixer::SetRate(std::uint32_t rate) {
    primary_.rate = rate;
    rate_.store(rate);
}

bool Mixer::Sounding() const {
    for (int i = 0; i < used_.load(); ++i) {
        if (const Voice* v = slots_[i].load(); v && v->Playing()) return true;
    }
    return false;
}

bool Mixer::Add(Voice* voice) {
    for (int i = 0; i < kMaxVoices; ++i) {
        if (slots_[i].load() == nullptr) {
            slots_[i].store(voice);
            if (i >= used_.load()) used_.store(i + 1);
            return true;
        }
    }
    return false;
}

std::uint64_t Mixer::Remove(Voice* voice) {
    for (int i = 0; i < used_.load(); ++i) {
        if (slots_[i].load() == voice) slots_[i].store(nullptr);
    }
    return epoch_.load();
}

bool Mixer::CanReclaim(std::uint64_t token) const { return (token & 1u) == 0 || epoch_.load() > token; }

namespace {

// What a voice plays: its buffer's samples where the rates match, else the
// copy converted to the output's rate; nothing while that copy is not there.
struct Source {
    const BYTE* data = nullptr;
    std::uint64_t frames = 0;
    std::uint32_t channels = 0;
    std::uint32_t align = 0;
    SampleKind kind = SampleKind::F32;
};

// The voice's source for this period. Its position follows when the source
// changes length (a converted copy published, the output's rate changed), so
// that it stays at the same place in the sound.
Source Sync(Voice& v, std::uint32_t rate) {
    const SampleBlock& b = *v.block;
    Source s;
    if (b.format.rate == rate) {
        s = {b.data, b.frames, b.format.channels, b.format.blockAlign, b.format.kind};
    } else if (const ConvertedBlock* c = b.converted.load(); c && c->rate == rate) {
        s = {reinterpret_cast<const BYTE*>(c->data.get()), c->frames, c->channels, c->channels * 4u, SampleKind::F32};
    }
    if (s.frames && s.frames != v.posFrames) {
        v.pos = s.frames > v.posFrames ? MapFrameUp(v.pos, v.posFrames, s.frames) : MapFrame(v.pos, v.posFrames, s.frames);
        v.posFrames = s.frames;
    }
    return s;
}

// The frame at p mapped to `dc` output channels: equal counts pass through,
// fewer source channels repeat (mono feeds every channel), more are averaged
// in groups (stereo to mono is the mean of both).
template <SampleKind K>
inline void Frame(const BYTE* p, std::uint32_t sc, std::uint32_t dc, float* v) {
    constexpr std::uint32_t b = BytesOf(K);
    if (sc == dc) {
        for (std::uint32_t c = 0; c < dc; ++c) v[c] = DecodeSample<K>(p + c * b);
    } else if (sc < dc) {
        for (std::uint32_t c = 0; c < dc; ++c) v[c] = DecodeSample<K>(p + (c % sc) * b);
    } else {
        for (std::uint32_t c = 0; c < dc; ++c) {
            float sum = 0.0f;
            std::uint32_t n = 0;
            for (std::uint32_t s = c; s < sc; s += dc, ++n) sum += DecodeSample<K>(p + s * b);
            v[c] = sum / static_cast<float>(n);
        }
    }
}

inline float NextGain(Voice& v) {
    const float g = v.gain;
    if (v.rampLeft) {
        v.gain = --v.rampLeft ? v.gain + v.rampStep : v.rampTarget;
    }
    return g;
}

// At the end of a non-looping buffer the voice stops and rewinds, so the next
// Play starts from the beginning.
inline bool AtEnd(Voice& v, std::uint64_t& idx, std::uint64_t frames) {
    if (idx < frames) return false;
    if (v.looping) {
        idx %= frames;
        return false;
    }
    v.running = false;
    v.pos = 0;
    return true;
}

// Frames are copied in runs up to the source's end; a run without a ramp and
// with the primary channel count is a plain multiply-add.
template <SampleKind K>
void Mix(Voice& v, const Source& src, float* out, std::uint32_t n, std::uint32_t dc) {
    const std::uint32_t sc = src.channels;
    std::uint64_t idx = v.pos;
    float frame[kMaxChannels];
    std::uint32_t f = 0;
    while (f < n) {
        if (AtEnd(v, idx, src.frames)) break;
        const std::uint32_t run = static_cast<std::uint32_t>(std::min<std::uint64_t>(n - f, src.frames - idx));
        const BYTE* p = src.data + idx * src.align;
        float* o = out + static_cast<std::size_t>(f) * dc;
        if (v.rampLeft == 0 && sc == dc) {
            const float g = v.gain;
            const std::uint32_t samples = run * dc;
            for (std::uint32_t i = 0; i < samples; ++i) o[i] += DecodeSample<K>(p + i * BytesOf(K)) * g;
        } else {
            for (std::uint32_t k = 0; k < run; ++k, p += src.align, o += dc) {
                Frame<K>(p, sc, dc, frame);
                const float g = NextGain(v);
                for (std::uint32_t c = 0; c < dc; ++c) o[c] += frame[c] * g;
            }
        }
        f += run;
        idx += run;
    }
    if (v.running) v.pos = idx;
    v.played = static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t{v.played} + f, 0xFFFFFFFFu));
}

// Reads the order in slot `o` if it is whole and newer than `version`.
bool ReadOrder(const Order& o, std::uint64_t commit, std::uint64_t& version, Wanted& w) {
    const std::uint64_t v = o.version.load(std::memory_order_acquire);
    if ((v & 1u) || v <= version || o.commit.load(std::memory_order_relaxed) > commit) return false;
    Wanted got;
    got.command = o.command.load(std::memory_order_relaxed);
    got.gain = o.gain.load(std::memory_order_relaxed);
    got.seekSeq = o.seekSeq.load(std::memory_order_relaxed);
    got.seekFrame = o.seekFrame.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    if (o.version.load(std::memory_order_relaxed) != v) return false;  // rewritten meanwhile
    version = v;
    w = got;
    return true;
}

void RampTo(Voice& v, float target, std::uint32_t frames) {
    v.rampTarget = target;
    v.rampLeft = target == v.gain ? 0 : frames;
    if (v.rampLeft) v.rampStep = (target - v.gain) / static_cast<float>(frames);
}

// A sounding voice fades out over the ramp before it stops or jumps, so that
// neither is heard as a step; a silent one waits as long, so that every voice
// of a commit stops or moves on the same frame whatever its level.
void BeginFade(Voice& v) {
    if (v.fadeLeft || !v.running) return;
    v.fadeLeft = kRampFrames;
    RampTo(v, 0.0f, kRampFrames);
}

// `frame` counts the buffer's own frames. On a converted copy with more
// frames it goes to the first of them at or after it, so that the position
// reads back as asked.
void Jump(Voice& v, std::int64_t frame) {
    const std::uint64_t frames = v.block->frames, f = static_cast<std::uint64_t>(frame);
    v.pos = v.posFrames > frames ? MapFrameUp(f, frames, v.posFrames) : MapFrame(f, frames, v.posFrames);
    v.played = 0;
    // The new position before the seek is marked made, so that the control
    // thread never reads the old place once the seek no longer reads as asked.
    v.position.store(static_cast<std::uint64_t>(frame), std::memory_order_release);
    v.seekDone.store(v.seenSeek, std::memory_order_release);
}

// The fade-out is over: the voice is silent at the old place.
void EndFade(Voice& v) {
    if (v.pendingSeek >= 0) Jump(v, v.pendingSeek);
    v.pendingSeek = -1;
    if (v.stopping) {
        v.running = v.stopping = false;
        return;
    }
    RampTo(v, v.target, kRampFrames);  // from silence at the new place
}

// Applies the newest order of the commits up to `commit`.
void TakeOrders(Voice& v, std::uint64_t commit) {
    Wanted w;
    std::uint64_t version = v.appliedVersion;
    const bool a = ReadOrder(v.orders[0], commit, version, w);
    const bool b = ReadOrder(v.orders[1], commit, version, w);
    if (!a && !b) return;
    v.appliedVersion = version;
    v.target = w.gain;
    const bool sounding = v.running;
    if ((w.command >> 2) != v.seenSequence) {
        v.seenSequence = w.command >> 2;
        v.looping = w.command & 2u;
        const bool play = w.command & 1u;
        if (play && !v.running) {
            v.running = true;
            v.played = 0;
            v.gain = v.fades ? 0.0f : v.target;  // from silence
            RampTo(v, v.target, kRampFrames);
        } else if (play && v.stopping) {
            v.stopping = false;
            if (v.pendingSeek < 0) v.fadeLeft = 0;
        } else if (!play && v.running) {
            v.stopping = v.fades;
            v.running = v.fades;
            BeginFade(v);
        }
    }
    if (w.seekSeq != v.seenSeek) {
        v.seenSeek = w.seekSeq;
        if (sounding && v.fades) {
            v.pendingSeek = w.seekFrame;
            BeginFade(v);
        } else {
            Jump(v, w.seekFrame);
        }
    }
    if (v.running && v.fadeLeft == 0 && v.target != v.rampTarget) RampTo(v, v.target, kRampFrames);
    if (!v.running) v.gain = v.rampTarget = v.target;
}

// Positions go out in the buffer's own frames, whatever the voice plays.
void Publish(Voice& v) {
    const std::uint64_t frames = v.block->frames;
    const std::uint64_t played = std::min<std::uint64_t>(MapFrame(v.played, v.posFrames, frames), 0xFFFFFFFFu);
    v.position.store(played << 32 | MapFrame(v.pos, v.posFrames, frames), std::memory_order_release);
    const bool playing = v.running && !v.stopping;
    v.state.store(v.seenSequence << 2 | (v.looping ? 2u : 0u) | (playing ? 1u : 0u), std::memory_order_release);
}

void MixVoice(Voice& v, const Source& src, float* out, std::uint32_t frames, std::uint32_t dc) {
    std::uint32_t done = 0;
    while (done < frames && v.running) {
        const std::uint32_t n = v.fadeLeft ? std::min(frames - done, v.fadeLeft) : frames - done;
        float* o = out + static_cast<std::size_t>(done) * dc;
        switch (src.kind) {
            case SampleKind::U8: Mix<SampleKind::U8>(v, src, o, n, dc); break;
            case SampleKind::S16: Mix<SampleKind::S16>(v, src, o, n, dc); break;
            case SampleKind::S24: Mix<SampleKind::S24>(v, src, o, n, dc); break;
            case SampleKind::S32: Mix<SampleKind::S32>(v, src, o, n, dc); break;
            case SampleKind::F32: Mix<SampleKind::F32>(v, src, o, n, dc); break;
        }
        done += n;
        if (!v.running) {  // a one-shot buffer ended; a pending stop or seek is moot
            v.stopping = false;
            v.fadeLeft = 0;
            if (v.pendingSeek >= 0) Jump(v, v.pendingSeek);
            v.pendingSeek = -1;
            v.gain = v.rampTarget = v.target;
            v.rampLeft = 0;
        } else if (v.fadeLeft && (v.fadeLeft -= n) == 0) {
            EndFade(v);
        }
    }
}

}  // namespace

void Mixer::Render(float* out, std::uint32_t frames, std::uint64_t commit) noexcept {
    epoch_.fetch_add(1);
    const std::uint32_t dc = channels_.load(std::memory_order_relaxed);
    const std::uint32_t rate = rate_.load(std::memory_order_relaxed);
    std::fill(out, out + static_cast<std::size_t>(frames) * dc, 0.0f);
    const int used = used_.load();
    // Every voice takes its orders before any is mixed, so the set of one
    // commit lands on the same frame of every voice.
    for (int i = 0; i < used; ++i) {
        if (Voice* v = slots_[i].load()) {
            Sync(*v, rate);
            TakeOrders(*v, commit);
        }
    }
    for (int i = 0; i < used; ++i) {
        Voice* v = slots_[i].load();
        if (!v) continue;
        // A buffer whose converted copy is not there yet holds its place in silence.
        if (const Source src = Sync(*v, rate); src.frames > 0) MixVoice(*v, src, out, frames, dc);
        Publish(*v);
    }
    epoch_.fetch_add(1);
}

}  // namespace audio
