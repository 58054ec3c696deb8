// Starts and stops a few outputs' buffers together, round after round, as the
// program commands its tracks: each start and each stop is one set of
// commands, so the skew a benchmark then reads off the outputs is the
// streams' own, not the gap between the calls.
#pragma once

#include <chrono>
#include <thread>

#include "platform/audio/DSound.h"

namespace bench {

// `outputs` holds records with a `buf` (IDirectSoundBuffer*). Each round plays
// for `onMs`, then rests for `offMs` plus a little that varies, so that the
// starts fall at different points of the streams' periods.
template <class Outputs>
void StartStopRounds(Outputs& outputs, int rounds, int onMs, int offMs) {
    auto sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    for (int i = 0; i < rounds; ++i) {
        {
            CDeferredCommands together;
            for (auto& x : outputs) x.buf->Play(0, 0, 0);
        }
        sleep(onMs);
        {
            CDeferredCommands together;
            for (auto& x : outputs) {
                x.buf->Stop();
                x.buf->SetCurrentPosition(0);
            }
        }
        sleep(offMs + 3 * (i % 7));
    }
}

}  // namespace bench
