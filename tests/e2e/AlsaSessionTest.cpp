// A whole session of the demo kind, run as a listener runs it: the program is
// started as its entry starts it, on the ALSA back end, in a private HOME whose
// .asoundrc names four outputs of the interface. Each output is a stereo file
// PCM (through the plug layer, which spreads the mono track over the pair), so
// its file holds exactly what that loudspeaker would have played. The windows
// are driven by typing and clicking, with the real timers running.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/TFormMain.h"
#include "common/AlsaTestHome.h"
#include "e2e/LabSignals.h"
#include "e2e/OutputTrace.h"
#include "e2e/SessionDriver.h"
#include "platform/audio/AudioBackend.h"
#include "platform/audio/alsa/AlsaBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SpeedButton.h"

namespace {

using namespace e2e;

std::string PcmName(int c) { return "uscita" + std::to_string(2 * c + 1) + std::to_string(2 * c + 2); }

// The outputs as a lab's .asoundrc could name them: a described plug PCM per
// pair, here over a raw file PCM in S32_LE stereo at 44100 Hz. The files go to
// memory when the machine has a memory file system: the mix thread writes them
// itself, and a disk busy with other work would hold it up.
struct Outputs {
    std::string folder;
    std::unique_ptr<alsatest::Home> home;
    std::string File(int c) const { return folder + "/" + PcmName(c) + ".raw"; }
    ~Outputs() {
        home.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

std::unique_ptr<Outputs> MakeOutputs() {
    auto out = std::make_unique<Outputs>();
    char shm[] = "/dev/shm/sondarium-e2e-XXXXXX";
    char tmp[] = "/tmp/sondarium-e2e-XXXXXX";
    const char* folder = mkdtemp(shm);
    out->folder = folder ? folder : mkdtemp(tmp);
    std::vector<alsatest::FilePcm> files = {{"default_file", "", out->folder + "/default.raw"}};
    std::string rc = "pcm.!default { type plug slave.pcm \"default_file\" }\n";
    for (int c = 0; c < kChannels; ++c) {
        files.push_back({PcmName(c) + "_file", "", out->File(c)});
        rc += "pcm." + PcmName(c) + " {\n  type plug\n  slave { pcm \"" + PcmName(c) +
              "_file\" format S32_LE channels 2 rate 44100 }\n  hint.description \"OUT " + kPairs[c] +
              " (1:UA-101)\"\n}\n";
    }
    out->home = std::make_unique<alsatest::Home>(files, rc);
    return out;
}

TEST(EndToEnd, DemoSessionThroughFourAlsaFileOutputs) {
    const std::unique_ptr<Outputs> outputs = MakeOutputs();
    const alsatest::Home* home = outputs->home.get();
    const WorkingFolder work(home->Dir() + "/sessione");
    ASSERT_TRUE(WriteDemoSession({{1, 2}, {2, 3}, {3, 1}}));

    // Messages are recorded instead of waiting for a person to close them.
    MessageObserver observer;
    Program program;
    TFormMain& form = program.Form();
    ASSERT_EQ(form.m_Tracks.size(), 4u);
    for (int c = 0; c < kChannels; ++c)
        EXPECT_EQ(form.m_Tracks[c].strDescription, std::string("OUT ") + kPairs[c] + " (1:UA-101)");

    DemoRun run;
    PlayDemoSession(form, observer, run);
    // The program ends as its entry ends it: the window closes, then goes.
    run.wallMs = program.End();
    CheckDemoResults();
    CheckDemoOutputs([&](int c) { return outputs->File(c); }, run);
    for (const std::string& line : audio::AlsaLogLines()) {
        if (line.rfind("opened", 0) == 0) std::printf("alsa: %s\n", line.c_str());
    }
}

}  // namespace

namespace {

// A press that comes before the fade timer's first tick after a test was loaded
// (a quick listener, or a busy machine) must not let the new sounds be heard at
// the level they were made with: A fades in from silence and B stays silent.
TEST(EndToEnd, PressAtOnceAfterLoadingHearsOnlyTheFadeIn) {
    const std::unique_ptr<Outputs> outputs = MakeOutputs();
    const WorkingFolder work(outputs->home->Dir() + "/sessione");
    ASSERT_TRUE(WriteDemoSession({{1, 2}}));
    MessageObserver observer;
    Program program;
    StartSession(program.Form());
    ASSERT_TRUE(observer.messages.empty()) << observer.messages.front().text;
    // In the same turn of the message loop as the loading: no tick in between.
    program.Form().SpeedButtonA->Press();
    QTest::qWait(300);
    program.End();

    for (int c = 0; c < kChannels; ++c) {
        SCOPED_TRACE("output OUT " + std::string(kPairs[c]));
        const Trace t = ReadTrace(outputs->File(c), c);
        double loudestB = 0, firstA = -1;
        for (const Window& w : t.windows) {
            loudestB = std::max(loudestB, w.gain[2]);
            if (firstA < 0 && w.gain[1] > 0) firstA = w.gain[1];
        }
        EXPECT_LT(loudestB, 0.02) << "B was heard";
        EXPECT_LT(firstA, 0.02) << "A began above silence";
    }
}

// A session killed (SIGKILL) after test 2 of 3, started again with the same
// settings: Yes goes on from test 3 and writes the uninterrupted session's
// bytes; No keeps the old journal aside and starts from test 1.
TEST(EndToEnd, SessionKilledAfterTwoTestsGoesOnFromItsJournal) {
    for (const bool bYes : {true, false}) {
        const std::unique_ptr<Outputs> outputs = MakeOutputs();
        const WorkingFolder work(outputs->home->Dir() + "/sessione");
        ASSERT_TRUE(WriteDemoSession({{1, 2}, {2, 3}, {3, 1}}));
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            execl("/proc/self/exe", "test_e2e", "--interrupted-session", nullptr);
            _exit(127);
        }
        std::string journal;
        for (int i = 0; i < 1200 && std::count(journal.begin(), journal.end(), '\n') < 9; ++i, usleep(50000))
            journal = ReadText("risultati.txt.partial");
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        ASSERT_EQ(std::count(journal.begin(), journal.end(), '\n'), 9) << journal;
        MessageObserver observer;
        observer.bAnswerYes = bYes;
        Program program;
        StartSession(program.Form());
        ASSERT_EQ(observer.messages.size(), 1u);
        EXPECT_NE(observer.messages[0].text.find("2 test su 3.\nLe risposte date sono nel giornale \"risultati.txt.partial"),
                  std::string::npos);
        EXPECT_EQ(program.Form().LabelInfo->text(), QString("  Tests totali: 3  ,  test corrente: ") + (bYes ? "3" : "1"));
        EXPECT_EQ(ReadText(bYes ? "risultati.txt.partial" : "risultati.txt.partial-1"), journal);
        if (!bYes) continue;
        QTest::mouseClick(program.Form().BitBtnNextTest, Qt::LeftButton);
        program.End();
        CheckDemoResults();
        EXPECT_FALSE(std::filesystem::exists("risultati.txt.partial"));
    }
}

}  // namespace

// The session the resume test kills (a child process): tests 1 and 2 answered
// as the demo session answers them, then it waits for its SIGKILL.
namespace e2e {
[[noreturn]] void RunInterruptedSession() {
    MessageObserver observer;
    Program program;
    TFormMain& form = program.Form();
    StartSession(form);
    for (QRadioButton* answer : {form.RadioButtonB, form.RadioButtonA}) {
        ClickRadio(answer);
        Type(form.EditNotes, answer == form.RadioButtonB ? QString::fromUtf8("più ampio") : "voce chiara");
        QTest::mouseClick(form.BitBtnNextTest, Qt::LeftButton);
    }
    for (;;) QTest::qWait(1000);
}
}  // namespace e2e
