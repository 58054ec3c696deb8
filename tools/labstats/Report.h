// The report over a set of results files: what is read, what it says, and
// the texts it is printed and saved as. Numbers are always written with '.'
// as the decimal point, whatever the locale.
#pragma once

#include <string>
#include <vector>

#include "Statistics.h"

namespace labstats {

struct TCandidate {
    std::string strFile;  // as named on the command line
    std::string strName;
    int nTests = 0;
    TConsistency consistency;
};

struct TReport {
    std::vector<std::string> faults;  // one per file skipped: "FILE: riga N: why"
    std::vector<TCandidate> candidates;
    int nTests = 0;
    int nSelfTests = 0;  // tests of an excerpt against itself, not counted
    TPreferenceMatrix matrix;
    TScale scale;
    std::vector<TPairSummary> pairs;
    TOrderBias bias;
};

TReport BuildReport(const std::vector<std::string>& paths);

std::string ReportText(const TReport& r);
// excerpt,wins,losses,ties,scale,ci_low,ci_high (scale fields empty without a scale)
std::string ExcerptCsv(const TReport& r);
// a,b,prefer_a,prefer_b,no_preference,p,p_holm (p fields empty without a decided answer)
std::string PairsCsv(const TReport& r);

// Fixed decimals; NaN gives an empty text.
std::string Fixed(double v, int decimals);

}  // namespace labstats
