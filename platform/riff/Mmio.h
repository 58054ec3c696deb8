// The buffered RIFF stream service: a read-only buffered stream over a file or a
// memory block, with chunk descent and ascent, under the service's own names.
// A stream is used by one thread at a time (the control thread in this program).
#pragma once

#include "platform/WinTypes.h"

using FOURCC = DWORD;
using MMRESULT = std::uint32_t;
using UINT = std::uint32_t;

struct MmioStream;
using HMMIO = MmioStream*;

constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) {
    return static_cast<FOURCC>(static_cast<BYTE>(a)) | (static_cast<FOURCC>(static_cast<BYTE>(b)) << 8) |
           (static_cast<FOURCC>(static_cast<BYTE>(c)) << 16) | (static_cast<FOURCC>(static_cast<BYTE>(d)) << 24);
}

constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');
constexpr FOURCC FOURCC_MEM = mmioFOURCC('M', 'E', 'M', ' ');

constexpr DWORD MMIO_READ = 0x00000000;
constexpr DWORD MMIO_ALLOCBUF = 0x00010000;
constexpr UINT MMIO_FINDCHUNK = 0x0010;
constexpr UINT MMIO_FINDRIFF = 0x0020;
constexpr UINT MMIO_FINDLIST = 0x0040;
constexpr UINT MMIO_DIRTY = 0x10000000;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MMIOERR_FILENOTFOUND = 257;
constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = 265;
constexpr MMRESULT MMIOERR_CANNOTREAD = 261;
constexpr MMRESULT MMIOERR_CANNOTSEEK = 263;
constexpr MMRESULT MMIOERR_CANNOTEXPAND = 264;
constexpr MMRESULT MMIOERR_OUTOFMEMORY = 258;

constexpr int SEEK_SET_ = 0;
constexpr int SEEK_CUR_ = 1;
constexpr int SEEK_END_ = 2;

// A chunk: id, body size, form type (RIFF and LIST only), offset of the body.
struct MMCKINFO {
    FOURCC ckid;
    DWORD cksize;
    FOURCC fccType;
    DWORD dwDataOffset;
    DWORD dwFlags;
};

// The stream's buffer state, for direct access (get info, advance, set info).
struct MMIOINFO {
    DWORD dwFlags;
    FOURCC fccIOProc;   // FOURCC_MEM opens a stream over pchBuffer/cchBuffer
    UINT wErrorRet;
    LONG cchBuffer;
    char* pchBuffer;
    char* pchNext;      // next byte to read
    char* pchEndRead;   // one past the last valid byte
    char* pchEndWrite;
    LONG lBufOffset;    // stream offset of pchBuffer
    LONG lDiskOffset;   // stream offset of pchEndRead
    HMMIO hmmio;
};

HMMIO mmioOpenW(const wchar_t* pszFileName, MMIOINFO* pmmioinfo, DWORD fdwOpen);
MMRESULT mmioClose(HMMIO hmmio, UINT fuClose);
LONG mmioRead(HMMIO hmmio, char* pch, LONG cch);
LONG mmioSeek(HMMIO hmmio, LONG lOffset, int iOrigin);
MMRESULT mmioDescend(HMMIO hmmio, MMCKINFO* pmmcki, const MMCKINFO* pmmckiParent, UINT fuDescend);
MMRESULT mmioAscend(HMMIO hmmio, MMCKINFO* pmmcki, UINT fuAscend);
MMRESULT mmioGetInfo(HMMIO hmmio, MMIOINFO* pmmioinfo, UINT fuInfo);
MMRESULT mmioSetInfo(HMMIO hmmio, const MMIOINFO* pmmioinfo, UINT fuInfo);
MMRESULT mmioAdvance(HMMIO hmmio, MMIOINFO* pmmioinfo, UINT fuAdvance);
