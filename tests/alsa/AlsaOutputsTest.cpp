// The output list through the real ALSA library: the default output first,
// then the pairs of the described cards, then the hinted PCMs of the private
// .asoundrc in their order; and the names of a JACK server's devices, found
// from the same described cards.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <fstream>
#include <set>

#include "alsa/AlsaEnv.h"
#include "platform/audio/alsa/AlsaOutputs.h"
#include "platform/audio/jack/DeviceNames.h"
#include "platform/audio/jack/JackBackend.h"

namespace {

using audio::AlsaCard;
using audio::OutputInfo;
using audio::jack::JackDevice;

std::vector<OutputInfo> ListWith(std::vector<AlsaCard> cards, std::vector<std::string> held = {}) {
    alsatest::TheHome();
    return audio::MakeAlsaBackend([cards] { return cards; }, [held] { return held; })->Enumerate();
}

// A device as a JACK server shows it: two playback ports, with the aliases
// made from `aliases` ('#': the port's number from 0).
JackDevice Shown(const std::string& client, const std::vector<std::string>& aliases = {}, const std::string& pretty = "") {
    JackDevice d{client, {client + ":playback_1", client + ":playback_2"}, pretty, {}, "", ""};  // named by NameDevices
    for (char k : {'0', '1'})
        for (std::string a : aliases) d.aliases.push_back(a.replace(a.find('#'), 1, 1, k));
    return d;
}

const AlsaCard kUa101{1, "UA-101", 4, "plughw:CARD=UA101,DEV=0", "UA101"};
const char* const kNode = "EDIROL UA-101 Pro";  // PipeWire's name for it

std::string Key(const GUID& g) { return std::string(reinterpret_cast<const char*>(&g), sizeof g); }

TEST(AlsaOutputs, DefaultFirstThenHintedPcmsInConfigurationOrder) {
    const std::vector<OutputInfo> list = ListWith({});
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list[0].description, "Driver audio principale");
    EXPECT_FALSE(list[0].hasId);

    const std::vector<std::string> ours = {"OUT 1-2 (1:UA-101)", "OUT 3-4 (1:UA-101)", "OUT 5-6 (1:UA-101)",
                                           "OUT 7-8 (1:UA-101)", "Cuffie banco",       "Pieno",
                                           "Sparita",            "Assente"};
    std::size_t last = 0;
    for (const std::string& d : ours) {
        auto it = std::find_if(list.begin(), list.end(), [&](const OutputInfo& o) { return o.description == d; });
        ASSERT_NE(it, list.end()) << d;
        const std::size_t at = static_cast<std::size_t>(it - list.begin());
        EXPECT_GT(at, last) << d << " out of order";
        last = at;
    }
    std::set<std::string> ids;
    for (std::size_t i = 1; i < list.size(); ++i) {
        EXPECT_TRUE(list[i].hasId) << list[i].description;
        EXPECT_FALSE(list[i].description.empty()) << "a PCM without a hint was listed";
        EXPECT_EQ(list[i].description.find("Discard all samples"), std::string::npos) << "null listed";
        ids.insert(Key(list[i].id));
    }
    EXPECT_EQ(ids.size(), list.size() - 1) << "ids must differ";
}

// The hint list is kept between listings; a configuration changed since (a
// new file, as an editor writes it) must show in the next one, and so must
// its undoing.
TEST(AlsaOutputs, AChangedConfigurationIsListedAnew) {
    auto described = [](const std::string& d) {
        const std::vector<OutputInfo> list = ListWith({});
        return std::any_of(list.begin(), list.end(), [&](const OutputInfo& o) { return o.description == d; });
    };
    const std::string rc = alsatest::TheHome().Dir() + "/.asoundrc";
    ASSERT_FALSE(described("Aggiunta"));
    ASSERT_EQ(std::rename(rc.c_str(), (rc + ".old").c_str()), 0);
    {
        std::ifstream in(rc + ".old");
        std::ofstream out(rc);
        out << in.rdbuf() << "\npcm.aggiunta { type null hint.description \"Aggiunta\" }\n";
    }
    EXPECT_TRUE(described("Aggiunta"));
    ASSERT_EQ(std::rename((rc + ".old").c_str(), rc.c_str()), 0);
    EXPECT_FALSE(described("Aggiunta"));
}

TEST(AlsaOutputs, IdsAreTheSameOnEveryRun) {
    const std::vector<OutputInfo> a = ListWith(alsatest::TestCards());
    const std::vector<OutputInfo> b = ListWith(alsatest::TestCards());
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(Key(a[i].id), Key(b[i].id)) << a[i].description;
    // A fixed hash, not a seeded one: this value holds from build to build.
    const GUID g = audio::alsa::StableId("pcm\x1fout12");
    const GUID again = audio::alsa::StableId("pcm\x1fout12");
    EXPECT_EQ(Key(g), Key(again));
    EXPECT_NE(Key(g), Key(audio::alsa::StableId("pcm\x1fout34")));
    EXPECT_EQ(g.Data1, 0x6E504780u) << std::hex << g.Data1;  // FNV-1a 128, most significant bytes first
}

struct CardCase {
    const char* name;
    std::vector<AlsaCard> cards;
    std::vector<std::string> pairs;  // descriptions between the default output and the hinted PCMs
    std::vector<JackDevice> shown = {};   // a JACK server's devices
    std::vector<std::string> jack = {};   // their outputs' descriptions
};

