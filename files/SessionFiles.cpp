// The main window's loaders and writer of the session files: thin members that
// call the widget-free parsers and report.
#include <QFileInfo>
#include <QLineEdit>
#include <QSaveFile>
#include <QString>

#include <fstream>

#include "app/TFormMain.h"
#include "files/parse/CombinationsParser.h"
#include "files/parse/PlaylistParser.h"
#include "files/parse/ResultsText.h"
#include "files/parse/TextLines.h"
#include "platform/ui/Messages.h"
#include "session/TFormSessionSettings.h"

namespace {

// The whole file, as bytes. The path is used as it stands: no folder is put in
// front of a relative one. Any failure (missing, unreadable, a folder) throws.
std::string ReadWholeFile(const std::string& strFileName) {
    std::ifstream in;
    in.exceptions(std::ios::badbit);
    in.open(strFileName, std::ios::in | std::ios::binary);
    if (!in.is_open()) throw std::ios::failure("cannot open " + strFileName);
    std::string content;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        content.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) throw std::ios::failure("cannot read " + strFileName);
    return content;
}

// Writes beside the file and renames over it, so that a failed write leaves
// any earlier results whole. A read-only results file counts as unwritable
// rather than being replaced behind its owner's back.
bool WriteResultsFile(const QString& strPath, const std::string& strBytes) {
    if (strPath.isEmpty()) return false;
    const QFileInfo info(strPath);
    if (info.exists() && (!info.isFile() || !info.isWritable())) return false;
    QSaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly)) return false;
    // Without a commit the file beside is discarded and the old one stays.
    if (file.write(strBytes.data(), static_cast<qint64>(strBytes.size())) != static_cast<qint64>(strBytes.size()))
        return false;
    return file.commit();
}

void ReportError(const char* text, const char* caption, bool bBeep) {
    if (bBeep) MessageBeep();
    ShowMessage(text, caption, MsgIcon::Error);
}

}  // namespace

bool TFormMain::LoadPlaylist(const std::string& strFileName) {
    TPlaylistContent content;
    try {
        content = ParsePlaylist(SplitTextLines(ReadWholeFile(strFileName)));
    } catch (...) {
        ReportError("Errore nel caricamento\ndella playlist", "Errore:", true);
        return false;
    }
    switch (content.status) {
        case TPlaylistStatus::NoLines:
            return false;
        case TPlaylistStatus::BadHeader:
            ReportError("Errore :  Formato di file della PlayList\nNON riconosciuto!\n\n", "Errore :", false);
            return false;
        case TPlaylistStatus::BadChannels:
            ReportError("Errore: numero di canali audio\nnella PlayList NON consentito", "Errore:", false);
            return false;
        case TPlaylistStatus::Ok:
            break;
    }
    SND_CHECK(m_pPlayList != nullptr, "m_pPlayList", "TFormMain");
    if (!m_pPlayList) return false;
    m_nChannels = content.nChannels;
    *m_pPlayList = std::move(content.entries);
    return true;
}

bool TFormMain::LoadCombinations(const std::string& strFileName) {
    TCombinationsContent content;
    try {
        content = ParseCombinations(SplitTextLines(ReadWholeFile(strFileName)));
    } catch (...) {
        ReportError("Errore in 'LoadCombinations'", "Errore:", true);
        return false;
    }
    switch (content.status) {
        case TCombinationsStatus::NoLines:
            return false;
        case TCombinationsStatus::BadHeader:
            ReportError("Errore :  Formato di file delle Combinazioni\nNON riconosciuto!\n\n", "Errore :", false);
            return false;
        case TCombinationsStatus::BadCount:
            ReportError("Errore: numero di combinazioni errato", "Errore:", false);
            return false;
        case TCombinationsStatus::Ok:
        case TCombinationsStatus::Mismatch:
            break;
    }
    // The records are kept even when their number disagrees with the count.
    m_Combinations.clear();
    m_Combinations.reserve(content.pairs.size());
    for (const TExcerptPair& pair : content.pairs) {
        TTrackCombs comb;
        comb.nExcerptA = pair.nExcerptA;
        comb.nExcerptB = pair.nExcerptB;
        m_Combinations.push_back(std::move(comb));
    }
    if (content.status == TCombinationsStatus::Mismatch) {
        ReportError(
            "Errore: Il valore del campo 'NBCOMBINATIONS'\nnel file delle combinazioni\n"
            "NON corrisponde al numero di combinazioni rilevate",
            "Errore :", true);
        return false;
    }
    return true;
}

void TFormMain::SaveResults() {
    SND_CHECK(FormSessionSettings != nullptr, "FormSessionSettings", "TFormMain");
    if (!FormSessionSettings) return;
    // The answers of a whole session are at stake: after a failed write the
    // experimenter may choose another path, as often as needed; only cancelling
    // that choice gives them up.
    for (;;) {
        bool bWritten = false;
        try {
            const std::string strBytes =
                BuildResultsText(FormSessionSettings->EditNomeCandidato->text().toStdString(), m_Combinations);
            bWritten = WriteResultsFile(FormSessionSettings->EditFileResults->text(), strBytes);
        } catch (...) {
            bWritten = false;
        }
        if (bWritten) return;
        ReportError("Errore: impossibile salvare la sessione", "Errore :", true);
        if (!FormSessionSettings->ExecuteResultsDialog()) return;
    }
}
