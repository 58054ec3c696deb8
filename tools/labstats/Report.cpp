#include "Report.h"

#include <charconv>
#include <cmath>

namespace labstats {

std::string Fixed(double v, int decimals) {
    if (std::isnan(v)) return "";
    char buf[64];
    // to_chars never looks at the locale, unlike printf once Qt has set it.
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    std::string s(buf, res.ptr);
    if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);  // no "-0.000"
    return s;
}

namespace {

std::string General(double v) {
    if (std::isnan(v)) return "";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    return std::string(buf, res.ptr);
}

std::string PText(double p) {
    if (std::isnan(p)) return "-";
    return p < 0.0001 ? "<0.0001" : Fixed(p, 4);
}

std::string Right(const std::string& s, std::size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

}  // namespace

TReport BuildReport(const std::vector<std::string>& paths) {
    TReport r;
    std::vector<TJudgement> all;
    for (const std::string& path : paths) {
        TResultsFile file = ReadResultsFile(path);
        if (!file.bOk) {
            r.faults.push_back(path + ": " + (file.nBadLine > 0 ? "riga " + std::to_string(file.nBadLine) + ": " : "") +
                               file.strReason);
            continue;
        }
        TCandidate c{path, file.strName, static_cast<int>(file.judgements.size()), Consistency(file.judgements)};
        for (const TJudgement& j : file.judgements) r.nSelfTests += j.nExcerptA == j.nExcerptB;
        r.nTests += c.nTests;
        r.candidates.push_back(c);
        all.insert(all.end(), file.judgements.begin(), file.judgements.end());
    }
    r.matrix = CountPreferences(all);
    r.scale = FitBradleyTerry(r.matrix);
    r.pairs = SummarisePairs(r.matrix);
    r.bias = OrderBias(all);
    return r;
}

std::string ReportText(const TReport& r) {
    std::string t = "File di risultati letti: " + std::to_string(r.candidates.size()) +
                    ", test: " + std::to_string(r.nTests) + "\n";
    if (r.nSelfTests > 0)
        t += std::to_string(r.nSelfTests) + " test di un brano con se stesso non contati\n";

    t += "\nBrani (\"Non saprei\" = pareggio per entrambi; scala: logaritmo della forza di Bradley-Terry,\n"
         "somma 0, intervallo di confidenza al 95%)\n";
    t += " brano vittorie sconfitte pareggi    scala   IC 95%\n";
    const TPreferenceMatrix& m = r.matrix;
    for (std::size_t i = 0; i < m.excerpts.size(); ++i) {
        t += Right(std::to_string(m.excerpts[i]), 6) + Right(std::to_string(m.Wins(i)), 9) +
             Right(std::to_string(m.Losses(i)), 10) + Right(std::to_string(m.Ties(i)), 8);
        if (r.scale.bOk)
            t += Right(Fixed(r.scale.theta[i], 3), 9) + "   [" + Fixed(r.scale.ciLow[i], 3) + ", " +
                 Fixed(r.scale.ciHigh[i], 3) + "]";
        t += "\n";
    }
    if (!r.scale.bOk) t += r.scale.strNote + "\n";

    t += "\nCoppie (test dei segni esatto bilaterale, pareggi esclusi; p corretto con Holm)\n";
    t += "   a   b  preferito a  preferito b  nessuna       p  p Holm\n";
    for (const TPairSummary& p : r.pairs)
        t += Right(std::to_string(p.a), 4) + Right(std::to_string(p.b), 4) + Right(std::to_string(p.nPreferA), 13) +
             Right(std::to_string(p.nPreferB), 13) + Right(std::to_string(p.nNoPreference), 9) +
             Right(PText(p.p), 8) + Right(PText(p.pHolm), 8) + "\n";

    t += "\nCandidati (terne circolari d e coefficiente di consistenza zeta di Kendall)\n";
    for (const TCandidate& c : r.candidates) {
        t += c.strFile + "  \"" + c.strName + "\": " + std::to_string(c.nTests) + " test, ";
        if (c.consistency.bJudgedAll)
            t += std::to_string(c.consistency.nExcerpts) + " brani, d = " + Fixed(c.consistency.circularTriads, 2) +
                 ", zeta = " + Fixed(c.consistency.zeta, 3) + "\n";
        else
            t += "non ha giudicato tutte le coppie di almeno 3 brani\n";
    }

    t += "\nEffetto d'ordine: ";
    if (r.bias.nDecided == 0)
        t += "nessuna risposta decisa\n";
    else
        t += "scelto il brano A in " + std::to_string(r.bias.nChoseA) + " di " + std::to_string(r.bias.nDecided) +
             " risposte decise (" + Fixed(100.0 * r.bias.nChoseA / r.bias.nDecided, 1) + "%), p = " +
             PText(r.bias.p) + "\n";
    return t;
}

std::string ExcerptCsv(const TReport& r) {
    std::string t = "excerpt,wins,losses,ties,scale,ci_low,ci_high\n";
    const TPreferenceMatrix& m = r.matrix;
    for (std::size_t i = 0; i < m.excerpts.size(); ++i) {
        t += std::to_string(m.excerpts[i]) + ',' + std::to_string(m.Wins(i)) + ',' + std::to_string(m.Losses(i)) +
             ',' + std::to_string(m.Ties(i));
        if (r.scale.bOk)
            t += ',' + Fixed(r.scale.theta[i], 6) + ',' + Fixed(r.scale.ciLow[i], 6) + ',' + Fixed(r.scale.ciHigh[i], 6);
        else
            t += ",,,";
        t += '\n';
    }
    return t;
}

std::string PairsCsv(const TReport& r) {
    std::string t = "a,b,prefer_a,prefer_b,no_preference,p,p_holm\n";
    for (const TPairSummary& p : r.pairs)
        t += std::to_string(p.a) + ',' + std::to_string(p.b) + ',' + std::to_string(p.nPreferA) + ',' +
             std::to_string(p.nPreferB) + ',' + std::to_string(p.nNoPreference) + ',' + General(p.p) + ',' +
             General(p.pHolm) + '\n';
    return t;
}

}  // namespace labstats
