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

// Writes every excerpt's files, "demo.lst" and "demo.cmb": channel c of excerpt
// k holds sampleOf(k, c, n) for n below `frames`, little-endian in `format`.
template <class SampleOf>
bool WriteSession(const std::vector<std::pair<int, int>>& tests, const wavbuild::Format& format, std::uint32_t frames, SampleOf sampleOf) {
    std::string list = "SONDARIUM PLAYLIST\r\nCHANNELS=4\r\n";
    for (int k = 1; k <= kExcerpts; ++k) {
        for (int c = 0; c < kChannels; ++c) {
            wavbuild::Bytes samples;
            for (std::uint32_t n = 0; n < frames; ++n) {
                const long v = sampleOf(k, c, n);
                for (int b = 0; b < format.bits / 8; ++b) samples.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
            }
            if (!wavbuild::WriteFile(ExcerptFileName(k, c), wavbuild::Wave(format, samples))) return false;
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
    return WriteSession(tests, {1, 1, kRate, 16}, kExcerptFrames, ExcerptSample);
}

bool WriteToneSession(std::uint32_t rate) {
    return WriteSession({{1, 2}}, {1, 1, rate, 24}, rate / 5, [rate](int, int c, std::uint32_t n) {
        return std::lrint(kToneAmplitude * 8388607.0 * std::sin(2 * M_PI * kToneHz[c] * n / rate));
    });
}

}  // namespace e2e
