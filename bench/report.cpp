// Reporting a large study: 200 results files of 45 tests each (every pair of
// 10 excerpts once), read and analysed by the report's own code, then the
// whole sondarium-report command with both tables and a PNG picture.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "PairSchedule.h"
#include "Report.h"
#include "files/parse/ResultsText.h"

int main() {
    constexpr int kFiles = 200, kExcerpts = 10;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "sondarium_bench_report";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::vector<std::string> paths;
    std::vector<std::int32_t> excerpts;
    for (int e = 1; e <= kExcerpts; ++e) excerpts.push_back(e);
    for (int f = 0; f < kFiles; ++f) {
        labstats::TDraw draw(static_cast<std::uint64_t>(f));
        TVecCombinations answers;
        for (const TExcerptPair& t : labstats::SchedulePairs(excerpts, false, static_cast<std::uint64_t>(f))) {
            TTrackCombs c;
            c.nExcerptA = t.nExcerptA, c.nExcerptB = t.nExcerptB;
            // Higher numbers are preferred a little more often; one answer in ten is a tie.
            const double pA = 1 / (1 + std::exp(0.15 * (t.nExcerptB - t.nExcerptA)));
            const double u = static_cast<double>(draw.Below(1000)) / 1000;
            (u < 0.1 ? c.bNoPreference : u < 0.1 + 0.9 * pA ? c.bPreferA : c.bPreferB) = true;
            answers.push_back(c);
        }
        paths.push_back((dir / ("candidate-" + std::to_string(f) + ".txt")).string());
        std::ofstream(paths.back(), std::ios::binary) << BuildResultsText("Candidato " + std::to_string(f), answers);
    }

    std::size_t pairsFound = 0;
    const double library = bench::Best(5, [&] {
        const labstats::TReport r = labstats::BuildReport(paths);
        pairsFound = r.pairs.size();
        bench::Keep(static_cast<double>(labstats::ReportText(r).size() + labstats::ExcerptCsv(r).size() +
                                        labstats::PairsCsv(r).size()));
    });
    std::string command = std::string(REPORT_TOOL) + " " + (dir / "*.txt").string() + " --csv " +
                          (dir / "r.csv").string() + " --pairs " + (dir / "p.csv").string() + " --plot " +
                          (dir / "r.png").string() + " >/dev/null";
    int status = 0;
    const double tool = bench::Best(3, [&] { status = std::system(command.c_str()); });
    std::printf("report of %d results files x 45 tests (%zu pairs): reading and statistics %.3f s; "
                "sondarium-report with both tables and a PNG %.3f s%s\n",
                kFiles, pairsFound, library, tool, status == 0 ? "" : " (the command failed)");
    std::filesystem::remove_all(dir);
    return status == 0 ? 0 : 1;
}
