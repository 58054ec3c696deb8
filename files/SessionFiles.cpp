// The loaders and the writer of the session files: the widget-free parsers
// of files/parse with the reading, the writing and the messages around them.
#include "files/SessionFiles.h"

#include <cstdio>
#include <exception>
#include <fstream>

#include "files/DurableWrite.h"
#include "files/parse/CombinationsParser.h"
#include "files/parse/PlaylistParser.h"
#include "files/parse/ResultsText.h"
#include "files/parse/TextLines.h"
#include "platform/report/Report.h"

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

void ReportError(const char* text, const char* caption, bool bBeep) {
    if (bBeep) MessageBeep();
    ShowMessage(text, caption, MsgIcon::Error);
}

}  // namespace

bool LoadPlaylist(const std::string& strFileName, TStringList& PlayList, std::int32_t& nChannels) {
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
    nChannels = content.nChannels;
    PlayList = std::move(content.entries);
    return true;
}

bool LoadCombinations(const std::string& strFileName, TVecCombinations& Combinations) {
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
    Combinations.clear();
    Combinations.reserve(content.pairs.size());
    for (const TExcerptPair& pair : content.pairs) {
        TTrackCombs comb;
        comb.nExcerptA = pair.nExcerptA;
        comb.nExcerptB = pair.nExcerptB;
        Combinations.push_back(std::move(comb));
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

bool SaveResults(const std::string& strName, const std::string& strFileName, const TVecCombinations& Combinations,
                 std::string* pError) {
    TWriteResult r;
    try {
        r = WriteFileDurably(strFileName, BuildResultsText(strName, Combinations));
    } catch (const std::exception& e) {
        r.strError = e.what();
    }
    if (!r.bOk) {
        if (pError) *pError = r.strError;
        ReportError("Errore: impossibile salvare la sessione", "Errore :", true);
    }
    return r.bOk;
}
