// The results journal: after every submitted test the results file as it would
// stand if the session ended there, kept in "<results path>.partial". A crash,
// a power cut or a closed window then loses at most the test on show. The
// journal is an ordinary results file, so answers are recovered by renaming it,
// and a session of the same candidate and tests can go on from it.
#pragma once

#include <string>
#include <vector>

#include "files/TrackCombs.h"
#include "files/parse/ResultsReader.h"

// What the journal beside a results path holds for a session about to start.
struct TJournalMatch {
    bool bFound = false;    // there is a journal
    bool bMatches = false;  // it can be resumed: the candidate's name as typed now, and
                            // 1 to N answered tests that are the session's first ones
    std::vector<TJudgement> answers;  // its whole test lines, in order
    std::string strWhy;     // for the debug log: why it does not match; a torn line left out
};

class TResultsJournal {
public:
    static std::string PathFor(const std::string& strResultsPath) { return strResultsPath + ".partial"; }

    // At a session's start. A journal left by an earlier session is never
    // overwritten: it is renamed "<results path>.partial-N", N the first free
    // number from 1. When that fails the session keeps no journal. Every step
    // worth knowing is appended to `log` (debug-log lines).
    void Begin(const std::string& strResultsPath, std::vector<std::string>& log);
    // At the start of a session that goes on from the journal beside
    // strResultsPath: the file stays as it is until the next Record replaces it.
    void Resume(const std::string& strResultsPath) { m_strPath = PathFor(strResultsPath); }

    // Reads the journal beside strResultsPath (never changing it) and judges
    // it against the candidate strName and the session's tests.
    static TJournalMatch Check(const std::string& strResultsPath, const std::string& strName,
                               const TVecCombinations& Combinations);

    // After a test was submitted: the first `nAnswered` records of
    // `Combinations` with the candidate's name, the same bytes as the results
    // file, replaced atomically and flushed to the disk before returning. A
    // failure gives a debug-log line and false; the session goes on.
    bool Record(const std::string& strName, const TVecCombinations& Combinations, std::size_t nAnswered,
                std::vector<std::string>& log);

    // Once the final results file is written: the journal is removed.
    void Finish(std::vector<std::string>& log);

    bool Active() const { return !m_strPath.empty(); }
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;   // empty: no journal this session
};
