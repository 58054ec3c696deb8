// The pair schedule's rules over a table of sizes and seeds, its files read
// back through the program's own loader, the results reader's faults, and the
// tools' answers to --help, --version and bad command lines.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "PairSchedule.h"
#include "files/parse/ResultsReader.h"
#include "files/parse/CombinationsParser.h"
#include "files/parse/TextLines.h"

TEST(LabPairs, EveryPairOnceShuffledAndLoadsUnchanged) {
    for (int n : {3, 4, 5, 6, 9}) {
        for (bool both : {false, true}) {
            for (std::uint64_t seed : {1u, 2u, 77u}) {
                std::vector<std::int32_t> excerpts;
                for (int e = 1; e <= n; ++e) excerpts.push_back(e * 2);  // as --only 2,4,6,... gives them
                const auto tests = labstats::SchedulePairs(excerpts, both, seed);
                const std::string where = "n=" + std::to_string(n) + (both ? " both" : "") + " seed " + std::to_string(seed);
                std::map<std::pair<int, int>, int> seen;
                for (std::size_t k = 0; k < tests.size(); ++k) {
                    const TExcerptPair& t = tests[k];
                    ++seen[{t.nExcerptA, t.nExcerptB}];
                    if (k == 0) continue;
                    const TExcerptPair& p = tests[k - 1];
                    const bool shares = t.nExcerptA == p.nExcerptA || t.nExcerptA == p.nExcerptB ||
                                        t.nExcerptB == p.nExcerptA || t.nExcerptB == p.nExcerptB;
                    if (n >= 5) {
                        EXPECT_FALSE(shares) << where << " at " << k;
                    }
                    EXPECT_FALSE(t.nExcerptA == p.nExcerptB && t.nExcerptB == p.nExcerptA) << where << " at " << k;
                }
                for (int a = 2; a <= 2 * n; a += 2) {
                    for (int b = a + 2; b <= 2 * n; b += 2) {
                        const int ab = seen[std::make_pair(a, b)], ba = seen[std::make_pair(b, a)];
                        EXPECT_TRUE(both ? ab == 1 && ba == 1 : ab + ba == 1) << where << " " << a << "," << b;
                    }
                }
                const std::string text = labstats::CombinationsText(tests);
                EXPECT_EQ(text, labstats::CombinationsText(labstats::SchedulePairs(excerpts, both, seed))) << where;
                const TCombinationsContent loaded = ParseCombinations(SplitTextLines(text));
                ASSERT_EQ(loaded.status, TCombinationsStatus::Ok) << where;
                ASSERT_EQ(loaded.pairs.size(), tests.size()) << where;
                for (std::size_t k = 0; k < tests.size(); ++k)
                    EXPECT_TRUE(loaded.pairs[k].nExcerptA == tests[k].nExcerptA &&
                                loaded.pairs[k].nExcerptB == tests[k].nExcerptB) << where << " line " << k;
            }
        }
    }
}

TEST(LabReport, ResultsFilesThatAreNotAreNamedByLine) {
    const std::string head = "SONDARIUM RESULTS\r\n\r\nNOME\r\nAnna\r\n\r\nBRANO\tBRANO\tRIS\tRIS\tRIS\tNOTES\r\nA\tB\tA\tB\tNONE\r\n";
    struct Case { std::string bytes; int nLine; const char* reason; };
    const Case cases[] = {
        {"", 0, "vuoto"},
        {"SONDARIUM PLAYLIST\r\nCHANNELS=2\r\n", 1, "non è un file di risultati"},
        {"SONDARIUM RESULTS\r\n\r\nNOME\r\n", 3, "prima dell'intestazione"},
        {head + "1\t2\t1\t0\t0\t\r\n2\t1\t1\t1\t0\t\r\n", 9, "esattamente una"},
        {head + "1\t2\t1\t0\r\n", 8, "questa ne ha 4"},
        {head + "1\tx\t1\t0\t0\t\r\n", 8, "numeri di brano"},
        {head + "0\t2\t1\t0\t0\t\r\n", 8, "numeri di brano"},
        {head + "1\t2\t2\t0\t0\t\r\n", 8, "0 o 1"},
        {head + "1\t2\t1\t0\t0\t\r\n\r\n1\t2\t1\t0\t0\t\r\n", 9, "5 campi"},
    };
    for (const Case& c : cases) {
        const TResultsFile f = ParseResults(c.bytes);
        EXPECT_FALSE(f.bOk) << c.reason;
        EXPECT_EQ(f.nBadLine, c.nLine) << c.reason;
        EXPECT_NE(f.strReason.find(c.reason), std::string::npos) << f.strReason;
    }
    const TResultsFile good = ParseResults(head + "3\t1\t0\t1\t0\tnota\tcon tab\r\n\r\n");
    ASSERT_TRUE(good.bOk) << good.strReason;
    ASSERT_EQ(good.judgements.size(), 1u);
    EXPECT_EQ(good.strName, "Anna");
    EXPECT_TRUE(good.judgements[0].nExcerptA == 3 && good.judgements[0].answer == TAnswer::PreferB);
}

