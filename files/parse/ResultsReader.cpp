#include "files/parse/ResultsReader.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/parse/ResultsText.h"
#include "files/parse/TextLines.h"

namespace {

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

// An excerpt number as the program writes it: plain decimal digits, 1 or more.
bool ExcerptNumber(const std::string& field, std::int32_t& value) {
    if (field.empty() || field.size() > 9) return false;
    std::int32_t v = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    value = v;
    return v >= 1;
}

// Everything after the fifth tab: the comment, with the tabs of a comment
// written by hand.
std::string Notes(const std::string& line) {
    std::size_t pos = 0;
    for (int n = 0; n < 5; ++n) {
        pos = line.find('\t', pos);
        if (pos == std::string::npos) return {};
        ++pos;
    }
    return line.substr(pos);
}

TResultsFile Fault(int nLine, std::string reason) {
    TResultsFile file;
    file.nBadLine = nLine;
    file.strReason = std::move(reason);
    return file;
}

// One data line: A, B, the three answer flags with exactly one set, the comment.
bool ReadJudgement(const std::string& line, TJudgement& j, std::string& reason) {
    const std::vector<std::string> f = Fields(line);
    if (f.size() < 5) {
        reason = "una riga di test ha almeno 5 campi separati da tabulazioni, questa ne ha " + std::to_string(f.size());
        return false;
    }
    if (!ExcerptNumber(f[0], j.nExcerptA) || !ExcerptNumber(f[1], j.nExcerptB)) {
        reason = "i primi due campi devono essere numeri di brano (1 o più)";
        return false;
    }
    int nSet = 0;
    for (int k = 0; k < 3; ++k) {
        if (f[2 + k] != "0" && f[2 + k] != "1") {
            reason = "le risposte (campi 3, 4 e 5) devono essere 0 o 1";
            return false;
        }
        if (f[2 + k] == "1") {
            ++nSet;
            j.answer = k == 0 ? TAnswer::PreferA : k == 1 ? TAnswer::PreferB : TAnswer::NoPreference;
        }
    }
    if (nSet != 1) {
        reason = "esattamente una delle risposte A, B e NONE deve essere 1";
        return false;
    }
    j.strNotes = Notes(line);
    return true;
}

}  // namespace

TResultsFile ParseResults(const std::string& bytes, TResultsEnd end) {
    std::string_view whole = bytes;
    bool bTorn = false;
    if (end == TResultsEnd::Journal) {
        // A NUL ends the text (a block of zeros after a power cut); a line is
        // whole once its CR LF is written.
        whole = whole.substr(0, whole.find('\0'));
        const std::size_t nEnd = whole.rfind("\r\n");
        const std::size_t nWhole = nEnd == std::string_view::npos ? 0 : nEnd + 2;
        bTorn = nWhole < whole.size();
        whole = whole.substr(0, nWhole);
    }
    std::vector<std::string> lines = SplitTextLines(whole);
    if (lines.empty()) return Fault(0, "il file è vuoto");
    if (lines[0] != RESULTS_HEADER)
        return Fault(1, std::string("la prima riga non è \"") + RESULTS_HEADER + "\": non è un file di risultati");
    if (lines.size() < 7) return Fault(static_cast<int>(lines.size()), "il file finisce prima dell'intestazione");
    if (lines[2] != "NOME") return Fault(3, "manca la riga \"NOME\"");
    if (lines[5].rfind("BRANO\tBRANO\tRIS\tRIS\tRIS", 0) != 0 || lines[6].rfind("A\tB\tA\tB\tNONE", 0) != 0)
        return Fault(lines[5].rfind("BRANO", 0) != 0 ? 6 : 7, "manca l'intestazione delle colonne");

    // Empty lines after the last test (an editor's trailing break) are harmless.
    while (lines.size() > 7 && lines.back().empty()) lines.pop_back();
    TResultsFile file;
    file.strName = lines[3];
    for (std::size_t i = 7; i < lines.size(); ++i) {
        TJudgement j;
        std::string reason;
        if (!ReadJudgement(lines[i], j, reason)) {
            if (end == TResultsEnd::AsWritten || i + 1 < lines.size()) return Fault(static_cast<int>(i + 1), reason);
            bTorn = true;
            break;
        }
        file.judgements.push_back(std::move(j));
    }
    file.bTornLineLeftOut = bTorn;
    file.bOk = true;
    return file;
}

TResultsFile ReadResultsFile(const std::string& strPath, TResultsEnd end) {
    std::error_code ec;
    if (!std::filesystem::exists(strPath, ec)) return Fault(0, "il file non esiste");
    if (!std::filesystem::is_regular_file(strPath, ec)) return Fault(0, "non è un file");
    std::ifstream in(strPath, std::ios::binary);
    if (!in) return Fault(0, "non si può aprire il file");
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return Fault(0, "errore di lettura");
    return ParseResults(bytes, end);
}
