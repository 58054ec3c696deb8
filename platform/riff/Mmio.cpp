#include "platform/riff/Mmio.h"

HMMIO mmioOpenW(const wchar_t*, MMIOINFO*, DWORD) { return nullptr; }
MMRESULT mmioClose(HMMIO, UINT) { return MMSYSERR_INVALHANDLE; }
LONG mmioRead(HMMIO, char*, LONG) { return -1; }
LONG mmioSeek(HMMIO, LONG, int) { return -1; }
MMRESULT mmioDescend(HMMIO, MMCKINFO*, const MMCKINFO*, UINT) { return MMSYSERR_INVALHANDLE; }
MMRESULT mmioAscend(HMMIO, MMCKINFO*, UINT) { return MMSYSERR_INVALHANDLE; }
MMRESULT mmioGetInfo(HMMIO, MMIOINFO*, UINT) { return MMSYSERR_INVALHANDLE; }
MMRESULT mmioSetInfo(HMMIO, const MMIOINFO*, UINT) { return MMSYSERR_INVALHANDLE; }
MMRESULT mmioAdvance(HMMIO, MMIOINFO*, UINT) { return MMSYSERR_INVALHANDLE; }
