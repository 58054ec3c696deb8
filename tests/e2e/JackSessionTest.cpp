// The program through a real, paced JACK server: the test starts jackd itself
// with the dummy driver (eight playback ports, 44100 Hz, 256-frame cycles),
// names its device "UA-101" by metadata, and records all eight of the
// program's output ports in the same cycles with a recorder client of its own;
// or it starts PipeWire with a device shaped like the interface. The windows
// are driven as on ALSA (SessionDriver.h).
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>

#include "common/JackServer.h"
#include "common/ToneMeter.h"
#include "e2e/LabSignals.h"
#include "e2e/SessionDriver.h"
#include "platform/audio/alsa/AlsaBackend.h"
#include "platform/ui/SpeedButton.h"
#include "sound/SoundOutput.h"
#include "windows/TFormDebug.h"

namespace {

using namespace e2e;

constexpr std::size_t kPipeWireCycle = 1024;  // frames, a desktop's usual

// A server named UA-101, a session folder and the program on its outputs.
class JackRoom : public ::testing::Test {
protected:
    virtual void StartServer() {
        if (jacktest::FindJackd().empty()) GTEST_SKIP() << "jackd is not installed";
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        server_ = std::make_unique<jacktest::Server>("sondarium-" + test.substr(0, 24), rate_, 256);
        ASSERT_TRUE(server_->Running()) << server_->Why();
        ASSERT_TRUE(server_->SetPrettyName("system", "UA-101"));
    }
    void SetUp() override {
        StartServer();
        if (IsSkipped() || HasFatalFailure()) return;
        char tmpl[] = "/tmp/sondarium-jack-XXXXXX";
        ASSERT_TRUE(mkdtemp(tmpl));
        dir_ = tmpl;
        work_ = std::make_unique<WorkingFolder>(dir_ + "/sessione");
    }
    void TearDown() override {
        program_.reset();
        recorder_.reset();
        work_.reset();
        server_.reset();
        pipewire_.reset();
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }
    // Starts the program and the recorder; checks the program found the device.
    void Open(const std::vector<std::pair<int, int>>& tests, bool tones = false) {
        ASSERT_TRUE(tones ? WriteToneSession(kRate) : WriteDemoSession(tests));
        program_ = std::make_unique<Program>();
        TFormMain& form = program_->Form();
        ASSERT_EQ(form.m_Tracks.size(), 4u);
        for (int c = 0; c < kChannels; ++c)
            EXPECT_EQ(form.m_Tracks[c].strDescription, std::string("OUT ") + kPairs[c] + " (1:UA-101)");
        // The debug log says which server answered, through which library, at which rate.
        for (const std::string& said : {"  SERVER JACK: " + told_.first, told_.second + ", " + std::to_string(rate_) + " Hz"})
            EXPECT_NE(FormDebug->Log().Text().find(said), std::string::npos) << said;
        recorder_ = std::make_unique<jacktest::Recorder>(recorded_, 40, library_);
        ASSERT_EQ(recorder_->Ports(), 8u);
    }
    // The demo session: the results, and every loudspeaker its own channel.
    void PlayDemo();
    // The demo session with the server killed in test 1: every answer saved.
    void KilledMidSession();
    std::string PairFile(int c) const { return dir_ + "/pair" + std::to_string(c) + ".raw"; }

