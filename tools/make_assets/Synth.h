// Small building blocks of the synthesised sounds: a seeded noise source that
// gives the same numbers on every machine, and a click-free note envelope.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>

namespace synth {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// xorshift64*: the standard library's distributions may differ between
// library versions, so the noise is drawn from this fixed recipe instead.
class Noise {
public:
    explicit Noise(std::uint64_t seed) : m_state(seed ? seed : 1) {}
    // Uniform in [-1, 1).
    double next() {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        const std::uint64_t r = m_state * 0x2545F4914F6CDD1DULL;
        return double(r >> 11) / double(1ULL << 52) - 1.0;
    }

private:
    std::uint64_t m_state;
};

// Raised-cosine attack, exponential decay and a raised-cosine release that
// reaches exactly zero at `length` seconds, so a note never ends in a click.
inline double envelope(double t, double attack, double decayTau, double release, double length) {
    if (t < 0.0 || t >= length) return 0.0;
    double g = std::exp(-t / decayTau);
    if (t < attack) g *= 0.5 - 0.5 * std::cos(std::numbers::pi * t / attack);
    const double left = length - t;
    if (left < release) g *= 0.5 - 0.5 * std::cos(std::numbers::pi * left / release);
    return g;
}

} // namespace synth
