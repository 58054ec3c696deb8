// The results file's bytes: seven heading lines, then one line per test.
#pragma once

#include <string>

#include "files/TrackCombs.h"

inline constexpr const char* RESULTS_HEADER = "SONDARIUM RESULTS";

// Every line, the last one included, ends with CR LF. A tab or line break in a
// comment is written as a blank, so that a comment never shifts its row's
// columns or splits the row; a line break in the name likewise, so that it
// stays one line.
std::string BuildResultsText(const std::string& strName, const TVecCombinations& Combinations);

// The candidate's name as its line in the file holds it.
std::string ResultsNameLine(const std::string& strName);
