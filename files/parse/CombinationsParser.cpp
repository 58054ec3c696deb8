#include "files/parse/CombinationsParser.h"

#include <string>

#include "files/parse/TextLines.h"

TCombinationsContent ParseCombinations(const std::vector<std::string>& lines) {
    TCombinationsContent result;
    if (lines.empty()) return result;
    if (lines.front() != COMBINATIONS_HEADER) {
        result.status = TCombinationsStatus::BadHeader;
        return result;
    }

    // Positions count lines from 0; "first" is where the pairs begin.
    std::size_t first = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find("NBCOMBINATIONS:") == std::string::npos) continue;
        std::int32_t nValue = -1;
        if (!ScanKeywordInt(lines[i], "NBCOMBINATIONS:", nValue) || nValue < 1) {
            result.status = TCombinationsStatus::BadCount;
            return result;
        }
        result.nCount = nValue;
        first = i + 1;
        break;
    }
    for (std::size_t i = first; i < lines.size(); ++i) {
        if (lines[i] == "COMBINATIONS") {
            first = i + 1;
            break;
        }
    }

    result.pairs.reserve(lines.size() - first);
    for (std::size_t i = first; i < lines.size(); ++i) {
        TExcerptPair pair;
        ScanIntPair(lines[i], pair.nExcerptA, pair.nExcerptB);
        result.pairs.push_back(pair);
    }
    result.status = static_cast<std::int64_t>(result.pairs.size()) == result.nCount ? TCombinationsStatus::Ok
                                                                                     : TCombinationsStatus::Mismatch;
    return result;
}
