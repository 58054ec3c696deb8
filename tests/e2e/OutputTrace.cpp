#include "e2e/OutputTrace.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <sstream>
#include <utility>

#include "common/AlsaTestHome.h"

namespace e2e {
namespace {

constexpr double kSilent = 0.001;      // every excerpt below -60 dB
constexpr double kAbsent = 0.02;       // an excerpt not moving stays below this (ramps leak a little)
constexpr double kMaxJump = 0.1;       // largest level change from one window to the next
// Two 8 dB steps (x6.3) and some slack: a late timer tick is followed by the
// next one at once, and both can reach the mixer in the same period.
constexpr double kStepRatio = 7.3;
constexpr std::size_t kStepSpan = 33;  // windows covering one volume ramp (128 frames) and a window
constexpr std::size_t kMinSteady = 220;  // 20 ms
constexpr double kFlat = 0.02;         // relative spread of a level plateau
constexpr std::size_t kMinPlateau = 12;

Window Split(const std::int16_t* x, int channel) {
    Window w;
    const double dc = (x[0] + x[1] + x[2] + x[3]) / 4.0;
    const double alt = std::abs(x[0] - x[1] + x[2] - x[3]) / 4.0;
    const double q1 = (x[0] + x[1] - x[2] - x[3]) / 4.0, q2 = (x[0] - x[1] - x[2] + x[3]) / 4.0;
    w.level = {0.0, dc, alt, std::sqrt(q1 * q1 + q2 * q2)};
    for (int k = 1; k <= kExcerpts; ++k) w.gain[k] = w.level[k] / (BaseLevel(k, channel) + kSteps / 2.0);

    int loudest = 1;
    for (int k = 2; k <= kExcerpts; ++k) loudest = w.gain[k] > w.gain[loudest] ? k : loudest;
    bool othersSilent = true;
    for (int k = 1; k <= kExcerpts; ++k) othersSilent &= k == loudest || w.level[k] < 2.0;
    const double base = BaseLevel(loudest, channel);
    if (w.gain[loudest] < kSilent) {
        w.label = Label::Silent;
    } else if (othersSilent && w.level[loudest] >= base - 1.0 && w.level[loudest] <= base + kSteps) {
        w.label = Label::Full;
        w.excerpt = loudest;
        w.step = static_cast<int>(std::lround(w.level[loudest] - base));
    }
    return w;
}

// Every sample of a full-level window is the excerpt's own magnitude at some step.
bool Exact(const std::int16_t* x, int k, int channel) {
    const int base = BaseLevel(k, channel);
    for (std::size_t i = 0; i < kWindowFrames; ++i) {
        const int step = std::abs(x[i]) - base;
        if (step < 0 || step >= kSteps) return false;
    }
    return true;
}

std::vector<Segment> SteadyStretches(const std::vector<Window>& ws) {
    std::vector<Segment> runs;
    for (std::size_t i = 0; i < ws.size(); ++i) {
        const Window& w = ws[i];
        if (!runs.empty() && runs.back().last + 1 == i && runs.back().label == w.label && runs.back().excerpt == w.excerpt) {
            runs.back().last = i;
        } else if (w.label != Label::Moving) {
            runs.push_back({w.label, w.excerpt, i, i});
        }
    }
    std::vector<Segment> steady;
    for (const Segment& s : runs) {
        if (s.last - s.first + 1 < kMinSteady) continue;
        // A short excursion inside a steady stretch (a position step falling
        // inside a window) does not split it.
        if (!steady.empty() && steady.back().label == s.label && steady.back().excerpt == s.excerpt &&
            s.first - steady.back().last < kMinSteady / 4) {
            steady.back().last = s.last;
        } else {
            steady.push_back(s);
        }
    }
    return steady;
}

}  // namespace

Trace ReadTrace(const std::string& path, int channel) {
    const std::vector<std::int16_t> s = alsatest::ReadSamples16(path);
    Trace t;
    t.frames = s.size() / 2;
    std::vector<std::int16_t> mono(t.frames);
    for (std::size_t f = 0; f < t.frames; ++f) {
        mono[f] = s[2 * f];
        t.unequalPairs += mono[f] != s[2 * f + 1];
    }
    for (std::size_t f = 0; f + kWindowFrames <= t.frames; f += kWindowFrames) {
        Window w = Split(&mono[f], channel);
        if (w.label == Label::Full && !Exact(&mono[f], w.excerpt, channel)) {
            ++t.inexactFull;
            w.label = Label::Moving;
        }
        t.windows.push_back(w);
    }
    t.steady = SteadyStretches(t.windows);
    return t;
}

// The recorder records from a cycle's start, so a dropped cycle is silence
// from one of its cycles' starts to another's, with the sound on either side
// at most one cycle of a fade apart (24 dB at the fastest). What the fades
// silence starts where their ramps end, mid-cycle, and a fade-in starts some
// 60 dB below the sound a seek or an answer cut: a drop joined to such a
// silence is left as it is.
std::vector<double> LeaveOutDroppedCycles(Trace& t, std::size_t cycleFrames) {
    const std::size_t cycle = cycleFrames / kWindowFrames;
    const auto level = [&](std::size_t w) { return *std::max_element(t.windows[w].gain.begin(), t.windows[w].gain.end()); };
    const auto dropped = [&](const Segment& s) {
        if (s.label != Label::Silent || s.first == 0 || s.last + 1 >= t.windows.size()) return false;
        if (s.first % cycle != 0 || (s.last + 1) % cycle != 0 || s.last + 1 - s.first > 4 * cycle) return false;
        const double before = level(s.first - 1), after = level(s.last + 1);
        return std::min(before, after) > kSilent && std::max(before, after) / std::min(before, after) <= 100.0;
    };
    std::vector<double> at;
    for (std::size_t i = 1; i < t.steady.size();) {
        const bool same = t.steady[i].label == t.steady[i - 1].label && t.steady[i].excerpt == t.steady[i - 1].excerpt;
        if (same) t.steady[i - 1].last = t.steady[i].last;
        const bool drop = !same && dropped(t.steady[i]);
        if (drop) at.push_back(WindowMs(t.steady[i].first));
        if (same || drop) t.steady.erase(t.steady.begin() + static_cast<std::ptrdiff_t>(i));
        else ++i;
    }
    return at;
}

MoveFound Examine(const Trace& t, const Segment& from, const Segment& to, Move kind) {
    MoveFound m;
    m.ms = WindowMs(to.first - from.last - 1);
    std::ostringstream fault;
    // One report per kind of fault: the first window where it shows.
    bool foreign = false, back = false, jump = false, steps = false;
    const int falling = from.label == Label::Full ? from.excerpt : 0;
    const int rising = to.label == Label::Full ? to.excerpt : 0;
    const std::size_t begin = from.last, end = to.first;  // the moving windows lie strictly between

    // Nothing but the two excerpts of the move sounds on the way.
    for (std::size_t i = begin; i <= end; ++i) {
        for (int k = 1; k <= kExcerpts; ++k) {
            if (k != falling && k != rising && t.windows[i].gain[k] >= kAbsent && !std::exchange(foreign, true))
                fault << "excerpt " << k << " sounds at window " << i << " (gain " << t.windows[i].gain[k] << "); ";
        }
    }
    if (kind == Move::Cut) {
        if (m.ms > 10) fault << "the stop took " << m.ms << " ms; ";
        m.fault = fault.str();
        return m;
    }
    // The falling level only falls and the rising only rises, without jumps and
    // by at most one fade step per volume ramp.
    for (int k : {falling, rising}) {
        if (k == 0) continue;
        const double sign = k == rising ? 1.0 : -1.0;
        for (std::size_t i = begin; i < end; ++i) {
            const double g0 = t.windows[i].gain[k], g1 = t.windows[i + 1].gain[k];
            if (sign * (g1 - g0) < -0.03 && !std::exchange(back, true)) fault << "excerpt " << k << " turns back at window " << i << "; ";
            if (std::abs(g1 - g0) > kMaxJump && !std::exchange(jump, true)) fault << "excerpt " << k << " jumps by " << g1 - g0 << " at window " << i << "; ";
            const std::size_t j = std::min(end, i + kStepSpan);
            const double lo = std::min(g0, t.windows[j].gain[k]), hi = std::max(g0, t.windows[j].gain[k]);
            if (lo > 0.002 && hi / lo > kStepRatio && kind != Move::SeekDip && !std::exchange(steps, true))
                fault << "excerpt " << k << " moves by more than two steps from window " << i << "; ";
        }
    }
    // Plateaus of the louder excerpt: a fade shows its 8 dB steps.
    std::size_t run = 0;
    for (std::size_t i = begin + 1; i < end; ++i) {
        auto loud = [&](std::size_t n) { return std::max(t.windows[n].gain[falling], t.windows[n].gain[rising]); };
        const double now = loud(i), before = loud(i - 1);
        if (now > kSilent && std::abs(now - before) <= kFlat * now) {
            if (++run == kMinPlateau) ++m.plateaus;
        } else {
            run = 0;
        }
    }
    const bool fade = kind == Move::FadeIn || kind == Move::FadeOut;
    if (kind == Move::Crossfade && (m.ms < 90 || m.ms > 400)) fault << "crossfade of " << m.ms << " ms; ";
    if (fade && (m.ms < 40 || m.ms > 300)) fault << "fade of " << m.ms << " ms; ";
    if (kind == Move::SeekDip && m.ms > 15) fault << "the seek took " << m.ms << " ms to silence; ";
    m.fault = fault.str();
    return m;
}

}  // namespace e2e
