// The two embedded sounds as signals in [-1, 1] at 44100 Hz.
#pragma once

#include <cstddef>
#include <vector>

namespace sounds {

// A soft rising four-note bell arpeggio that dies away within `samples`.
std::vector<double> introChime(std::size_t samples);

// Bursts of pink noise with short fades, followed by silence: looped, it pulses
// so the experimenter can tell which loudspeaker is playing.
std::vector<double> pinkBurst(std::size_t samples);

} // namespace sounds
