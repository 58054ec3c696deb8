// The demo session's excerpts: each one a short loop in which the four
// channels take turns clockwise, each on a pitch of its own, so a listener
// hears which loudspeaker plays which channel.
#pragma once

#include <cstddef>
#include <vector>

namespace excerpts {

constexpr int kChannels = 4;
constexpr int kCount = 3;
constexpr double kSeconds = 3.0;

// Excerpt `excerpt` (0-based) of channel `channel` (0 top left, clockwise),
// kSeconds long, as a signal in [-1, 1].
std::vector<double> render(int excerpt, int channel);

} // namespace excerpts
