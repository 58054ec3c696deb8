#include "Statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include <boost/math/distributions/binomial.hpp>

namespace labstats {

int TPreferenceMatrix::Wins(std::size_t i) const { return std::accumulate(prefer[i].begin(), prefer[i].end(), 0); }

int TPreferenceMatrix::Losses(std::size_t i) const {
    int n = 0;
    for (const auto& row : prefer) n += row[i];
    return n;
}

int TPreferenceMatrix::Ties(std::size_t i) const { return std::accumulate(ties[i].begin(), ties[i].end(), 0); }

TPreferenceMatrix CountPreferences(const std::vector<TJudgement>& judgements) {
    TPreferenceMatrix m;
    for (const TJudgement& j : judgements) {
        if (j.nExcerptA == j.nExcerptB) continue;
        m.excerpts.push_back(j.nExcerptA);
        m.excerpts.push_back(j.nExcerptB);
    }
    std::sort(m.excerpts.begin(), m.excerpts.end());
    m.excerpts.erase(std::unique(m.excerpts.begin(), m.excerpts.end()), m.excerpts.end());
    const std::size_t n = m.excerpts.size();
    m.prefer.assign(n, std::vector<int>(n, 0));
    m.ties.assign(n, std::vector<int>(n, 0));
    auto index = [&](std::int32_t e) {
        return static_cast<std::size_t>(std::lower_bound(m.excerpts.begin(), m.excerpts.end(), e) - m.excerpts.begin());
    };
    for (const TJudgement& j : judgements) {
        if (j.nExcerptA == j.nExcerptB) continue;
        const std::size_t a = index(j.nExcerptA), b = index(j.nExcerptB);
        switch (j.answer) {
        case TAnswer::PreferA: ++m.prefer[a][b]; break;
        case TAnswer::PreferB: ++m.prefer[b][a]; break;
        case TAnswer::NoPreference: ++m.ties[a][b], ++m.ties[b][a]; break;
        }
    }
    return m;
}

double SignTestP(int k, int n) {
    if (n <= 0) return std::numeric_limits<double>::quiet_NaN();
    const boost::math::binomial_distribution<double> dist(n, 0.5);
    const double lower = boost::math::cdf(dist, k);
    const double upper = k == 0 ? 1.0 : boost::math::cdf(boost::math::complement(dist, k - 1));
    return std::min(1.0, 2.0 * std::min(lower, upper));
}

std::vector<double> HolmAdjusted(const std::vector<double>& p) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < p.size(); ++i)
        if (!std::isnan(p[i])) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return p[a] < p[b]; });
    std::vector<double> adjusted(p.size(), std::numeric_limits<double>::quiet_NaN());
    double running = 0;
    for (std::size_t r = 0; r < order.size(); ++r) {
        // Adjusted values never fall below an earlier (smaller) one's.
        running = std::max(running, std::min(1.0, static_cast<double>(order.size() - r) * p[order[r]]));
        adjusted[order[r]] = running;
    }
    return adjusted;
}

std::vector<TPairSummary> SummarisePairs(const TPreferenceMatrix& m) {
    std::vector<TPairSummary> pairs;
    std::vector<double> p;
    for (std::size_t i = 0; i < m.excerpts.size(); ++i) {
        for (std::size_t j = i + 1; j < m.excerpts.size(); ++j) {
            if (m.Comparisons(i, j) == 0) continue;
            TPairSummary s{m.excerpts[i], m.excerpts[j], m.prefer[i][j], m.prefer[j][i], m.ties[i][j]};
            s.p = SignTestP(s.nPreferA, s.nPreferA + s.nPreferB);
            p.push_back(s.p);
            pairs.push_back(s);
        }
    }
    const std::vector<double> holm = HolmAdjusted(p);
    for (std::size_t k = 0; k < pairs.size(); ++k) pairs[k].pHolm = holm[k];
    return pairs;
}

TConsistency Consistency(const std::vector<TJudgement>& judgements) {
    const TPreferenceMatrix m = CountPreferences(judgements);
    TConsistency c;
    const std::size_t n = m.excerpts.size();
    c.nExcerpts = static_cast<int>(n);
    if (n < 3) return c;
    double sumSquares = 0;
    for (std::size_t i = 0; i < n; ++i) {
        double score = 0;
        for (std::size_t j = 0; j < n; ++j) {
            if (j == i) continue;
            if (m.Comparisons(i, j) == 0) return c;
            // Halves of ties cancel in the comparison of the two sides.
            const int mine = m.prefer[i][j], theirs = m.prefer[j][i];
            score += mine > theirs ? 1.0 : mine == theirs ? 0.5 : 0.0;
        }
        sumSquares += score * score;
    }
    const double dn = static_cast<double>(n);
    c.bJudgedAll = true;
    c.circularTriads = dn * (dn - 1) * (2 * dn - 1) / 12 - sumSquares / 2;
    const double most = n % 2 == 1 ? (dn * dn * dn - dn) / 24 : (dn * dn * dn - 4 * dn) / 24;
    c.zeta = 1 - c.circularTriads / most;
    return c;
}

TOrderBias OrderBias(const std::vector<TJudgement>& judgements) {
    TOrderBias bias;
    for (const TJudgement& j : judgements) {
        if (j.nExcerptA == j.nExcerptB || j.answer == TAnswer::NoPreference) continue;
        ++bias.nDecided;
        if (j.answer == TAnswer::PreferA) ++bias.nChoseA;
    }
    bias.p = SignTestP(bias.nChoseA, bias.nDecided);
    return bias;
}

}  // namespace labstats
