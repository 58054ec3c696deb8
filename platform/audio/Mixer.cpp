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

void Voice::Command(bool play, bool loop) {
    const std::uint32_t seq = (command.load() >> 2) + 1;
    command.store(seq << 2 | (loop ? 2u : 0u) | (play ? 1u : 0u));
}

bool Voice::Playing() const {
    const std::uint32_t c = command.load();
    const std::uint32_t s = state.load();
    return ((s >> 2) == (c >> 2) ? s : c) & 1u;
}

bool Voice::Looping() const { return Playing() && (command.load() & 2u); }

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

// Applies what the control thread asked for since the last period.
void TakeCommands(Voice& v) {
    const bool wasRunning = v.running;
    const std::uint32_t c = v.command.load(std::memory_order_acquire);
    if ((c >> 2) != v.seenSequence) {
        v.seenSequence = c >> 2;
        v.running = c & 1u;
        v.looping = c & 2u;
        if (v.running && !wasRunning) v.played = 0;
    }
    std::int64_t seek = v.seekFrame.load(std::memory_order_acquire);
    if (seek >= 0) {
        v.pos = static_cast<std::uint64_t>(seek) << 32;
        v.played = 0;
        // Publish the new position before withdrawing the request, so that the
        // control thread never sees the old one once its seek is gone.
        v.position.store(static_cast<std::uint64_t>(seek));
        v.seekFrame.compare_exchange_strong(seek, -1);
    }
    const float target = v.targetGain.load(std::memory_order_relaxed);
    if (!v.running || !wasRunning) {
        v.gain = v.rampTarget = target;  // nothing sounded yet: start at the new level
        v.rampLeft = 0;
    } else if (target != v.rampTarget) {
        v.rampTarget = target;
        v.rampLeft = kRampFrames;
        v.rampStep = (target - v.gain) / static_cast<float>(kRampFrames);
    }
}

void Publish(Voice& v) {
    v.position.store(std::uint64_t{v.played} << 32 | (v.pos >> 32), std::memory_order_release);
    v.state.store(v.seenSequence << 2 | (v.looping ? 2u : 0u) | (v.running ? 1u : 0u), std::memory_order_release);
}

}  // namespace

void Mixer::Render(float* out, std::uint32_t frames) noexcept {
    epoch_.fetch_add(1);
    const std::uint32_t dc = channels_.load(std::memory_order_relaxed);
    const std::uint32_t rate = rate_.load(std::memory_order_relaxed);
    std::fill(out, out + static_cast<std::size_t>(frames) * dc, 0.0f);
    const int used = used_.load();
    for (int i = 0; i < used; ++i) {
        Voice* v = slots_[i].load();
        if (!v) continue;
        TakeCommands(*v);
        if (v->running && v->block->frames > 0) {
            switch (v->block->format.kind) {
                case SampleKind::U8: MixKind<SampleKind::U8>(*v, out, frames, dc, rate); break;
                case SampleKind::S16: MixKind<SampleKind::S16>(*v, out, frames, dc, rate); break;
                case SampleKind::S24: MixKind<SampleKind::S24>(*v, out, frames, dc, rate); break;
                case SampleKind::S32: MixKind<SampleKind::S32>(*v, out, frames, dc, rate); break;
                case SampleKind::F32: MixKind<SampleKind::F32>(*v, out, frames, dc, rate); break;
            }
        }
        Publish(*v);
    }
    epoch_.fetch_add(1);
}

}  // namespace audio
