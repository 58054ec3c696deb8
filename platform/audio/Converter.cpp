#include "platform/audio/Converter.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "platform/audio/Mixer.h"

namespace audio {

static_assert(kConverterRecipe == SOXR_28_BITQ);

namespace {

// Output frames the filter runs before the kept turn begins, so that the
// first kept frame has the buffer's tail in its history (the filter's own
// reach is a few hundred frames; this is ample at every rate pair).
constexpr std::uint64_t kWarmFrames = 16384;
// Input frames decoded per step.
constexpr std::size_t kChunkFrames = 4096;

// Samples of `frames` frames from frame `at` onwards, decoded to float.
template <SampleKind K>
void DecodeRun(const BYTE* data, std::uint32_t align, std::uint32_t channels, std::uint64_t at, std::size_t frames,
               float* out) {
    const BYTE* p = data + at * align;
    for (std::size_t f = 0; f < frames; ++f, p += align) {
        for (std::uint32_t c = 0; c < channels; ++c) *out++ = DecodeSample<K>(p + c * BytesOf(K));
    }
}

void Decode(const SampleFormat& fmt, const BYTE* data, std::uint64_t at, std::size_t frames, float* out) {
    switch (fmt.kind) {
        case SampleKind::U8: DecodeRun<SampleKind::U8>(data, fmt.blockAlign, fmt.channels, at, frames, out); break;
        case SampleKind::S16: DecodeRun<SampleKind::S16>(data, fmt.blockAlign, fmt.channels, at, frames, out); break;
        case SampleKind::S24: DecodeRun<SampleKind::S24>(data, fmt.blockAlign, fmt.channels, at, frames, out); break;
        case SampleKind::S32: DecodeRun<SampleKind::S32>(data, fmt.blockAlign, fmt.channels, at, frames, out); break;
        case SampleKind::F32: DecodeRun<SampleKind::F32>(data, fmt.blockAlign, fmt.channels, at, frames, out); break;
    }
}

struct SoxrDeleter {
    void operator()(soxr* s) const { soxr_delete(s); }
};

}  // namespace

std::uint64_t ConvertedLength(std::uint64_t frames, std::uint32_t from, std::uint32_t to) {
    if (from == to || from == 0) return frames;
    const auto n = (static_cast<unsigned __int128>(frames) * to + from / 2) / from;
    return std::max<std::uint64_t>(static_cast<std::uint64_t>(n), 1);
}

std::unique_ptr<ConvertedBlock> ConvertLoop(const SampleFormat& format, const BYTE* data, std::uint64_t frames,
                                            std::uint32_t rate, const std::atomic<bool>& cancel) {
    if (!data || frames == 0 || rate == 0) return nullptr;
    const std::uint32_t channels = format.channels;
    const std::uint64_t out = ConvertedLength(frames, format.rate, rate);
    auto block = std::unique_ptr<ConvertedBlock>(new (std::nothrow) ConvertedBlock);
    if (!block) return nullptr;
    block->data.reset(new (std::nothrow) float[out * channels]);
    if (!block->data) return nullptr;
    block->rate = rate;
    block->channels = channels;
    block->frames = out;

    // The filter is told the two frame counts as its rates: their ratio is
    // the loop's exactly, so output frame j lies at input time j * frames / out
    // on every turn.
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(kConverterRecipe, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t err = nullptr;
    std::unique_ptr<soxr, SoxrDeleter> sx(soxr_create(static_cast<double>(frames), static_cast<double>(out), channels,
                                                       &err, &io, &quality, &runtime));
    if (!sx || err) return nullptr;

    std::vector<float> in, got;
    try {
        in.resize(kChunkFrames * channels);
        got.resize(kChunkFrames * 2 * channels);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    // The input is the buffer repeated; outputs from kWarmFrames on are kept,
    // one whole turn, each at its place in the loop (j mod out).
    const std::uint64_t last = kWarmFrames + out;
    std::uint64_t read = 0, made = 0;
    std::size_t have = 0, used = 0;
    while (made < last) {
        if (cancel.load(std::memory_order_relaxed)) return nullptr;
        if (used == have) {
            const std::uint64_t at = read % frames;
            have = static_cast<std::size_t>(std::min<std::uint64_t>(kChunkFrames, frames - at));
            Decode(format, data, at, have, in.data());
            read += have;
            used = 0;
        }
        std::size_t idone = 0, odone = 0;
        err = soxr_process(sx.get(), in.data() + used * channels, have - used, &idone, got.data(),
                           got.size() / channels, &odone);
        if (err) return nullptr;
        used += idone;
        for (std::size_t k = 0; k < odone && made < last; ++k, ++made) {
            if (made < kWarmFrames) continue;
            std::copy_n(got.data() + k * channels, channels, block->data.get() + (made % out) * channels);
        }
    }
    return block;
}

Conversion::Conversion(const SampleFormat& format, const BYTE* data, std::uint64_t frames, std::uint32_t rate,
                       std::atomic<ConvertedBlock*>& publish)
    : rate_(rate) {
    BeginConversion();
    try {
        worker_ = std::thread([this, format, data, frames, rate, &publish] {
            std::unique_ptr<ConvertedBlock> made = ConvertLoop(format, data, frames, rate, cancel_);
            if (made) publish.store(made.release(), std::memory_order_release);
            else failed_.store(true, std::memory_order_release);
            EndConversion();
        });
    } catch (...) {
        EndConversion();
        throw;
    }
}

Conversion::~Conversion() {
    cancel_.store(true, std::memory_order_relaxed);
    if (worker_.joinable()) worker_.join();
}

}  // namespace audio
