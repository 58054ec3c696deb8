// Regenerate: build/tools/demo_results/make_demo_results examples/demo/results
//
// Writes six candidates' sessions of the demo into FOLDER: candidate-0K.cmb,
// the very file `sondarium-pairs --excerpts 3 --both-orders --candidates 6
// --seed 1` writes, and candidate-0K.txt, the results file the program would
// write for it, with answers drawn from a fixed preference (3 over 1 over 2)
// so that the lab tools' report has something to show. Same bytes every run.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "PairSchedule.h"
#include "TextFile.h"
#include "files/parse/ResultsText.h"

namespace {

constexpr int kCandidates = 6;
constexpr double kLogWorth[] = {0.0, -0.7, 0.8};  // excerpts 1, 2, 3
constexpr int kNoPreferencePerMille = 150;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_results FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::filesystem::create_directories(folder);
    bool ok = true;
    for (int k = 1; k <= kCandidates; ++k) {
        const auto tests = labstats::SchedulePairs({1, 2, 3}, true, static_cast<std::uint64_t>(k));
        labstats::TDraw draw(2000 + static_cast<std::uint64_t>(k));
        TVecCombinations answers;
        for (const TExcerptPair& t : tests) {
            TTrackCombs c;
            c.nExcerptA = t.nExcerptA;
            c.nExcerptB = t.nExcerptB;
            const double pA = 1 / (1 + std::exp(kLogWorth[t.nExcerptB - 1] - kLogWorth[t.nExcerptA - 1]));
            const int roll = static_cast<int>(draw.Below(1000));
            if (roll < kNoPreferencePerMille) {
                c.bNoPreference = true;
                c.strNotes = "molto simili";
            } else {
                (roll - kNoPreferencePerMille < pA * (1000 - kNoPreferencePerMille) ? c.bPreferA : c.bPreferB) = true;
            }
            answers.push_back(c);
        }
        const std::string base = "candidate-0" + std::to_string(k);
        ok = labstats::WriteTextFile(folder / (base + ".cmb"), labstats::CombinationsText(tests)) && ok;
        const std::string results = BuildResultsText("Candidato " + std::to_string(k), answers);
        ok = labstats::WriteTextFile(folder / (base + ".txt"), results) && ok;
    }
    if (!ok) std::fprintf(stderr, "make_demo_results: some files were not written\n");
    return ok ? 0 : 1;
}
