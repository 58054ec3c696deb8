#include "files/ResultsJournal.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "files/DurableWrite.h"
#include "files/parse/ResultsText.h"

namespace {

const char* const LOG_PREFIX = "Journal: ";

bool Exists(const std::string& strPath) {
    struct stat st{};
    return lstat(strPath.c_str(), &st) == 0;
}

// Renames without ever replacing `to`; where the file system cannot say so
// atomically, a check just before the rename has to do.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    if (Exists(to)) return EEXIST;
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

void TResultsJournal::Begin(const std::string& strResultsPath, std::vector<std::string>& log) {
    m_strPath.clear();
    if (strResultsPath.empty()) return;
    const std::string strJournal = PathFor(strResultsPath);
    if (Exists(strJournal)) {
        for (unsigned n = 1;; ++n) {
            const std::string strAside = strJournal + "-" + std::to_string(n);
            const int err = RenameNoReplace(strJournal, strAside);
            if (err == 0) {
                SyncFolder(FolderOf(strJournal));
                log.push_back(LOG_PREFIX + std::string("il giornale di una sessione precedente \"") + strJournal +
                              "\" è stato rinominato \"" + strAside + "\"");
                break;
            }
            if (err == EEXIST || err == ENOTEMPTY) continue;
            log.push_back(LOG_PREFIX + std::string("impossibile rinominare \"") + strJournal + "\" (" +
                          std::strerror(err) + "): questa sessione non tiene un giornale");
            return;
        }
    }
    m_strPath = strJournal;
}

TJournalMatch TResultsJournal::Check(const std::string& strResultsPath, const std::string& strName,
                                     const TVecCombinations& Combinations) {
    TJournalMatch match;
    const std::string strJournal = PathFor(strResultsPath);
    if (strResultsPath.empty() || !Exists(strJournal)) return match;
    match.bFound = true;
    TResultsFile file = ReadResultsFile(strJournal, TResultsEnd::Journal);
    const std::size_t nAnswered = file.judgements.size();
    std::size_t nFirstOther = 0;
    while (nFirstOther < std::min(nAnswered, Combinations.size()) &&
           file.judgements[nFirstOther].nExcerptA == Combinations[nFirstOther].nExcerptA &&
           file.judgements[nFirstOther].nExcerptB == Combinations[nFirstOther].nExcerptB)
        ++nFirstOther;

    if (!file.bOk) {
        match.strWhy = "illeggibile" + (file.nBadLine ? " alla riga " + std::to_string(file.nBadLine) : std::string()) +
                       ": " + file.strReason;
    } else if (file.strName != ResultsNameLine(strName)) {
        match.strWhy = "è di un altro candidato (\"" + file.strName + "\")";
    } else if (nAnswered == 0) {
        match.strWhy = "non contiene alcun test risposto";
    } else if (nAnswered > Combinations.size()) {
        match.strWhy = "contiene " + std::to_string(nAnswered) + " test, la sessione ne ha " +
                       std::to_string(Combinations.size());
    } else if (nFirstOther < nAnswered) {
        const TJudgement& j = file.judgements[nFirstOther];
        const TTrackCombs& comb = Combinations[nFirstOther];
        match.strWhy = "il test " + std::to_string(nFirstOther + 1) + " confronta " + std::to_string(j.nExcerptA) +
                       " e " + std::to_string(j.nExcerptB) + ", il file delle combinazioni " +
                       std::to_string(comb.nExcerptA) + " e " + std::to_string(comb.nExcerptB);
    } else {
        match.bMatches = true;
        match.answers = std::move(file.judgements);
    }
    if (file.bOk && file.bTornLineLeftOut)
        match.strWhy += std::string(match.strWhy.empty() ? "" : "; ") + "l'ultima riga, incompleta, non è contata";
    return match;
}

bool TResultsJournal::Record(const std::string& strName, const TVecCombinations& Combinations,
                             std::size_t nAnswered, std::vector<std::string>& log) {
    if (!Active()) return false;
    if (nAnswered > Combinations.size()) nAnswered = Combinations.size();
    const TVecCombinations answered(Combinations.begin(), Combinations.begin() + static_cast<std::ptrdiff_t>(nAnswered));
    const TWriteResult r = WriteFileDurably(m_strPath, BuildResultsText(strName, answered));
    if (!r.bOk) {
        log.push_back(LOG_PREFIX + std::string("impossibile scrivere \"") + m_strPath + "\" dopo il test " +
                      std::to_string(nAnswered) + " (" + r.strError + ")");
    }
    return r.bOk;
}

void TResultsJournal::Finish(std::vector<std::string>& log) {
    if (!Active()) return;
    if (unlink(m_strPath.c_str()) == 0) {
        SyncFolder(FolderOf(m_strPath));
    } else if (errno != ENOENT) {
        log.push_back(LOG_PREFIX + std::string("impossibile rimuovere \"") + m_strPath + "\" (" +
                      std::strerror(errno) + ")");
    }
    m_strPath.clear();
}
