// Test signals for the benchmarks: mono 16-bit 44.1 kHz WAV files of noise.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline void Put32(std::vector<unsigned char>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
inline void Put16(std::vector<unsigned char>& b, std::uint16_t v) {
    b.push_back(static_cast<unsigned char>(v));
    b.push_back(static_cast<unsigned char>(v >> 8));
}

// `seconds` of noise; `shift` lowers its level by 6 dB a step.
inline void WriteWave(const std::string& path, std::uint32_t seconds, std::uint32_t seed, int shift = 0) {
    constexpr std::uint32_t RATE = 44100;
    const std::uint32_t dataBytes = RATE * seconds * 2;
    std::vector<unsigned char> b;
    b.reserve(44 + dataBytes);
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    Put32(b, 36 + dataBytes);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(b, 16);
    Put16(b, 1);
    Put16(b, 1);
    Put32(b, RATE);
    Put32(b, RATE * 2);
    Put16(b, 2);
    Put16(b, 16);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    Put32(b, dataBytes);
    std::uint32_t x = seed;
    for (std::uint32_t i = 0; i < dataBytes / 2; ++i) {
        x = x * 1664525u + 1013904223u;
        Put16(b, static_cast<std::uint16_t>(static_cast<std::int16_t>(x >> 16) >> shift));
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
}

}  // namespace bench
