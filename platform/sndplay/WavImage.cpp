#include "platform/sndplay/WavImage.h"

#include <cstring>

#include "platform/audio/DSound.h"

namespace sndplay {
namespace {

DWORD Le32(const BYTE* p) { return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24; }
WORD Le16(const BYTE* p) { return static_cast<WORD>(p[0] | p[1] << 8); }

// A "fmt " body larger than this carries nothing the service reads.
constexpr DWORD kMaxFormatBytes = 64;

}  // namespace

bool ParseWavImage(const void* image, WavImage& out) {
    out = WavImage{};
    if (!image) return false;
    const BYTE* base = static_cast<const BYTE*>(image);
    if (std::memcmp(base, "RIFF", 4) != 0) return false;
    const DWORD riffSize = Le32(base + 4);
    if (riffSize < 4 || riffSize > DSBSIZE_MAX || std::memcmp(base + 8, "WAVE", 4) != 0) return false;
    const std::uint64_t end = std::uint64_t(riffSize) + 8;

    bool haveFormat = false;
    std::uint64_t pos = 12;
    while (pos + 8 <= end) {
        const BYTE* head = base + pos;
        const DWORD size = Le32(head + 4);
        const std::uint64_t body = pos + 8;
        const std::uint64_t room = end - body;
        if (std::memcmp(head, "fmt ", 4) == 0 && !haveFormat) {
            if (size < 16 || size > room) return false;
            const DWORD keep = size < kMaxFormatBytes ? size : kMaxFormatBytes;
            out.format.assign(base + body, base + body + keep);
            if (out.format.size() < sizeof(WAVEFORMATEX)) out.format.resize(sizeof(WAVEFORMATEX), 0);
            haveFormat = true;
        } else if (std::memcmp(head, "data", 4) == 0) {
            if (!haveFormat) return false;  // the samples cannot be read without their format
            const WORD align = Le16(out.format.data() + 12);
            if (align == 0) return false;
            const std::uint64_t bytes = size < room ? size : room;
            out.data = base + body;
            out.bytes = static_cast<DWORD>(bytes - bytes % align);
            return out.bytes > 0;
        }
        pos = body + size + (size & 1);
    }
    return false;
}

}  // namespace sndplay
