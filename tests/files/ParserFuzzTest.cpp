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

const std::string kTokens[] = {"\r", "\n", "\n\r", std::string(1, '\0'), "#", " ", "\t", "-", "0", "2", "4",
                               "CHANNELS=", "NBCOMBINATIONS:", "COMBINATIONS", "4294967298", "\xEF\xBB\xBF"};

std::string Mutate(std::string text, std::mt19937& rng) {
    auto pick = [&rng](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(rng); };
    for (std::size_t e = 0, n = 1 + pick(3); e < n; ++e) {
        const std::size_t at = pick(text.size());
        switch (pick(3)) {
            case 0: text.insert(at, kTokens[pick(std::size(kTokens) - 1)]); break;
            case 1: text.erase(at, pick(8)); break;
            case 2: if (at < text.size()) text[at] = static_cast<char>(pick(255)); break;
            default: text.insert(at, text.substr(pick(text.size()), pick(16))); break;
        }
    }
    return text.substr(0, 1024);
}

// The invariants of one input; false names no line but stops the loop.
bool KeepsTheRules(const std::string& text) {
    const std::vector<std::string> lines = SplitTextLines(text);
    if (lines.empty() != text.substr(0, text.find('\0')).empty()) return false;
    for (const std::string& l : lines)
        if (l.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return false;

    const TPlaylistContent p = ParsePlaylist(lines);
    if ((p.status == TPlaylistStatus::NoLines) != lines.empty()) return false;
    if (p.status != TPlaylistStatus::Ok && !p.entries.empty()) return false;
    if (p.status == TPlaylistStatus::Ok) {
        if (lines.front() != PLAYLIST_HEADER || (p.nChannels != 2 && p.nChannels != 4)) return false;
        for (const std::string& e : p.entries)
            if (e.empty() || e.find('#') != std::string::npos) return false;
    }

    const TCombinationsContent c = ParseCombinations(lines);
    const auto nPairs = static_cast<std::int64_t>(c.pairs.size());
    if ((c.status == TCombinationsStatus::NoLines) != lines.empty() || c.pairs.size() > lines.size()) return false;
    if (c.status == TCombinationsStatus::Ok && (nPairs != c.nCount || c.nCount < 1)) return false;
    if (c.status == TCombinationsStatus::Mismatch && nPairs == c.nCount) return false;

    // Whatever a comment or a name holds, the results stay eight CR LF lines.
    TVecCombinations combs(1);
    combs[0].strNotes = text;
    const std::string out = BuildResultsText(text, combs);
    std::size_t nBreaks = 0;
    for (std::size_t k = 0; k < out.size(); ++k) {
        if (out[k] == '\n') return false;
        if (out[k] == '\r' && (k + 1 == out.size() || out[++k] != '\n')) return false;
        nBreaks += out[k] == '\n';
    }
    return nBreaks == 8;
}

TEST(ParserFuzz, MutatedFilesKeepTheRules) {
    constexpr int kInputs = 25000;
    std::mt19937 rng(20240611);
    std::vector<std::string> corpus = {
        "SONDARIUM PLAYLIST\r\nCHANNELS=2\r\na_l.wav\r\na_r.wav\r\nb_l.wav\r\nb_r.wav",
        "SONDARIUM PLAYLIST\nCHANNELS=4\n# c\n1\n2\n3\n4\n",
        "SONDARIUM COMBINATIONS\r\nNBCOMBINATIONS:2\r\nCOMBINATIONS\r\n1\t2\r\n2\t1",
        "SONDARIUM COMBINATIONS\rNBCOMBINATIONS:3\r1 2\r3\t3\r-1\t99999999999\r",
    };
    int nAccepted = 0;
    for (int i = 0; i < kInputs; ++i) {
        std::string& base = corpus[i % corpus.size()];
        const std::string text = Mutate(base, rng);
        ASSERT_TRUE(KeepsTheRules(text)) << "input " << i << ": " << ::testing::PrintToString(text);
        const std::vector<std::string> lines = SplitTextLines(text);
        if (ParsePlaylist(lines).status == TPlaylistStatus::Ok ||
            ParseCombinations(lines).status == TCombinationsStatus::Ok) {
            ++nAccepted;
            base = text;  // walk on from inputs that still parse
        }
    }
    std::cout << "[ fuzz     ] " << kInputs << " inputs, " << nAccepted << " still accepted" << std::endl;
    RecordProperty("inputs", kInputs);
}

}  // namespace
