#include "e2e/SessionDriver.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "e2e/LabSignals.h"
#include "e2e/OutputTrace.h"
#include "platform/audio/AudioBackend.h"
#include "platform/audio/alsa/AlsaBackend.h"
#include "platform/ui/SpeedButton.h"
#include "session/TFormSessionSettings.h"

namespace e2e {

const char* const kPairs[4] = {"1-2", "3-4", "5-6", "7-8"};

namespace {
// The steady stretches the session leaves on every output, and the moves between.
struct Expected {
    Label label;
    int excerpt;
};
const Expected kSteady[] = {
    {Label::Silent, 0},  // before the first press
    {Label::Full, 1},    // test 1: A
    {Label::Full, 2},    //         B
    {Label::Silent, 0},  //         the seek silences B ...
    {Label::Full, 2},    //         ... and fades it in again
    {Label::Silent, 0},  //         answered: both fade out
    {Label::Full, 3},    // test 2: B first
    {Label::Full, 2},    //         then A
    {Label::Silent, 0},  //         answered
    {Label::Full, 3},    // test 3: A
    {Label::Silent, 0},  //         "Test successivo ..." stops it at once
};
const Move kMoves[] = {Move::FadeIn, Move::Crossfade, Move::SeekDip, Move::FadeIn, Move::FadeOut,
                       Move::FadeIn, Move::Crossfade, Move::FadeOut, Move::FadeIn, Move::Cut};
const char* const kMoveNames[] = {"fade-in", "crossfade", "seek", "fade-in", "fade-out",
                                  "fade-in", "crossfade", "fade-out", "fade-in", "stop"};

// A listener needs a moment to press after a test appears; the fade timer
// meanwhile gives the new sounds their volumes.
constexpr int kReactionMs = 100;

}  // namespace

void Type(QWidget* w, const QString& text) {
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(w, static_cast<char>(ch.unicode()));
        } else {
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
}

void ClickRadio(QRadioButton* radio) { QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2)); }

WorkingFolder::WorkingFolder(const std::string& path) : previous_(std::filesystem::current_path()) {
    std::filesystem::create_directory(path);
    std::filesystem::current_path(path);
}
WorkingFolder::~WorkingFolder() { std::filesystem::current_path(previous_); }

Program::Program() {
    audio::SetBackend(audio::MakeAlsaBackend());
    pFormMain_ = new TFormMain();
    pFormMain_->FormCreate();
    opened_ = std::chrono::steady_clock::now();
    pFormMain_->show();
}

double Program::End() {
    if (!pFormMain_) return 0;
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - opened_).count();
    pFormMain_->close();
    delete pFormMain_;
    pFormMain_ = nullptr;
    FormMain = nullptr;
    audio::SetBackend(nullptr);
    return ms;
}

