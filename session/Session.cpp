#include "session/Session.h"

#include <array>
#include <cstdio>

#include "platform/report/LogBuffer.h"
#include "platform/report/Report.h"
#include "playback/PlaybackFormats.h"
#include "playback/TrackSet.h"

namespace {

void AppendLines(TLogBuffer* pLog, const std::vector<std::string>& lines) {
    if (!pLog) return;
    for (const std::string& strLine : lines) pLog->AppendLine(strLine);
}

}  // namespace

void TSession::Reset() {
    m_nCurrentTest = 0;
    m_nChannels = -1;
    m_pPlayList->clear();
    m_Combinations.clear();
    // The journal's file stays: an abandoned session keeps its answers there.
    m_bStarted = false;
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

void TSession::BeginRecording(const std::string& strResultsPath, TLogBuffer* pLog) {
    std::vector<std::string> log;
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
