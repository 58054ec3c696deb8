#include "files/parse/TextLines.h"

#include <limits>

std::vector<std::string> SplitTextLines(std::string_view bytes) {
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);

    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.emplace_back(bytes.substr(start, i - start));
        // Only CR followed by LF is one break; LF followed by CR is two.
        i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
    return lines;
}

namespace {

// The C locale's white space, as %d skips it.
bool IsScanSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

void SkipSpace(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && IsScanSpace(text[pos])) ++pos;
}

// One %d conversion starting at pos; pos moves past it only when it succeeds.
bool ScanInt(std::string_view text, std::size_t& pos, std::int32_t& value) {
    std::size_t p = pos;
    SkipSpace(text, p);
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    if (p >= text.size() || text[p] < '0' || text[p] > '9') return false;

    // Accumulated as a negative magnitude so that the range's lower end fits.
    constexpr std::int64_t kLow = std::numeric_limits<std::int32_t>::min();
    std::int64_t magnitude = 0;
    for (; p < text.size() && text[p] >= '0' && text[p] <= '9'; ++p) {
        if (magnitude > kLow) magnitude = magnitude * 10 - (text[p] - '0');
        if (magnitude < kLow) magnitude = kLow;
    }
    std::int64_t result = negative ? magnitude : -magnitude;
    if (result > std::numeric_limits<std::int32_t>::max()) result = std::numeric_limits<std::int32_t>::max();
    value = static_cast<std::int32_t>(result);
    pos = p;
    return true;
}

}  // namespace

bool ScanKeywordInt(std::string_view line, std::string_view keyword, std::int32_t& value) {
    if (line.substr(0, keyword.size()) != keyword) return false;
    std::size_t pos = keyword.size();
    return ScanInt(line, pos, value);
}

int ScanIntPair(std::string_view line, std::int32_t& first, std::int32_t& second) {
    std::size_t pos = 0;
    if (!ScanInt(line, pos, first)) return 0;
    // The tab of the pattern matches any run of white space, an empty one too;
    // the second conversion skips it anyway.
    if (!ScanInt(line, pos, second)) return 1;
    return 2;
}
