#include "files/parse/ResultsText.h"

namespace {

std::string Flattened(std::string text, bool bTabsToo) {
    for (char& c : text) {
        if (c == '\r' || c == '\n' || (bTabsToo && c == '\t')) c = ' ';
    }
    return text;
}

void AppendLine(std::string& out, const std::string& line) {
    out += line;
    out += "\r\n";
}

}  // namespace

std::string ResultsNameLine(const std::string& strName) { return Flattened(strName, false); }

std::string BuildResultsText(const std::string& strName, const TVecCombinations& Combinations) {
    std::string out;
    AppendLine(out, RESULTS_HEADER);
    AppendLine(out, "");
    AppendLine(out, "NOME");
    AppendLine(out, ResultsNameLine(strName));
    AppendLine(out, "");
    AppendLine(out, "BRANO\tBRANO\tRIS\tRIS\tRIS\tNOTES");
    AppendLine(out, "A\tB\tA\tB\tNONE");
    for (const TTrackCombs& comb : Combinations) {
        std::string line = std::to_string(comb.nExcerptA) + '\t' + std::to_string(comb.nExcerptB) + '\t' +
                           (comb.bPreferA ? '1' : '0') + '\t' + (comb.bPreferB ? '1' : '0') + '\t' +
                           (comb.bNoPreference ? '1' : '0') + '\t' + Flattened(comb.strNotes, true);
        AppendLine(out, line);
    }
    return out;
}
