// What a chain did to a sine: a least-squares fit of the tone, and what is
// left once it is taken away (harmonics, images, aliases, noise).
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

namespace tonemeter {

struct Fit {
    double amplitude = 0;
    std::vector<double> rest;
};

// The tone of `hz` at `rate` in `frames` samples of x from `at` on.
Fit FitTone(const std::vector<float>& x, std::size_t at, std::size_t frames, double hz, double rate);
// Everything but the tone against the tone (THD+N), in dBc.
double ThdN(const Fit& f);
inline double Db(double ratio) { return 20 * std::log10(ratio); }
// `frames` samples of a sine of `hz` at `rate`, from phase 0.
std::vector<double> Sine(std::size_t frames, double hz, double rate, double amplitude);

}  // namespace tonemeter
