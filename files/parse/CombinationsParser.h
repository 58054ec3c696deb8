// The combinations file's content: header, count line, optional marker and
// one pair of excerpt numbers per line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr const char* COMBINATIONS_HEADER = "SONDARIUM COMBINATIONS";

enum class TCombinationsStatus {
    Ok,
    NoLines,    // nothing to read: refused without a message
    BadHeader,  // the first line is not the header
    BadCount,   // the count line's value is below 1 or cannot be read
    Mismatch,   // the number of pairs is not the count, or there is no count line
};

struct TExcerptPair {
    std::int32_t nExcerptA = 0;
    std::int32_t nExcerptB = 0;
};

struct TCombinationsContent {
    TCombinationsStatus status = TCombinationsStatus::NoLines;
    std::int32_t nCount = -1;          // -1 when there is no count line
    std::vector<TExcerptPair> pairs;   // filled for Ok and Mismatch
};

// Every line after the marker "COMBINATIONS" (or after the count line when
// there is no marker) is one pair, whatever it holds. A number a line does not
// yield is 0, an excerpt that never exists, so such a line can only make the
// session's index check refuse the session.
TCombinationsContent ParseCombinations(const std::vector<std::string>& lines);
