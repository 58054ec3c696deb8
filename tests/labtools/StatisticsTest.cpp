// The lab tools' statistics against values worked out by hand: exact binomial
// tails, Holm's steps, small Bradley–Terry fits and Kendall's triad counts.
#include <gtest/gtest.h>

#include <cmath>

#include "Statistics.h"

namespace {

// n tests of a against b, all with the same answer.
void Add(std::vector<TJudgement>& v, int a, int b, TAnswer answer, int n = 1) {
    for (int k = 0; k < n; ++k) v.push_back({a, b, answer});
}
constexpr TAnswer kA = TAnswer::PreferA, kTie = TAnswer::NoPreference;

}  // namespace

TEST(LabStatistics, ExactBinomialTails) {
    struct Case { int k, n; double p; };
    const Case cases[] = {
        {9, 10, 22.0 / 1024}, {1, 10, 22.0 / 1024}, {0, 5, 2.0 / 32}, {5, 10, 1.0},
        {3, 12, 598.0 / 4096}, {20, 20, 2.0 / 1048576},
    };
    for (const Case& c : cases) EXPECT_NEAR(labstats::SignTestP(c.k, c.n), c.p, 1e-12) << c.k << " of " << c.n;
    EXPECT_TRUE(std::isnan(labstats::SignTestP(0, 0)));

    const double nan = std::nan("");
    const std::vector<double> holm = labstats::HolmAdjusted({0.01, 0.04, 0.03, nan, 0.5});
    const double expected[] = {0.04, 0.09, 0.09, nan, 0.5};  // 4 tests: 4*0.01, 3*0.03, max(2*0.04, 0.09), 0.5
    for (std::size_t i = 0; i < holm.size(); ++i) {
        if (std::isnan(expected[i])) EXPECT_TRUE(std::isnan(holm[i]));
        else EXPECT_NEAR(holm[i], expected[i], 1e-12) << i;
    }
}

TEST(LabStatistics, BradleyTerryScale) {
    struct Case {
        const char* name;
        std::vector<TJudgement> tests;
        std::vector<double> theta, variance;  // empty: no finite scale
        const char* note;
    };
    std::vector<Case> cases;
    const double h = std::log(3.0) / 2, l2 = std::log(2.0);
    {   // 3 wins to 1: worths 3:1, information 4 * 3/16 on the difference
        Case c{"three to one", {}, {h, -h}, {1.0 / 3, 1.0 / 3}, ""};
        Add(c.tests, 1, 2, kA, 3), Add(c.tests, 2, 1, kA);
        cases.push_back(c);
    }
    {   // a win and a tie: 1.5 to 0.5, the same worths on half the information
        Case c{"tie as half", {}, {h, -h}, {2.0 / 3, 2.0 / 3}, ""};
        Add(c.tests, 1, 2, kA), Add(c.tests, 2, 1, kTie);
        cases.push_back(c);
    }
    {   // a chain 1-2-3, 2:1 on each link; difference variances 3/2 each
        Case c{"chain", {}, {l2, 0, -l2}, {7.5 / 9, 1.0 / 3, 7.5 / 9}, ""};
        Add(c.tests, 1, 2, kA, 2), Add(c.tests, 2, 1, kA), Add(c.tests, 2, 3, kA, 2), Add(c.tests, 3, 2, kA);
        cases.push_back(c);
    }
    {
        Case c{"won everything", {}, {}, {}, "il brano 1 ha vinto tutti i suoi confronti; il brano 2 ha perso tutti"};
        Add(c.tests, 1, 2, kA, 2), Add(c.tests, 2, 1, TAnswer::PreferB);
        cases.push_back(c);
    }
    {
        Case c{"disconnected", {}, {}, {}, "mai confrontati tra loro: {1, 2} {3, 4}"};
        Add(c.tests, 1, 2, kA), Add(c.tests, 2, 1, kA), Add(c.tests, 3, 4, kA), Add(c.tests, 4, 3, kTie);
        cases.push_back(c);
    }
    {
        Case c{"one group above another", {}, {}, {}, "{1, 2} > {3, 4}"};
        Add(c.tests, 1, 2, kA), Add(c.tests, 2, 1, kA), Add(c.tests, 4, 3, kA), Add(c.tests, 3, 4, kA);
        Add(c.tests, 2, 3, kA);
        cases.push_back(c);
    }
    const double z = 1.959963984540054;
    for (const Case& c : cases) {
        const labstats::TScale s = labstats::FitBradleyTerry(labstats::CountPreferences(c.tests));
        EXPECT_EQ(s.bOk, !c.theta.empty()) << c.name;
        EXPECT_NE(s.strNote.find(c.note), std::string::npos) << c.name << ": " << s.strNote;
        if (!s.bOk || c.theta.empty()) continue;
        for (std::size_t i = 0; i < c.theta.size(); ++i) {
            EXPECT_NEAR(s.theta[i], c.theta[i], 1e-9) << c.name << " " << i;
            EXPECT_NEAR(s.ciHigh[i] - s.theta[i], z * std::sqrt(c.variance[i]), 1e-9) << c.name << " " << i;
            EXPECT_NEAR(s.theta[i] - s.ciLow[i], z * std::sqrt(c.variance[i]), 1e-9) << c.name << " " << i;
        }
    }
}

TEST(LabStatistics, CircularTriadsAndConsistence) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> wins;  // winner, loser; one test each
        bool bJudgedAll;
        double d, zeta;
    };
    const Case cases[] = {
        {"transitive 3", {{1, 2}, {2, 3}, {1, 3}}, true, 0, 1},
        {"cycle of 3 and a loser", {{1, 2}, {2, 3}, {3, 1}, {1, 4}, {2, 4}, {3, 4}}, true, 1, 0.5},
        {"regular 5: most triads", {{1, 2}, {1, 3}, {2, 3}, {2, 4}, {3, 4}, {3, 5}, {4, 5}, {4, 1}, {5, 1}, {5, 2}}, true, 5, 0},
        {"a pair never judged", {{1, 2}, {2, 3}}, false, 0, 0},
        {"two excerpts", {{1, 2}, {2, 1}}, false, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<TJudgement> tests;
        // Half the tests with the winner played as B, so the order cannot matter.
        for (std::size_t k = 0; k < c.wins.size(); ++k)
            tests.push_back(k % 2 ? TJudgement{c.wins[k].first, c.wins[k].second, kA}
                                  : TJudgement{c.wins[k].second, c.wins[k].first, TAnswer::PreferB});
        const labstats::TConsistency r = labstats::Consistency(tests);
        EXPECT_EQ(r.bJudgedAll, c.bJudgedAll) << c.name;
        if (!c.bJudgedAll) continue;
        EXPECT_DOUBLE_EQ(r.circularTriads, c.d) << c.name;
        EXPECT_DOUBLE_EQ(r.zeta, c.zeta) << c.name;
    }
}
