// A whole listening session through the real main window and settings dialog,
// on the virtual outputs, with its journal; and the ways a session start is
// refused or warned.
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <functional>

#include <gtest/gtest.h>

#include "SessionRig.h"
#include "common/FileDialogDriver.h"
#include "common/WavBuilder.h"
#include "platform/ui/SpeedButton.h"
#include "sound/SoundOutput.h"
#include "windows/TFormDebug.h"

using sessiontest::ExcerptValue;
using sessiontest::SessionRig;

namespace {

const char* const kHeading =
    "SONDARIUM RESULTS\r\n\r\nNOME\r\n%NAME%\r\n\r\nBRANO\tBRANO\tRIS\tRIS\tRIS\tNOTES\r\nA\tB\tA\tB\tNONE\r\n";

std::string Heading(const std::string& name) {
    std::string h = kHeading;
    h.replace(h.find("%NAME%"), 6, name);
    return h;
}

// The value the output of track 0 carries right now, at full level.
std::int16_t Heard(SessionRig& rig, int nOutput) {
    const std::vector<std::int16_t> pcm = rig.vb->RenderInt16(nOutput, 512);
    return pcm.empty() ? 0 : pcm.back();
}

bool TestControlsEnabled(const TFormMain& form) {
    return form.BitBtnNextTest->isEnabled() && form.SpeedButtonA->isEnabled() && form.ScrollBarTrackPos->isEnabled();
}

}  // namespace

TEST(Session, WholeRoadFromSettingsToResultsFile) {
    SessionRig rig;
    rig.settings.name = "  Maria Rossi ";
    rig.WriteSession(4, 3, {{1, 2}, {3, 1}, {2, 3}});
    rig.StartSession();

    TFormMain& form = *rig.form;
    ASSERT_TRUE(rig.observer.messages.empty()) << rig.observer.messages.front().text;
    EXPECT_TRUE(TestControlsEnabled(form));
    EXPECT_EQ(form.LabelInfo->text().toStdString(), "  Tests totali: 3  ,  test corrente: 1");

    // Test 1: A, then B, a seek, then the answer B with a comment.
    form.SpeedButtonA->Press();
    rig.Tick(13);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(Heard(rig, c + 1), ExcerptValue(1, c)) << "channel " << c;
    form.SpeedButtonB->Press();
    rig.Tick(13);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(Heard(rig, c + 1), ExcerptValue(2, c)) << "channel " << c;
    form.ScrollBarTrackPos->triggerAction(QAbstractSlider::SliderPageStepAdd);
    rig.Tick(13);
    EXPECT_EQ(Heard(rig, 1), ExcerptValue(2, 0));
    rig.Submit(1, "più ampio\tmeno chiaro");
    // After each test the journal holds the answers so far, as the results would.
    const std::string line1 = "1\t2\t0\t1\t0\tpiù ampio meno chiaro\r\n";
    EXPECT_EQ(rig.ReadFile("results.txt.partial"), Heading("  Maria Rossi ") + line1);

    // Test 2: excerpt 3 against 1, answered A without a comment.
    EXPECT_EQ(form.LabelInfo->text().toStdString(), "  Tests totali: 3  ,  test corrente: 2");
    EXPECT_TRUE(form.RadioButtonNS->isChecked());
    EXPECT_TRUE(form.EditNotes->text().isEmpty());
    EXPECT_FALSE(form.SpeedButtonA->Down());
    EXPECT_FALSE(form.SpeedButtonB->Down());
    form.SpeedButtonA->Press();
    rig.Tick(13);
    EXPECT_EQ(Heard(rig, 3), ExcerptValue(3, 2));
    rig.Submit(0, "");
    EXPECT_EQ(rig.ReadFile("results.txt.partial"), Heading("  Maria Rossi ") + line1 + "3\t1\t1\t0\t0\t\r\n");

    // Test 3: untouched answers record "Non saprei" and an empty comment.
    form.BitBtnNextTest->click();

    EXPECT_FALSE(TestControlsEnabled(form));
    EXPECT_EQ(form.LabelInfo->text().toStdString(),
              " Sessione completata con successo! Grazie per la collaborazione.");
    EXPECT_EQ(rig.ReadFile("results.txt"), Heading("  Maria Rossi ") + line1 +
                                               "3\t1\t1\t0\t0\t\r\n"
                                               "2\t3\t0\t0\t1\t\r\n");
    EXPECT_TRUE(rig.observer.messages.empty());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(rig.Path("results.txt.partial"))))
        << "the written results take the journal's place";

    // Once complete, a further press changes nothing and writes nothing again.
    std::remove(rig.Path("results.txt").c_str());
    form.NextTest();
    EXPECT_TRUE(rig.ReadFile("results.txt").empty());
}

