// Seeded mutations of valid session files through the parsers: nothing may
// crash, and what comes out keeps the rules of each file. Deterministic: the
// same inputs every run.
#include <gtest/gtest.h>

#include <iostream>
#include <random>

#include "files/parse/CombinationsParser.h"
#include "files/parse/PlaylistParser.h"
#include "files/parse/ResultsText.h"
#include "files/parse/TextLines.h"

namespace {

const std::vector<std::string> kSeeds = {
    "SONDARIUM PLAYLIST\r\nCHANNELS=2\r\na_left.wav\r\na_right.wav\r\nb_left.wav\r\nb_right.wav",
    "SONDARIUM PLAYLIST\nCHANNELS=4\n# c\n1\n2\n3\n4\n",
    "SONDARIUM COMBINATIONS\r\nNBCOMBINATIONS:2\r\nCOMBINATIONS\r\n1\t2\r\n2\t1",
    "SONDARIUM COMBINATIONS\rNBCOMBINATIONS:3\r1 2\r3\t3\r-1\t99999999999\r",
};
const std::vector<std::string> kTokens = {
    "\r", "\n", "\r\n", "\n\r", std::string(1, '\0'), "#", " ", "\t", "-", "+", "0", "2", "4", "9",
    "CHANNELS=", "NBCOMBINATIONS:", "COMBINATIONS", "SONDARIUM PLAYLIST", "4294967298", "\xEF\xBB\xBF", "\xFF"};

std::string Mutate(std::string text, std::mt19937& rng) {
    auto pick = [&rng](std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    const int edits = 1 + static_cast<int>(pick(4));
    for (int e = 0; e < edits; ++e) {
        const std::size_t at = pick(text.size() + 1);
        switch (pick(4)) {
            case 0: text.insert(at, kTokens[pick(kTokens.size())]); break;
            case 1: text.erase(at, pick(8)); break;
            case 2: if (at < text.size()) text[at] = static_cast<char>(pick(256)); break;
            default: text.insert(at, text.substr(pick(text.size() + 1), pick(16))); break;
        }
    }
    return text.size() > 1024 ? text.substr(0, 1024) : text;
}

void CheckLines(const std::string& text, const std::vector<std::string>& lines) {
    const std::string kept = text.substr(0, text.find('\0'));
    ASSERT_EQ(lines.empty(), kept.empty());
    std::size_t total = 0;
    for (const std::string& l : lines) {
        ASSERT_EQ(l.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
        total += l.size();
    }
    ASSERT_LE(total + lines.size() - (lines.empty() ? 0 : 1), kept.size());
}

void CheckPlaylist(const std::vector<std::string>& lines, const TPlaylistContent& p) {
    ASSERT_EQ(p.status == TPlaylistStatus::NoLines, lines.empty());
    if (p.status != TPlaylistStatus::Ok) {
        ASSERT_TRUE(p.entries.empty());
        return;
    }
    ASSERT_EQ(lines.front(), PLAYLIST_HEADER);
    ASSERT_TRUE(p.nChannels == 2 || p.nChannels == 4);
    ASSERT_LT(p.entries.size(), lines.size());
    for (const std::string& e : p.entries) ASSERT_TRUE(!e.empty() && e.find('#') == std::string::npos);
}

void CheckCombinations(const std::vector<std::string>& lines, const TCombinationsContent& c) {
    ASSERT_EQ(c.status == TCombinationsStatus::NoLines, lines.empty());
    ASSERT_LE(c.pairs.size(), lines.size());
    const auto nPairs = static_cast<std::int64_t>(c.pairs.size());
    if (c.status == TCombinationsStatus::Ok) {
        ASSERT_EQ(nPairs, c.nCount);
        ASSERT_GE(c.nCount, 1);
    }
    if (c.status == TCombinationsStatus::Mismatch) {
        ASSERT_NE(nPairs, c.nCount);
    }
}

TEST(ParserFuzz, MutatedFilesKeepTheRules) {
    constexpr int kInputs = 25000;
    std::mt19937 rng(20240611);
    std::vector<std::string> corpus = kSeeds;
    int nAccepted = 0;
    for (int i = 0; i < kInputs; ++i) {
        std::string& base = corpus[i % corpus.size()];
        const std::string text = Mutate(base, rng);
        const std::vector<std::string> lines = SplitTextLines(text);
        ASSERT_NO_FATAL_FAILURE(CheckLines(text, lines)) << i;
        const TPlaylistContent p = ParsePlaylist(lines);
        ASSERT_NO_FATAL_FAILURE(CheckPlaylist(lines, p)) << i;
        const TCombinationsContent c = ParseCombinations(lines);
        ASSERT_NO_FATAL_FAILURE(CheckCombinations(lines, c)) << i;
        if (p.status == TPlaylistStatus::Ok || c.status == TCombinationsStatus::Ok) {
            ++nAccepted;
            base = text;  // walk on from inputs that still parse
        }

        TVecCombinations combs(1);
        combs[0].strNotes = text;
        const std::string out = BuildResultsText(text, combs);
        std::size_t nBreaks = 0;
        for (std::size_t k = 0; k < out.size(); ++k) {
            if (out[k] == '\r' || out[k] == '\n') {
                ASSERT_TRUE(out[k] == '\r' && k + 1 < out.size() && out[k + 1] == '\n') << i;
                ++nBreaks;
                ++k;
            }
        }
        ASSERT_EQ(nBreaks, 8u) << i;
    }
    std::cout << "[ fuzz     ] " << kInputs << " inputs, " << nAccepted << " still accepted" << std::endl;
    RecordProperty("inputs", kInputs);
}

}  // namespace
