#include "session/Session.h"

#include <array>
#include <cstdio>
#include <filesystem>

#include "platform/report/LogBuffer.h"
#include "platform/report/Report.h"
#include "playback/PlaybackFormats.h"
#include "playback/TrackSet.h"

namespace {

void AppendLines(TLogBuffer* pLog, const std::vector<std::string>& lines) {
    if (!pLog) return;
    for (const std::string& strLine : lines) pLog->AppendLine(strLine);
}

// The question, naming the candidate, the tests answered and the journal.
std::string ResumeQuestion(const std::string& strName, std::size_t nAnswered, std::size_t nTests,
                           const std::string& strJournalName) {
    const bool bAll = nAnswered == nTests;
    return "Una sessione di \"" + strName + "\" si è interrotta dopo " + std::to_string(nAnswered) + " test su " +
           std::to_string(nTests) + ".\nLe risposte date sono nel giornale \"" + strJournalName + "\".\n\n" +
           (bAll ? std::string("Riprendere la sessione? Tutti i test hanno una risposta: i risultati vengono scritti "
                               "subito.")
                 : "Riprendere dal test " + std::to_string(nAnswered + 1) + "?") +
           "\n\nNo: la sessione ricomincia dal test 1 e il giornale viene conservato a parte.";
}

}  // namespace

void TSession::Reset() {
    m_nCurrentTest = 0;
    m_nChannels = -1;
    m_pPlayList->clear();
    m_Combinations.clear();
    // The journal's file stays: an abandoned session keeps its answers there.
    m_bStarted = false;
    m_bResumed = false;
    m_Journal = TResultsJournal();
    m_OutputFormats.clear();  // the new session's log says them again
}

bool TSession::LoadPlaylist(const std::string& strFileName) {
    return ::LoadPlaylist(strFileName, *m_pPlayList, m_nChannels);
}

bool TSession::LoadCombinations(const std::string& strFileName) {
    return ::LoadCombinations(strFileName, m_Combinations);
}

bool TSession::CheckCombinations() const {
    const std::int32_t N = m_nChannels > 0 ? static_cast<std::int32_t>(m_pPlayList->size() / m_nChannels) : 0;
    for (const TTrackCombs& comb : m_Combinations) {
        if (comb.nExcerptA < 1 || comb.nExcerptA > N || comb.nExcerptB < 1 || comb.nExcerptB > N) return false;
    }
    return true;
}

void TSession::WarnBadIndices() {
    MessageBeep();
    ShowMessage("Attenzione!\nVerificare il file delle combinazioni:\n"
                "alcuni indici potrebbero essere errati.\n\n",
                "Avvertimento :", MsgIcon::Warning);
}

TStimulusReport TSession::CheckStimuli(TLogBuffer* pLog) const {
    TStimulusReport report = ::CheckStimuli(*m_pPlayList, m_nChannels, m_Combinations);
    AppendLines(pLog, StimulusLogLines(report));
    if (report.Refused()) {
        MessageBeep();
        ShowMessage(StimulusErrorText(report), "Errore:", MsgIcon::Error);
    } else if (!report.warnings.empty()) {
        ShowMessage(StimulusWarningText(report), "Avvertimento :", MsgIcon::Warning);
    }
    return report;
}

bool TSession::OfferResume(const std::string& strResultsPath, const std::string& strName, TLogBuffer* pLog) {
    const TJournalMatch match = TResultsJournal::Check(strResultsPath, strName, m_Combinations);
    if (!match.bFound) return false;
    const std::string strJournal = TResultsJournal::PathFor(strResultsPath);
    const std::size_t nAnswered = match.answers.size();
    const std::string strAnswered = std::to_string(nAnswered) + " test su " + std::to_string(m_Combinations.size());
    if (!match.bMatches) {
        AppendLines(pLog, {"Journal: il giornale \"" + strJournal + "\" non è di questa sessione (" + match.strWhy +
                           "): si comincia dal test 1"});
        return false;
    }
    if (!match.strWhy.empty()) AppendLines(pLog, {"Journal: \"" + strJournal + "\": " + match.strWhy});
    if (!AskYesNo(ResumeQuestion(strName, nAnswered, m_Combinations.size(),
                                 std::filesystem::path(strJournal).filename().string()),
                  "Sessione interrotta")) {
        AppendLines(pLog, {"Journal: il giornale \"" + strJournal + "\" (" + strAnswered +
                           ") non è stato ripreso (risposta No): si comincia dal test 1"});
        return false;
    }
    for (std::size_t i = 0; i < nAnswered; ++i) {
        const TJudgement& j = match.answers[i];
        TTrackCombs& comb = m_Combinations[i];
        comb.bPreferA = j.answer == TAnswer::PreferA;
        comb.bPreferB = j.answer == TAnswer::PreferB;
        comb.bNoPreference = j.answer == TAnswer::NoPreference;
        comb.strNotes = j.strNotes;
    }
    m_nCurrentTest = static_cast<std::int32_t>(nAnswered);
    m_bResumed = true;
    AppendLines(pLog, {"Journal: la sessione riprende dal giornale \"" + strJournal + "\" (" + strAnswered +
                       " già risposti): " +
                       (Complete() ? std::string("tutti risposti, si scrivono i risultati")
                                   : "si riprende dal test " + std::to_string(nAnswered + 1))});
    return true;
}

