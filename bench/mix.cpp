// The mix of a test: 8 looping mono 16-bit 44.1 kHz buffers (excerpts A and B
// of four tracks) on 4 mono device objects, against a plain loop that sums the
// same samples at the same gains.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "BenchClock.h"
#include "platform/audio/DSound.h"
#include "platform/audio/Device.h"
#include "platform/audio/virtual/VirtualBackend.h"

namespace {

constexpr std::uint32_t RATE = 44100;
constexpr std::uint32_t PERIOD = 256;     // frames per mix call
constexpr std::uint32_t SECONDS = 600;    // audio rendered per run, per device
constexpr std::uint32_t BUFFER_FRAMES = RATE * 7 + 123;  // not a multiple of the period

WAVEFORMATEX Mono16() {
    return WAVEFORMATEX{WAVE_FORMAT_PCM, 1, RATE, RATE * 2, 2, 16, 0};
}

}  // namespace

int main() {
    auto vb = audio::VirtualBackend::Install(
        audio::VirtualBackend::Outputs({"OUT 1-2", "OUT 3-4", "OUT 5-6", "OUT 7-8"}));
    std::vector<std::vector<std::int16_t>> waves(8, std::vector<std::int16_t>(BUFFER_FRAMES));
    for (std::size_t w = 0; w < waves.size(); ++w)
        for (std::uint32_t i = 0; i < BUFFER_FRAMES; ++i)
            waves[w][i] = static_cast<std::int16_t>(20000 * std::sin(0.001 * (w + 1) * i));
    const LONG volumes[2] = {0, -800};  // A heard, B faded down

    IDirectSound8* devices[4] = {};
    IDirectSoundBuffer* buffers[8] = {};
    for (int d = 0; d < 4; ++d) {
        DirectSoundCreate8(&vb->Id(d), &devices[d], nullptr);
        devices[d]->SetCooperativeLevel(nullptr, DSSCL_PRIORITY);
        DSBUFFERDESC pd{36, DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr, GUID_NULL};
        IDirectSoundBuffer* primary = nullptr;
        devices[d]->CreateSoundBuffer(&pd, &primary, nullptr);
        WAVEFORMATEX f = Mono16();
        primary->SetFormat(&f);
        primary->Release();
        for (int k = 0; k < 2; ++k) {
            WAVEFORMATEX wf = Mono16();
            DSBUFFERDESC bd{36, DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFX, BUFFER_FRAMES * 2, 0, &wf, GUID_NULL};
            IDirectSoundBuffer*& b = buffers[d * 2 + k];
            devices[d]->CreateSoundBuffer(&bd, &b, nullptr);
            void* p = nullptr;
            DWORD n = 0;
            b->Lock(0, BUFFER_FRAMES * 2, &p, &n, nullptr, nullptr, 0);
            std::memcpy(p, waves[d * 2 + k].data(), n);
            b->Unlock(p, n, nullptr, 0);
            b->SetVolume(volumes[k]);
            b->Play(0, 0, DSBPLAY_LOOPING);
        }
    }

    const std::uint32_t periods = SECONDS * RATE / PERIOD;
    std::vector<float> out(PERIOD);
    double checksum = 0;
    const double mixSeconds = bench::Best(3, [&] {
        for (std::uint32_t p = 0; p < periods; ++p)
            for (auto* dev : devices) {
                static_cast<audio::Device*>(dev)->GetMixer().Render(out.data(), PERIOD, audio::PublishedCommit());
                checksum += out[0];
            }
    });

    // The same sums done by hand: two looping sources per output, one gain each.
    const float gains[2] = {1.0f, std::pow(10.0f, -800 / 2000.0f)};
    std::uint32_t pos[8] = {};
    const double plainSeconds = bench::Best(3, [&] {
        for (std::uint32_t p = 0; p < periods; ++p)
            for (int d = 0; d < 4; ++d) {
                std::memset(out.data(), 0, PERIOD * sizeof(float));
                for (int k = 0; k < 2; ++k) {
                    const std::int16_t* s = waves[d * 2 + k].data();
                    std::uint32_t& i = pos[d * 2 + k];
                    for (std::uint32_t f = 0; f < PERIOD; ++f) {
                        out[f] += s[i] * (1.0f / 32768.0f) * gains[k];
                        if (++i == BUFFER_FRAMES) i = 0;
                    }
                }
                checksum += out[0];
            }
    });
    bench::Keep(checksum);

    std::printf("mix: 8 looping mono 16-bit 44.1 kHz buffers on 4 mono device objects, %u s of audio each\n",
                SECONDS);
    std::printf("  mixer      %8.3f s  = %8.0f x real time on one core\n", mixSeconds, SECONDS / mixSeconds);
    std::printf("  plain sum  %8.3f s  = %8.0f x real time on one core\n", plainSeconds, SECONDS / plainSeconds);
    std::printf("  mixer / plain sum: %.2f\n", mixSeconds / plainSeconds);

    for (auto* b : buffers) b->Release();
    for (auto* d : devices) d->Release();
    return 0;
}
