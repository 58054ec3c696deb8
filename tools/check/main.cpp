// sondarium-check PLAYLIST COMBINATIONS: the checks a session start runs, the
// day before, with each message printed instead of shown; then per file and
// per excerpt the format, length, sample peak and EBU R128 loudness, and per
// test the loudness difference of A and B.
// Exit status: 0 the session would start without a warning, 1 with warnings,
// 2 the start would be refused.
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "Measure.h"
#include "ToolOptions.h"
#include "files/StimulusCheck.h"
#include "platform/report/Report.h"
#include "session/Session.h"

namespace {

enum { EXIT_CLEAN = 0, EXIT_WARNED = 1, EXIT_REFUSED = 2 };
constexpr double MAX_AB_DIFFERENCE_LU = 1.0;

const toolcli::TTool kTool = {
    "sondarium-check",
    "uso: sondarium-check PLAYLIST COMBINAZIONI",
    "Esegue i controlli dell'avvio di una sessione e misura picco e loudness di ogni file audio.\n"
    "Uscita 0: la sessione partirebbe senza avvertimenti; 1: con avvertimenti; 2: non partirebbe.",
    {},
};

int UsageError(const std::string& text) {
    std::fprintf(stderr, "sondarium-check: %s\n%s\n", text.c_str(), kTool.usage.c_str());
    return EXIT_REFUSED;
}

void Say(const std::string& caption, std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    std::printf("[%s] %s\n\n", caption.c_str(), text.c_str());
}

// The messages the session start would show, printed as text.
class TTextReporter : public IReporter {
public:
    void ShowMessage(const std::string& text, const std::string& caption, MsgIcon) override {
        Say(caption, text);
        ++nShown;
    }
    void MessageBeep() override {}
    int nShown = 0;
};

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
    if (const auto status = toolcli::AnswerHelpOrVersion(kTool, argc, argv)) return *status;
    // A file whose name begins with "-" is given as ./-name.
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] == '-' && argv[i][1] != '\0')
            return UsageError("opzione sconosciuta: \"" + std::string(argv[i]) + "\"");
    if (argc != 3) return UsageError("servono due file: la playlist e le combinazioni");
    TTextReporter reporter;
    SetReporter(&reporter);
    // The session's own loaders and checks, in the order a session start runs them.
    TSession session;
    session.Reset();
    // The loaders say nothing of an empty file: the session would just not start.
    if (!session.LoadPlaylist(argv[1])) {
        if (!reporter.nShown) Say("Errore:", "la playlist è vuota: la sessione non parte");
        return EXIT_REFUSED;
    }
    if (!session.LoadCombinations(argv[2])) {
        if (!reporter.nShown) Say("Errore:", "il file delle combinazioni è vuoto: la sessione non parte");
        return EXIT_REFUSED;
    }
    if (!session.CheckCombinations()) {
        TSession::WarnBadIndices();
        return EXIT_REFUSED;
    }
    const TStimulusReport report = session.CheckStimuli(nullptr);
    int status = report.Refused() ? EXIT_REFUSED : report.warnings.empty() ? EXIT_CLEAN : EXIT_WARNED;
    // A refused start shows no warning; the day before, both are worth knowing.
    if (report.Refused() && !report.warnings.empty()) Say("Avvertimento :", StimulusWarningText(report));
    const int K = session.m_nChannels;
    const TVecCombinations& tests = session.m_Combinations;

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
