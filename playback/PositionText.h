// The position label's text, "%3.1f / %3.1f s" of play position and length in
// seconds, always with a point as the decimal separator: the C library's
// printf follows the user's numeric locale, which may write a comma.
#pragma once

#include <charconv>
#include <string>

#include "platform/WinTypes.h"

// Bytes per second of the reference format, 44100 Hz x 2 channels x 2 bytes,
// whatever the format of the loaded file.
constexpr double POSITION_BYTES_PER_SECOND = 176400.0;

inline std::string FixedOneDecimal(double dValue) {
    char acText[32];
    const auto Result = std::to_chars(acText, acText + sizeof acText, dValue, std::chars_format::fixed, 1);
    std::string strText(acText, Result.ptr);
    // "%3.1f": at least three characters, padded with blanks on the left.
    if (strText.size() < 3) strText.insert(0, 3 - strText.size(), ' ');
    return strText;
}

inline std::string PositionText(DWORD dwPosition, DWORD dwLength) {
    return FixedOneDecimal(dwPosition / POSITION_BYTES_PER_SECOND) + " / " +
           FixedOneDecimal(dwLength / POSITION_BYTES_PER_SECOND) + " s";
}
