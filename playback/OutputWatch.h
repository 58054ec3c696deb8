// The output watch: fed every output's status on each poll of the position
// timer, it notices an output that stops taking sound mid-session, says so once
// per failure, keeps the debug log told which tests ran while it was down and
// when it came back, and names those tests in the completion text. It never
// touches the results: their bytes stay as the results writer makes them.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "playback/SndTrack.h"

// One output as a poll sees it. S_FALSE: nothing loaded there, nothing to judge.
struct TOutputStatus {
    std::string strName;
    HRESULT hr = S_FALSE;
};

// An output that has just gone down, for the warning.
struct TOutputDown {
    std::string strName;
    std::string strReason;
    int nTest = 0;  // 1-based test during which it was noticed
};

class TOutputWatch {
public:
    // A new session: forgets earlier failures and affected tests.
    void BeginSession();
    // One poll during test `nTest` (1-based). Returns the outputs that went down
    // since the last poll; each failure is returned once, until the output
    // plays again and fails anew.
    std::vector<TOutputDown> Poll(int nTest, const std::vector<TOutputStatus>& statuses);
    // The session's end: an output still down gets its closing log line.
    void EndSession();
    // Debug-log lines gathered since the last call.
    std::vector<std::string> TakeLogLines();
    // The tests (1-based) during which any output was down.
    const std::set<int>& AffectedTests() const { return m_Affected; }
    // `strCompletion` when no output was down; else a completion text of the
    // same width naming the affected tests (the first COMPLETION_GROUPS runs).
    std::string CompletionText(const std::string& strCompletion) const;
    static constexpr std::size_t COMPLETION_GROUPS = 2;

    // The warning shown when an output goes down (caption "Avvertimento :").
    static std::string WarningText(const TOutputDown& down);
    // Why an output failed, from the status its buffers answer.
    static std::string ReasonFor(HRESULT hr);

private:
    struct TState {
        bool bDown = false;
        int nSince = 0;          // test during which it went down
        std::set<int> tests;     // tests during which it was down, this failure
    };
    void Closed(const std::string& strName, TState& state, const std::string& strHow);

    std::map<std::string, TState> m_States;
    std::set<int> m_Affected;
    std::vector<std::string> m_Log;
};

// What the buffers of a loaded sound say of their output: DS_OK while it
// plays, the failure code (a failed stream, DSERR_BUFFERLOST) once it fails,
// S_FALSE for no sound.
HRESULT OutputStatusOf(CSound* pSnd);
// Every track's output with the status of the sound it holds (A slot, else B);
// tracks sharing an output are one entry, down when any of them fails.
std::vector<TOutputStatus> OutputStatuses(const TVecSndTrack& Tracks);

// "3, 4" or "3-5, 8"; past nMaxGroups runs (0: no limit) the rest is ", ecc".
std::string TestList(const std::set<int>& tests, std::size_t nMaxGroups = 0);