    unsigned rate_ = kRate;  // the server's
    std::unique_ptr<jacktest::Server> server_;
    std::unique_ptr<jacktest::PipeWire> pipewire_;
    std::string recorded_ = "sondarium";  // whose output ports the recorder reads
    std::string library_ = "libjack.so.0";
    std::pair<std::string, std::string> told_ = {"jackd ", ""};  // how the debug log names the server, and its library's path ends
    std::string dir_;
    std::unique_ptr<WorkingFolder> work_;
    MessageObserver observer_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<jacktest::Recorder> recorder_;
};

void JackRoom::PlayDemo() {
    Open({{1, 2}, {2, 3}, {3, 1}});
    DemoRun run{.nDroppableCycle = pipewire_ ? kPipeWireCycle : 0u};
    PlayDemoSession(program_->Form(), observer_, run);
    run.wallMs = program_->End();
    recorder_->Stop();
    CheckDemoResults();
    for (int c = 0; c < kChannels; ++c) ASSERT_TRUE(recorder_->WritePair(c, PairFile(c)));
    // Both channels of a pair equal, full-level windows bit-exact in the
    // channel's own band (no crosstalk), the fades' and crossfades' shapes.
    CheckDemoOutputs([&](int c) { return PairFile(c); }, run);
}

TEST_F(JackRoom, DemoSessionPlaysEveryChannelExactly) { PlayDemo(); }

// The room as a desktop has it: PipeWire with the interface's node and no
// pretty-name, its cycles of 1024 frames, the program started without
// pw-jack. The recorder reads what reaches the device, on its monitor ports;
// the graph runs at the excerpts' rate, so every sample arrives unchanged.
class PipeWireRoom : public JackRoom {
protected:
    void StartServer() override {
        if (!jacktest::PipeWire::Installed()) GTEST_SKIP() << "PipeWire, WirePlumber or dbus is not installed";
        pipewire_ = std::make_unique<jacktest::PipeWire>(kRate, kPipeWireCycle);
        ASSERT_TRUE(pipewire_->Running()) << pipewire_->Why();
        recorded_ = jacktest::PipeWire::kSink;
        library_ = jacktest::PipeWire::Library();
        told_ = {"PipeWire ", "/pipewire-0.3/jack/libjack.so.0"};
    }
};

TEST_F(PipeWireRoom, DemoSessionReachesTheInterfaceWithoutPwJack) { PlayDemo(); }

// 100 starts of A, pressed at random against the server's cycles, each
// followed by a rewind: every start reaches all eight channels on one frame.
TEST_F(JackRoom, EveryStartLandsOnOneFrameOnAllEightChannels) {
    Open({{1, 2}});
    TFormMain& form = program_->Form();
    StartSession(form);
    ASSERT_TRUE(observer_.messages.empty()) << observer_.messages.front().text;
    std::mt19937 random(20261208);
    // The rest after a rewind is long enough that even a server thread held
    // up by a busy machine hears the stop before the next start.
    std::uniform_int_distribution<int> play(30, 60), rest(30, 60);
    constexpr int kStarts = 100;
    for (int i = 0; i < kStarts; ++i) {
        QTest::qWait(rest(random));
        QTest::mouseClick(form.SpeedButtonA, Qt::LeftButton);
        QTest::qWait(play(random));
        QTest::mouseClick(form.ButtonRewind, Qt::LeftButton);
    }
    QTest::qWait(30);
    recorder_->Stop();

    // Onsets: the first sound after at least 3 ms of exact silence.
    std::vector<std::size_t> onsets[8];
    for (std::size_t k = 0; k < 8; ++k) {
        const std::vector<float>& x = recorder_->Channel(k);
        std::size_t quiet = 0;
        for (std::size_t f = 0; f < recorder_->Frames(); ++f) {
            if (x[f] != 0.0f && quiet >= 128) onsets[k].push_back(f);
            quiet = x[f] == 0.0f ? quiet + 1 : 0;
        }
    }
    ASSERT_EQ(onsets[0].size(), std::size_t(kStarts));
    int aligned = 0;
    std::size_t worst = 0;
    for (std::size_t i = 0; i < onsets[0].size(); ++i) {
        std::size_t lo = onsets[0][i], hi = lo;
        for (std::size_t k = 1; k < 8; ++k) {
            ASSERT_GT(onsets[k].size(), i) << "channel " << k + 1 << " missed a start";
            lo = std::min(lo, onsets[k][i]);
            hi = std::max(hi, onsets[k][i]);
        }
        aligned += hi == lo;
        worst = std::max(worst, hi - lo);
    }
    std::printf("starts on one frame on all eight channels: %d of %d (worst skew %zu frames)\n", aligned, kStarts, worst);
    // The eight channels are four device objects whose buffers a press
    // commands as one set: every start lands on one frame on all of them.
    EXPECT_EQ(aligned, kStarts);
}

// The server dies mid-session: the outputs report a failure, the candidate is
// told, the log says why, and the session runs on to its results.
void JackRoom::KilledMidSession() {
    Open({{1, 2}, {2, 3}, {3, 1}});
    // After test 1's seek, before its answer.
    QTimer::singleShot(1250, [this] {
        if (server_) server_->Kill();
        if (pipewire_) pipewire_->Kill();
    });
    DemoRun run;
    run.bOutputsFail = true;
    PlayDemoSession(program_->Form(), observer_, run);
    CSound* pSnd = program_->Form().m_Tracks[0].apSound[0];
    DWORD dwPlay = 0, dwWrite = 0;
    ASSERT_TRUE(pSnd);
    EXPECT_TRUE(FAILED(pSnd->GetBuffer(0)->GetCurrentPosition(&dwPlay, &dwWrite))) << "the output still reports success";
    program_->End();
    CheckDemoResults();
    bool warned = false;
    for (const std::string& line : audio::AlsaLogLines()) warned = warned || line.rfind("JACK server shut down", 0) == 0;
    EXPECT_TRUE(warned) << "no warning in the log";
}

TEST_F(JackRoom, ServerKilledMidSessionTheAnswersAreSaved) { KilledMidSession(); }
TEST_F(PipeWireRoom, ServerKilledMidSessionTheAnswersAreSaved) { KilledMidSession(); }

// PipeWire's default rate: a server at 48 kHz playing 44.1 kHz excerpts. The
// tones arrive converted flat and clean, over 0.68 s across the loop's seam.
class JackRoomAt48k : public JackRoom {
protected:
    JackRoomAt48k() { rate_ = 48000; }
};

TEST_F(JackRoomAt48k, ExcerptsOfAnotherRateArriveConvertedCleanly) {
    Open({{1, 2}}, true);
    StartSession(program_->Form());
    QTest::mouseClick(program_->Form().SpeedButtonA, Qt::LeftButton);
    QTest::qWait(1600);
    recorder_->Stop();
    const std::string log = FormDebug->Log().Text();  // the lab is told
    EXPECT_NE(log.find("\"" + ExcerptFileName(1, 0) + "\" convertito da 44100 Hz a 48000 Hz"), std::string::npos) << log;
    EXPECT_NE(log.find("(1:UA-101)\": 48000 Hz, FLOAT_LE"), std::string::npos) << log;
    for (int c = 0; c < kChannels; ++c) {
        const std::vector<float>& x = recorder_->Channel(2 * c);
        const std::size_t at = std::find_if(x.begin(), x.end(), [](float v) { return v != 0.0f; }) - x.begin() + 14400;
        ASSERT_LE(at + (1 << 15), recorder_->Frames()) << "channel " << c;  // 0.3 s after the onset: past the fade-in
        const tonemeter::Fit fit = tonemeter::FitTone(x, at, 1 << 15, kToneHz[c], 48000);
        EXPECT_LE(std::abs(tonemeter::Db(fit.amplitude / kToneAmplitude)), 0.01) << kToneHz[c] << " Hz";
        EXPECT_LE(tonemeter::ThdN(fit), -120.0) << kToneHz[c] << " Hz";
    }
}

}  // namespace
