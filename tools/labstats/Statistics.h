// What the answers of a listening test say: counts per excerpt and per pair,
// the Bradley–Terry scale, sign tests, each candidate's consistency and the
// bias towards the excerpt played first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/parse/ResultsReader.h"

namespace labstats {

// Every answer, counted by the two excerpts it compared. A test of an excerpt
// against itself says nothing about preference and is left out.
struct TPreferenceMatrix {
    std::vector<std::int32_t> excerpts;    // the excerpts met, ascending
    std::vector<std::vector<int>> prefer;  // prefer[i][j]: excerpts[i] chosen over excerpts[j]
    std::vector<std::vector<int>> ties;    // ties[i][j] == ties[j][i]: "Non saprei"
    int Comparisons(std::size_t i, std::size_t j) const { return prefer[i][j] + prefer[j][i] + ties[i][j]; }
    int Wins(std::size_t i) const;
    int Losses(std::size_t i) const;
    int Ties(std::size_t i) const;
};
TPreferenceMatrix CountPreferences(const std::vector<TJudgement>& judgements);

// Two-sided exact binomial test of k successes in n trials at one half; NaN
// when n is 0, since then there is nothing to test.
double SignTestP(int k, int n);

// Holm's step-down adjustment; NaN entries stay NaN and do not count.
std::vector<double> HolmAdjusted(const std::vector<double>& p);

struct TPairSummary {
    std::int32_t a = 0, b = 0;  // a < b
    int nPreferA = 0, nPreferB = 0, nNoPreference = 0;
    double p = 0, pHolm = 0;    // sign test of prefer a against prefer b
};
// Every pair of excerpts that was compared at least once, in (a, b) order.
std::vector<TPairSummary> SummarisePairs(const TPreferenceMatrix& m);

// Log-worths of the Bradley–Terry model, maximum likelihood with a tie
// counted as half a win for each side, centred to sum 0, with 95% intervals
// from the observed information. The maximum exists only when no group of
// excerpts won (or lost) every comparison with the rest; otherwise bOk is
// false and strNote says why, in Italian.
struct TScale {
    bool bOk = false;
    std::vector<double> theta, ciLow, ciHigh;  // by index of TPreferenceMatrix::excerpts
    std::string strNote;
};
TScale FitBradleyTerry(const TPreferenceMatrix& m);

// Kendall's circular triads d and coefficient of consistence zeta for one
// candidate who judged every pair of at least 3 excerpts (bJudgedAll false
// otherwise). A pair judged more than once counts by its majority, a draw as
// half to each, as does "Non saprei"; d can then be a half or quarter.
struct TConsistency {
    bool bJudgedAll = false;
    int nExcerpts = 0;
    double circularTriads = 0;
    double zeta = 0;
};
TConsistency Consistency(const std::vector<TJudgement>& judgements);

// Share of the decided answers (not "Non saprei", two different excerpts)
// that chose the excerpt played as A.
struct TOrderBias {
    int nDecided = 0, nChoseA = 0;
    double p = 0;  // sign test of nChoseA against the rest
};
TOrderBias OrderBias(const std::vector<TJudgement>& judgements);

}  // namespace labstats
