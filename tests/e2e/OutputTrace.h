// What one output file shows: the file PCM writes the stereo pair that carries
// a mono track, so every frame holds the same sample twice. The samples are cut
// into windows of four, each split into the levels of the three excerpts, and
// the windows into steady stretches (silence, or one excerpt alone at full
// level) with the moves between them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "e2e/LabSignals.h"

namespace e2e {

constexpr std::size_t kWindowFrames = 4;

enum class Label { Silent, Full, Moving };

struct Window {
    std::array<double, kExcerpts + 1> level{};  // [k]: magnitude of excerpt k's pattern (index 0 unused)
    std::array<double, kExcerpts + 1> gain{};   // level over the middle of the channel's band
    Label label = Label::Moving;
    int excerpt = 0;  // Full: which one
    int step = 0;     // Full: the position step its magnitude tells
};

struct Segment {
    Label label = Label::Silent;
    int excerpt = 0;
    std::size_t first = 0, last = 0;  // window indices, both included
};

struct Trace {
    std::size_t frames = 0;
    std::size_t unequalPairs = 0;  // frames whose two samples differ
    std::size_t inexactFull = 0;   // full-level windows whose samples are not the excerpt's own
    std::vector<Window> windows;
    std::vector<Segment> steady;   // Silent or Full stretches of at least 20 ms, in file order
};

// Reads the raw S16_LE stereo file of the output that carries `channel`.
Trace ReadTrace(const std::string& path, int channel);

// Leaves out of t.steady the silences of cycles that a graph of `cycleFrames`
// dropped, joining the stretches they split; says when each began (ms).
std::vector<double> LeaveOutDroppedCycles(Trace& t, std::size_t cycleFrames);

enum class Move { FadeIn, Crossfade, FadeOut, SeekDip, Cut };

struct MoveFound {
    double ms = 0;       // from the end of the stretch before to the start of the one after
    int plateaus = 0;    // level plateaus of the louder excerpt on the way
    std::string fault;   // empty when the move has the shape its kind asks for
};

// Examines the windows between two consecutive steady stretches.
MoveFound Examine(const Trace& t, const Segment& from, const Segment& to, Move kind);

inline double WindowMs(std::size_t windows) { return 1000.0 * windows * kWindowFrames / kRate; }

}  // namespace e2e
