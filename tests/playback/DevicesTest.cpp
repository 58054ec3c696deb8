// Which outputs the four tracks are built on, and loading files onto tracks.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <string>
#include <vector>

#include "PlaybackRig.h"
#include "platform/audio/DSound.h"
#include "sound/SoundOutput.h"
#include "windows/TFormDebug.h"

using audio::VirtualBackend;
using playtest::PlaybackRig;

namespace {

std::vector<std::string> Texts(const std::vector<ShownMessage>& messages) {
    std::vector<std::string> texts;
    for (const ShownMessage& m : messages) texts.push_back(m.caption + " | " + m.text);
    return texts;
}

// The id copies of a listing are the caller's once start-up is done with them.
void FreeIds(TVecSndGuid& VecDevices) {
    for (TSndGuid& Entry : VecDevices) delete Entry.pGuid;
    VecDevices.clear();
}

TEST(Devices, SixListedFiveMatchFourTracksOnTheFirstFour) {
    const std::vector<std::string> descriptions = {"Driver audio principale", "OUT 1-2 (1:UA-101)",
                                                   "OUT 3-4 (1:UA-101)", "OUT 5-6 (1:UA-101)",
                                                   "OUT 7-8 (1:UA-101)", "OUT 9-10 (1:UA-101)"};
    PlaybackRig rig(VirtualBackend::Outputs(descriptions, true));
    EXPECT_TRUE(rig.observer.messages.empty()) << ::testing::PrintToString(Texts(rig.observer.messages));

    TVecSndGuid VecDevices;
    TTrackSet::EnumerateDevices(VecDevices);
    ASSERT_EQ(VecDevices.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(VecDevices[i].strDescription, descriptions[i + 1]);
        ASSERT_NE(VecDevices[i].pGuid, nullptr);
        EXPECT_EQ(*VecDevices[i].pGuid, VirtualBackend::IdFor(i + 1));
    }
    // Each listing makes copies of its own: the ids stay valid whatever happens to
    // another list.
    TVecSndGuid VecAgain;
    TTrackSet::EnumerateDevices(VecAgain);
    EXPECT_NE(VecAgain[0].pGuid, VecDevices[0].pGuid);

    ASSERT_EQ(rig.set.m_Tracks.size(), 4u);
    for (int k = 0; k < 4; ++k) {
        const TSndTrack& Track = rig.set.m_Tracks[k];
        EXPECT_EQ(Track.strDescription, descriptions[k + 1]);
        ASSERT_NE(Track.pSM, nullptr);
        EXPECT_EQ(Track.apSound[0], nullptr);
        EXPECT_EQ(Track.apSound[1], nullptr);
        EXPECT_EQ(rig.vb->OpenStreams(k + 1), 1) << "track " << k;
        EXPECT_EQ(rig.vb->Channels(k + 1), 1u);
        EXPECT_EQ(rig.vb->Rate(k + 1), 44100u);
        EXPECT_EQ(rig.vb->Bits(k + 1), 16u);
    }
    EXPECT_EQ(rig.vb->OpenStreams(5), 0) << "the fifth matching output stays unused";
    FreeIds(VecDevices);
    FreeIds(VecAgain);
}

struct MatchCase {
    const char* description;
    bool matches;
};

TEST(Devices, TheInterfaceTextIsAByteWiseCaseSensitiveSubstring) {
    const std::vector<MatchCase> cases = {
        {"OUT 1-2 (1:UA-101)", true},   {"OUT 1-2 (11:UA-101)", true}, {"1:UA-101", true},
        {"x1:UA-1012y", true},          {"OUT 1-2 (1:ua-101)", false}, {"OUT 1-2 (1:UA-10)", false},
        {"OUT 1-2 (1: UA-101)", false}, {"UA-101", false},             {"", false},
        {"Uscita è 1:UA-101 ü", true},
    };
    std::vector<std::string> descriptions;
    for (const MatchCase& c : cases) descriptions.push_back(c.description);
    PlaybackRig rig(VirtualBackend::Outputs(descriptions));
    TVecSndGuid VecDevices;
    TTrackSet::EnumerateDevices(VecDevices);
    std::vector<std::string> expected;
    for (const MatchCase& c : cases) {
        if (c.matches) expected.push_back(c.description);
    }
    std::vector<std::string> found;
    for (const TSndGuid& Entry : VecDevices) found.push_back(Entry.strDescription);
    EXPECT_EQ(found, expected);
    FreeIds(VecDevices);
}

// What a machine without four usable outputs of the interface gets.
struct FallbackCase {
    const char* name;
    int matching;            // outputs with the interface's text after the default one
    int refuseOutput;        // -1: none; otherwise this output refuses to open
    int refuseFormatOutput;  // -1: none; otherwise this output refuses the primary format
    bool defaultRefuses;     // the default output refuses to open as well
    std::vector<std::string> warningHas;
};

class DevicesFallback : public ::testing::TestWithParam<FallbackCase> {};

TEST_P(DevicesFallback, WarnsAndBuildsOnTheDefaultOutputOrNothing) {
    const FallbackCase& c = GetParam();
    std::vector<std::string> descriptions = {"Driver audio principale"};
    for (int i = 0; i < c.matching; ++i) descriptions.push_back("OUT " + std::to_string(i) + " (1:UA-101)");
    auto outputs = VirtualBackend::Outputs(descriptions, true);

    // The refusals must be in place before the window builds its tracks.
    auto vb = VirtualBackend::Install(outputs);
    if (c.refuseOutput >= 0) vb->RefuseOpen(c.refuseOutput, DSERR_ALLOCATED, "occupata da un altro programma");
    if (c.refuseFormatOutput >= 0) vb->Faults(c.refuseFormatOutput).primaryFormat = DSERR_BADFORMAT;
    if (c.defaultRefuses) vb->RefuseOpen(0, DSERR_NODRIVER, "nessun dispositivo");
    TTrackSet form;
    MessageObserver observer;
    TVecSndGuid VecDevices;
    TTrackSet::EnumerateDevices(VecDevices);
    form.SetupTracks(VecDevices, nullptr, nullptr);

    ASSERT_EQ(observer.messages.size(), 1u) << ::testing::PrintToString(Texts(observer.messages));
    const ShownMessage& m = observer.messages[0];
    EXPECT_EQ(m.icon, MsgIcon::Warning);
    EXPECT_EQ(m.caption, "Avvertimento :");
    for (const std::string& part : c.warningHas) EXPECT_NE(m.text.find(part), std::string::npos) << part << " in\n" << m.text;

    for (int k = 1; k <= c.matching; ++k) EXPECT_EQ(vb->OpenStreams(k), 0) << "output " << k << " left open";
    if (c.defaultRefuses) {
        EXPECT_TRUE(form.m_Tracks.empty());
        EXPECT_EQ(vb->OpenStreams(0), 0);
        // A test loaded now runs silently instead of touching a track.
        CSound* pSnd = nullptr;
        EXPECT_FALSE(form.CreateTrackSound(&pSnd, "/nonexistent.wav", 0));
        EXPECT_EQ(observer.messages.size(), 1u) << "no internal check fails";
        form.PlayAll();
        form.FadeStep();
        form.SeekAll(1000);
        form.Rewind();
        EXPECT_EQ(form.ReferenceSound(), nullptr) << "no position to show";
    } else {
        // The four tracks share one manager, so the default output is opened once.
        ASSERT_EQ(form.m_Tracks.size(), 4u);
        EXPECT_EQ(vb->OpenStreams(0), 1);
        EXPECT_EQ(vb->Channels(0), 1u);
        for (const TSndTrack& Track : form.m_Tracks) {
            EXPECT_EQ(Track.strDescription, "Driver audio principale");
            EXPECT_EQ(Track.pSM, form.m_Tracks[0].pSM);
        }
    }
    form.ReleaseDevices();
    FreeIds(VecDevices);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DevicesFallback,
    ::testing::Values(
        FallbackCase{"none", 0, -1, -1, false, {"Trovate 0 uscite audio \"1:UA-101\"", "principale"}},
        FallbackCase{"one", 1, -1, -1, false, {"Trovata 1 uscita audio \"1:UA-101\""}},
        FallbackCase{"three", 3, -1, -1, false, {"Trovate 3 uscite", "ne servono 4"}},
        FallbackCase{"third_busy", 4, 3, -1, false, {"OUT 2 (1:UA-101)", "non si apre", "occupata da un altro programma"}},
        FallbackCase{"format_refused", 5, -1, 4, false, {"OUT 3 (1:UA-101)", "rifiuta il formato 1 canale, 44100 Hz, 16 bit"}},
        FallbackCase{"default_too", 2, -1, -1, true, {"Trovate 2", "Anche l'uscita \"Driver audio principale\"", "nessun dispositivo", "Nessuna traccia"}}),
    [](const ::testing::TestParamInfo<FallbackCase>& info) { return std::string(info.param.name); });

TEST(Devices, AtStartUpTheFallbackIsWarnedAboutAndLogged) {
    PlaybackRig rig(VirtualBackend::Outputs({"Driver audio principale", "OUT 1-2 (1:UA-101)", "OUT 3-4 (1:UA-101)"}, true),
                    playtest::Rig::Window);
    ASSERT_EQ(rig.set.m_Tracks.size(), 4u);
    EXPECT_EQ(rig.vb->OpenStreams(1), 0);
    std::vector<std::string> warnings;
    for (const ShownMessage& m : rig.observer.messages) {
        if (m.icon == MsgIcon::Warning) warnings.push_back(m.text);
    }
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("Trovate 2 uscite audio \"1:UA-101\", ne servono 4"), std::string::npos);
    ASSERT_NE(FormDebug, nullptr);
    std::string strLog;
    for (const std::string& strLine : FormDebug->Lines()) strLog += strLine + "\n";
    EXPECT_NE(strLog.find("SetupTracks: Trovate 2 uscite"), std::string::npos) << strLog;
    EXPECT_NE(strLog.find("Driver audio principale"), std::string::npos) << strLog;
}

