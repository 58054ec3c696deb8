// The committed demo session: its files read as a session expects them, and
// every excerpt it names is there, in the format the tracks play.
#include <gtest/gtest.h>

#include <set>
#include <string_view>

#include "SourceFiles.h"
#include "files/parse/CombinationsParser.h"
#include "files/parse/PlaylistParser.h"
#include "files/parse/TextLines.h"

using namespace assets_test;

namespace {

std::vector<std::string> DemoLines(const char* name) {
    Bytes b;
    EXPECT_TRUE(ReadBytes(SourcePath(std::string("examples/demo/") + name), b));
    return SplitTextLines(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

TEST(DemoSession, PlaylistNamesWholeFourChannelExcerptsThatExist) {
    const std::vector<std::string> lines = DemoLines("demo.lst");
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "SONDARIUM PLAYLIST");
    EXPECT_EQ(lines[1], "CHANNELS=4");
    const TPlaylistContent list = ParsePlaylist(lines);
    ASSERT_EQ(list.status, TPlaylistStatus::Ok);
    ASSERT_EQ(list.nChannels, 4);
    const std::size_t entries = list.entries.size();
    ASSERT_GE(entries, 8u);  // at least two excerpts to compare
    EXPECT_EQ(entries % 4, 0u);
    EXPECT_NE((entries + 1) % 8, 0u);  // the loader refuses such counts

    std::uint32_t dataBytes = 0;
    std::set<std::string> distinct;
    for (const std::string& entry : list.entries) {
        SCOPED_TRACE(entry);
        Bytes b;
        ASSERT_TRUE(ReadBytes(SourcePath("examples/demo/" + entry), b));
        const RiffWave w = ParseRiffWave(b);
        ASSERT_TRUE(w.wellFormed);
        const Chunk* fmt = w.find("fmt ");
        const Chunk* data = w.find("data");
        ASSERT_TRUE(fmt && data);
        EXPECT_EQ(Le16(b, fmt->offset), 1);
        EXPECT_EQ(Le16(b, fmt->offset + 2), 1);
        EXPECT_EQ(Le32(b, fmt->offset + 4), 44100u);
        EXPECT_EQ(Le16(b, fmt->offset + 14), 16);
        // A and B loop in step only when every file is as long as the others.
        if (dataBytes == 0) dataBytes = data->size;
        EXPECT_EQ(data->size, dataBytes);
        distinct.insert(std::string(b.begin() + data->offset, b.begin() + data->offset + data->size));
    }
    EXPECT_EQ(distinct.size(), entries);  // every channel of every excerpt sounds different
}

TEST(DemoSession, CombinationsCompareDifferentExistingExcerpts) {
    const std::vector<std::string> lines = DemoLines("demo.cmb");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "SONDARIUM COMBINATIONS");
    EXPECT_EQ(lines[2], "COMBINATIONS");
    const TCombinationsContent tests = ParseCombinations(lines);
    ASSERT_EQ(tests.status, TCombinationsStatus::Ok);
    EXPECT_EQ(lines[1], "NBCOMBINATIONS:" + std::to_string(tests.nCount));
    EXPECT_EQ(tests.pairs.size() + 3, lines.size());

    const int excerpts = int(ParsePlaylist(DemoLines("demo.lst")).entries.size() / 4);
    for (const TExcerptPair& p : tests.pairs) {
        EXPECT_GE(p.nExcerptA, 1);
        EXPECT_LE(p.nExcerptA, excerpts);
        EXPECT_GE(p.nExcerptB, 1);
        EXPECT_LE(p.nExcerptB, excerpts);
        EXPECT_NE(p.nExcerptA, p.nExcerptB);
    }
}

} // namespace
