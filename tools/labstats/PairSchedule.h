// The order of the tests of a combinations file: every unordered pair of the
// chosen excerpts, A and B drawn at random (or both orders), shuffled so that
// no test repeats an excerpt of the test before it.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "files/parse/CombinationsParser.h"

namespace labstats {

inline constexpr std::size_t MAXSCHEDULED = 100;

// Uniform draws of our own on top of mt19937_64 (whose output sequence the
// language fixes), so that one seed gives the same file with every compiler.
class TDraw {
public:
    explicit TDraw(std::uint64_t seed) : m_engine(seed) {}
    // A number in 0..n-1, n >= 1, without modulo bias.
    std::uint64_t Below(std::uint64_t n);
    template <class T>
    void Shuffle(std::vector<T>& items) {
        for (std::size_t i = items.size(); i > 1; --i) std::swap(items[i - 1], items[Below(i)]);
    }

private:
    std::mt19937_64 m_engine;
};

// Excerpts numbered from 1, all different. With 5 or more of them no test
// shares an excerpt with the one before it; with bBothOrders, a pair's two
// orders never stand next to each other. Empty when the rules cannot be met:
// fewer than 2 excerpts, or exactly 2 with bBothOrders. Meant for sessions of
// up to MAXSCHEDULED excerpts (the time grows with the square of the tests).
std::vector<TExcerptPair> SchedulePairs(const std::vector<std::int32_t>& excerpts, bool bBothOrders,
                                        std::uint64_t seed);

// The combinations file of these tests, CR LF after every line.
std::string CombinationsText(const std::vector<TExcerptPair>& tests);

}  // namespace labstats