TEST(Devices, LoadingOntoTracks) {
    PlaybackRig rig;
    ASSERT_EQ(rig.set.m_Tracks.size(), 4u);
    const std::string strGood = rig.WriteWave("good.wav", std::vector<std::int16_t>(441, 1000));

    CSound*& pLoaded = rig.Slot(0, 0);
    EXPECT_TRUE(rig.set.CreateTrackSound(&pLoaded, strGood, 0));
    ASSERT_NE(pLoaded, nullptr);
    EXPECT_EQ(TTrackSet::GetBufferLength(pLoaded), 882u);
    EXPECT_EQ(pLoaded->m_dwCreationFlags, 0x280u);

    // A name longer than 1023 characters is not even tried, although the file is there.
    QString strFolder = rig.dir.path();
    for (int i = 0; i < 5; ++i) strFolder += "/" + QString(200, QChar('d'));
    ASSERT_TRUE(QDir().mkpath(strFolder));
    const std::string strPrefix = strFolder.toStdString() + "/";
    const std::string strLong = strPrefix + std::string(1100 - strPrefix.size() - 4, 'n') + ".wav";
    ASSERT_EQ(strLong.size(), 1100u);
    ASSERT_TRUE(QFile::copy(QString::fromStdString(strGood), QString::fromStdString(strLong)));
    CSound*& pLong = rig.Slot(1, 0);
    EXPECT_FALSE(rig.set.CreateTrackSound(&pLong, strLong, 1));
    EXPECT_EQ(pLong, nullptr);

    // The name's characters reach the file system as they were written.
    const std::string strAccented = rig.WriteWave("brano è ü € 𝄞.wav", std::vector<std::int16_t>(441, 1000));
    EXPECT_TRUE(rig.set.CreateTrackSound(&rig.Slot(1, 1), strAccented, 1));

    CSound*& pMissing = rig.Slot(2, 0);
    EXPECT_FALSE(rig.set.CreateTrackSound(&pMissing, rig.dir.filePath("missing.wav").toStdString(), 2));
    EXPECT_EQ(pMissing, nullptr);

    // Track 3 plays on although track 1 and 2 have nothing.
    CSound*& pOther = rig.Slot(3, 0);
    ASSERT_TRUE(rig.set.CreateTrackSound(&pOther, strGood, 3));
    rig.PressA();
    rig.Tick(13);
    const std::vector<std::int16_t> heard = rig.vb->RenderInt16(rig.OutputOfTrack(3), 2048);
    ASSERT_EQ(heard.size(), 2048u);
    EXPECT_EQ(heard[2047], 1000);
    const std::vector<std::int16_t> silent = rig.vb->RenderInt16(rig.OutputOfTrack(2), 100);
    for (std::int16_t s : silent) ASSERT_EQ(s, 0);
}

}  // namespace
