#include "e2e/LabSignals.h"

#include <cmath>
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

namespace {

// Writes every excerpt's files (the samples of excerpt k, channel c in
// `format`), "demo.lst" and "demo.cmb".
template <class SamplesOf>
bool WriteSession(const std::vector<std::pair<int, int>>& tests, const wavbuild::Format& format, SamplesOf samplesOf) {
    std::string list = "SONDARIUM PLAYLIST\r\nCHANNELS=4\r\n";
    for (int k = 1; k <= kExcerpts; ++k) {
        for (int c = 0; c < kChannels; ++c) {
            if (!wavbuild::WriteFile(ExcerptFileName(k, c), wavbuild::Wave(format, samplesOf(k, c)))) return false;
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

}  // namespace

bool WriteDemoSession(const std::vector<std::pair<int, int>>& tests) {
    return WriteSession(tests, {1, 1, kRate, 16}, [](int k, int c) {
        wavbuild::Bytes samples;
        for (std::uint32_t n = 0; n < kExcerptFrames; ++n) wavbuild::PutU16(samples, static_cast<std::uint16_t>(ExcerptSample(k, c, n)));
        return samples;
    });
}

bool WriteToneSession(std::uint32_t rate) {
    return WriteSession({{1, 2}}, {1, 1, rate, 24}, [rate](int, int c) {
        wavbuild::Bytes samples;
        const std::uint32_t frames = rate / 5;
        for (std::uint32_t n = 0; n < frames; ++n) {
            const auto v = static_cast<std::int32_t>(std::lrint(kToneAmplitude * 8388607.0 * std::sin(2 * M_PI * kToneHz[c] * n / rate)));
            for (int b = 0; b < 3; ++b) samples.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
        }
        return samples;
    });
}

}  // namespace e2e
