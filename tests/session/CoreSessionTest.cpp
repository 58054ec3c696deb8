// The session alone, without a window: the index check and which tests can be
// put onto the tracks, as table calls.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/parse/ResultsText.h"
#include "platform/report/LogBuffer.h"
#include "platform/report/Report.h"
#include "playback/TrackSet.h"
#include "session/Session.h"

namespace {

struct IndexCase {
    const char* name;
    int nChannels;
    int nEntries;
    std::vector<std::pair<int, int>> tests;
    bool bChecked;           // CheckCombinations
    std::vector<bool> bLoadable;  // PrepareTest of each test on four empty tracks
};

TSession SessionOf(const IndexCase& c) {
    TSession s;
    s.Reset();
    s.m_nChannels = c.nChannels;
    for (int e = 0; e < c.nEntries; ++e) s.m_pPlayList->push_back("/nonexistent/e" + std::to_string(e) + ".wav");
    for (const auto& [a, b] : c.tests) s.m_Combinations.push_back({a, b, false, false, false, {}});
    return s;
}

TEST(CoreSession, IndexCheckAndLoadableTests) {
    const IndexCase cases[] = {
        {"whole_excerpts", 2, 4, {{1, 2}, {2, 1}}, true, {true, true}},
        {"incomplete_last_excerpt_is_never_addressed", 2, 5, {{1, 2}, {3, 1}}, false, {true, false}},
        {"excerpt_zero", 4, 8, {{0, 1}}, false, {false}},
        {"no_entries", 4, 0, {{1, 1}}, false, {false}},
        {"no_channel_count", -1, 8, {{1, 1}}, false, {false}},
        {"huge_numbers_never_wrap", 4, 8, {{2147483647, 1}, {1, -2147483647 - 1}}, false, {false, false}},
    };
    for (const IndexCase& c : cases) {
        SCOPED_TRACE(c.name);
        TSession s = SessionOf(c);
        EXPECT_EQ(s.CheckCombinations(), c.bChecked);
        TTrackSet Tracks;
        Tracks.m_Tracks.resize(MAXTRACKS);  // records without devices: nothing loads, nothing is touched
        for (std::size_t n = 0; n < c.bLoadable.size(); ++n) EXPECT_EQ(s.PrepareTest(int(n), Tracks), c.bLoadable[n]) << n;
        EXPECT_FALSE(s.PrepareTest(-1, Tracks));
        EXPECT_FALSE(s.PrepareTest(int(c.tests.size()), Tracks));
    }
}

TEST(CoreSession, FewerTracksThanChannelsLoadNothingAndAnswersMoveOn) {
    TSession s = SessionOf({"", 4, 8, {{1, 2}, {2, 1}}, true, {}});
    TTrackSet Tracks;
    Tracks.m_Tracks.resize(2);
    EXPECT_FALSE(s.PrepareTest(0, Tracks));

    EXPECT_EQ(s.TestInfo(), "  Tests totali: 2  ,  test corrente: 1");
    EXPECT_TRUE(s.Submit(false, true, false, "più\tcaldo"));
    EXPECT_FALSE(s.Complete());
    EXPECT_TRUE(s.Submit(false, false, true, ""));
    EXPECT_TRUE(s.Complete());
    EXPECT_FALSE(s.Submit(true, false, false, "late")) << "no test on show";
    EXPECT_TRUE(s.m_Combinations[0].bPreferB);
    EXPECT_EQ(s.m_Combinations[0].strNotes, "più\tcaldo");
    EXPECT_TRUE(s.m_Combinations[1].bNoPreference);
}

// The journal is offered only when its whole lines are this candidate's first
// tests; Yes restores them as given (the box counts K of N), No changes nothing.
TEST(CoreSession, JournalOfAnInterruptedSessionIsOfferedOnlyWhenItMatches) {
    const TVecCombinations given = {
        {1, 2, false, true, false, "più ampio"}, {2, 3, true, false, false, {}}, {3, 1, false, false, true, " x "}};
    const auto first = [](const TVecCombinations& v, int k) { return TVecCombinations(v.begin(), v.begin() + k); };
    const auto journal = [&](const char* name, int k, const std::string& tail = {}) {
        return BuildResultsText(name, first(given, k)) + tail;
    };
    const std::vector<std::pair<int, int>> k3 = {{1, 2}, {2, 3}, {3, 1}}, k2 = {{1, 2}, {2, 3}};
    // nOffered: the K the box counts, 0 no box; bytes "": a folder in the journal's place
    const struct { const char* name; std::string bytes; std::vector<std::pair<int, int>> tests; int nOffered; } cases[] = {
        {"matching", journal("Maria", 2), k3, 2}, {"answered_no", journal("Maria", 2), k3, -2},
        {"another_name", journal("Mario", 2), k3, 0}, {"other_pairs", journal("Maria", 2), {{1, 2}, {3, 2}, {3, 1}}, 0},
        {"reordered_combinations", journal("Maria", 2), {{2, 3}, {1, 2}, {3, 1}}, 0},
        {"k_zero", journal("Maria", 0), k3, 0}, {"k_all", journal("Maria", 3), k3, 3},
        {"more_lines_than_tests", journal("Maria", 3), k2, 0}, {"unreadable_file", "", k3, 0},
        {"torn_last_line", journal("Maria", 2, "3\t1\t0\t0\t1\t x"), k3, 2},
        {"last_line_unreadable", journal("Maria", 1, "2\t3\t1\t1\t0\t\r\n"), k3, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const std::string results = dir.filePath("r.txt").toStdString();
        if (c.bytes.empty()) std::filesystem::create_directory(results + ".partial");
        std::ofstream(results + ".partial", std::ios::binary) << c.bytes;
        TSession s = SessionOf({"", 1, 3, c.tests, true, {}});
        MessageObserver observer;
        observer.bAnswerYes = c.nOffered > 0;  // a negative count: the same box, answered No
        TLogBuffer log;
        const int nResumed = std::max(c.nOffered, 0);
        EXPECT_EQ(s.OfferResume(results, "Maria", &log), nResumed > 0) << log.Text();
        EXPECT_EQ(BuildResultsText("Maria", first(s.m_Combinations, s.m_nCurrentTest)), journal("Maria", nResumed));
        const std::string box = std::to_string(std::abs(c.nOffered)) + " test su " + std::to_string(c.tests.size());
        EXPECT_EQ(observer.messages.size() == 1 && observer.messages[0].caption == "Sessione interrotta" &&
                      observer.messages[0].text.find(box) != std::string::npos, c.nOffered != 0);
        EXPECT_NE(log.Text().find(nResumed ? "riprende dal giornale" : "si comincia dal test 1"), std::string::npos);
    }
}

}  // namespace
