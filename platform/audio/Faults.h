// Failures a test back end can make device objects and buffers report.
//
// A stream may hand its device object one of these records (IOutputStream::Faults);
// the device consults it on the control thread at the moments the program
// handles a failure: cooperative level, primary format, buffer creation, lost
// buffers and their restoration. The ALSA back end hands none.
//
// Threads: written by the test and read by device objects, both on the control
// thread. The record is shared, so it outlives the streams that hand it out.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

namespace audio {

struct InjectedFaults {
    // Answer of SetCooperativeLevel (a failure refuses it).
    HRESULT cooperativeLevel = S_OK;
    // Answer of SetFormat on the primary buffer (a failure refuses the format).
    HRESULT primaryFormat = S_OK;
    // Answer of CreateSoundBuffer / DuplicateSoundBuffer for secondary buffers,
    // once `createBufferSkip` creations have been answered normally. A failure
    // refuses the buffer; a success code (DS_NO_VIRTUALIZATION) makes it and
    // answers that code. `createBufferSkip` counts down with every creation.
    HRESULT createBuffer = S_OK;
    int createBufferSkip = 0;
    // New secondary buffers start lost (GetStatus reports DSBSTATUS_BUFFERLOST).
    bool lostAtCreation = false;
    // Incrementing it makes every existing buffer of the device lost.
    std::uint32_t loseGeneration = 0;
    // Restore of a lost buffer answers DSERR_BUFFERLOST this many more times
    // (counting down across all buffers) before it restores.
    int restoreStillLost = 0;
    // Counters the test may read.
    int restoreCalls = 0;
    int buffersCreated = 0;
};

}  // namespace audio
