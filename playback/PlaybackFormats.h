// What reaches the loudspeakers, told in the debug log: the rate and sample
// format every output runs at, and which files of a test it plays converted,
// from what rate to what rate.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "playback/SndTrack.h"

// One line per output the tracks use (tracks sharing an output give one).
std::vector<std::string> OutputFormatLines(const TVecSndTrack& Tracks);

// The lines for test nTest (1-based): every loaded file whose rate is not its
// output's, from what rate to what rate. Files[c] names track c's A and B files.
std::vector<std::string> ConversionLines(int nTest, const TVecSndTrack& Tracks,
                                         const std::vector<std::array<std::string, 2>>& Files);
