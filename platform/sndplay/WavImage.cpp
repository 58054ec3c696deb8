// The image is walked with the buffered RIFF stream over the memory block, the
// same chunk walk the WAV reader uses for files.
#include "platform/sndplay/WavImage.h"

#include <cstring>
#include <memory>

#include "platform/audio/DSound.h"
#include "platform/riff/Mmio.h"

namespace sndplay {
namespace {

DWORD Le32(const BYTE* p) { return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24; }
WORD Le16(const BYTE* p) { return static_cast<WORD>(p[0] | p[1] << 8); }

// A "fmt " body larger than this carries nothing the service reads.
constexpr DWORD kMaxFormatBytes = 64;
constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');

struct StreamCloser {
    void operator()(MmioStream* h) const { mmioClose(h, 0); }
};

// The body of a chunk may not reach past its form.
bool FitsIn(const MMCKINFO& ck, const MMCKINFO& form) {
    return std::uint64_t(ck.dwDataOffset) + ck.cksize <= std::uint64_t(form.dwDataOffset) + form.cksize;
}

}  // namespace

bool ParseWavImage(const void* image, WavImage& out) {
    out = WavImage{};
    if (!image) return false;
    const BYTE* base = static_cast<const BYTE*>(image);
    if (std::memcmp(base, "RIFF", 4) != 0) return false;
    const DWORD riffSize = Le32(base + 4);
    if (riffSize < 4 || riffSize > DSBSIZE_MAX || std::memcmp(base + 8, "WAVE", 4) != 0) return false;

    // Only read: the stream never writes into its block.
    MMIOINFO info{};
    info.fccIOProc = FOURCC_MEM;
    info.cchBuffer = static_cast<LONG>(riffSize + 8);
    info.pchBuffer = reinterpret_cast<char*>(const_cast<BYTE*>(base));
    const std::unique_ptr<MmioStream, StreamCloser> stream(mmioOpenW(nullptr, &info, MMIO_READ));
    if (!stream) return false;

    MMCKINFO form{};
    if (mmioDescend(stream.get(), &form, nullptr, 0) != MMSYSERR_NOERROR || form.fccType != kWave) return false;
    MMCKINFO ck{};
    ck.ckid = mmioFOURCC('f', 'm', 't', ' ');
    // The samples cannot be read without their format, so it must come first.
    if (mmioDescend(stream.get(), &ck, &form, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return false;
    if (ck.cksize < 16 || !FitsIn(ck, form)) return false;
    const DWORD keep = ck.cksize < kMaxFormatBytes ? ck.cksize : kMaxFormatBytes;
    out.format.assign(base + ck.dwDataOffset, base + ck.dwDataOffset + keep);
    if (out.format.size() < sizeof(WAVEFORMATEX)) out.format.resize(sizeof(WAVEFORMATEX), 0);
    if (mmioAscend(stream.get(), &ck, 0) != MMSYSERR_NOERROR) return false;

    ck.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioDescend(stream.get(), &ck, &form, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return false;
    const WORD align = Le16(out.format.data() + 12);
    if (align == 0) return false;
    // A "data" chunk that claims more than the image holds is cut to what is there.
    const std::uint64_t room = std::uint64_t(form.dwDataOffset) + form.cksize - ck.dwDataOffset;
    const std::uint64_t bytes = ck.cksize < room ? ck.cksize : room;
    out.data = base + ck.dwDataOffset;
    out.bytes = static_cast<DWORD>(bytes - bytes % align);
    return out.bytes > 0;
}

}  // namespace sndplay
