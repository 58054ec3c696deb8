// One test of a session: the two excerpts compared and, once submitted, the
// answer and the listener's comment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TTrackCombs {
    std::int32_t nExcerptA = 0;  // counted from 1, as written in the combinations file
    std::int32_t nExcerptB = 0;
    bool bPreferA = false;
    bool bPreferB = false;
    bool bNoPreference = false;
    std::string strNotes;
};
using TVecCombinations = std::vector<TTrackCombs>;
