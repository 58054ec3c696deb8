// sondarium-report: reads results files, one per candidate, and prints what
// the answers say; writes the tables as CSV and a picture where asked.
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Plot.h"
#include "Report.h"
#include "TextFile.h"
#include "ToolOptions.h"

namespace {

const toolcli::TTool kTool = {
    "sondarium-report",
    "uso: sondarium-report RESULTS... [--csv FILE] [--pairs FILE] [--plot FILE.svg|FILE.png]",
    "Legge i file di risultati, uno per candidato, e stampa vittorie, scala di Bradley-Terry, coppie e coerenza.",
    {
        {"--csv", "FILE", "scrive la tabella dei brani in CSV (brano, vittorie, sconfitte, pareggi, scala)"},
        {"--pairs", "FILE", "scrive la tabella delle coppie in CSV (preferenze, p, p di Holm)"},
        {"--plot", "FILE.svg|FILE.png", "disegna la scala e la matrice delle preferenze"},
    },
};

int UsageError(const std::string& text) {
    std::fprintf(stderr, "sondarium-report: %s\n%s\n", text.c_str(), kTool.usage.c_str());
    return 2;
}

bool EndsWith(const std::string& s, const std::string& end) {
    if (s.size() < end.size()) return false;
    std::string tail = s.substr(s.size() - end.size());
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == end;
}

bool WriteText(const std::string& path, const std::string& text) {
    if (labstats::WriteTextFile(path, text)) return true;
    std::fprintf(stderr, "sondarium-report: impossibile scrivere \"%s\"\n", path.c_str());
    return false;
}

// Qt draws text only with a platform; without a display the offscreen one
// renders the same pictures.
bool Plot(const labstats::TReport& report, const std::string& path) {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The tool's own messages say what went wrong; Qt's notes about the
    // session's environment would only bury them.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(msg));
    });
    int argc = 1;
    char name[] = "sondarium-report";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    if (DrawReportPlot(report, path)) return true;
    std::fprintf(stderr, "sondarium-report: impossibile scrivere \"%s\"\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto status = toolcli::AnswerHelpOrVersion(kTool, argc, argv)) return *status;
    std::vector<std::string> files;
    std::string csv, pairs, plot;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            files.push_back(arg);
            continue;
        }
        std::string* target = arg == "--csv" ? &csv : arg == "--pairs" ? &pairs : arg == "--plot" ? &plot : nullptr;
        if (!target) return UsageError("opzione sconosciuta: \"" + arg + "\"");
        if (!target->empty()) return UsageError(arg + ": opzione ripetuta");
        if (i + 1 >= argc || argv[i + 1][0] == '\0') return UsageError(arg + ": manca il nome del file");
        *target = argv[++i];
    }
    if (files.empty()) return UsageError("manca almeno un file di risultati");
    if (!plot.empty() && !EndsWith(plot, ".svg") && !EndsWith(plot, ".png"))
        return UsageError("--plot: il nome deve finire con .svg o .png, non \"" + plot + "\"");

    const labstats::TReport report = labstats::BuildReport(files);
    for (const std::string& fault : report.faults)
        std::fprintf(stderr, "sondarium-report: %s (file saltato)\n", fault.c_str());
    const std::string text = labstats::ReportText(report);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);

    bool ok = report.faults.empty();
    if (!csv.empty()) ok = WriteText(csv, labstats::ExcerptCsv(report)) && ok;
    if (!pairs.empty()) ok = WriteText(pairs, labstats::PairsCsv(report)) && ok;
    if (!plot.empty()) ok = Plot(report, plot) && ok;
    return ok ? 0 : 1;
}
