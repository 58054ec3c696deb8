// The session alone, without a window: the index check and which tests can be
// put onto the tracks, as table calls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
