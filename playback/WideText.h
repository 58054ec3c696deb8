// Conversion between the program's 8-bit text (UTF-8 on this platform) and the
// wide text of the audio service and the sound layer. An invalid UTF-8 byte
// becomes U+FFFD, as the toolkit's own conversion does.
#pragma once

#include <string>

std::wstring WideOfText(const std::string& strText);
std::string TextOfWide(const wchar_t* pText);
