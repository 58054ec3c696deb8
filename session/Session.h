// A listening session: the playlist, the tests with their answers and the
// test on show. It checks the tests against the playlist and their files,
// puts a test's excerpts onto the tracks, takes the answers, keeps them in the
// results journal after every test, watches the outputs while a test is on
// show and writes the results. Tests run in file order; nothing is shuffled
// or swapped.
//
// Ownership: the session owns the playlist and the tests; the sounds it loads
// belong to the track set. Plain C++: no window, no toolkit. GUI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "files/ResultsJournal.h"
#include "files/SessionFiles.h"
#include "files/StimulusCheck.h"
#include "files/TrackCombs.h"
#include "playback/OutputWatch.h"

class TLogBuffer;
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
    // The index check's refusal: a beep and its warning.
    static void WarnBadIndices();
    // Every file a test uses, judged by its headers. Each finding goes to pLog
    // (when given); unplayable files get the error message (the start is then
    // refused: Refused() of the result), doubtful ones the warning.
    TStimulusReport CheckStimuli(TLogBuffer* pLog) const;
    // Before the first test: when the journal beside strResultsPath holds the
    // first answers of this candidate's session of these tests (an interrupted
    // one), asks whether to go on from the first test it lacks. On Yes the
    // answers are restored into the tests as if given now, the next test is
    // the one on show, and true. Every finding goes to pLog.
    bool OfferResume(const std::string& strResultsPath, const std::string& strName, TLogBuffer* pLog);
    // The session has started: its journal beside strResultsPath (an older one
    // is moved aside, a resumed one goes on) and a fresh watch of the outputs.
    void BeginRecording(const std::string& strResultsPath, TLogBuffer* pLog);
    // A test is on show in a started session.
    bool Running() const { return m_bStarted && !Complete(); }
    // The index in m_pPlayList of excerpt nExcerpt (from 1), channel c, or -1
    // when the playlist has no such entry.
    std::int64_t EntryIndex(std::int32_t nExcerpt, int c) const;
    // Frees the tracks' sounds and loads test n's excerpts onto them: A and B
    // of channel c onto track c. False, and nothing changed, when test n does
    // not exist, names an excerpt outside the playlist, or needs more tracks
    // than there are. pLog (when given) is told the files played converted,
    // and the outputs' rates and sample formats whenever they change.
    bool PrepareTest(int n, TTrackSet& Tracks, TLogBuffer* pLog = nullptr);
    // The progress line "  Tests totali:%2d  ,  test corrente:%2d".
    std::string TestInfo() const;
    // Stores the answer and the comment into the test on show and moves on.
    // False when there is no test on show.
    bool Submit(bool bPreferA, bool bPreferB, bool bNoPreference, const std::string& strNotes);
    bool Complete() const { return m_nCurrentTest == static_cast<std::int32_t>(m_Combinations.size()); }
    // After a submitted test: the answers so far into the journal, on the disk
    // before the next test loads. A failure goes to pLog only.
    void RecordAnswers(const std::string& strName, TLogBuffer* pLog);
    // One poll of the outputs during the test on show: each output that went
    // down is told once, as a warning. Skipped while that warning is open.
    void WatchOutputs(const TVecSndTrack& Tracks, TLogBuffer* pLog);
    // The session's end: strCompletion with the tests an output missed.
    std::string Finish(const std::string& strCompletion, TLogBuffer* pLog);
    // Writes the results (the message on failure, and why to pLog); once
    // written, the journal goes.
    bool SaveResults(const std::string& strName, const std::string& strFileName, TLogBuffer* pLog);

private:
    bool m_bStarted = false;  // the first test was loaded: answers can be given
    bool m_bWarning = false;  // an output's warning is open (its box runs its own event loop)
    bool m_bResumed = false;  // this session goes on from an interrupted one's journal
    TResultsJournal m_Journal;
    TOutputWatch m_OutputWatch;
    std::vector<std::string> m_OutputFormats;  // as last logged
};
