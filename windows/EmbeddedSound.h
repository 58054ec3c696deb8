// The bytes of one of the program's embedded sounds (type RCDATA), found, loaded
// and locked with the checks named after each step (hFound, hRes, pBuf, nSize)
// in the caller's unit. The bytes stay valid for the whole run. GUI thread only.
#pragma once

#include "platform/WinTypes.h"

struct TEmbeddedSound {
    const void* pBuf = nullptr;  // null when a step failed
    DWORD nSize = 0;
};

TEmbeddedSound LockEmbeddedSound(const wchar_t* strName, const char* strUnit);
