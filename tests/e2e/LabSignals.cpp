#include "e2e/LabSignals.h"

#include <fstream>

#include "common/WavBuilder.h"

namespace e2e {
namespace {

int Sign(int k, std::uint32_t n) {
    switch (k) {
    case 1: return 1;
    case 2: return n % 2 ? -1 : 1;
    default: return n % 4 < 2 ? 1 : -1;
    }
}

const char* const kPosition[kChannels] = {"top_left", "top_right", "bottom_right", "bottom_left"};

}  // namespace

int BaseLevel(int k, int c) { return 4000 + 6000 * c + 1500 * (k - 1); }

std::int16_t ExcerptSample(int k, int c, std::uint32_t n) {
    const int level = BaseLevel(k, c) + static_cast<int>(n / kStepFrames);
    return static_cast<std::int16_t>(Sign(k, n) * level);
}

std::string ExcerptFileName(int k, int c) { return "excerpt" + std::to_string(k) + "_" + kPosition[c] + ".wav"; }

bool WriteDemoSession(const std::vector<std::pair<int, int>>& tests) {
    const wavbuild::Format mono{1, 1, kRate, 16};
    std::string list = "SONDARIUM PLAYLIST\r\nCHANNELS=4\r\n";
    for (int k = 1; k <= kExcerpts; ++k) {
        for (int c = 0; c < kChannels; ++c) {
            wavbuild::Bytes samples;
            for (std::uint32_t n = 0; n < kExcerptFrames; ++n)
                wavbuild::PutU16(samples, static_cast<std::uint16_t>(ExcerptSample(k, c, n)));
            if (!wavbuild::WriteFile(ExcerptFileName(k, c), wavbuild::Wave(mono, samples))) return false;
            list += ExcerptFileName(k, c) + "\r\n";
        }
    }
    std::string combs = "SONDARIUM COMBINATIONS\r\nNBCOMBINATIONS:" + std::to_string(tests.size()) + "\r\nCOMBINATIONS";
    for (const auto& [a, b] : tests) combs += "\r\n" + std::to_string(a) + "\t" + std::to_string(b);
    combs += "\r\n";
    std::ofstream("demo.lst", std::ios::binary) << list;
    std::ofstream("demo.cmb", std::ios::binary) << combs;
    return std::ifstream("demo.lst").good() && std::ifstream("demo.cmb").good();
}

}  // namespace e2e
