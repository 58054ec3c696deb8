// Timing helpers shared by the benchmarks.
#pragma once

#include <chrono>
#include <cstdio>

namespace bench {

// Seconds taken by the fastest of `repeats` runs of f.
template <class F>
double Best(int repeats, F&& f) {
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (s < best) best = s;
    }
    return best;
}

// Keeps a result alive so the compiler cannot drop the work that made it.
inline void Keep(double v) { asm volatile("" : : "g"(v) : "memory"); }

}  // namespace bench
