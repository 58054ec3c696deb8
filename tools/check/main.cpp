// sondarium-check PLAYLIST COMBINATIONS: the checks a session start runs, the
// day before, with each message printed instead of shown; then per file and
// per excerpt the format, length, sample peak and EBU R128 loudness, and per
// test the loudness difference of A and B.
// Exit status: 0 the session would start without a warning, 1 with warnings,
// 2 the start would be refused.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "Measure.h"
#include "files/StimulusCheck.h"
#include "files/parse/CombinationsParser.h"
#include "files/parse/PlaylistParser.h"
#include "files/parse/TextLines.h"

namespace {

enum { EXIT_CLEAN = 0, EXIT_WARNED = 1, EXIT_REFUSED = 2 };
constexpr double MAX_AB_DIFFERENCE_LU = 1.0;

void Say(const char* caption, const std::string& text) { std::printf("[%s] %s\n\n", caption, text.c_str()); }

bool ReadLines(const char* path, std::vector<std::string>& lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    lines = SplitTextLines(bytes);
    return true;
}

// The playlist and combinations loaders' own messages, as the session start shows them.
bool LoadPlaylist(const char* path, TPlaylistContent& content) {
    std::vector<std::string> lines;
    if (!ReadLines(path, lines)) return Say("Errore:", "Errore nel caricamento\ndella playlist"), false;
    content = ParsePlaylist(lines);
    switch (content.status) {
        case TPlaylistStatus::Ok: return true;
        case TPlaylistStatus::NoLines: Say("Errore:", "la playlist è vuota: la sessione non parte"); break;
        case TPlaylistStatus::BadHeader: Say("Errore :", "Errore :  Formato di file della PlayList\nNON riconosciuto!"); break;
        case TPlaylistStatus::BadChannels: Say("Errore:", "Errore: numero di canali audio\nnella PlayList NON consentito"); break;
    }
    return false;
}

bool LoadCombinations(const char* path, TCombinationsContent& content) {
    std::vector<std::string> lines;
    if (!ReadLines(path, lines)) return Say("Errore:", "Errore in 'LoadCombinations'"), false;
    content = ParseCombinations(lines);
    switch (content.status) {
        case TCombinationsStatus::Ok: return true;
        case TCombinationsStatus::NoLines: Say("Errore:", "il file delle combinazioni è vuoto: la sessione non parte"); break;
        case TCombinationsStatus::BadHeader: Say("Errore :", "Errore :  Formato di file delle Combinazioni\nNON riconosciuto!"); break;
        case TCombinationsStatus::BadCount: Say("Errore:", "Errore: numero di combinazioni errato"); break;
        case TCombinationsStatus::Mismatch:
            Say("Errore :", "Errore: Il valore del campo 'NBCOMBINATIONS'\nnel file delle combinazioni\n"
                            "NON corrisponde al numero di combinazioni rilevate");
            break;
    }
    return false;
}

std::string Db(double v, const char* unit) {
    if (!std::isfinite(v)) return std::string("-inf ") + unit;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", v, unit);
    return text;
}

std::string Figures(const TMeasure& m) {
    if (!m.bOk) return "non misurabile";
    return "picco " + Db(ToDb(m.dPeak), "dBFS") + ", " + Db(m.dLoudness, "LUFS") + (m.bClips ? "  SATURA" : "");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "uso: sondarium-check PLAYLIST COMBINAZIONI\n");
        return EXIT_REFUSED;
    }
    TPlaylistContent playlist;
    TCombinationsContent combinations;
    if (!LoadPlaylist(argv[1], playlist) || !LoadCombinations(argv[2], combinations)) return EXIT_REFUSED;

    const int K = playlist.nChannels;
    const std::int32_t N = static_cast<std::int32_t>(playlist.entries.size()) / K;
    TVecCombinations tests;
    for (const TExcerptPair& p : combinations.pairs) tests.push_back({p.nExcerptA, p.nExcerptB, false, false, false, ""});
    for (const TTrackCombs& t : tests) {
        if (t.nExcerptA < 1 || t.nExcerptA > N || t.nExcerptB < 1 || t.nExcerptB > N) {
            Say("Avvertimento :", "Attenzione!\nVerificare il file delle combinazioni:\nalcuni indici potrebbero essere errati.");
            return EXIT_REFUSED;
        }
    }

    const TStimulusReport report = CheckStimuli(playlist.entries, K, tests);
    int status = EXIT_CLEAN;
    if (report.Refused()) {
        Say("Errore:", StimulusErrorText(report));
        status = EXIT_REFUSED;
    }
    if (!report.warnings.empty()) {
        Say("Avvertimento :", StimulusWarningText(report));
        status = std::max(status, int(EXIT_WARNED));
    }

    std::printf("File (%zu, %d per brano):\n", report.files.size(), K);
    std::map<std::string, TMeasure> measured;
    std::set<std::string> clipping;
    for (const TStimulusFile& f : report.files) {
        if (measured.count(f.strEntry)) continue;
        const TMeasure m = MeasureFile(f);
        measured[f.strEntry] = m;
        if (m.bClips) clipping.insert(f.strEntry);
        if (f.Playable())
            std::printf("  %s\n      %s, %.3f s, %s\n", f.strEntry.c_str(), FormatDescription(f).c_str(), f.Seconds(),
                        Figures(m).c_str());
        else
            std::printf("  %s\n      %s\n", f.strEntry.c_str(), ProblemText(f).c_str());
    }

    std::printf("\nBrani:\n");
    std::map<std::int32_t, TMeasure> excerpts;
    for (std::size_t i = 0; i < report.files.size(); i += K) {
        const std::int32_t k = static_cast<std::int32_t>(report.entryIndex[i] / K) + 1;
        std::vector<const TStimulusFile*> files;
        double dLongest = 0;
        for (int c = 0; c < K; ++c) {
            files.push_back(&report.files[i + c]);
            dLongest = std::max(dLongest, report.files[i + c].Seconds());
        }
        excerpts[k] = MeasureExcerpt(files);
        std::printf("  Brano %d: %.3f s, %s\n", k, dLongest, Figures(excerpts[k]).c_str());
    }

    std::printf("\nTest:\n");
    std::vector<std::string> flags;
    for (std::size_t n = 0; n < tests.size(); ++n) {
        const TMeasure& a = excerpts[tests[n].nExcerptA];
        const TMeasure& b = excerpts[tests[n].nExcerptB];
        std::string line = "  Test " + std::to_string(n + 1) + ": A brano " + std::to_string(tests[n].nExcerptA) +
                           ", B brano " + std::to_string(tests[n].nExcerptB) + ", ";
        if (a.bOk && b.bOk && std::isfinite(a.dLoudness) && std::isfinite(b.dLoudness)) {
            const double d = a.dLoudness - b.dLoudness;
            char text[64];
            std::snprintf(text, sizeof text, "A-B %+.1f LU", d);
            line += text;
            if (std::fabs(d) > MAX_AB_DIFFERENCE_LU) {
                line += "  DIVERSI";
                flags.push_back("Test " + std::to_string(n + 1) + ": A e B differiscono di " + Db(std::fabs(d), "LU") +
                                " (più di 1 LU): la preferenza può seguire il volume");
            }
        } else {
            line += "A-B non misurabile";
        }
        std::printf("%s\n", line.c_str());
    }
    for (const std::string& f : clipping) flags.push_back(f + ": satura (picco a 0 dBFS)");
    if (!flags.empty()) {
        std::printf("\nSegnalazioni:\n");
        for (const std::string& f : flags) std::printf("  %s\n", f.c_str());
        status = std::max(status, int(EXIT_WARNED));
    }
    std::printf("\n%s\n", status == EXIT_REFUSED ? "La sessione NON partirebbe."
                          : status == EXIT_WARNED ? "La sessione partirebbe con avvertimenti."
                                                  : "La sessione partirebbe senza avvertimenti.");
    return status;
}
