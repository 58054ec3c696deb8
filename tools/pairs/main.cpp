// sondarium-pairs: writes combinations files that cover every pair of a set of
// excerpts once (or once in each order), shuffled so that no test repeats an
// excerpt of the test before it.
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "PairSchedule.h"
#include "TextFile.h"
#include "ToolOptions.h"

namespace {

const toolcli::TTool kTool = {
    "sondarium-pairs",
    "uso: sondarium-pairs --excerpts N [--only 1,3,4,...] [--both-orders] [--seed S]\n"
    "                     [--candidates K] [--out FILE | --out-dir DIR]",
    "Scrive un file di combinazioni con ogni coppia dei brani, in ordine sparso.",
    {
        {"--excerpts", "N", "numero dei brani della playlist, da 2 in su"},
        {"--only", "1,3,4,...", "solo questi brani (almeno 2, al più 100, senza ripetizioni)"},
        {"--both-orders", "", "ogni coppia due volte, una per ordine (servono almeno 3 brani)"},
        {"--seed", "S", "seme del sorteggio: la stessa lista, byte per byte, a ogni esecuzione"},
        {"--candidates", "K", "K liste, candidate-01.cmb ..., con i semi S, S+1, ... (serve --out-dir)"},
        {"--out", "FILE", "scrive la lista in FILE invece che sullo standard output"},
        {"--out-dir", "DIR", "scrive le liste nella cartella DIR (creata se manca)"},
    },
};

struct TOptions {
    std::int32_t nExcerpts = 0;
    std::vector<std::int32_t> only;
    bool bBothOrders = false;
    bool bSeed = false;
    std::uint64_t seed = 0;
    int nCandidates = 0;  // 0: not given
    std::string strOut, strOutDir;
};

struct TUsageError {
    std::string text;
};

template <class T>
T Number(const std::string& option, const std::string& text, T lowest) {
    T value{};
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size() || value < lowest)
        throw TUsageError{option + ": \"" + text + "\" non è un numero intero da " + std::to_string(lowest) + " in su"};
    return value;
}

TOptions ParseOptions(int argc, char** argv) {
    TOptions o;
    std::set<std::string> seen;
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        if (!seen.insert(opt).second) throw TUsageError{opt + ": opzione ripetuta"};
        if (opt == "--both-orders") {
            o.bBothOrders = true;
            continue;
        }
        static const std::set<std::string> kWithValue = {"--excerpts", "--only", "--seed", "--candidates", "--out",
                                                         "--out-dir"};
        if (!kWithValue.count(opt)) throw TUsageError{"opzione sconosciuta: \"" + opt + "\""};
        if (i + 1 >= argc) throw TUsageError{opt + ": manca il valore"};
        const std::string value = argv[++i];
        if (opt == "--excerpts") o.nExcerpts = Number<std::int32_t>(opt, value, 2);
        if (opt == "--seed") o.bSeed = true, o.seed = Number<std::uint64_t>(opt, value, 0);
        if (opt == "--candidates") o.nCandidates = Number<int>(opt, value, 1);
        if (opt == "--out") o.strOut = value;
        if (opt == "--out-dir") o.strOutDir = value;
        if (opt == "--only") {
            for (std::size_t start = 0;;) {
                const std::size_t comma = value.find(',', start);
                o.only.push_back(Number<std::int32_t>(opt, value.substr(start, comma - start), 1));
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
        }
    }
    if (o.nExcerpts == 0) throw TUsageError{"--excerpts: manca il numero di brani"};
    std::set<std::int32_t> distinct;
    for (std::int32_t e : o.only) {
        if (e > o.nExcerpts)
            throw TUsageError{"--only: il brano " + std::to_string(e) + " non esiste, i brani sono " +
                              std::to_string(o.nExcerpts)};
        if (!distinct.insert(e).second) throw TUsageError{"--only: il brano " + std::to_string(e) + " è ripetuto"};
    }
    if (!o.only.empty() && o.only.size() < 2) throw TUsageError{"--only: servono almeno 2 brani"};
    const std::size_t nUsed = o.only.empty() ? static_cast<std::size_t>(o.nExcerpts) : o.only.size();
    if (nUsed > labstats::MAXSCHEDULED)
        throw TUsageError{"al più " + std::to_string(labstats::MAXSCHEDULED) + " brani per lista, non " +
                          std::to_string(nUsed)};
    if (o.bBothOrders && nUsed < 3)
        throw TUsageError{"--both-orders: con 2 brani i due ordini starebbero per forza uno accanto all'altro; "
                          "servono almeno 3 brani"};
    if (!o.strOut.empty() && !o.strOutDir.empty()) throw TUsageError{"--out e --out-dir: scegliere uno dei due"};
    if (o.nCandidates > 0 && o.strOutDir.empty()) throw TUsageError{"--candidates: serve anche --out-dir"};
    if (o.nCandidates == 0) o.nCandidates = 1;
    return o;
}

bool WriteFile(const std::string& path, const std::string& text) {
    if (labstats::WriteTextFile(path, text)) return true;
    std::fprintf(stderr, "sondarium-pairs: impossibile scrivere \"%s\"\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto status = toolcli::AnswerHelpOrVersion(kTool, argc, argv)) return *status;
    TOptions o;
    try {
        o = ParseOptions(argc, argv);
    } catch (const TUsageError& e) {
        std::fprintf(stderr, "sondarium-pairs: %s\n%s\n", e.text.c_str(), kTool.usage.c_str());
        return 2;
    }
    std::vector<std::int32_t> excerpts = o.only;
    if (excerpts.empty())
        for (std::int32_t e = 1; e <= o.nExcerpts; ++e) excerpts.push_back(e);
    if (!o.bSeed) {
        std::random_device device;
        o.seed = (static_cast<std::uint64_t>(device()) << 32) ^ device();
        std::fprintf(stderr, "seed: %llu\n", static_cast<unsigned long long>(o.seed));
    }

    if (o.strOutDir.empty()) {
        const std::string text = labstats::CombinationsText(labstats::SchedulePairs(excerpts, o.bBothOrders, o.seed));
        if (!o.strOut.empty()) return WriteFile(o.strOut, text) ? 0 : 1;
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0 ? 0 : 1;
    }
    std::error_code ec;
    std::filesystem::create_directories(o.strOutDir, ec);
    const int width = std::max<int>(2, static_cast<int>(std::to_string(o.nCandidates).size()));
    bool ok = true;
    for (int k = 0; k < o.nCandidates; ++k) {
        std::string number = std::to_string(k + 1);
        number.insert(0, static_cast<std::size_t>(width) - number.size(), '0');
        const std::string path = (std::filesystem::path(o.strOutDir) / ("candidate-" + number + ".cmb")).string();
        ok = WriteFile(path, labstats::CombinationsText(labstats::SchedulePairs(excerpts, o.bBothOrders,
                                                                                o.seed + static_cast<std::uint64_t>(k)))) &&
             ok;
    }
    return ok ? 0 : 1;
}