void StartSession(TFormMain& form) {
    TFormSessionSettings* dlg = FormSessionSettings;
    QTimer::singleShot(0, dlg, [dlg] {
        Type(dlg->EditNomeCandidato, " Maria Rossi");
        Type(dlg->EditFilePlayList, "demo.lst");
        Type(dlg->EditFileCombinations, "demo.cmb");
        Type(dlg->EditFileResults, "risultati.txt");
        QTest::mouseClick(dlg->ButtonOk, Qt::LeftButton);
    });
    QTimer::singleShot(5000, dlg, [dlg] {  // never hang on a refused OK
        if (dlg->isVisible()) dlg->ButtonCancel->click();
    });
    form.FileLoadPlaylist->trigger();
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void PlayDemoSession(TFormMain& form, MessageObserver& observer, DemoRun& run) {
    StartSession(form);
    ASSERT_TRUE(observer.messages.empty()) << observer.messages.front().text;
    ASSERT_EQ(form.LabelInfo->text().toStdString(), "  Tests totali: 3  ,  test corrente: 1");

    // Test 1: A, then B, a seek back through the scroll bar, the answer B and a comment.
    QTest::qWait(kReactionMs);
    QTest::mouseClick(form.SpeedButtonA, Qt::LeftButton);
    QTest::qWait(350);
    QTest::mouseClick(form.SpeedButtonB, Qt::LeftButton);
    QTest::qWait(350);
    QScrollBar* bar = form.ScrollBarTrackPos;
    // Home seeks back to the start: a jump the trace can tell from the play
    // (a page moves one byte only, less than the bar lags behind the sound).
    QTest::keyClick(bar, Qt::Key_Home);
    run.nSeekBytes = bar->value();
    EXPECT_EQ(run.nSeekBytes, 0) << "Home moves the bar to the start";
    QTest::qWait(350);
    ClickRadio(form.RadioButtonB);
    QTest::qWait(250);
    Type(form.EditNotes, QString::fromUtf8("più ampio"));
    QTest::mouseClick(form.BitBtnNextTest, Qt::LeftButton);
    EXPECT_EQ(form.LabelInfo->text().toStdString(), "  Tests totali: 3  ,  test corrente: 2");
    EXPECT_TRUE(form.RadioButtonNS->isChecked());

    // Test 2: B first, then A, answered A with a comment.
    QTest::qWait(kReactionMs);
    QTest::mouseClick(form.SpeedButtonB, Qt::LeftButton);
    QTest::qWait(350);
    QTest::mouseClick(form.SpeedButtonA, Qt::LeftButton);
    QTest::qWait(350);
    ClickRadio(form.RadioButtonA);
    QTest::qWait(250);
    Type(form.EditNotes, "voce chiara");
    QTest::mouseClick(form.BitBtnNextTest, Qt::LeftButton);

    // Test 3: A, then on without an answer.
    QTest::qWait(kReactionMs);
    QTest::mouseClick(form.SpeedButtonA, Qt::LeftButton);
    QTest::qWait(350);
    QTest::mouseClick(form.BitBtnNextTest, Qt::LeftButton);
    EXPECT_FALSE(form.BitBtnNextTest->isEnabled());
    QTest::qWait(100);
    if (run.bOutputsFail) {
        EXPECT_EQ(form.LabelInfo->text().toStdString().rfind(" Sessione completata, ma un'uscita audio era muta", 0), 0u);
        EXPECT_FALSE(observer.messages.empty());
        for (const ShownMessage& m : observer.messages) EXPECT_EQ(m.caption, "Avvertimento :") << m.text;
        return;
    }
    EXPECT_EQ(form.LabelInfo->text().toStdString(), " Sessione completata con successo! Grazie per la collaborazione.");
    EXPECT_TRUE(observer.messages.empty()) << observer.messages.front().text;
}

void CheckDemoResults() {
    EXPECT_EQ(ReadText("risultati.txt"),
              "SONDARIUM RESULTS\r\n\r\nNOME\r\n Maria Rossi\r\n\r\nBRANO\tBRANO\tRIS\tRIS\tRIS\tNOTES\r\n"
              "A\tB\tA\tB\tNONE\r\n"
              "1\t2\t0\t1\t0\tpi\xC3\xB9 ampio\r\n"
              "2\t3\t1\t0\t0\tvoce chiara\r\n"
              "3\t1\t0\t0\t1\t\r\n");
}

void CheckDemoOutputs(const std::function<std::string(int)>& file, const DemoRun& run) {
    // Every output played its own channel of each excerpt, with the moves where
    // the presses were.
    std::vector<std::size_t> firstSound, seekAt;
    for (int c = 0; c < kChannels; ++c) {
        SCOPED_TRACE("output OUT " + std::string(kPairs[c]));
        Trace t = ReadTrace(file(c), c);
        EXPECT_EQ(t.unequalPairs, 0u) << "both channels of the pair carry the track";
        EXPECT_EQ(t.inexactFull, 0u) << "full-level windows hold the excerpt's samples unchanged";
        const bool dropsCycles = run.nDroppableCycle > 0;
        for (double ms : dropsCycles ? LeaveOutDroppedCycles(t, run.nDroppableCycle) : std::vector<double>{})
            std::printf("  a cycle dropped at %.1f ms\n", ms);
        if (t.steady.size() != std::size(kSteady)) {
            for (const Segment& g : t.steady)
                std::printf("  %s%d at %.1f ms for %.1f ms\n", g.label == Label::Silent ? "silence" : "full ", g.excerpt,
                            WindowMs(g.first), WindowMs(g.last - g.first + 1));
        }
        ASSERT_EQ(t.steady.size(), std::size(kSteady));
        for (std::size_t i = 0; i < t.steady.size(); ++i) {
            EXPECT_EQ(t.steady[i].label, kSteady[i].label) << "stretch " << i;
            EXPECT_EQ(t.steady[i].excerpt, kSteady[i].excerpt) << "stretch " << i;
        }
        if (dropsCycles) continue;
        std::printf("OUT %s: %zu frames, %.1f ms short of the wall clock;", kPairs[c], t.frames, run.wallMs - 1000.0 * t.frames / kRate);
        for (std::size_t i = 0; i + 1 < t.steady.size(); ++i) {
            const MoveFound m = Examine(t, t.steady[i], t.steady[i + 1], kMoves[i]);
            EXPECT_EQ(m.fault, "") << kMoveNames[i] << " after stretch " << i;
            std::printf(" %s %.1f ms (%d plateaus);", kMoveNames[i], m.ms, m.plateaus);
            if (kMoves[i] == Move::Crossfade) {
                EXPECT_GE(m.plateaus, 10) << "the fade's steps show";
            }
        }
        std::printf("\n");

        // After the seek, B plays from the offset the bar gave, and the offset
        // lies back from where B was.
        const Segment& before = t.steady[2];
        const Segment& after = t.steady[4];
        const std::size_t gap = (after.first - before.last - 1) * kWindowFrames;
        const int expected = static_cast<int>((run.nSeekBytes / 2 + gap) / kStepFrames) % kSteps;
        const int got = t.windows[after.first].step;
        EXPECT_LE(std::min((got - expected + kSteps) % kSteps, (expected - got + kSteps) % kSteps), 2)
            << "position step after the seek " << got << ", expected " << expected;
        const int unmoved = (t.windows[before.last].step + static_cast<int>(gap / kStepFrames)) % kSteps;
        EXPECT_GE((unmoved - got + kSteps) % kSteps, 8) << "the seek went back";

        firstSound.push_back(t.steady[0].last + 1);
        seekAt.push_back(before.last + 1);
    }

    // How far apart the outputs started: from the first sound to the seek, which
    // reaches every output in one pass of the GUI thread, as the start did.
    if (firstSound.size() == kChannels) {
        std::vector<std::size_t> toSeek;
        for (int c = 0; c < kChannels; ++c) toSeek.push_back(seekAt[c] - firstSound[c]);
        const double spread = WindowMs(*std::max_element(toSeek.begin(), toSeek.end()) -
                                       *std::min_element(toSeek.begin(), toSeek.end()));
        std::printf("start spread between the outputs: %.2f ms\n", spread);
        EXPECT_LT(spread, 30.0);
    }
}

}  // namespace e2e
