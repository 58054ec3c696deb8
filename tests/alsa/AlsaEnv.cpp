#include "alsa/AlsaEnv.h"

#include <gtest/gtest.h>

namespace alsatest {
namespace {

Home* home = nullptr;

class Env : public ::testing::Environment {
public:
    void SetUp() override {
        std::vector<FilePcm> pcms = {
            {"out12", "OUT 1-2 (1:UA-101)", ""}, {"out34", "OUT 3-4 (1:UA-101)", ""},
            {"out56", "OUT 5-6 (1:UA-101)", ""}, {"out78", "OUT 7-8 (1:UA-101)", ""},
            {"cuffie", "Cuffie\nbanco", ""},     {"bare", "", ""},
            {"card8", "", ""},                   {"full", "Pieno", "/dev/full"},
        };
        pcms.push_back({"gone", "Sparita", "gone/gone.raw"});  // the tests remove the subfolder
        pcms.push_back({"piped", "Tubo", "|head -c 1000 >/dev/null"});  // a reader that quits at once
        home = new Home(pcms, "pcm.missing { type hw card 31 hint.description \"Assente\" }\n"
                              "pcm.!default { type file slave.pcm \"null\" file \"/dev/null\" format \"raw\" }\n");
    }
    void TearDown() override {
        delete home;
        home = nullptr;
    }
};

[[maybe_unused]] ::testing::Environment* const env = ::testing::AddGlobalTestEnvironment(new Env);

}  // namespace

const Home& TheHome() { return *home; }

std::vector<audio::AlsaCard> TestCards() { return {{0, "UA-101", 8, "card8"}}; }

GUID IdOf(audio::IBackend& backend, const std::string& description) {
    for (const audio::OutputInfo& o : backend.Enumerate()) {
        if (o.description == description && o.hasId) return o.id;
    }
    ADD_FAILURE() << "no output described \"" << description << "\"";
    return GUID_NULL;
}

}  // namespace alsatest
