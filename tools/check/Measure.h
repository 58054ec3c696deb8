// What sondarium-check measures of the samples: the sample peak and the EBU
// R128 integrated loudness (libebur128), per file and per excerpt.
#pragma once

#include <string>
#include <vector>

#include "files/StimulusCheck.h"

struct TMeasure {
    bool bOk = false;
    double dPeak = 0.0;        // largest sample magnitude, full scale 1
    double dLoudness = 0.0;    // LUFS; -HUGE_VAL for silence
    bool bClips = false;       // a peak at 0 dBFS (within 0.1 dB)
};

// Every channel of every file counts alike: the loudspeakers of the square
// stand at the same distance from the listener. The excerpt's files play at
// once, so the excerpt is measured as one signal with all their channels;
// files of different rates give no excerpt figure.
TMeasure MeasureFile(const TStimulusFile& file);
TMeasure MeasureExcerpt(const std::vector<const TStimulusFile*>& files);

double ToDb(double dPeak);
