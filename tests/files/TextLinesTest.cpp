// Line splitting and the scanf-like readers, on the inputs where a simpler
// reading would differ.
#include <gtest/gtest.h>

#include <climits>

#include "files/parse/TextLines.h"

namespace {

using Lines = std::vector<std::string>;

struct SplitCase {
    std::string text;
    Lines lines;
};

TEST(TextLines, SplitsOnEveryLineEndStyle) {
    const SplitCase cases[] = {
        {"", {}},
        {"\r\n", {""}},
        {"a", {"a"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\r\n\r\n", {"a", ""}},
        {"\n\n", {"", ""}},
        {" a \t", {" a \t"}},
        {std::string("a\nb\0c\nd", 7), {"a", "b"}},
        {std::string("\0a", 2), {}},
    };
    for (const SplitCase& c : cases) EXPECT_EQ(SplitTextLines(c.text), c.lines) << "text: " << c.text;
}

struct KeywordCase {
    const char* line;
    bool read;
    std::int32_t value;
};

TEST(TextLines, ReadsKeywordAndNumberAsScanfDoes) {
    const KeywordCase cases[] = {
        {"CHANNELS=2", true, 2},          {"CHANNELS= \t4", true, 4},
        {"CHANNELS=4 canali", true, 4},   {"CHANNELS=+4", true, 4},
        {"CHANNELS=-2", true, -2},        {"CHANNELS=007", true, 7},
        {"CHANNELS=x", false, -1},        {"CHANNELS=", false, -1},
        {"CHANNELS=- 2", false, -1},      {" CHANNELS=2", false, -1},
        {"channels=2", false, -1},        {"CHANNELS:2", false, -1},
        {"CHANNELS=4294967298", true, INT_MAX},
        {"CHANNELS=-99999999999999999999", true, INT_MIN},
    };
    for (const KeywordCase& c : cases) {
        std::int32_t value = -1;
        EXPECT_EQ(ScanKeywordInt(c.line, "CHANNELS=", value), c.read) << c.line;
        EXPECT_EQ(value, c.value) << c.line;
    }
}

struct PairCase {
    const char* line;
    int read;
    std::int32_t a, b;
};

TEST(TextLines, ReadsPairsAsScanfDoes) {
    const PairCase cases[] = {
        {"1\t2", 2, 1, 2},      {"1 2", 2, 1, 2},  {" \t3 \t 4 e poi", 2, 3, 4}, {"1-2", 2, 1, -2},
        {"7", 1, 7, 0},         {"7\tx", 1, 7, 0}, {"", 0, 0, 0},              {"# 1\t2", 0, 0, 0},
        {"12", 1, 12, 0},
    };
    for (const PairCase& c : cases) {
        std::int32_t a = 0, b = 0;
        EXPECT_EQ(ScanIntPair(c.line, a, b), c.read) << c.line;
        EXPECT_EQ(a, c.a) << c.line;
        EXPECT_EQ(b, c.b) << c.line;
    }
}

}  // namespace