TEST(Session, SingleCombinationCompletesAfterOnePress) {
    SessionRig rig;
    rig.WriteSession(2, 2, {{2, 1}});
    rig.StartSession();
    rig.Submit(2, "ok");
    EXPECT_EQ(rig.ReadFile("results.txt"), Heading("Maria Rossi") + "2\t1\t0\t0\t1\tok\r\n");
    EXPECT_EQ(rig.form->m_nCurrentTest, 1);
}

TEST(Session, SecondSessionStartsWithNonSapreiAndEmptyComment) {
    SessionRig rig;
    rig.WriteSession(2, 2, {{1, 2}, {2, 1}});
    rig.StartSession();
    rig.Submit(0, "primo");
    rig.form->RadioButtonB->click();
    rig.form->EditNotes->setText("a metà");
    rig.StartSession();
    EXPECT_TRUE(rig.form->RadioButtonNS->isChecked());
    EXPECT_TRUE(rig.form->EditNotes->text().isEmpty());
    EXPECT_EQ(rig.form->m_nCurrentTest, 0);
    EXPECT_EQ(rig.form->LabelInfo->text().toStdString(), "  Tests totali: 2  ,  test corrente: 1");
}

TEST(Session, CancellingMidSessionChangesNothingConfirmingRestarts) {
    SessionRig rig;
    rig.WriteSession(4, 2, {{1, 2}, {2, 1}, {1, 1}});
    rig.StartSession();
    rig.Submit(0, "uno");
    TFormMain& form = *rig.form;
    form.SpeedButtonB->Press();
    rig.Tick(13);
    form.RadioButtonA->click();
    form.EditNotes->setText("in corso");
    CSound* const pSoundBefore = form.m_Tracks[0].apSound[1];

    rig.StartSession(false);
    EXPECT_EQ(form.m_nCurrentTest, 1);
    EXPECT_EQ(form.m_Combinations[0].strNotes, "uno");
    EXPECT_TRUE(form.m_Combinations[0].bPreferA);
    EXPECT_EQ(form.m_Tracks[0].apSound[1], pSoundBefore);
    EXPECT_TRUE(form.SpeedButtonB->Down());
    EXPECT_TRUE(form.RadioButtonA->isChecked());
    EXPECT_EQ(form.EditNotes->text().toStdString(), "in corso");

    rig.StartSession();
    EXPECT_EQ(form.m_nCurrentTest, 0);
    EXPECT_FALSE(form.m_Combinations[0].bPreferA);
    EXPECT_FALSE(form.SpeedButtonB->Down());
    EXPECT_EQ(form.LabelInfo->text().toStdString(), "  Tests totali: 3  ,  test corrente: 1");
}

