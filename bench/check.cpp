// The stimulus check of a session start against a load of the same files, over
// a playlist of 40 excerpts x 4 files (10 s each); and sondarium-check's speed
// as a multiple of real time over a session of 8 excerpts of 60 s (4 files each).
#include <sys/wait.h>
#include <unistd.h>

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchWave.h"
#include "files/StimulusCheck.h"
#include "sound/WaveFile.h"

namespace fs = std::filesystem;

namespace {

// A playlist and a combinations file: excerpts 1..n, each against the next.
std::vector<std::string> WriteSession(const fs::path& dir, int nExcerpts, std::uint32_t seconds) {
    std::vector<std::string> entries;
    FILE* lst = std::fopen((dir / "s.lst").c_str(), "w");
    std::fprintf(lst, "SONDARIUM PLAYLIST\nCHANNELS=4\n");
    for (int k = 0; k < nExcerpts; ++k) {
        for (int c = 0; c < 4; ++c) {
            entries.push_back((dir / ("e" + std::to_string(k) + "_" + std::to_string(c) + ".wav")).string());
            bench::WriteWave(entries.back(), seconds, std::uint32_t(k * 4 + c + 1), 2 + (k % 2));
            std::fprintf(lst, "%s\n", entries.back().c_str());
        }
    }
    std::fclose(lst);
    FILE* cmb = std::fopen((dir / "s.cmb").c_str(), "w");
    std::fprintf(cmb, "SONDARIUM COMBINATIONS\nNBCOMBINATIONS:%d\nCOMBINATIONS\n", nExcerpts);
    for (int k = 1; k <= nExcerpts; ++k) std::fprintf(cmb, "%d\t%d\n", k, k % nExcerpts + 1);
    std::fclose(cmb);
    return entries;
}

TVecCombinations Chain(int n) {
    TVecCombinations tests;
    for (int k = 1; k <= n; ++k) tests.push_back({k, k % n + 1, false, false, false, ""});
    return tests;
}

}  // namespace

int main() {
    const fs::path dir = fs::temp_directory_path() / ("sondarium-bench-check-" + std::to_string(::getpid()));
    fs::create_directories(dir);

    const std::vector<std::string> entries = WriteSession(dir, 40, 10);
    const TVecCombinations tests = Chain(40);
    std::size_t nFailed = 0;
    const double checkSeconds = bench::Best(5, [&] { nFailed = CheckStimuli(entries, 4, tests).failed.size(); });
    std::vector<BYTE> block;
    const double loadSeconds = bench::Best(3, [&] {
        for (const std::string& e : entries) {
            CWaveFile wave;
            const std::wstring name = QString::fromStdString(e).toStdWString();
            wave.Open(name.c_str(), nullptr, WAVEFILE_READ);
            block.resize(wave.GetSize());
            DWORD dwRead = 0;
            wave.Read(block.data(), static_cast<DWORD>(block.size()), &dwRead);
            bench::Keep(dwRead);
        }
    });
    std::printf("check: stimulus check of 40 excerpts x 4 files (10 s, mono 16-bit 44.1 kHz)%s\n",
                nFailed ? "  (FILES REFUSED)" : "");
    std::printf("  CheckStimuli (headers)   %8.4f s  (%.1f us a file)\n", checkSeconds, checkSeconds / 160 * 1e6);
    std::printf("  reading every data chunk %8.4f s\n", loadSeconds);
    std::printf("  check / load: %.4f\n", checkSeconds / loadSeconds);
    fs::remove_all(dir);

    fs::create_directories(dir);
    WriteSession(dir, 8, 60);
    const std::string command = std::string(SONDARIUM_CHECK_TOOL) + " " + (dir / "s.lst").string() + " " +
                                (dir / "s.cmb").string() + " >/dev/null";
    int status = 0;
    const double toolSeconds = bench::Best(3, [&] { status = std::system(command.c_str()); });
    std::printf("check: sondarium-check over 8 excerpts of 60 s (4 files each, 32 min of files)%s\n",
                WIFEXITED(status) && WEXITSTATUS(status) <= 1 ? "" : "  (TOOL FAILED)");
    std::printf("  %.2f s: %.0f x real time of the session (480 s), %.0f x of its files (1920 s)\n", toolSeconds,
                480 / toolSeconds, 1920 / toolSeconds);
    fs::remove_all(dir);
    return 0;
}
