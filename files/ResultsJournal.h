// The results journal: after every submitted test the results file as it would
// stand if the session ended there, kept in "<results path>.partial". A crash,
// a power cut or a closed window then loses at most the test on show. The
// journal is an ordinary results file, so answers are recovered by renaming it.
#pragma once

#include <string>
#include <vector>

#include "files/TrackCombs.h"

class TResultsJournal {
public:
    static std::string PathFor(const std::string& strResultsPath) { return strResultsPath + ".partial"; }

    // At a session's start. A journal left by an earlier session is never
    // overwritten: it is renamed "<results path>.partial-N", N the first free
    // number from 1. When that fails the session keeps no journal. Every step
    // worth knowing is appended to `log` (debug-log lines).
    void Begin(const std::string& strResultsPath, std::vector<std::string>& log);

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
