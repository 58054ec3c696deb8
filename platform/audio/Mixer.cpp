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

// One sample at p as a float, full scale +-1.
template <SampleKind K>
inline float Sample(const BYTE* p) {
    if constexpr (K == SampleKind::U8) {
        return (static_cast<int>(p[0]) - 128) * (1.0f / 128.0f);
    } else if constexpr (K == SampleKind::S16) {
        std::int16_t v;
        std::memcpy(&v, p, 2);
        return v * (1.0f / 32768.0f);
    } else if constexpr (K == SampleKind::S24) {
        const std::int32_t v = static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) << 8 |
                                                         static_cast<std::uint32_t>(p[1]) << 16 |
                                                         static_cast<std::uint32_t>(p[2]) << 24) >> 8;
        return static_cast<float>(v) * (1.0f / 8388608.0f);
    } else if constexpr (K == SampleKind::S32) {
        std::int32_t v;
        std::memcpy(&v, p, 4);
        return static_cast<float>(static_cast<double>(v) * (1.0 / 2147483648.0));
    } else {
        float v;
        std::memcpy(&v, p, 4);
        return v;
    }
}

constexpr std::uint32_t BytesOf(SampleKind k) {
    return k == SampleKind::U8 ? 1 : k == SampleKind::S16 ? 2 : k == SampleKind::S24 ? 3 : 4;
}

// The frame at p mapped to `dc` output channels: equal counts pass through,
// fewer source channels repeat (mono feeds every channel), more are averaged
// in groups (stereo to mono is the mean of both).
template <SampleKind K>
inline void Frame(const BYTE* p, std::uint32_t sc, std::uint32_t dc, float* v) {
    constexpr std::uint32_t b = BytesOf(K);
    if (sc == dc) {
        for (std::uint32_t c = 0; c < dc; ++c) v[c] = Sample<K>(p + c * b);
    } else if (sc < dc) {
        for (std::uint32_t c = 0; c < dc; ++c) v[c] = Sample<K>(p + (c % sc) * b);
    } else {
        for (std::uint32_t c = 0; c < dc; ++c) {
            float sum = 0.0f;
            std::uint32_t n = 0;
            for (std::uint32_t s = c; s < sc; s += dc, ++n) sum += Sample<K>(p + s * b);
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

// Same rate: frames are copied in runs up to the buffer's end; a run without a
// ramp and with the primary channel count is a plain multiply-add.
template <SampleKind K>
void MixSameRate(Voice& v, float* out, std::uint32_t n, std::uint32_t dc) {
    const SampleBlock& blk = *v.block;
    const std::uint32_t sc = blk.format.channels;
    const std::uint32_t align = blk.format.blockAlign;
    std::uint64_t idx = v.pos >> 32;
    float frame[kMaxChannels];
    std::uint32_t f = 0;
    while (f < n) {
        if (AtEnd(v, idx, blk.frames)) break;
        const std::uint32_t run = static_cast<std::uint32_t>(std::min<std::uint64_t>(n - f, blk.frames - idx));
        const BYTE* src = blk.data + idx * align;
        float* o = out + static_cast<std::size_t>(f) * dc;
        if (v.rampLeft == 0 && sc == dc) {
            const float g = v.gain;
            const std::uint32_t samples = run * dc;
            for (std::uint32_t i = 0; i < samples; ++i) o[i] += Sample<K>(src + i * BytesOf(K)) * g;
        } else {
            for (std::uint32_t k = 0; k < run; ++k, src += align, o += dc) {
                Frame<K>(src, sc, dc, frame);
                const float g = NextGain(v);
                for (std::uint32_t c = 0; c < dc; ++c) o[c] += frame[c] * g;
            }
        }
        f += run;
        idx += run;
    }
    if (v.running) v.pos = idx << 32;
    v.played = static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t{v.played} + f, 0xFFFFFFFFu));
}

template <SampleKind K>
void MixResampled(Voice& v, float* out, std::uint32_t n, std::uint32_t dc, std::uint64_t step) {
    const SampleBlock& blk = *v.block;
    const std::uint32_t sc = blk.format.channels;
    const std::uint32_t align = blk.format.blockAlign;
    const std::uint64_t frames = blk.frames;
    float a[kMaxChannels], b[kMaxChannels];
    std::uint64_t pos = v.pos;
    std::uint32_t f = 0;
    for (; f < n; ++f) {
        std::uint64_t idx = pos >> 32;
        const std::uint64_t frac = pos & 0xFFFFFFFFu;
        if (AtEnd(v, idx, frames)) break;
        pos = idx << 32 | frac;
        const std::uint64_t next = idx + 1 < frames ? idx + 1 : (v.looping ? 0 : idx);
        Frame<K>(blk.data + idx * align, sc, dc, a);
        Frame<K>(blk.data + next * align, sc, dc, b);
        const float t = static_cast<float>(frac) * (1.0f / 4294967296.0f);
        const float g = NextGain(v);
        float* o = out + static_cast<std::size_t>(f) * dc;
        for (std::uint32_t c = 0; c < dc; ++c) o[c] += (a[c] + (b[c] - a[c]) * t) * g;
        pos += step;
    }
    if (v.running) v.pos = pos;
    v.played = static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t{v.played} + f, 0xFFFFFFFFu));
}

template <SampleKind K>
void MixKind(Voice& v, float* out, std::uint32_t n, std::uint32_t dc, std::uint32_t rate) {
    const std::uint32_t src = v.block->format.rate;
    if (src == rate)
        MixSameRate<K>(v, out, n, dc);
    else
        MixResampled<K>(v, out, n, dc, ((std::uint64_t{src} << 32) + rate / 2) / rate);
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

void Jump(Voice& v, std::int64_t frame) {
    v.pos = static_cast<std::uint64_t>(frame) << 32;
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

void Publish(Voice& v) {
    v.position.store(std::uint64_t{v.played} << 32 | (v.pos >> 32), std::memory_order_release);
    const bool playing = v.running && !v.stopping;
    v.state.store(v.seenSequence << 2 | (v.looping ? 2u : 0u) | (playing ? 1u : 0u), std::memory_order_release);
}

void MixVoice(Voice& v, float* out, std::uint32_t frames, std::uint32_t dc, std::uint32_t rate) {
    std::uint32_t done = 0;
    while (done < frames && v.running) {
        const std::uint32_t n = v.fadeLeft ? std::min(frames - done, v.fadeLeft) : frames - done;
        float* o = out + static_cast<std::size_t>(done) * dc;
        switch (v.block->format.kind) {
            case SampleKind::U8: MixKind<SampleKind::U8>(v, o, n, dc, rate); break;
            case SampleKind::S16: MixKind<SampleKind::S16>(v, o, n, dc, rate); break;
            case SampleKind::S24: MixKind<SampleKind::S24>(v, o, n, dc, rate); break;
            case SampleKind::S32: MixKind<SampleKind::S32>(v, o, n, dc, rate); break;
            case SampleKind::F32: MixKind<SampleKind::F32>(v, o, n, dc, rate); break;
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
        if (Voice* v = slots_[i].load()) TakeOrders(*v, commit);
    }
    for (int i = 0; i < used; ++i) {
        Voice* v = slots_[i].load();
        if (!v) continue;
        if (v->block->frames > 0) MixVoice(*v, out, frames, dc, rate);
        Publish(*v);
    }
    epoch_.fetch_add(1);
}

}  // namespace audio
