// The excerpts of the end-to-end session. Every file holds a signal that tells,
// from any four consecutive samples, which excerpt it belongs to and at what
// level it is heard, whatever its phase:
//   excerpt 1: a constant, excerpt 2: alternating signs at half the sample
//   rate, excerpt 3: two samples up, two down.
// The three are orthogonal over every run of four samples, so a mix of them
// splits into the level of each. The magnitude tells the channel (each channel
// has its own band of values) and, inside the band, the position in the excerpt
// in steps of 10 ms, so a seek shows as a jump of that step count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

constexpr int kExcerpts = 3;
constexpr int kChannels = 4;
constexpr std::uint32_t kRate = 44100;
constexpr std::uint32_t kExcerptFrames = kRate;  // 1 s each
constexpr std::uint32_t kStepFrames = 441;       // the position step: 10 ms
constexpr int kSteps = kExcerptFrames / kStepFrames;

// Lowest magnitude of excerpt k (from 1), channel c; the band is [base, base + kSteps).
int BaseLevel(int k, int c);
// Sample n of excerpt k, channel c.
std::int16_t ExcerptSample(int k, int c, std::uint32_t n);
// File name of excerpt k, channel c, as the playlist names it (relative).
std::string ExcerptFileName(int k, int c);

// Writes the WAV files, "demo.lst" (relative names) and "demo.cmb" with the
// given tests into the current folder. False when a file cannot be written.
bool WriteDemoSession(const std::vector<std::pair<int, int>>& tests);

// The same session of one test (1, 2) with sines instead: every excerpt's
// channel c holds a tone of kToneHz[c] at kToneAmplitude, 24-bit at `rate`,
// 0.2 s of whole cycles, so that its loop is seamless.
constexpr double kToneHz[kChannels] = {20, 1000, 10000, 19845};
constexpr double kToneAmplitude = 0.5;
bool WriteToneSession(std::uint32_t rate);

}  // namespace e2e
