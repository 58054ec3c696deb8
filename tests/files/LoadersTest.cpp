// The playlist and combinations loaders over real files, with the messages they
// show observed instead of answered. In the tables '|' stands for a line break.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <fstream>

#include "session/Session.h"
#include "platform/ui/Messages.h"

namespace {

enum Msg { None, ReadP, FormatP, Channels, ReadC, FormatC, Count, Mismatch };
const ShownMessage kMessages[] = {
    {},
    {"Errore nel caricamento\ndella playlist", "Errore:", MsgIcon::Error, true},
    {"Errore :  Formato di file della PlayList\nNON riconosciuto!\n\n", "Errore :", MsgIcon::Error, false},
    {"Errore: numero di canali audio\nnella PlayList NON consentito", "Errore:", MsgIcon::Error, false},
    {"Errore in 'LoadCombinations'", "Errore:", MsgIcon::Error, true},
    {"Errore :  Formato di file delle Combinazioni\nNON riconosciuto!\n\n", "Errore :", MsgIcon::Error, false},
    {"Errore: numero di combinazioni errato", "Errore:", MsgIcon::Error, false},
    {"Errore: Il valore del campo 'NBCOMBINATIONS'\nnel file delle combinazioni\n"
     "NON corrisponde al numero di combinazioni rilevate",
     "Errore :", MsgIcon::Error, true},
};

struct LoadCase {
    const char* name;
    bool bPlaylist;        // else a combinations file
    std::string text;      // '|' is the line break, eol the break written
    const char* eol;
    Msg message;
    const char* loaded;    // what the session holds after: "2:a|b" or "1-2,3-1"; null when the load fails
};
void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

const std::string P = "SONDARIUM PLAYLIST|";
const std::string P2 = P + "CHANNELS=2|a_l.wav|a_r.wav|b_l.wav|b_r.wav";
const std::string C = "SONDARIUM COMBINATIONS|";
const std::string C3 = C + "NBCOMBINATIONS:3|COMBINATIONS|1\t2|2\t3|3\t1";
const char* kFour = "2:a_l.wav|a_r.wav|b_l.wav|b_r.wav";

const LoadCase kCases[] = {
    {"CrLf", true, P2, "\r\n", None, kFour},
    {"Lf", true, P2, "\n", None, kFour},
    {"Cr", true, P2, "\r", None, kFour},
    {"LfCrIsTwoBreaks", true, P2, "\n\r", None, kFour},
    {"EndsWithBreak", true, P2 + "|", "\r\n", None, kFour},
    {"HeaderTrailingBlank", true, "SONDARIUM PLAYLIST |CHANNELS=2|a", "\r\n", FormatP, nullptr},
    {"HeaderCapitals", true, "Sondarium Playlist|CHANNELS=2|a", "\r\n", FormatP, nullptr},
    {"HeaderByteOrderMark", true, "\xEF\xBB\xBF" + P2, "\r\n", FormatP, nullptr},
    {"KeywordInCommentFirst", true, P + "# CHANNELS=2 sotto|" + P2.substr(P.size()), "\r\n", Channels, nullptr},
    {"LowerCaseKeyword", true, P + "channels=2|a|b", "\r\n", Channels, nullptr},
    {"NoChannelLine", true, P + "a|b", "\r\n", Channels, nullptr},
    {"Value0", true, P + "CHANNELS=0|a", "\r\n", Channels, nullptr},
    {"Value1", true, P + "CHANNELS=1|a", "\r\n", Channels, nullptr},
    {"Value3", true, P + "CHANNELS=3|a", "\r\n", Channels, nullptr},
    {"Value8", true, P + "CHANNELS=8|a", "\r\n", Channels, nullptr},
    {"ValueNotANumber", true, P + "CHANNELS=due|a", "\r\n", Channels, nullptr},
    {"ValueThatWouldWrapToTwo", true, P + "CHANNELS=4294967298|a|b", "\r\n", Channels, nullptr},
    {"BlankAfterEqualsWordsAfter", true, P + "x.wav|CHANNELS= 4 canali|1|2|3|4", "\r\n", None, "4:1|2|3|4"},
    {"HashSkippedBlanksKept", true, P + "CHANNELS=2|  a b.wav |c#1/d.wav|   |e.wav", "\r\n", None,
     "2:  a b.wav |   |e.wav"},
    {"NoEntries", true, P + "CHANNELS=4", "\r\n", None, "4:"},
    {"TwoChannelsThreeEntries", true, P + "CHANNELS=2|1|2|3", "\r\n", None, "2:1|2|3"},
    {"TwoChannelsFiveEntries", true, P + "CHANNELS=2|1|2|3|4|5", "\r\n", None, "2:1|2|3|4|5"},
    {"NulEndsText", true, P + "CHANNELS=2|a|" + std::string("b\0c", 3), "\r\n", None, "2:a|b"},
    {"EmptyPlaylist", true, "", "\r\n", None, nullptr},

    {"CombCrLf", false, C3, "\r\n", None, "1-2,2-3,3-1"},
    {"CombCr", false, C3, "\r", None, "1-2,2-3,3-1"},
    {"CombEndsWithEmptyLine", false, C3 + "||", "\n", Mismatch, "1-2,2-3,3-1,0-0"},
    {"NoMarker", false, C + "NBCOMBINATIONS:2|1\t2|2\t1", "\r\n", None, "1-2,2-1"},
    {"MarkerTrailingBlank", false, C + "NBCOMBINATIONS:2|COMBINATIONS |1\t2|2\t1", "\r\n", Mismatch, "0-0,1-2,2-1"},
    {"BlanksForTabTextAfter", false, C + "NBCOMBINATIONS:3|COMBINATIONS|1 2| \t2 \t 3 poi|3    1\t9", "\r\n", None,
     "1-2,2-3,3-1"},
    {"CommentAndHalfPairAfterMarker", false, C + "NBCOMBINATIONS:2|COMBINATIONS|# nota|7", "\r\n", None, "0-0,7-0"},
    {"LinesBetweenIgnored", false, C + "x|NBCOMBINATIONS: 1|COMBINATIONS 2|COMBINATIONS|4\t4", "\r\n", None, "4-4"},
    {"Count0", false, C + "NBCOMBINATIONS:0|COMBINATIONS", "\r\n", Count, nullptr},
    {"CountNegative", false, C + "NBCOMBINATIONS:-2|1\t2", "\r\n", Count, nullptr},
    {"CountNotANumber", false, C + "NBCOMBINATIONS:tre|1\t2", "\r\n", Count, nullptr},
    {"CountLineBlankInFront", false, C + " NBCOMBINATIONS:1|1\t2", "\r\n", Count, nullptr},
    {"NoCountLine", false, C + "COMBINATIONS|1\t2", "\r\n", Mismatch, "1-2"},
    {"CombHeaderTrailingBlank", false, "SONDARIUM COMBINATIONS |NBCOMBINATIONS:1|1\t2", "\r\n", FormatC, nullptr},
    {"CombHeaderByteOrderMark", false, "\xEF\xBB\xBF" + C3, "\r\n", FormatC, nullptr},
    {"EmptyCombinations", false, "", "\r\n", None, nullptr},
};

// What the session holds, in the tables' notation.
std::string Held(const TSession& form, bool bPlaylist) {
    std::string out;
    if (bPlaylist) {
        out = std::to_string(form.m_nChannels) + ":";
        for (const std::string& e : *form.m_pPlayList) out += (out.back() == ':' ? "" : "|") + e;
        return out;
    }
    for (const TTrackCombs& c : form.m_Combinations)
        out += (out.empty() ? "" : ",") + std::to_string(c.nExcerptA) + "-" + std::to_string(c.nExcerptB);
    return out;
}

class LoaderTest : public ::testing::TestWithParam<LoadCase> {
protected:
    std::string Path(const char* name) { return QDir(dir.path()).filePath(name).toStdString(); }
    QTemporaryDir dir;
    MessageObserver observer;
    TSession form;
};

TEST_P(LoaderTest, LoadsOrReports) {
    const LoadCase& c = GetParam();
    std::string bytes;
    for (char ch : c.text) bytes += ch == '|' ? std::string(c.eol) : std::string(1, ch);
    const std::string path = Path("session.txt");
    std::ofstream(path, std::ios::binary) << bytes;
    form.m_nChannels = -1;  // as the reset before every load leaves it

    const bool bLoaded = c.bPlaylist ? form.LoadPlaylist(path) : form.LoadCombinations(path);
    EXPECT_EQ(bLoaded, c.loaded && c.message == None);
    EXPECT_EQ(Held(form, c.bPlaylist), c.loaded ? c.loaded : c.bPlaylist ? "-1:" : "");
    if (c.message == None) {
        EXPECT_TRUE(observer.messages.empty());
        EXPECT_EQ(observer.beeps, 0);
        return;
    }
    const ShownMessage& want = kMessages[c.message];
    ASSERT_EQ(observer.messages.size(), 1u);
    const ShownMessage& got = observer.messages[0];
    EXPECT_EQ(got.text, want.text);
    EXPECT_EQ(got.caption, want.caption);
    EXPECT_EQ(got.icon, MsgIcon::Error);
    EXPECT_EQ(got.beepBefore, want.beepBefore);
    EXPECT_EQ(observer.beeps, want.beepBefore ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Files, LoaderTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoaderTest, UnreadableFilesGiveTheReadMessages) {
    for (const std::string& path : {Path("manca.lst"), dir.path().toStdString()}) {
        observer.clear();
        EXPECT_FALSE(form.LoadPlaylist(path));
        EXPECT_FALSE(form.LoadCombinations(path));
        ASSERT_EQ(observer.messages.size(), 2u) << path;
        EXPECT_EQ(observer.messages[0].text, kMessages[ReadP].text);
        EXPECT_EQ(observer.messages[1].text, kMessages[ReadC].text);
        EXPECT_TRUE(observer.messages[0].beepBefore && observer.messages[1].beepBefore);
    }
}

TEST_F(LoaderTest, PathIsUsedByteForByteAndASecondLoadReplaces) {
    const std::string path = Path("sessione è #1.lst");
    std::ofstream(path, std::ios::binary) << "SONDARIUM PLAYLIST\nCHANNELS=2\na\nb";
    ASSERT_TRUE(form.LoadPlaylist(path));
    std::ofstream(path, std::ios::binary) << "SONDARIUM PLAYLIST\nCHANNELS=4\nx";
    ASSERT_TRUE(form.LoadPlaylist(path));
    EXPECT_EQ(Held(form, true), "4:x");
}

}  // namespace