namespace {

struct TRun {
    int status;
    std::string out, err;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TRun RunTool(const std::string& command) {
    // Test cases run as processes side by side: each its own capture files.
    const std::string base = testing::TempDir() + "labtools_run_" + std::to_string(getpid());
    const int raw = std::system((command + " >" + base + ".out 2>" + base + ".err").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(base + ".out"), Slurp(base + ".err")};
}

}  // namespace

TEST(LabTools, CommandLinesNameWhatIsWrong) {
    const std::string pairs = PAIRS_TOOL, report = REPORT_TOOL, check = CHECK_TOOL;
    const std::string missing = testing::TempDir() + "no-such-results.txt";
    const std::string version = std::string(" (Sondarium) ") + SONDARIUM_VERSION + "\n";
    struct Case { std::string command; int status; std::string message; };
    const Case cases[] = {
        {pairs, 2, "--excerpts: manca il numero di brani"},
        {pairs + " --excerpts 1", 2, "\"1\" non è un numero intero da 2 in su"},
        {pairs + " --excerpts 4 --only 1,4,4", 2, "--only: il brano 4 è ripetuto"},
        {pairs + " --excerpts 4 --only 1,5", 2, "il brano 5 non esiste"},
        {pairs + " --excerpts 4 --only 2,3 --both-orders", 2, "servono almeno 3 brani"},
        {pairs + " --excerpts 4 --candidates 3", 2, "--candidates: serve anche --out-dir"},
        {pairs + " --excerpts 4 --seed -1", 2, "--seed: \"-1\""},
        {pairs + " --excerpts 4 --seed", 2, "--seed: manca il valore"},
        {pairs + " --excerpts 4 --out a --out-dir b", 2, "scegliere uno dei due"},
        {pairs + " --excerpts 4 --excerpts 5", 2, "opzione ripetuta"},
        {pairs + " --excerpts 101", 2, "al più 100 brani per lista, non 101"},
        {report, 2, "manca almeno un file di risultati"},
        {report + " x.txt --plot x.jpg", 2, "deve finire con .svg o .png"},
        {report + " x.txt --table", 2, "opzione sconosciuta: \"--table\""},
        {report + " " + missing, 1, "no-such-results.txt: il file non esiste (file saltato)"},
        {report + " --csv --version", 2, "manca almeno un file di risultati"},
        {pairs + " --excerpts 4 --verbose", 2, "opzione sconosciuta: \"--verbose\""},
        {check + " --verbose a.lst b.cmb", 2, "opzione sconosciuta: \"--verbose\""},
        {check + " a.lst", 2, "servono due file"},
        // Answers, on standard output: each option on a line of its own.
        {pairs + " --version", 0, "sondarium-pairs" + version},
        {report + " x.txt --version", 0, "sondarium-report" + version},
        {check + " --version", 0, "sondarium-check" + version},
        {pairs + " --excerpts 1 --help", 0, "\n  --only 1,3,4,... "},
        {pairs + " --out-dir x -h", 0, "\n  --out-dir DIR "},
        {report + " --help", 0, "\n  --plot FILE.svg|FILE.png "},
        {check + " -h", 0, "\n  --version "},
    };
    for (const Case& c : cases) {
        const TRun r = RunTool(c.command);
        EXPECT_EQ(r.status, c.status) << c.command;
        const std::string& said = c.status == 0 ? r.out : r.err;
        EXPECT_NE(said.find(c.message), std::string::npos) << c.command << "\n" << r.out << r.err;
        EXPECT_TRUE(c.status != 0 || r.err.empty()) << c.command << "\n" << r.err;  // an answer: nothing on standard error
    }
}

TEST(LabTools, DrawnSeedIsPrintedAndReproducesTheFile) {
    const TRun drawn = RunTool(std::string(PAIRS_TOOL) + " --excerpts 6 --both-orders");
    ASSERT_EQ(drawn.status, 0);
    ASSERT_EQ(drawn.err.rfind("seed: ", 0), 0u) << drawn.err;
    const std::string seed = drawn.err.substr(6, drawn.err.find('\n') - 6);
    const TRun again = RunTool(std::string(PAIRS_TOOL) + " --excerpts 6 --both-orders --seed " + seed);
    EXPECT_EQ(again.out, drawn.out);
    EXPECT_EQ(again.err, "");
}
