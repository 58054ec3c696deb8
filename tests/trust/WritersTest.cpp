// The durable writer on a real full file system and on targets it must refuse,
// and the results journal: its bytes, the old journal moved aside, and sessions
// killed at random moments that keep every answer given before the kill.
#include <QTemporaryDir>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "common/AlsaTestHome.h"
#include "common/FullDisk.h"
#include "files/DurableWrite.h"
#include "files/ResultsJournal.h"
#include "files/parse/ResultsText.h"
#include "files/parse/TextLines.h"

namespace {

std::string ReadText(const std::string& path) {
    const auto bytes = alsatest::ReadAll(path);
    return {bytes.begin(), bytes.end()};
}

TEST(DurableWrite, FullDiskKeepsTheOldFileAndSaysWhy) {
    const FullDisk disk;
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    const std::string target = disk.Path("results.txt");
    ASSERT_TRUE(WriteFileDurably(target, "old answers\r\n").bOk);
    disk.Fill();

    const TWriteResult r = WriteFileDurably(target, std::string(32 * 1024, 'n'));
    EXPECT_FALSE(r.bOk);
    EXPECT_EQ(r.nErrno, ENOSPC);
    EXPECT_NE(r.strError.find("No space left on device"), std::string::npos) << r.strError;
    EXPECT_EQ(ReadText(target), "old answers\r\n");
    std::size_t nFiles = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(disk.Path(""))) ++nFiles;
    EXPECT_EQ(nFiles, 2u) << "the temporary file must be gone";
}

TEST(DurableWrite, RefusedTargetsStayAsTheyWere) {
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    mkdir((base + "/folder").c_str(), 0755);
    WriteFileDurably(base + "/readonly.txt", "kept");
    chmod((base + "/readonly.txt").c_str(), 0444);
    const struct { const char* path; int err; } cases[] = {
        {"/missing/results.txt", ENOENT}, {"/folder", EISDIR}, {"/readonly.txt", EACCES}};
    for (const auto& c : cases) {
        const TWriteResult r = WriteFileDurably(base + c.path, "new");
        EXPECT_FALSE(r.bOk) << c.path;
        EXPECT_EQ(r.nErrno, c.err) << c.path << ": " << r.strError;
    }
    EXPECT_EQ(ReadText(base + "/readonly.txt"), "kept");
}

TVecCombinations Tests(std::size_t n) {
    TVecCombinations tests(n);
    for (std::size_t i = 0; i < n; ++i) {
        tests[i].nExcerptA = int(i % 3) + 1;
        tests[i].nExcerptB = int(i % 2) + 2;
        tests[i].bPreferA = i % 3 == 0, tests[i].bPreferB = i % 3 == 1, tests[i].bNoPreference = i % 3 == 2;
        tests[i].strNotes = "nota " + std::to_string(i);
    }
    return tests;
}

TEST(ResultsJournal, EarlierJournalsAreMovedAsideAndTheLastOneGoesWithTheResults) {
    QTemporaryDir dir;
    const std::string results = dir.path().toStdString() + "/r.txt";
    WriteFileDurably(results + ".partial", "first");
    WriteFileDurably(results + ".partial-1", "older");
    std::vector<std::string> log;
    TResultsJournal journal;
    journal.Begin(results, log);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("r.txt.partial-2"), std::string::npos) << log[0];
    EXPECT_EQ(ReadText(results + ".partial-2"), "first");
    EXPECT_EQ(ReadText(results + ".partial-1"), "older");

    const TVecCombinations tests = Tests(3);
    ASSERT_TRUE(journal.Record("Maria", tests, 2, log));
    EXPECT_EQ(ReadText(results + ".partial"), BuildResultsText("Maria", TVecCombinations(tests.begin(), tests.begin() + 2)));
    journal.Finish(log);
    EXPECT_FALSE(std::filesystem::exists(results + ".partial"));
    EXPECT_EQ(log.size(), 1u);
}

TEST(ResultsJournal, AJournalThatCannotBeWrittenIsOnlyLogged) {
    std::vector<std::string> log;
    TResultsJournal journal;
    journal.Begin("/no/such/folder/r.txt", log);
    EXPECT_FALSE(journal.Record("Maria", Tests(1), 1, log));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("No such file or directory"), std::string::npos) << log[0];
}

// A child runs sessions of 45 tests and reports each test on the pipe once its
// journal write has returned; the parent kills it at a random moment.
TEST(ResultsJournal, SessionsKilledAtRandomKeepEveryAnswerGiven) {
    QTemporaryDir dir;
    std::mt19937 random(20261208);
    const TVecCombinations tests = Tests(45);
    for (int run = 0; run < 20; ++run) {
        const std::string results = dir.path().toStdString() + "/run" + std::to_string(run) + ".txt";
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            std::vector<std::string> log;
            TResultsJournal journal;
            journal.Begin(results, log);
            for (std::size_t n = 1; n <= tests.size(); ++n) {
                if (!journal.Record("Candidato", tests, n, log)) _exit(3);
                const unsigned char done = static_cast<unsigned char>(n);
                if (write(fds[1], &done, 1) != 1) _exit(4);
            }
            for (;;) pause();
        }
        close(fds[1]);
        usleep(std::uniform_int_distribution<int>(0, 150000)(random));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << status;
        std::size_t reported = 0;
        unsigned char n = 0;
        while (read(fds[0], &n, 1) == 1) reported = n;
        close(fds[0]);

        if (!std::filesystem::exists(results + ".partial")) {
            EXPECT_EQ(reported, 0u) << "run " << run;
            continue;
        }
        const std::vector<std::string> lines = SplitTextLines(ReadText(results + ".partial"));
        ASSERT_GE(lines.size(), 7u) << "run " << run;
        const std::size_t held = lines.size() - 7;
        EXPECT_TRUE(held == reported || held == reported + 1) << "run " << run << ": " << held << " vs " << reported;
        EXPECT_EQ(ReadText(results + ".partial"),
                  BuildResultsText("Candidato", TVecCombinations(tests.begin(), tests.begin() + held)))
            << "run " << run;
    }
}

}  // namespace
