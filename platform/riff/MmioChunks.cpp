// The chunk walk of the buffered RIFF stream: descending into a chunk (the one at
// the current position, or the next one of a given id inside a parent) and
// ascending out of it past its pad byte.
//
// Every offset is computed in 64 bits and checked against the parent's body and
// the stream's size, so a claimed size of any value can neither wrap an offset
// nor send a search outside its parent; each step of a search moves forward by at
// least one chunk header, so a search always ends.
#include <algorithm>
#include <cstring>

#include "platform/riff/Mmio.h"
#include "platform/riff/MmioStream.h"

namespace {

DWORD Le32(const unsigned char* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

bool ReadDword(MmioStream& s, DWORD& value) {
    unsigned char b[4];
    if (s.ReadBytes(reinterpret_cast<char*>(b), 4) != 4) return false;
    value = Le32(b);
    return true;
}

bool IsForm(FOURCC id) { return id == FOURCC_RIFF || id == FOURCC_LIST; }

bool Wanted(UINT mode, FOURCC id, const MMCKINFO& target) {
    switch (mode) {
    case MMIO_FINDCHUNK: return id == target.ckid;
    case MMIO_FINDRIFF: return id == FOURCC_RIFF;
    case MMIO_FINDLIST: return id == FOURCC_LIST;
    default: return true;  // a plain descent takes the chunk where it stands
    }
}

}  // namespace

MMRESULT mmioDescend(HMMIO hmmio, MMCKINFO* pmmcki, const MMCKINFO* pmmckiParent, UINT fuDescend) {
    if (!hmmio) return MMSYSERR_INVALHANDLE;
    if (!pmmcki) return MMSYSERR_INVALPARAM;
    const UINT mode = fuDescend & (MMIO_FINDCHUNK | MMIO_FINDRIFF | MMIO_FINDLIST);
    if (mode != 0 && mode != MMIO_FINDCHUNK && mode != MMIO_FINDRIFF && mode != MMIO_FINDLIST)
        return MMSYSERR_INVALPARAM;

    MmioStream& s = *hmmio;
    const std::int64_t start = s.Position();
    std::int64_t limit = s.size;
    if (pmmckiParent) {
        const std::int64_t body = pmmckiParent->dwDataOffset;
        if (start < body) return MMIOERR_CHUNKNOTFOUND;
        limit = std::min<std::int64_t>(limit, body + pmmckiParent->cksize);
    }

    for (std::int64_t pos = start; pos + 8 <= limit;) {
        unsigned char header[8];
        if (!s.SeekTo(pos) || s.ReadBytes(reinterpret_cast<char*>(header), 8) != 8) break;
        const FOURCC id = Le32(header);
        const DWORD size = Le32(header + 4);
        bool match = Wanted(mode, id, *pmmcki);
        FOURCC type = 0;
        if (match && IsForm(id)) {
            if (pos + 12 > limit || !ReadDword(s, type)) break;
            if (mode == MMIO_FINDRIFF || mode == MMIO_FINDLIST) match = (type == pmmcki->fccType);
        }
        if (match) {
            pmmcki->ckid = id;
            pmmcki->cksize = size;
            pmmcki->fccType = type;
            pmmcki->dwDataOffset = static_cast<DWORD>(pos + 8);
            pmmcki->dwFlags = 0;
            return MMSYSERR_NOERROR;
        }
        pos += 8 + static_cast<std::int64_t>(size) + (size & 1);
    }
    s.SeekTo(start);
    return MMIOERR_CHUNKNOTFOUND;
}

MMRESULT mmioAscend(HMMIO hmmio, MMCKINFO* pmmcki, UINT) {
    if (!hmmio) return MMSYSERR_INVALHANDLE;
    if (!pmmcki) return MMSYSERR_INVALPARAM;
    const std::int64_t end = static_cast<std::int64_t>(pmmcki->dwDataOffset) + pmmcki->cksize;
    // A body that reaches past the stream is refused; only a missing pad byte at
    // the very end of the stream is forgiven.
    if (end > hmmio->size) return MMIOERR_CANNOTSEEK;
    const std::int64_t padded = std::min<std::int64_t>(end + (pmmcki->cksize & 1), hmmio->size);
    return hmmio->SeekTo(padded) ? MMSYSERR_NOERROR : MMIOERR_CANNOTSEEK;
}
