#include "Sounds.h"

#include "Synth.h"
#include "Wav.h"

#include <algorithm>
#include <cmath>

namespace sounds {
namespace {

// Brings the loudest sample to `peak`, so the level does not depend on the recipe.
void normalise(std::vector<double>& s, double peak) {
    double m = 0.0;
    for (double v : s) m = std::max(m, std::abs(v));
    if (m > 0.0) for (double& v : s) v *= peak / m;
}

} // namespace

std::vector<double> introChime(std::size_t samples) {
    // C5 E5 G5 C6, one every 140 ms; partials 1, 2, 3 and a slightly sharp
    // fourth give a bell colour, and the upper ones fade first.
    const double notes[] = {523.25, 659.26, 783.99, 1046.50};
    const double partials[][2] = {{1.0, 1.0}, {2.0, 0.28}, {3.0, 0.10}, {4.07, 0.05}};
    const double length = double(samples) / wav::kRate;
    std::vector<double> s(samples, 0.0);
    for (int n = 0; n < 4; ++n) {
        const double start = 0.14 * n;
        for (std::size_t i = std::size_t(start * wav::kRate); i < samples; ++i) {
            const double t = double(i) / wav::kRate - start;
            double v = 0.0;
            for (const auto& p : partials) {
                const double env = synth::envelope(t, 0.006, 0.45 / p[0], 0.25, length - start);
                v += p[1] * env * std::sin(synth::kTwoPi * notes[n] * p[0] * t);
            }
            s[i] += v * (n == 3 ? 1.0 : 0.8);
        }
    }
    normalise(s, 0.5); // -6 dBFS: a greeting, not an alarm
    return s;
}

std::vector<double> pinkBurst(std::size_t samples) {
    // White noise through a three-pole approximation of a -3 dB/octave slope.
    synth::Noise noise(0x50D4A21ULL);
    double b0 = 0.0, b1 = 0.0, b2 = 0.0;
    const double burst = 0.62, fade = 0.012;
    std::vector<double> s(samples, 0.0);
    for (std::size_t i = 0; i < samples; ++i) {
        const double w = noise.next();
        b0 = 0.99765 * b0 + w * 0.0990460;
        b1 = 0.96300 * b1 + w * 0.2965164;
        b2 = 0.57000 * b2 + w * 1.0526913;
        const double t = double(i) / wav::kRate;
        s[i] = (b0 + b1 + b2 + w * 0.1848) * synth::envelope(t, fade, 1e9, fade, burst);
    }
    normalise(s, 0.45);
    return s;
}

} // namespace sounds
