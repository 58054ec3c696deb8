#include "Excerpts.h"

#include "Synth.h"
#include "Wav.h"

#include <algorithm>
#include <cmath>

namespace excerpts {
namespace {

// One excerpt's character: its key (four pitches, one per channel, rising
// clockwise), its beat, and the timbre of its notes.
enum class Timbre { Bell, Reed, Pluck };
struct Style {
    double pitches[kChannels];
    double beatSeconds; // the channels take one beat each in turn
    Timbre timbre;
};

const Style kStyles[kCount] = {
    {{523.25, 659.26, 783.99, 1046.50}, 0.750, Timbre::Bell},  // C major, 80 per minute
    {{440.00, 523.25, 659.26, 880.00}, 0.375, Timbre::Reed},   // A minor, 160 per minute
    {{349.23, 440.00, 523.25, 698.46}, 0.250, Timbre::Pluck},  // F major, 240 per minute
};

// A note of `length` seconds; every timbre ends at exactly zero.
std::vector<double> note(Timbre timbre, double f, double length, std::uint64_t seed) {
    const std::size_t n = std::size_t(length * wav::kRate);
    std::vector<double> s(n, 0.0);
    if (timbre == Timbre::Pluck) {
        // A plucked string: a burst of noise circulating in a delay line whose
        // averaging filter lets the high partials die first.
        std::vector<double> line(std::size_t(wav::kRate / f));
        synth::Noise noise(seed);
        for (double& v : line) v = noise.next();
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t k = i % line.size(), k1 = (i + 1) % line.size();
            s[i] = line[k] * synth::envelope(double(i) / wav::kRate, 0.002, 1e9, 0.03, length);
            line[k] = 0.996 * 0.5 * (line[k] + line[k1]);
        }
        return s;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const double t = double(i) / wav::kRate;
        double v = 0.0;
        if (timbre == Timbre::Bell) {
            v = std::sin(synth::kTwoPi * f * t) + 0.3 * std::sin(synth::kTwoPi * 2.76 * f * t) * std::exp(-t / 0.08);
            v *= synth::envelope(t, 0.004, 0.35, 0.1, length);
        } else {
            // Odd harmonics falling as 1/k: a hollow, reedy square wave.
            for (int k = 1; k <= 9; k += 2) v += std::sin(synth::kTwoPi * k * f * t) / k;
            v *= synth::envelope(t, 0.015, 1e9, 0.06, length);
        }
        s[i] = v;
    }
    return s;
}

} // namespace

std::vector<double> render(int excerpt, int channel) {
    const Style& st = kStyles[excerpt];
    const std::size_t total = std::size_t(kSeconds * wav::kRate);
    const int beats = int(std::lround(kSeconds / st.beatSeconds));
    std::vector<double> s(total, 0.0);
    int hit = 0;
    for (int b = channel; b < beats; b += kChannels, ++hit) {
        const double length = st.beatSeconds * (st.timbre == Timbre::Reed ? 0.7 : 0.95);
        const std::vector<double> n = note(st.timbre, st.pitches[channel], length, 1000 + 16 * channel + hit);
        const std::size_t start = std::size_t(std::lround(b * st.beatSeconds * wav::kRate));
        for (std::size_t i = 0; i < n.size() && start + i < total; ++i) s[start + i] += n[i];
    }
    // Every channel of every excerpt at the same RMS level (-22 dBFS), so that
    // loudness does not decide a preference; only a spiky pluck is kept lower
    // where it would otherwise come near full scale.
    double peak = 0.0, power = 0.0;
    for (double v : s) {
        peak = std::max(peak, std::abs(v));
        power += v * v;
    }
    const double rms = std::sqrt(power / double(s.size()));
    const double gain = rms > 0.0 ? std::min(0.0794 / rms, 0.9 / peak) : 0.0;
    for (double& v : s) v *= gain;
    return s;
}

} // namespace excerpts
