// A listening session: the playlist, the tests with their answers and the
// test on show. It checks the tests against the playlist, puts a test's
// excerpts onto the tracks, takes the answers and writes the results. Tests
// run in file order; nothing is shuffled or swapped.
//
// Ownership: the session owns the playlist and the tests; the sounds it loads
// belong to the track set. Plain C++: no window, no toolkit. GUI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "files/SessionFiles.h"
#include "files/TrackCombs.h"

class TTrackSet;

class TSession {
public:
    std::int32_t m_nCurrentTest = 0;  // 0-based test on show; the number of tests once complete
    std::int32_t m_nChannels = 0;     // files per excerpt: -1 while a session loads, then 2 or 4
    std::unique_ptr<TStringList> m_pPlayList = std::make_unique<TStringList>();
    TVecCombinations m_Combinations;

    // The session state a new session starts from.
    void Reset();
    bool LoadPlaylist(const std::string& strFileName);
    bool LoadCombinations(const std::string& strFileName);
    // True when every excerpt number lies between 1 and the number of excerpts.
    bool CheckCombinations() const;
    // The index in m_pPlayList of excerpt nExcerpt (from 1), channel c, or -1
    // when the playlist has no such entry.
    std::int64_t EntryIndex(std::int32_t nExcerpt, int c) const;
    // Frees the tracks' sounds and loads test n's excerpts onto them: A and B
    // of channel c onto track c. False, and nothing changed, when test n does
    // not exist, names an excerpt outside the playlist, or needs more tracks
    // than there are.
    bool PrepareTest(int n, TTrackSet& Tracks) const;
    // The progress line "  Tests totali:%2d  ,  test corrente:%2d".
    std::string TestInfo() const;
    // Stores the answer and the comment into the test on show and moves on.
    // False when there is no test on show.
    bool Submit(bool bPreferA, bool bPreferB, bool bNoPreference, const std::string& strNotes);
    bool Complete() const { return m_nCurrentTest == static_cast<std::int32_t>(m_Combinations.size()); }
    bool SaveResults(const std::string& strName, const std::string& strFileName) const;
};