TEST(Session, RefusedStartsWarnAndKeepControlsDisabled) {
    struct Case {
        const char* name;
        int nExcerpts;
        std::vector<std::pair<int, int>> tests;
        bool bFirstTestLoadable;  // the channel setup's reload may still load test 0
    };
    const Case cases[] = {
        {"excerpt 0", 2, {{1, 2}, {0, 1}}, true},
        {"excerpt N+1", 2, {{1, 3}}, false},
        {"empty playlist", 0, {{1, 1}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SessionRig rig;
        rig.WriteSession(4, c.nExcerpts, c.tests);
        rig.form->LabelInfo->setText("prima");
        rig.StartSession();
        ASSERT_EQ(rig.observer.messages.size(), 1u);
        const ShownMessage& m = rig.observer.messages[0];
        EXPECT_EQ(m.text, "Attenzione!\nVerificare il file delle combinazioni:\nalcuni indici potrebbero essere errati.\n\n");
        EXPECT_EQ(m.caption, "Avvertimento :");
        EXPECT_EQ(m.icon, MsgIcon::Warning);
        EXPECT_TRUE(m.beepBefore);
        EXPECT_FALSE(TestControlsEnabled(*rig.form));
        EXPECT_EQ(rig.form->LabelInfo->text().toStdString(), "prima");
        for (const TSndTrack& t : rig.form->m_Tracks) EXPECT_EQ(t.apSound[0], nullptr);

        // The channel setup's reload after the refused start loads test 0 only
        // when it lies inside the playlist, and never reads outside it.
        EXPECT_EQ(rig.form->PrepareTest(rig.form->m_nCurrentTest), c.bFirstTestLoadable);
    }
}

TEST(Session, TwoChannelSessionLeavesTracksTwoAndThreeEmpty) {
    SessionRig rig;
    rig.WriteSession(2, 2, {{1, 2}});
    rig.StartSession();
    const TVecSndTrack& tracks = rig.form->m_Tracks;
    ASSERT_EQ(tracks.size(), 4u);
    for (int t = 0; t < 4; ++t) {
        for (int s = 0; s < 2; ++s) EXPECT_EQ(tracks[t].apSound[s] != nullptr, t < 2) << t << "/" << s;
    }
}

// The files a session uses are checked before its first test: what cannot play
// refuses the start and touches no journal; what only looks wrong warns, and
// the session starts, an earlier journal moved aside.
TEST(Session, FileChecksRefuseOrWarnBeforeTheFirstTest) {
    const struct {
        const char* name;
        std::function<void(SessionRig&)> spoil;
        MsgIcon icon;
        const char* says;
    } cases[] = {
        {"missing_file", [](SessionRig& rig) { std::remove(rig.Path("e1c2.wav").c_str()); }, MsgIcon::Error,
         "e1c2.wav: file mancante"},
        {"not_a_wave", [](SessionRig& rig) { rig.WriteFile("e2c0.wav", "RIFF"); }, MsgIcon::Error,
         "e2c0.wav: non è un file WAV"},
        {"shorter_b", [](SessionRig& rig) {
             const wavbuild::Format mono{1, 1, 44100, 16};
             const wavbuild::Bytes image = wavbuild::Wave(mono, wavbuild::Samples(mono, 4000));
             for (int c = 0; c < 4; ++c) rig.WriteFile("e2c" + std::to_string(c) + ".wav", {image.begin(), image.end()});
         }, MsgIcon::Warning, "Test 1: A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SessionRig rig;
        rig.WriteSession(4, 2, {{1, 2}});
        rig.WriteFile("results.txt.partial", "answers of yesterday");
        c.spoil(rig);
        rig.StartSession();
        ASSERT_EQ(rig.observer.messages.size(), 1u);
        const ShownMessage& m = rig.observer.messages[0];
        EXPECT_EQ(m.icon, c.icon);
        EXPECT_EQ(m.caption, c.icon == MsgIcon::Error ? "Errore:" : "Avvertimento :");
        EXPECT_EQ(m.beepBefore, c.icon == MsgIcon::Error);
        EXPECT_NE(m.text.find(c.says), std::string::npos) << m.text;
        EXPECT_NE(FormDebug->Log().Text().find(c.says), std::string::npos) << "the finding is in the debug log";
        const bool bStarted = c.icon == MsgIcon::Warning;
        EXPECT_EQ(TestControlsEnabled(*rig.form), bStarted);
        EXPECT_EQ(rig.ReadFile(bStarted ? "results.txt.partial-1" : "results.txt.partial"), "answers of yesterday");
        EXPECT_EQ(QDir(rig.dir.path()).entryList({"results*"}), QStringList{bStarted ? "results.txt.partial-1" : "results.txt.partial"});
    }
}

// The channel setup's reload still loads the first test after a refused start:
// a file that cannot be read leaves only its own channel silent.
TEST(Session, MissingFileLeavesOnlyItsChannelSilent) {
    SessionRig rig;
    rig.WriteSession(4, 2, {{1, 2}});
    std::remove(rig.Path("e1c2.wav").c_str());
    rig.StartSession();
    TFormMain& form = *rig.form;
    ASSERT_TRUE(form.PrepareTest(0));
    EXPECT_EQ(form.m_Tracks[2].apSound[0], nullptr);
    EXPECT_NE(form.m_Tracks[2].apSound[1], nullptr);
    form.m_TrackSet.Press(psFadeToA, true);  // the A button is disabled after the refusal
    rig.Tick(13);
    EXPECT_EQ(Heard(rig, 1), ExcerptValue(1, 0));
    EXPECT_EQ(Heard(rig, 3), 0);
    EXPECT_EQ(Heard(rig, 4), ExcerptValue(1, 3));
}

// Results that cannot be written, and the save dialog cancelled: the answers
// stay in the journal.
TEST(Session, GivingUpTheSaveKeepsTheJournal) {
    SessionRig rig;
    rig.WriteSession(2, 2, {{2, 1}});
    QDir(rig.dir.path()).mkdir("results.txt");
    FileDialogDriver driver;
    driver.Cancel();
    rig.StartSession();
    rig.Submit(0, "ok");
    ASSERT_EQ(rig.observer.messages.size(), 1u);
    EXPECT_EQ(rig.observer.messages[0].text, "Errore: impossibile salvare la sessione");
    EXPECT_EQ(driver.Pending(), 0);
    EXPECT_EQ(rig.ReadFile("results.txt.partial"), Heading("Maria Rossi") + "2\t1\t1\t0\t0\tok\r\n");
    EXPECT_NE(FormDebug->Log().Text().find("results.txt\" (target: Is a directory)"), std::string::npos)
        << FormDebug->Log().Text();
}

TEST(Session, WithoutAnyOutputTheStartIsRefusedWithAMessage) {
    SessionRig rig(std::vector<audio::OutputInfo>{});
    ASSERT_TRUE(rig.form->m_Tracks.empty());
    rig.WriteSession(2, 2, {{1, 2}});
    rig.observer.clear();
    rig.StartSession();
    ASSERT_EQ(rig.observer.messages.size(), 1u);
    EXPECT_NE(rig.observer.messages[0].text.find("nessuna uscita audio"), std::string::npos);
    EXPECT_FALSE(TestControlsEnabled(*rig.form));
}
