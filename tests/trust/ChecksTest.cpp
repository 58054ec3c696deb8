// The stimulus check on files that break each rule, with the message texts it
// makes, and the output watch on a sequence of polls.
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/WavBuilder.h"
#include "files/StimulusCheck.h"
#include "platform/audio/DSound.h"
#include "platform/audio/virtual/VirtualBackend.h"
#include "sound/SoundOutput.h"
#include "playback/OutputWatch.h"

namespace {

using namespace wavbuild;

const Format kMono{1, 1, 44100, 16};

TEST(StimulusCheck, EachBrokenFileIsNamedWithItsReason) {
    QTemporaryDir dir;
    const std::string d = dir.path().toStdString() + "/";
    Bytes truncated = Wave(kMono, Samples(kMono, 1000));
    truncated.resize(truncated.size() - 100);
    const struct { const char* name; Bytes bytes; TStimulusProblem problem; const char* says; } cases[] = {
        {"ok.wav", Wave(kMono, Samples(kMono, 1000)), TStimulusProblem::None, ""},
        {"missing.wav", {}, TStimulusProblem::Missing, "file mancante"},
        {"text.wav", Text("not a wave"), TStimulusProblem::NotWave, "non è un file WAV"},
        {"nodata.wav", Riff{}.Add("fmt ", FmtBody(kMono)).Build(), TStimulusProblem::NoData, "manca il blocco 'data'"},
        {"empty.wav", Wave(kMono, {}), TStimulusProblem::EmptyData, "blocco 'data' vuoto"},
        {"cut.wav", truncated, TStimulusProblem::Truncated, "incompleto"},
        {"adpcm.wav", Riff{}.Add("fmt ", FmtBody({2, 1, 44100, 4}, 20, 2, Bytes(2))).Add("data", Bytes(100)).Build(),
         TStimulusProblem::UnsupportedFormat, "tag 0x0002"},
        {"12bit.wav", Wave({1, 1, 44100, 12}, Bytes(100)), TStimulusProblem::UnsupportedFormat, "formato non supportato"},
    };
    std::vector<std::string> entries;
    for (const auto& c : cases) {
        if (c.problem != TStimulusProblem::Missing) {
            ASSERT_TRUE(WriteFile(d + c.name, c.bytes));
        }
        entries.push_back(d + c.name);
        entries.push_back(d + "ok.wav");
    }
    TVecCombinations tests(1);
    tests[0].nExcerptA = 1, tests[0].nExcerptB = 2;
    for (int k = 3; k <= int(std::size(cases)); ++k) tests.push_back({k, 1, false, false, false, ""});
    const TStimulusReport report = CheckStimuli(entries, 2, tests);
    ASSERT_TRUE(report.Refused());
    ASSERT_EQ(report.failed.size(), std::size(cases) - 1);
    const std::string text = StimulusErrorText(report);
    for (std::size_t i = 1; i < std::size(cases); ++i) {
        const TStimulusFile& f = report.files[report.failed[i - 1]];
        EXPECT_EQ(f.problem, cases[i].problem) << cases[i].name;
        EXPECT_NE(ProblemText(f).find(cases[i].says), std::string::npos) << cases[i].name << ": " << ProblemText(f);
        EXPECT_NE(text.find(d + cases[i].name + ": "), std::string::npos) << cases[i].name;
    }
    EXPECT_EQ(StimulusLogLines(report).size(), report.failed.size());
}

TEST(StimulusCheck, TenNamesThenTheRestCounted) {
    std::vector<std::string> entries;
    for (int i = 0; i < 26; ++i) entries.push_back("/nowhere/f" + std::to_string(i) + ".wav");
    TVecCombinations tests;
    for (int k = 1; k <= 13; k += 2) tests.push_back({k, k + 1, false, false, false, ""});
    const std::string text = StimulusErrorText(CheckStimuli(entries, 2, tests));
    EXPECT_NE(text.find("/nowhere/f9.wav: file mancante\n... e altri 16\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("f10.wav"), std::string::npos) << text;
}

TEST(StimulusCheck, WhatOnlyMayBeUnintendedWarns) {
    QTemporaryDir dir;
    const std::string d = dir.path().toStdString() + "/";
    const Format k48{1, 1, 48000, 16}, k24{1, 1, 44100, 24};
    const struct { const char* name; Format f; std::uint32_t frames; } files[] = {
        {"a.wav", kMono, 44100}, {"b.wav", kMono, 44100}, {"long.wav", kMono, 44200},
        {"r48.wav", k48, 48000}, {"f24.wav", k24, 44100}};
    for (const auto& f : files) ASSERT_TRUE(WriteFile(d + f.name, Wave(f.f, Samples(f.f, f.frames))));
    // Excerpt 1 plain; 2 one file longer; 3 another rate, same duration; 4 another format.
    const std::vector<std::string> entries = {d + "a.wav", d + "b.wav", d + "a.wav", d + "long.wav",
                                              d + "a.wav", d + "r48.wav", d + "a.wav", d + "f24.wav"};
    const TVecCombinations tests = {{1, 3, false, false, false, ""}, {1, 2, false, false, false, ""},
                                    {4, 1, false, false, false, ""}};
    const TStimulusReport report = CheckStimuli(entries, 2, tests);
    EXPECT_FALSE(report.Refused());
    std::vector<std::pair<TStimulusWarningKind, int>> got;
    for (const TStimulusWarning& w : report.warnings) got.push_back({w.kind, w.nTest ? w.nTest : w.nExcerpt});
    const std::vector<std::pair<TStimulusWarningKind, int>> want = {
        {TStimulusWarningKind::ExcerptLengths, 2}, {TStimulusWarningKind::ExcerptRates, 3},
        {TStimulusWarningKind::ExcerptFormats, 4}, {TStimulusWarningKind::TestLengths, 2}};
    EXPECT_EQ(got, want) << StimulusWarningText(report);
}

TEST(OutputWatch, TellsOncePerFailureAndNamesTheTestsItSpoiled) {
    TOutputWatch watch;
    watch.BeginSession();
    const HRESULT bad = DSERR_NODRIVER;
    // test, status of "A", status of "B", outputs told down at that poll
    const struct { int test; HRESULT a, b; std::vector<std::string> down; } polls[] = {
        {1, DS_OK, DS_OK, {}},   {2, bad, DS_OK, {"A"}}, {2, bad, S_FALSE, {}}, {3, bad, DS_OK, {}},
        {4, DS_OK, DS_OK, {}},   {6, DS_OK, bad, {"B"}}, {6, bad, bad, {"A"}},
    };
    for (const auto& p : polls) {
        std::vector<std::string> down;
        for (const TOutputDown& o : watch.Poll(p.test, {{"A", p.a}, {"B", p.b}})) down.push_back(o.strName);
        EXPECT_EQ(down, p.down) << "poll during test " << p.test;
    }
    watch.EndSession();
    const std::vector<std::string> log = watch.TakeLogLines();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_NE(log[1].find("\"A\" suona di nuovo dal test 4; era guasta durante i test 2, 3"), std::string::npos) << log[1];
    EXPECT_NE(log[4].find("\"A\" è ancora guasta"), std::string::npos) << log[4];
    EXPECT_EQ(watch.CompletionText("Fine."), " Sessione completata, ma un'uscita audio era muta nei test 2, 3, 6.");
    EXPECT_EQ(TestList({1, 2, 3, 5, 7, 8}), "1-3, 5, 7, 8");
    EXPECT_EQ(TestList({1, 2, 3, 5, 7, 8}, 2), "1-3, 5, ecc");
}

// What the watch is fed on the program's own tracks: a failed stream and a lost
// buffer show through the sounds loaded there.
TEST(OutputWatch, ReadsEachOutputFromTheSoundsOfItsTrack) {
    auto vb = audio::VirtualBackend::Install(audio::VirtualBackend::UA101Outputs());
    TVecSndTrack tracks(3);
    std::vector<BYTE> samples(4410 * 2);
    WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
    for (int t = 0; t < 3; ++t) {
        tracks[t] = {std::make_shared<CSoundManager>(), "out" + std::to_string(t), {nullptr, nullptr}};
        ASSERT_EQ(tracks[t].pSM->Initialize(nullptr, DSSCL_PRIORITY, const_cast<GUID*>(&vb->Id(t + 1))), DS_OK);
        if (t < 2) tracks[t].pSM->CreateFromData(&tracks[t].apSound[1], samples.data(), ULONG(samples.size()), &wfx, 0, GUID_NULL, 1);
    }
    vb->FailStream(2, DSERR_NODRIVER);
    vb->LoseBuffers(1);
    const std::vector<TOutputStatus> got = OutputStatuses(tracks);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].hr, DSERR_BUFFERLOST);
    EXPECT_EQ(got[1].hr, DSERR_NODRIVER);
    EXPECT_EQ(got[2].hr, S_FALSE) << "a track with nothing loaded is not judged";
    for (TSndTrack& t : tracks) delete t.apSound[1];
}

}  // namespace
