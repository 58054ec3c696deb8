// The playlist and combinations loaders over real files, with the messages they
// show observed instead of answered.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <fstream>

#include "app/TFormMain.h"
#include "platform/ui/Messages.h"

namespace {

const std::string kHeaderP = "SONDARIUM PLAYLIST";
const std::string kHeaderC = "SONDARIUM COMBINATIONS";
const char* kReadP = "Errore nel caricamento\ndella playlist";
const char* kFormatP = "Errore :  Formato di file della PlayList\nNON riconosciuto!\n\n";
const char* kChannels = "Errore: numero di canali audio\nnella PlayList NON consentito";
const char* kReadC = "Errore in 'LoadCombinations'";
const char* kFormatC = "Errore :  Formato di file delle Combinazioni\nNON riconosciuto!\n\n";
const char* kCount = "Errore: numero di combinazioni errato";
const char* kMismatch =
    "Errore: Il valore del campo 'NBCOMBINATIONS'\nnel file delle combinazioni\n"
    "NON corrisponde al numero di combinazioni rilevate";

// The caption and beep that go with each message text.
struct Expected {
    const char* text;
    const char* caption;
    bool beep;
};
Expected Describe(const char* text) {
    if (text == kReadP || text == kChannels || text == kCount) return {text, "Errore:", text == kReadP};
    if (text == kReadC) return {text, "Errore:", true};
    if (text == kMismatch) return {text, "Errore :", true};
    return {text, "Errore :", false};
}

class LoaderTest : public ::testing::Test {
protected:
    std::string Write(const std::string& bytes, const std::string& name = "file.txt") {
        const std::string path = QDir(dir.path()).filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    void ExpectMessage(const char* text) {
        if (!text) {
            EXPECT_TRUE(observer.messages.empty()) << observer.messages.front().text;
            EXPECT_EQ(observer.beeps, 0);
            return;
        }
        const Expected e = Describe(text);
        ASSERT_EQ(observer.messages.size(), 1u);
        EXPECT_EQ(observer.messages[0].text, e.text);
        EXPECT_EQ(observer.messages[0].caption, e.caption);
        EXPECT_EQ(observer.messages[0].icon, MsgIcon::Error);
        EXPECT_EQ(observer.messages[0].beepBefore, e.beep);
        EXPECT_EQ(observer.beeps, e.beep ? 1 : 0);
    }
    QTemporaryDir dir;
    MessageObserver observer;
    TFormMain form;
};

struct PlaylistCase {
    const char* name;
    std::string bytes;
    const char* message;  // null: none
    int channels;         // after the load; -1 when it failed
    std::vector<std::string> entries;
};

const std::vector<std::string> kFour = {"a_left.wav", "a_right.wav", "b_left.wav", "b_right.wav"};
const std::string kBody = "CHANNELS=2|a_left.wav|a_right.wav|b_left.wav|b_right.wav";

// The lines of a file written with '|' for each line break.
std::string Lines(const std::string& first, const std::string& rest, const std::string& eol = "\r\n") {
    std::string out;
    for (char c : first + rest) out += c == '|' ? eol : std::string(1, c);
    return out;
}

const PlaylistCase kPlaylists[] = {
    {"CrLf", Lines(kHeaderP + "|", kBody), nullptr, 2, kFour},
    {"LfOnly", Lines(kHeaderP + "|", kBody, "\n"), nullptr, 2, kFour},
    {"CrOnly", Lines(kHeaderP + "|", kBody, "\r"), nullptr, 2, kFour},
    {"LfCrIsTwoBreaksAndEmptyLinesSkip", Lines(kHeaderP + "|", kBody, "\n\r"), nullptr, 2, kFour},
    {"EndsWithBreak", Lines(kHeaderP + "|", kBody + "|"), nullptr, 2, kFour},
    {"HeaderTrailingBlank", Lines(kHeaderP + " |", kBody), kFormatP, -1, {}},
    {"HeaderCapitals", Lines("Sondarium Playlist|", kBody), kFormatP, -1, {}},
    {"HeaderByteOrderMark", Lines("\xEF\xBB\xBF" + kHeaderP + "|", kBody), kFormatP, -1, {}},
    {"HeaderOnly", kHeaderP, kChannels, -1, {}},
    {"CommentMentioningKeywordFirst", Lines(kHeaderP + "|# CHANNELS=2 qui sotto|", kBody), kChannels, -1, {}},
    {"LowerCaseKeywordIsNoChannelLine", Lines(kHeaderP + "|channels=2|a.wav|b.wav", ""), kChannels, -1, {}},
    {"Value0", Lines(kHeaderP + "|CHANNELS=0|a.wav", ""), kChannels, -1, {}},
    {"Value1", Lines(kHeaderP + "|CHANNELS=1|a.wav", ""), kChannels, -1, {}},
    {"Value3", Lines(kHeaderP + "|CHANNELS=3|a.wav", ""), kChannels, -1, {}},
    {"Value8", Lines(kHeaderP + "|CHANNELS=8|a.wav", ""), kChannels, -1, {}},
    {"ValueNotANumber", Lines(kHeaderP + "|CHANNELS=due|a.wav", ""), kChannels, -1, {}},
    {"ValueWrappingToTwo", Lines(kHeaderP + "|CHANNELS=4294967298|a.wav", ""), kChannels, -1, {}},
    {"BlankAfterEqualsAndWordsAfter", Lines(kHeaderP + "|CHANNELS= 4 canali|1|2|3|4", ""), nullptr, 4,
     {"1", "2", "3", "4"}},
    {"LinesBeforeChannelLineIgnored", Lines(kHeaderP + "|x.wav|y.wav|", kBody), nullptr, 2, kFour},
    {"HashPathSkippedBlanksKept",
     Lines(kHeaderP + "|CHANNELS=2|  a left.wav |dir#1/a.wav|   |b.wav", ""), nullptr, 2,
     {"  a left.wav ", "   ", "b.wav"}},
    {"NoEntries", Lines(kHeaderP + "|CHANNELS=4", ""), nullptr, 4, {}},
    {"TwoChannelsThreeEntries", Lines(kHeaderP + "|CHANNELS=2|1|2|3", ""), nullptr, 2, {"1", "2", "3"}},
    {"TwoChannelsFiveEntries", Lines(kHeaderP + "|CHANNELS=2|1|2|3|4|5", ""), nullptr, 2, {"1", "2", "3", "4", "5"}},
    {"NulEndsText", Lines(kHeaderP + "|CHANNELS=2|a.wav|", std::string("b.wav\0c.wav", 11)), nullptr, 2, {"a.wav", "b.wav"}},
    {"Empty", "", nullptr, -1, {}},
    {"NulFirst", std::string("\0" "SONDARIUM PLAYLIST", 19), nullptr, -1, {}},
};

void PrintTo(const PlaylistCase& c, std::ostream* os) { *os << c.name; }

class PlaylistTest : public LoaderTest, public ::testing::WithParamInterface<PlaylistCase> {};

TEST_P(PlaylistTest, LoadsOrReports) {
    const PlaylistCase& c = GetParam();
    form.m_nChannels = -1;  // as the reset before every load leaves it
    const bool bLoaded = form.LoadPlaylist(Write(c.bytes));
    EXPECT_EQ(bLoaded, c.channels > 0);
    ExpectMessage(c.message);
    EXPECT_EQ(form.m_nChannels, c.channels);
    EXPECT_EQ(*form.m_pPlayList, c.entries);
}

INSTANTIATE_TEST_SUITE_P(Files, PlaylistTest, ::testing::ValuesIn(kPlaylists),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoaderTest, PlaylistThatCannotBeReadGivesTheReadMessage) {
    for (const std::string& path : {QDir(dir.path()).filePath("missing.lst").toStdString(), dir.path().toStdString()}) {
        observer.clear();
        EXPECT_FALSE(form.LoadPlaylist(path)) << path;
        ExpectMessage(kReadP);
    }
}

TEST_F(LoaderTest, PlaylistPathIsUsedByteForByte) {
    const std::string path = Write(Lines(kHeaderP + "|", kBody), "sessione è #1.lst");
    EXPECT_TRUE(form.LoadPlaylist(path));
    EXPECT_EQ(*form.m_pPlayList, kFour);
}

TEST_F(LoaderTest, SecondLoadReplacesTheEntries) {
    ASSERT_TRUE(form.LoadPlaylist(Write(Lines(kHeaderP + "|", kBody))));
    ASSERT_TRUE(form.LoadPlaylist(Write(Lines(kHeaderP + "|CHANNELS=4|x", ""))));
    EXPECT_EQ(*form.m_pPlayList, std::vector<std::string>{"x"});
    EXPECT_EQ(form.m_nChannels, 4);
}

struct CombinationsCase {
    const char* name;
    std::string bytes;
    const char* message;
    bool loaded;
    std::vector<std::pair<int, int>> pairs;
};

const std::string kStart = kHeaderC + "|NBCOMBINATIONS:3|COMBINATIONS|";
const std::vector<std::pair<int, int>> kThree = {{1, 2}, {2, 3}, {3, 1}};

const CombinationsCase kCombinations[] = {
    {"CrLf", Lines(kStart, "1\t2|2\t3|3\t1"), nullptr, true, kThree},
    {"LfOnly", Lines(kStart, "1\t2|2\t3|3\t1", "\n"), nullptr, true, kThree},
    {"CrOnly", Lines(kStart, "1\t2|2\t3|3\t1", "\r"), nullptr, true, kThree},
    {"LastLineBroken", Lines(kStart, "1\t2|2\t3|3\t1|"), nullptr, true, kThree},
    {"EndsWithEmptyLine", Lines(kStart, "1\t2|2\t3|3\t1||"), kMismatch, false, {{1, 2}, {2, 3}, {3, 1}, {0, 0}}},
    {"NoMarker", Lines(kHeaderC + "|NBCOMBINATIONS:3|", "1\t2|2\t3|3\t1"), nullptr, true, kThree},
    {"MarkerTrailingBlank", Lines(kHeaderC + "|NBCOMBINATIONS:3|COMBINATIONS |", "1\t2|2\t3|3\t1"), kMismatch, false,
     {{0, 0}, {1, 2}, {2, 3}, {3, 1}}},
    {"BlanksInsteadOfTabTextAfter", Lines(kStart, "1 2|  2 \t 3 poi|3    1\t9"), nullptr, true, kThree},
    {"CommentAfterMarkerIsAPair", Lines(kHeaderC + "|NBCOMBINATIONS:2|COMBINATIONS|", "# nota|2\t1"), nullptr, true,
     {{0, 0}, {2, 1}}},
    {"HalfAPair", Lines(kHeaderC + "|NBCOMBINATIONS:1|COMBINATIONS|", "7"), nullptr, true, {{7, 0}}},
    {"LinesBetweenIgnored", Lines(kHeaderC + "|commento|NBCOMBINATIONS: 1|COMBINATIONS 2|COMBINATIONS|", "4\t4"),
     nullptr, true, {{4, 4}}},
    {"Count0", Lines(kHeaderC + "|NBCOMBINATIONS:0|COMBINATIONS", ""), kCount, false, {}},
    {"CountNegative", Lines(kHeaderC + "|NBCOMBINATIONS:-2|COMBINATIONS|1\t2", ""), kCount, false, {}},
    {"CountNotANumber", Lines(kHeaderC + "|NBCOMBINATIONS:tre|COMBINATIONS|1\t2", ""), kCount, false, {}},
    {"CountLineBlankInFront", Lines(kHeaderC + "| NBCOMBINATIONS:1|COMBINATIONS|1\t2", ""), kCount, false, {}},
    {"NoCountLine", Lines(kHeaderC + "|COMBINATIONS|1\t2", ""), kMismatch, false, {{1, 2}}},
    {"HeaderTrailingBlank", Lines(kHeaderC + " |NBCOMBINATIONS:1|1\t2", ""), kFormatC, false, {}},
    {"HeaderCapitals", Lines("SONDARIUM Combinations|NBCOMBINATIONS:1|1\t2", ""), kFormatC, false, {}},
    {"HeaderByteOrderMark", Lines("\xEF\xBB\xBF" + kHeaderC + "|NBCOMBINATIONS:1|1\t2", ""), kFormatC, false, {}},
    {"Empty", "", nullptr, false, {}},
};

void PrintTo(const CombinationsCase& c, std::ostream* os) { *os << c.name; }

class CombinationsTest : public LoaderTest, public ::testing::WithParamInterface<CombinationsCase> {};

TEST_P(CombinationsTest, LoadsOrReports) {
    const CombinationsCase& c = GetParam();
    const bool bLoaded = form.LoadCombinations(Write(c.bytes));
    EXPECT_EQ(bLoaded, c.loaded);
    ExpectMessage(c.message);
    std::vector<std::pair<int, int>> pairs;
    for (const TTrackCombs& comb : form.m_Combinations) {
        pairs.emplace_back(comb.nExcerptA, comb.nExcerptB);
        EXPECT_TRUE(comb.strNotes.empty());
        EXPECT_FALSE(comb.bPreferA || comb.bPreferB || comb.bNoPreference);
    }
    EXPECT_EQ(pairs, c.pairs);
}

INSTANTIATE_TEST_SUITE_P(Files, CombinationsTest, ::testing::ValuesIn(kCombinations),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoaderTest, CombinationsThatCannotBeReadGiveTheReadMessage) {
    EXPECT_FALSE(form.LoadCombinations(QDir(dir.path()).filePath("missing.cmb").toStdString()));
    ExpectMessage(kReadC);
}

}  // namespace
