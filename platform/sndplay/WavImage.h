// Finds the format and the samples of a WAV image in memory.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/WinTypes.h"

namespace sndplay {

struct WavImage {
    std::vector<BYTE> format;  // the "fmt " body, at least the 18 bytes of WAVEFORMATEX
    const BYTE* data = nullptr;
    DWORD bytes = 0;           // whole frames only

    const WAVEFORMATEX* Format() const { return reinterpret_cast<const WAVEFORMATEX*>(format.data()); }
};

// The image's extent is what its RIFF header declares (an image in memory
// carries no other size); every chunk is checked against it. A "data" chunk
// that claims more than the image holds is cut to what is there.
bool ParseWavImage(const void* image, WavImage& out);

}  // namespace sndplay
