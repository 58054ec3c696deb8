// Wave formats the audio service accepts, decoded once into what the mixer needs.
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/WinTypes.h"

namespace audio {

enum class SampleKind : std::uint8_t { U8, S16, S24, S32, F32 };

struct SampleFormat {
    SampleKind kind = SampleKind::S16;
    std::uint32_t channels = 2;
    std::uint32_t rate = 44100;
    std::uint32_t bits = 16;
    std::uint32_t blockAlign = 4;  // bytes per frame
};

constexpr std::uint32_t kMaxChannels = 8;
constexpr std::uint32_t kMinRate = 1000;
constexpr std::uint32_t kMaxRate = 384000;

constexpr std::uint32_t BytesOf(SampleKind k) {
    return k == SampleKind::U8 ? 1 : k == SampleKind::S16 ? 2 : k == SampleKind::S24 ? 3 : 4;
}

// One sample at p as a float, full scale +-1.
template <SampleKind K>
inline float DecodeSample(const BYTE* p) {
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

// Accepts PCM of 8, 16, 24 or 32 bits and 32-bit IEEE float (plain or in the
// extensible record), 1 to 8 channels, 1000 to 384000 frames per second, with a
// block align of channels x bytes per sample. Anything else: DSERR_BADFORMAT.
// The rate of bytes per second is not judged: the mixer never uses it.
HRESULT ParseFormat(const WAVEFORMATEX* wfx, SampleFormat& out);

// The 18-byte record that describes `f` as plain PCM or float.
WAVEFORMATEX ToWaveFormat(const SampleFormat& f);

}  // namespace audio