class AlsaCardPairs : public ::testing::TestWithParam<CardCase> {};

TEST_P(AlsaCardPairs, EveryPairOfEveryMultichannelCardInCardOrder) {
    const CardCase& c = GetParam();
    std::vector<JackDevice> devices = c.shown;
    audio::jack::NameDevices(devices, c.cards);
    std::vector<std::string> jack;
    for (const audio::jack::JackEntry& e : audio::jack::BuildEntries(devices)) jack.push_back(e.info.description);
    EXPECT_EQ(jack, c.jack);
    // A card the server plays on is not listed again from ALSA.
    const std::vector<OutputInfo> list = ListWith(c.cards, audio::jack::HeldCards(devices));
    ASSERT_GE(list.size(), c.pairs.size() + 2);
    std::set<std::string> ids;
    for (std::size_t i = 0; i < c.pairs.size(); ++i) {
        EXPECT_EQ(list[1 + i].description, c.pairs[i]);
        EXPECT_TRUE(list[1 + i].hasId);
        ids.insert(Key(list[1 + i].id));
    }
    EXPECT_EQ(ids.size(), c.pairs.size());
    // The hinted PCMs follow the pairs.
    const std::vector<audio::alsa::HintedPcm> hints = audio::alsa::ListHintedPcms();
    ASSERT_EQ(list.size(), 1 + c.pairs.size() + hints.size());
    EXPECT_EQ(list[1 + c.pairs.size()].description, hints.front().description);
    EXPECT_EQ(ids.count(Key(list[1 + c.pairs.size()].id)), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cards, AlsaCardPairs,
    ::testing::Values(
        CardCase{"TenChannels", {{0, "UA-101", 10, "plughw:CARD=UA101,DEV=0"}},
                 {"OUT 1-2 (1:UA-101)", "OUT 3-4 (1:UA-101)", "OUT 5-6 (1:UA-101)", "OUT 7-8 (1:UA-101)",
                  "OUT 9-10 (1:UA-101)"}},
        CardCase{"TwoOfOneNameAroundAStereoCard",
                 {{0, "UA-101", 8, "plughw:CARD=UA101,DEV=0"},
                  {1, "HDA Intel", 2, "plughw:CARD=PCH,DEV=0"},
                  {2, "UA-101", 4, "plughw:CARD=UA101_1,DEV=0"}},
                 {"OUT 1-2 (1:UA-101)", "OUT 3-4 (1:UA-101)", "OUT 5-6 (1:UA-101)", "OUT 7-8 (1:UA-101)",
                  "OUT 1-2 (2:UA-101)", "OUT 3-4 (2:UA-101)"}},
        CardCase{"OddChannelCountKeepsWholePairs", {{3, "Multi", 5, "plughw:CARD=Multi,DEV=0"}},
                 {"OUT 1-2 (1:Multi)", "OUT 3-4 (1:Multi)"}},
        // NAME of a JACK device: its pretty-name; else the card an alias names
        // (jackd: by id, PipeWire 0.3.65: by number), which ALSA then does not
        // list again; else PipeWire's nick; else a card the client's name holds
        // as a word (PipeWire 0.3.71 on: no alias); else the client's name.
        CardCase{"JackPrettyNameFirst", {kUa101}, {}, {Shown("system", {"alsa_pcm:hw:UA101:out#"}, "Banco")}, {"OUT 1-2 (1:Banco)"}},
        CardCase{"JackdAliasesNameTheCard", {kUa101}, {}, {Shown("system", {"alsa_pcm:hw:UA101:out#"})}, {"OUT 1-2 (1:UA-101)"}},
        CardCase{"PipeWireAliasesNameTheCard", {kUa101}, {},
                 {Shown(kNode, {"alsa:pcm:1:hw:1,0:playback_AUX#", "Roland:playback_AUX#"})}, {"OUT 1-2 (1:UA-101)"}},
        CardCase{"PipeWireNickAlias", {}, {}, {Shown(kNode, {"EDIROL UA-101 Pro:playback_#", "UA-101:playback_AUX#"})},
                 {"OUT 1-2 (1:UA-101)"}},
        CardCase{"NoAliasTheClientHoldsTheCardName", {{0, "UA", 4, "plughw:CARD=UA,DEV=0", "UA"}, kUa101},
                 {"OUT 1-2 (1:UA)", "OUT 3-4 (1:UA)"}, {Shown(kNode)}, {"OUT 1-2 (1:UA-101)"}},
        CardCase{"TwoCardsOfOneName", {kUa101, {2, "UA-101", 4, "plughw:CARD=UA101_1,DEV=0", "UA101_1"}}, {},
                 {Shown(kNode), Shown("EDIROL UA-101 Pro 2")}, {"OUT 1-2 (1:UA-101)", "OUT 1-2 (2:UA-101)"}},
        CardCase{"NoneOfTheseTheClientsName", {kUa101}, {"OUT 1-2 (1:UA-101)", "OUT 3-4 (1:UA-101)"},
                 {Shown("UA-1010 Box", {"UA-1010 Box:playback_#"})}, {"OUT 1-2 (1:UA-1010 Box)"}},
        CardCase{"StereoCardsOnly", {{0, "PCH", 2, "plughw:CARD=PCH,DEV=0"}}, {}}),
    [](const ::testing::TestParamInfo<CardCase>& i) { return std::string(i.param.name); });

}  // namespace
