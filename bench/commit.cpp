// Buffers of one stream commanded together: 8 looping buffers (A and B of four
// tracks) on 4 device objects that share one output, rendered in 256-frame
// periods by the virtual back end's clock thread. Each round presses play on
// all 8 at a random moment against the periods, lets them run, stops all 8 and
// reads where each stopped: any frame between two stop positions is skew
// between buffers. With the calls of a burst 1 ms apart (a busy control
// thread), bracketed bursts against the same bursts issued call by call.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "platform/audio/DSound.h"
#include "platform/audio/virtual/VirtualBackend.h"

namespace {

constexpr int ROUNDS = 100;
constexpr DWORD FRAMES = 44100 * 2;

void Pause(double ms) { std::this_thread::sleep_for(std::chrono::microseconds(static_cast<int>(ms * 1000))); }

// Largest difference, in frames, between the buffers' stop positions.
DWORD Skew(IDirectSoundBuffer* const* buffers) {
    DWORD lo = 0xFFFFFFFF, hi = 0;
    for (int i = 0; i < 8; ++i) {
        DWORD play = 0, write = 0;
        buffers[i]->GetCurrentPosition(&play, &write);
        lo = std::min(lo, write / 2);
        hi = std::max(hi, write / 2);
    }
    return hi - lo;
}

}  // namespace

int main() {
    auto vb = audio::VirtualBackend::Install(audio::VirtualBackend::Outputs({"OUT 1-8"}));
    IDirectSound8* devices[4] = {};
    IDirectSoundBuffer* buffers[8] = {};
    for (int d = 0; d < 4; ++d) {
        DirectSoundCreate8(&vb->Id(0), &devices[d], nullptr);
        devices[d]->SetCooperativeLevel(nullptr, DSSCL_PRIORITY);
        for (int k = 0; k < 2; ++k) {
            WAVEFORMATEX wf{WAVE_FORMAT_PCM, 1, 44100, 44100 * 2, 2, 16, 0};
            DSBUFFERDESC bd{36, DSBCAPS_CTRLVOLUME, FRAMES * 2, 0, &wf, GUID_NULL};
            devices[d]->CreateSoundBuffer(&bd, &buffers[d * 2 + k], nullptr);
        }
    }
    vb->StartClock(256, 1024);
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> jitter(0.0, 6.0);
    std::printf("commit: 8 buffers on 4 device objects of one stream, 256-frame periods, %d rounds each,\n"
                "        1 ms between the calls of a burst\n",
                ROUNDS);
    for (bool bracketed : {true, false}) {
        auto burst = [&](auto&& call) {
            if (bracketed) DirectSoundBeginDeferred();
            for (auto* b : buffers) {
                call(b);
                Pause(1.0);
            }
            if (bracketed) DirectSoundCommitDeferred();
        };
        int aligned = 0;
        DWORD worst = 0;
        for (int round = 0; round < ROUNDS; ++round) {
            burst([](IDirectSoundBuffer* b) { b->SetCurrentPosition(0); });
            Pause(jitter(random));
            burst([](IDirectSoundBuffer* b) { b->Play(0, 0, DSBPLAY_LOOPING); });
            Pause(20 + jitter(random));
            burst([](IDirectSoundBuffer* b) { b->Stop(); });
            Pause(20);  // past the stop's fade-out
            const DWORD skew = Skew(buffers);
            aligned += skew == 0;
            worst = std::max(worst, skew);
        }
        std::printf("  %-13s 0 frames apart in %3d of %d starts and stops; largest skew %u frames\n",
                    bracketed ? "bracketed" : "call by call", aligned, ROUNDS, static_cast<unsigned>(worst));
    }
    vb->StopClock();
    for (auto* b : buffers) b->Release();
    for (auto* d : devices) d->Release();
    return 0;
}
