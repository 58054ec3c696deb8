#include "platform/resources/Resources.h"

HMODULE GetModuleHandleW(const wchar_t*) { return nullptr; }
HRSRC FindResourceW(HMODULE, const wchar_t*, const wchar_t*) { return nullptr; }
HGLOBAL LoadResource(HMODULE, HRSRC) { return nullptr; }
const void* LockResource(HGLOBAL) { return nullptr; }
DWORD SizeofResource(HMODULE, HRSRC) { return 0; }