void TSession::BeginRecording(const std::string& strResultsPath, TLogBuffer* pLog) {
    std::vector<std::string> log;
    if (m_bResumed)
        m_Journal.Resume(strResultsPath);
    else
        m_Journal.Begin(strResultsPath, log);
    AppendLines(pLog, log);
    m_OutputWatch.BeginSession();
    m_bStarted = true;
}

std::int64_t TSession::EntryIndex(std::int32_t nExcerpt, int c) const {
    if (m_nChannels <= 0 || nExcerpt < 1 || c < 0 || c >= m_nChannels) return -1;
    const std::int64_t nIndex = (std::int64_t{nExcerpt} - 1) * m_nChannels + c;
    return nIndex < static_cast<std::int64_t>(m_pPlayList->size()) ? nIndex : -1;
}

bool TSession::PrepareTest(int n, TTrackSet& Tracks, TLogBuffer* pLog) {
    if (n < 0 || n >= static_cast<int>(m_Combinations.size()) || m_nChannels <= 0) return false;
    // Only a record whose excerpts lie inside the playlist is loaded: after a
    // refused start the channel setup's reload may still ask for such a record.
    const TTrackCombs& comb = m_Combinations[n];
    if (EntryIndex(comb.nExcerptA, m_nChannels - 1) < 0 || EntryIndex(comb.nExcerptB, m_nChannels - 1) < 0)
        return false;
    // Every used track must exist: with fewer tracks than channels the test cannot be loaded.
    if (static_cast<int>(Tracks.m_Tracks.size()) < m_nChannels) return false;

    Tracks.ReleaseSounds();
    std::vector<std::array<std::string, 2>> Files;
    for (int c = 0; c < m_nChannels; ++c) {
        Files.push_back({(*m_pPlayList)[EntryIndex(comb.nExcerptA, c)], (*m_pPlayList)[EntryIndex(comb.nExcerptB, c)]});
        Tracks.CreateTrackSound(&Tracks.m_Tracks[c].apSound[SLOT_A], Files.back()[SLOT_A], c);
        Tracks.CreateTrackSound(&Tracks.m_Tracks[c].apSound[SLOT_B], Files.back()[SLOT_B], c);
    }
    if (pLog) {
        std::vector<std::string> formats = OutputFormatLines(Tracks.m_Tracks);
        if (formats != m_OutputFormats) AppendLines(pLog, formats);
        m_OutputFormats = std::move(formats);
        AppendLines(pLog, ConversionLines(n + 1, Tracks.m_Tracks, Files));
    }
    return true;
}

std::string TSession::TestInfo() const {
    char text[96];
    std::snprintf(text, sizeof text, "  Tests totali:%2d  ,  test corrente:%2d", static_cast<int>(m_Combinations.size()),
                  m_nCurrentTest + 1);
    return text;
}

bool TSession::Submit(bool bPreferA, bool bPreferB, bool bNoPreference, const std::string& strNotes) {
    if (m_nCurrentTest < 0 || m_nCurrentTest >= static_cast<std::int32_t>(m_Combinations.size())) return false;
    TTrackCombs& comb = m_Combinations[m_nCurrentTest];
    comb.bPreferA = bPreferA;
    comb.bPreferB = bPreferB;
    comb.bNoPreference = bNoPreference;
    comb.strNotes = strNotes;
    ++m_nCurrentTest;
    return true;
}

void TSession::RecordAnswers(const std::string& strName, TLogBuffer* pLog) {
    std::vector<std::string> log;
    m_Journal.Record(strName, m_Combinations, static_cast<std::size_t>(m_nCurrentTest), log);
    AppendLines(pLog, log);
}

void TSession::WatchOutputs(const TVecSndTrack& Tracks, TLogBuffer* pLog) {
    if (!Running() || m_bWarning) return;
    const std::vector<TOutputDown> downs = m_OutputWatch.Poll(m_nCurrentTest + 1, OutputStatuses(Tracks));
    AppendLines(pLog, m_OutputWatch.TakeLogLines());
    m_bWarning = true;
    for (const TOutputDown& down : downs) ShowMessage(TOutputWatch::WarningText(down), "Avvertimento :", MsgIcon::Warning);
    m_bWarning = false;
}

std::string TSession::Finish(const std::string& strCompletion, TLogBuffer* pLog) {
    m_OutputWatch.EndSession();
    AppendLines(pLog, m_OutputWatch.TakeLogLines());
    return m_OutputWatch.CompletionText(strCompletion);
}

bool TSession::SaveResults(const std::string& strName, const std::string& strFileName, TLogBuffer* pLog) {
    std::string strError;
    if (!::SaveResults(strName, strFileName, m_Combinations, &strError)) {
        if (pLog) pLog->AppendLine("SaveResults: impossibile scrivere \"" + strFileName + "\" (" + strError + ")");
        return false;
    }
    std::vector<std::string> log;
    m_Journal.Finish(log);
    AppendLines(pLog, log);
    return true;
}
