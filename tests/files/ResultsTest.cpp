// The results writer over real files: the exact bytes, the replacement of an
// earlier file, and another path offered after a failed write (a full disk too).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include "app/TFormMain.h"
#include "files/SessionFiles.h"
#include "common/FileDialogDriver.h"
#include "common/FullDisk.h"
#include "platform/ui/Messages.h"
#include "session/TFormSessionSettings.h"

namespace {

const char* kSaveFailed = "Errore: impossibile salvare la sessione";
const QByteArray kHeading =
    "SONDARIUM RESULTS\r\n\r\nNOME\r\n  Mario Rossi \r\n\r\n"
    "BRANO\tBRANO\tRIS\tRIS\tRIS\tNOTES\r\nA\tB\tA\tB\tNONE\r\n";

TTrackCombs Answered(int a, int b, char answer, std::string notes = {}) {
    TTrackCombs comb;
    comb.nExcerptA = a;
    comb.nExcerptB = b;
    comb.bPreferA = answer == 'A';
    comb.bPreferB = answer == 'B';
    comb.bNoPreference = answer == 'N';
    comb.strNotes = std::move(notes);
    return comb;
}

class ResultsTest : public ::testing::Test {
protected:
    ResultsTest() : settings(nullptr) {
        FormSessionSettings = &settings;
        settings.BuildControls();
        settings.EditNomeCandidato->setText("  Mario Rossi ");
        settings.EditFileResults->setText(Path("risultati.txt"));
    }
    ~ResultsTest() override { FormSessionSettings = nullptr; }
    QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    static QByteArray Read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    void ExpectFailureMessages(std::size_t n) {
        ASSERT_EQ(observer.messages.size(), n);
        for (const ShownMessage& m : observer.messages) {
            EXPECT_EQ(m.text, kSaveFailed);
            EXPECT_EQ(m.caption, "Errore :");
            EXPECT_EQ(m.icon, MsgIcon::Error);
            EXPECT_TRUE(m.beepBefore);
        }
    }
    QTemporaryDir dir;
    MessageObserver observer;
    TFormSessionSettings settings;
    TFormMain form;
};

// The writer takes the name and the path as values.
bool Save(const QString& strPath, const TVecCombinations& Combinations) {
    return SaveResults("  Mario Rossi ", strPath.toStdString(), Combinations);
}

TEST_F(ResultsTest, OneTestSessionIsEightLinesWithCrLf) {
    EXPECT_TRUE(Save(Path("risultati.txt"), {Answered(3, 1, 'B')}));
    EXPECT_TRUE(observer.messages.empty());
    EXPECT_EQ(Read(Path("risultati.txt")), kHeading + "3\t1\t0\t1\t0\t\r\n");
}

TEST_F(ResultsTest, CommentsKeepTheirColumnsAndASecondSessionReplacesTheFirst) {
    Save(Path("risultati.txt"), {Answered(3, 1, 'A'), Answered(2, 2, 'N', "forte\tpiano"),
                                 Answered(1, 2, 'B', "riga1\r\nriga2\rfine\n"), Answered(4, 1, 'A', " più caldo ")});
    EXPECT_EQ(Read(Path("risultati.txt")), kHeading +
                                               "3\t1\t1\t0\t0\t\r\n"
                                               "2\t2\t0\t0\t1\tforte piano\r\n"
                                               "1\t2\t0\t1\t0\triga1  riga2 fine \r\n"
                                               "4\t1\t1\t0\t0\t più caldo \r\n");
    Save(Path("risultati.txt"), {Answered(5, 6, 'N')});
    EXPECT_EQ(Read(Path("risultati.txt")), kHeading + "5\t6\t0\t0\t1\t\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"risultati.txt"});
}

TEST_F(ResultsTest, UnwritablePathOffersAnotherUntilSavedOrCancelled) {
    form.m_Combinations = {Answered(3, 1, 'B')};
    // A folder that does not exist, a folder, no path at all: another path is
    // asked for, and a name typed without extension gets ".txt".
    for (const QString& bad : {Path("manca/risultati.txt"), dir.path(), QString()}) {
        observer.clear();
        settings.EditFileResults->setText(bad);
        FileDialogDriver driver;
        driver.Accept("altro", dir.path());
        form.SaveResults();
        ExpectFailureMessages(1);
        EXPECT_EQ(driver.titles, QStringList{"Sondarium : Results"});
        EXPECT_EQ(settings.EditFileResults->text(), Path("altro.txt"));
        EXPECT_EQ(Read(Path("altro.txt")), kHeading + "3\t1\t0\t1\t0\t\r\n");
        ASSERT_TRUE(QFile::remove(Path("altro.txt")));
    }
    observer.clear();
    settings.EditFileResults->setText(Path("manca/risultati.txt"));
    FileDialogDriver driver;
    driver.Accept(Path("manca/ancora.txt"));
    driver.Cancel();
    form.SaveResults();
    ExpectFailureMessages(2);
    EXPECT_EQ(driver.Pending(), 0);
    EXPECT_EQ(settings.EditFileResults->text(), Path("manca/ancora.txt"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

// A full disk under the results: the message and another path, as for any
// failed write, and the earlier results stay whole (not an empty file).
TEST_F(ResultsTest, FullDiskKeepsTheOldResultsAndOffersAnotherPath) {
    const FullDisk disk;
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    const QString target = QString::fromStdString(disk.Path("risultati.txt"));
    ASSERT_TRUE(Save(target, {Answered(1, 2, 'A')}));
    disk.Fill();
    form.m_Combinations = {Answered(3, 1, 'B', std::string(16 * 1024, 'n'))};
    settings.EditFileResults->setText(target);
    FileDialogDriver driver;
    driver.Accept("altro", dir.path());
    form.SaveResults();
    ExpectFailureMessages(1);
    EXPECT_EQ(Read(target), kHeading + "1\t2\t1\t0\t0\t\r\n");
    EXPECT_EQ(Read(Path("altro.txt")), kHeading + "3\t1\t0\t1\t0\t" + QByteArray(16 * 1024, 'n') + "\r\n");
}

}  // namespace
