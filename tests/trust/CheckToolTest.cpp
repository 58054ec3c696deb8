// sondarium-check run on small sessions: its exit status and what it flags.
#include <QTemporaryDir>

#include <sys/wait.h>

#include <cstdio>

#include <gtest/gtest.h>

#include "common/WavBuilder.h"

namespace {

using namespace wavbuild;

// A sine of 1 kHz at `amp`; the level the loudness flags work on.
Bytes Tone(double amp, std::uint32_t frames) {
    const Format f{1, 1, 44100, 16};
    Bytes s;
    for (std::uint32_t i = 0; i < frames; ++i)
        PutU16(s, static_cast<std::uint16_t>(static_cast<std::int16_t>(amp * 32767 * std::sin(i * 2 * M_PI * 1000 / 44100))));
    return Wave(f, s);
}

TEST(CheckTool, ExitStatusSaysWhetherTheSessionWouldStart) {
    const struct { const char* name; double ampB; std::uint32_t framesB; const char* pairs; int status; const char* says; } cases[] = {
        {"Clean", 0.25, 44100, "1\t2\n", 0, "-15.0 LUFS"},
        {"LouderB", 0.5, 44100, "1\t2\n", 1, "DIVERSI"},
        {"Clipping", 1.0, 44100, "1\t1\n2\t2\n", 1, "satura"},
        {"ShorterB", 0.25, 40000, "1\t2\n", 1, "durano"},
        {"MissingFile", 0.0, 0, "1\t2\n", 2, "file mancante"},
        {"ExcerptBeyondThePlaylist", 0.25, 44100, "1\t3\n", 2, "alcuni indici"},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const std::string d = dir.path().toStdString() + "/";
        ASSERT_TRUE(WriteFile(d + "a.wav", Tone(0.25, 44100)));
        if (c.framesB) ASSERT_TRUE(WriteFile(d + "b.wav", Tone(c.ampB, c.framesB)));
        ASSERT_TRUE(WriteFile(d + "s.lst", Text("SONDARIUM PLAYLIST\nCHANNELS=2\n" + d + "a.wav\n" + d + "a.wav\n" + d +
                                                 "b.wav\n" + d + "b.wav\n")));
        const std::string pairs = c.pairs;
        const auto nPairs = std::count(pairs.begin(), pairs.end(), '\n');
        ASSERT_TRUE(WriteFile(d + "s.cmb", Text("SONDARIUM COMBINATIONS\nNBCOMBINATIONS:" + std::to_string(nPairs) +
                                                 "\nCOMBINATIONS\n" + pairs)));
        FILE* out = popen((std::string(SONDARIUM_CHECK_TOOL) + " " + d + "s.lst " + d + "s.cmb").c_str(), "r");
        std::string text;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) text.append(buffer, n);
        const int status = pclose(out);
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.status) << c.name << "\n" << text;
        EXPECT_NE(text.find(c.says), std::string::npos) << c.name << "\n" << text;
    }
}

}  // namespace
