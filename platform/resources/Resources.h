// Embedded resources of the program's own module, found by name and type.
// Provided over Qt's resource system: a resource NAME of type TYPE is the file
// ":/res/TYPE/NAME" compiled into the program. Control thread only.
#pragma once

#include "platform/WinTypes.h"

using HMODULE = void*;
struct ResourceInfo;
using HRSRC = const ResourceInfo*;
using HGLOBAL = const void*;

// Numeric resource types are written as their number ("10" for RCDATA).
inline const wchar_t* const RT_RCDATA = L"10";

HMODULE GetModuleHandleW(const wchar_t* lpModuleName);  // null: the program itself
HRSRC FindResourceW(HMODULE hModule, const wchar_t* lpName, const wchar_t* lpType);
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
const void* LockResource(HGLOBAL hResData);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
