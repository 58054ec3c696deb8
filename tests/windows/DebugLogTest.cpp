// The debug window's log: the diagnostic blocks line by line, the commands that
// empty and show it, and saving it to a file.
#include <gtest/gtest.h>

#include <QApplication>

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>

#include <string>
#include <vector>

#include "WindowsRig.h"
#include "common/FileDialogDriver.h"
#include "windows/TFormDebug.h"

using audio::VirtualBackend;
using wintest::WindowsRig;

namespace {

using Lines = std::vector<std::string>;
const std::string STARS(54, '*');

QByteArray ReadAll(const QString& strPath) {
    QFile f(strPath);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct StartCase {
    const char* name;
    std::vector<std::string> outputs;
    Lines log;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class DeviceBlock : public ::testing::TestWithParam<StartCase> {};

TEST_P(DeviceBlock, StartUpLogsEveryMatchingDeviceOrNothing) {
    WindowsRig rig(VirtualBackend::Outputs(GetParam().outputs, true));
    EXPECT_EQ(FormDebug->Lines(), GetParam().log);
    EXPECT_FALSE(FormDebug->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, DeviceBlock,
    ::testing::Values(
        StartCase{"six_matching",
                  {"Driver audio principale", "OUT 1-2 (1:UA-101)", "OUT 3-4 (1:UA-101)", "Altro", "OUT 5-6 (1:UA-101)",
                   "OUT 7-8 (1:UA-101)", "OUT 9-10 (1:UA-101)", "OUT 11-12 (1:UA-101)"},
                  {"", "", STARS, "  SOUND DEVICES:", "OUT 1-2 (1:UA-101)", "OUT 3-4 (1:UA-101)", "OUT 5-6 (1:UA-101)",
                   "OUT 7-8 (1:UA-101)", "OUT 9-10 (1:UA-101)", "OUT 11-12 (1:UA-101)"}},
        // No device block; the log only records that the tracks went to the default output.
        StartCase{"none_matching",
                  {"Driver audio principale", "OUT 1-2 (2:UA-101)"},
                  {"SetupTracks: Trovate 0 uscite audio \"1:UA-101\", ne servono 4",
                   "SetupTracks: le quattro tracce suonano su \"Driver audio principale\""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DebugLog, TheCombinationsOfTheExampleAreExactlyTheirBlock) {
    WindowsRig rig;
    FormDebug->ClearLog();
    rig.form->m_Combinations.resize(2);
    rig.form->m_Combinations[0].nExcerptA = 1;
    rig.form->m_Combinations[0].nExcerptB = 2;
    rig.form->m_Combinations[1].nExcerptA = 3;
    rig.form->m_Combinations[1].nExcerptB = 1;
    rig.form->DumpCombinations();
    EXPECT_EQ(FormDebug->Lines(), (Lines{"", "", STARS, "  COMBINATIONS: 2", "  A\tB", "  1\t2", "  3\t1"}));
}

TEST(DebugLog, PlaylistEntriesAreWrittenAsStoredAfterWhatIsThere) {
    WindowsRig rig;
    FormDebug->ClearLog();
    FormDebug->AppendLine("before");
    *rig.form->m_pPlayList = {"a b\tc.wav", "  lead.wav", "", "ü.wav"};
    rig.form->DumpPlaylist();
    EXPECT_EQ(FormDebug->Lines(), (Lines{"before", "", "", STARS, "  PLAYLIST", "a b\tc.wav", "  lead.wav", "", "ü.wav"}));
}

TEST(DebugLog, LinesKeepEmptyOnesAndSplitAtLineFeeds) {
    WindowsRig rig;
    TFormDebug& log = *FormDebug;
    log.ClearLog();
    EXPECT_EQ(log.Lines(), Lines{});
    log.AppendLine("");
    EXPECT_EQ(log.Lines(), Lines{""});
    log.AppendLine("");
    log.AppendLine("one\ntwo");
    EXPECT_EQ(log.Lines(), (Lines{"", "", "one", "two"}));
    // The log box gets the lines written while it was hidden, in one piece, once shown.
    log.show();
    QApplication::processEvents();
    EXPECT_EQ(log.RichEdit->toPlainText(), "\n\none\ntwo");
    // What the user types is part of the log as well, and so is what follows it.
    log.RichEdit->appendPlainText("typed");
    log.AppendLine("after");
    EXPECT_EQ(log.Lines(), (Lines{"", "", "one", "two", "typed", "after"}));
    QApplication::processEvents();
    EXPECT_EQ(log.RichEdit->toPlainText(), "\n\none\ntwo\ntyped\nafter");
    log.Button1->click();
    EXPECT_EQ(log.Lines(), Lines{});
    log.hide();
}

TEST(DebugLog, BufferCapsBeforeAnySessionShowsAnEmptyLogAfterALoadedTestTheLength) {
    WindowsRig rig;
    ASSERT_FALSE(FormDebug->Lines().empty()) << "the start-up device block";
    rig.form->DebugGetSoundBufferCapsClick();
    EXPECT_TRUE(FormDebug->isVisible());
    EXPECT_EQ(FormDebug->Lines(), Lines{});

    FormDebug->hide();
    rig.LoadSession(1, {{1, 1}});
    ASSERT_TRUE(rig.form->PrepareTest(0));
    FormDebug->AppendLine("old");
    rig.form->DebugGetSoundBufferCapsClick();
    EXPECT_TRUE(FormDebug->isVisible());
    EXPECT_EQ(FormDebug->Lines(), Lines{"Buffer Length = 8820"});
}

struct SaveCase {
    const char* name;
    Lines lines;
    const char* file;
    QByteArray bytes;  // what the file holds afterwards; null: no file, a message
};

void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }

class SaveLog : public ::testing::TestWithParam<SaveCase> {};

TEST_P(SaveLog, WritesTheBareLinesOrReportsAndKeepsTheLog) {
    const SaveCase& sc = GetParam();
    WindowsRig rig;
    TFormDebug& log = *FormDebug;
    QTemporaryDir dir;
    log.ClearLog();
    for (const std::string& s : sc.lines) log.AppendLine(s);
    const Lines before = log.Lines();
    const QString strPath = dir.filePath(sc.file);
    EXPECT_EQ(log.SaveLog(strPath), !sc.bytes.isNull());
    EXPECT_EQ(log.Lines(), before);
    if (sc.bytes.isNull()) {
        EXPECT_FALSE(QFile::exists(strPath));
        ASSERT_EQ(rig.observer.messages.size(), 1u);
        EXPECT_EQ(rig.observer.messages[0].caption, "Errore :");
        EXPECT_EQ(rig.observer.messages[0].icon, MsgIcon::Error);
        EXPECT_NE(rig.observer.messages[0].text.find("Impossibile salvare il log"), std::string::npos);
    } else {
        EXPECT_EQ(ReadAll(strPath), sc.bytes);
        EXPECT_TRUE(rig.observer.messages.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Logs, SaveLog,
    ::testing::Values(SaveCase{"empty_log_still_makes_the_file", {}, "empty.txt", QByteArray("")},
                      SaveCase{"block_and_tab", {SEPARATOR_LINE, "x\ty"}, "log.txt",
                               QByteArray("\n\n" + QByteArray(54, '*') + "\nx\ty\n")},
                      SaveCase{"folder_missing", {"keep me"}, "no/such/folder/log.txt", QByteArray()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DebugLog, SaveDialogAddsTheExtensionReplacesWithoutAskingAndCancelWritesNothing) {
    WindowsRig rig;
    TFormDebug& log = *FormDebug;
    QTemporaryDir dir;
    QFile old(dir.filePath("log.txt"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("a much longer old content\n");
    old.close();
    log.ClearLog();
    log.AppendLine("new");

    FileDialogDriver driver;
    driver.Accept("log", dir.path());
    log.Button2Click();
    EXPECT_EQ(ReadAll(dir.filePath("log.txt")), QByteArray("new\n"));

    driver.Cancel();
    log.AppendLine("more");
    log.Button2Click();
    EXPECT_EQ(driver.Pending(), 0);
    EXPECT_EQ(ReadAll(dir.filePath("log.txt")), QByteArray("new\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"log.txt"});
    EXPECT_TRUE(rig.observer.messages.empty());
}

}  // namespace
