#include "PairSchedule.h"

#include <utility>

namespace labstats {

std::uint64_t TDraw::Below(std::uint64_t n) {
    // Draws above the largest multiple of n are thrown away, so each of the n
    // outcomes covers exactly as many engine outputs.
    const std::uint64_t limit = UINT64_MAX - UINT64_MAX % n;
    std::uint64_t x;
    do x = m_engine(); while (x >= limit);
    return x % n;
}

namespace {

bool Shares(const TExcerptPair& a, const TExcerptPair& b) {
    return a.nExcerptA == b.nExcerptA || a.nExcerptA == b.nExcerptB || a.nExcerptB == b.nExcerptA ||
           a.nExcerptB == b.nExcerptB;
}

// Depth-first search over the next test, candidates in a random order, with a
// budget of steps: tight cases (5 excerpts: the pairs can follow each other in
// few ways) need some backtracking, loose ones almost none, and a search that
// wanders too long is restarted with a fresh order rather than exhausted.
class TOrderSearch {
public:
    TOrderSearch(std::vector<TExcerptPair> tests, bool bDisjoint, TDraw& draw)
        : m_tests(std::move(tests)), m_used(m_tests.size(), false), m_bDisjoint(bDisjoint), m_draw(draw) {}

    std::vector<TExcerptPair> Run() {
        for (;;) {
            m_order.clear();
            std::fill(m_used.begin(), m_used.end(), false);
            m_budget = 2000 + 50 * m_tests.size();
            if (Extend()) break;
        }
        std::vector<TExcerptPair> result;
        for (std::size_t i : m_order) result.push_back(m_tests[i]);
        return result;
    }

private:
    bool Fits(const TExcerptPair& prev, const TExcerptPair& next) const {
        if (m_bDisjoint) return !Shares(prev, next);
        return !(prev.nExcerptA == next.nExcerptB && prev.nExcerptB == next.nExcerptA);
    }

    bool Extend() {
        if (m_order.size() == m_tests.size()) return true;
        if (m_budget == 0) return false;
        --m_budget;
        std::vector<std::size_t> next;
        for (std::size_t i = 0; i < m_tests.size(); ++i)
            if (!m_used[i] && (m_order.empty() || Fits(m_tests[m_order.back()], m_tests[i]))) next.push_back(i);
        m_draw.Shuffle(next);
        // A few random choices per step are enough to get out of a dead end
        // (restarts do the rest), and keep the search's memory linear.
        if (next.size() > 8) next.resize(8);
        for (std::size_t i : next) {
            m_used[i] = true;
            m_order.push_back(i);
            if (Extend()) return true;
            m_order.pop_back();
            m_used[i] = false;
            if (m_budget == 0) return false;
        }
        return false;
    }

    std::vector<TExcerptPair> m_tests;
    std::vector<bool> m_used;
    std::vector<std::size_t> m_order;
    bool m_bDisjoint;
    TDraw& m_draw;
    std::size_t m_budget = 0;
};

}  // namespace

std::vector<TExcerptPair> SchedulePairs(const std::vector<std::int32_t>& excerpts, bool bBothOrders,
                                        std::uint64_t seed) {
    const std::size_t n = excerpts.size();
    if (n < 2 || (n == 2 && bBothOrders)) return {};
    TDraw draw(seed);
    std::vector<TExcerptPair> tests;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            TExcerptPair pair{excerpts[i], excerpts[j]};
            if (bBothOrders) {
                tests.push_back(pair);
                tests.push_back({pair.nExcerptB, pair.nExcerptA});
            } else {
                if (draw.Below(2) == 1) std::swap(pair.nExcerptA, pair.nExcerptB);
                tests.push_back(pair);
            }
        }
    }
    // Without either rule the search never backtracks: it is a plain shuffle.
    return TOrderSearch(std::move(tests), n >= 5, draw).Run();
}

std::string CombinationsText(const std::vector<TExcerptPair>& tests) {
    std::string text = std::string(COMBINATIONS_HEADER) + "\r\nNBCOMBINATIONS:" + std::to_string(tests.size()) +
                       "\r\nCOMBINATIONS\r\n";
    for (const TExcerptPair& t : tests)
        text += std::to_string(t.nExcerptA) + '\t' + std::to_string(t.nExcerptB) + "\r\n";
    return text;
}

}  // namespace labstats
