#include "common/ToneMeter.h"

namespace tonemeter {

Fit FitTone(const std::vector<float>& x, std::size_t at, std::size_t frames, double hz, double rate) {
    double ss = 0, cc = 0, sc = 0, xs = 0, xc = 0;
    const double w = 2 * M_PI * hz / rate;
    for (std::size_t n = 0; n < frames; ++n) {
        const double s = std::sin(w * n), c = std::cos(w * n), v = x[at + n];
        ss += s * s, cc += c * c, sc += s * c, xs += v * s, xc += v * c;
    }
    const double det = ss * cc - sc * sc, a = (xs * cc - xc * sc) / det, b = (xc * ss - xs * sc) / det;
    Fit f{std::hypot(a, b), std::vector<double>(frames)};
    for (std::size_t n = 0; n < frames; ++n) f.rest[n] = x[at + n] - a * std::sin(w * n) - b * std::cos(w * n);
    return f;
}

double ThdN(const Fit& f) {
    double power = 0;
    for (double v : f.rest) power += v * v;
    return 10 * std::log10(power / f.rest.size() / (f.amplitude * f.amplitude / 2));
}

std::vector<double> Sine(std::size_t frames, double hz, double rate, double amplitude) {
    std::vector<double> s(frames);
    for (std::size_t n = 0; n < frames; ++n) s[n] = amplitude * std::sin(2 * M_PI * hz * n / rate);
    return s;
}

}  // namespace tonemeter
