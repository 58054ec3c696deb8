// The SoundOutput unit's error-trace hook: every failure of the layer passes
// through it with its source unit, line, code and the name of the failed step.
// It records nothing and shows nothing; it yields the code, so a failing step
// reads `return DXTRACE_ERR(L"step", hr);`.
#pragma once

#include "platform/WinTypes.h"

HRESULT DXTraceW(const char* strFile, DWORD dwLine, HRESULT hr, const wchar_t* strMsg, BOOL bPopMsgBox);
#define DXTRACE_ERR(str, hr) DXTraceW("SoundOutput", __LINE__, hr, str, FALSE)
#define DXTRACE_ERR_NOMSGBOX(str, hr) DXTraceW("SoundOutput", __LINE__, hr, str, FALSE)
