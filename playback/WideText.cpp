#include "playback/WideText.h"

namespace {
constexpr char32_t REPLACEMENT = 0xFFFD;

// The length of the sequence a lead byte opens and the bits it carries; 0 for
// a byte that cannot open one.
int SequenceLength(unsigned char c, char32_t& cp) {
    if (c < 0x80) { cp = c; return 1; }
    if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; return 2; }
    if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; return 3; }
    if ((c & 0xF8) == 0xF0) { cp = c & 0x07; return 4; }
    return 0;
}

void PutUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = REPLACEMENT;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
}  // namespace

std::wstring WideOfText(const std::string& strText) {
    static const char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    std::wstring out;
    out.reserve(strText.size());
    for (std::size_t i = 0; i < strText.size();) {
        char32_t cp = 0;
        const int n = SequenceLength(static_cast<unsigned char>(strText[i]), cp);
        int k = 1;
        while (n > 1 && k < n && i + k < strText.size() && (static_cast<unsigned char>(strText[i + k]) & 0xC0) == 0x80) {
            cp = (cp << 6) | (static_cast<unsigned char>(strText[i + k]) & 0x3F);
            ++k;
        }
        const bool bWhole = n > 0 && k == n && cp >= kMin[n] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        out += static_cast<wchar_t>(bWhole ? cp : REPLACEMENT);
        i += bWhole ? n : k;
    }
    return out;
}

std::string TextOfWide(const wchar_t* pText) {
    std::string out;
    if (!pText) return out;
    for (; *pText; ++pText) PutUtf8(out, static_cast<char32_t>(*pText));
    return out;
}
