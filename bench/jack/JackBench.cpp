// Timing of the JACK back end through the audio service, on a private jackd
// with the dummy driver (44100 Hz, 256-frame cycles, eight playback ports
// named "UA-101"), read back by a recorder client in the same cycles:
//  - the delay from SetVolume on the control thread to the first output frame
//    that carries it, counted from the first frame of the cycle that was not
//    yet recorded when SetVolume was called (0 to 255: the change is in the
//    next cycle the server completes);
//  - the skew between the eight channels (four device objects, one per pair)
//    when their four buffers are started one after the other.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "StartRounds.h"
#include "common/JackServer.h"
#include "platform/audio/DSound.h"
#include "platform/audio/alsa/AlsaBackend.h"

namespace {

constexpr DWORD RATE = 44100;
constexpr unsigned PERIOD = 256;
constexpr DWORD LOOP = 32768;
constexpr int ROUNDS = 50;
const WAVEFORMATEX STEREO16{WAVE_FORMAT_PCM, 2, RATE, RATE * 4, 4, 16, 0};

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

struct Output {
    IDirectSound8* ds = nullptr;
    IDirectSoundBuffer* buf = nullptr;
    bool Open(const GUID& id) {
        if (FAILED(DirectSoundCreate8(&id, &ds, nullptr))) return false;
        ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY);
        DSBUFFERDESC bd{36, DSBCAPS_CTRLVOLUME, LOOP * 4, 0, const_cast<WAVEFORMATEX*>(&STEREO16), GUID_NULL};
        if (FAILED(ds->CreateSoundBuffer(&bd, &buf, nullptr))) return false;
        void *p1, *p2;
        DWORD n1, n2;
        buf->Lock(0, LOOP * 4, &p1, &n1, &p2, &n2, 0);
        std::fill_n(static_cast<std::int16_t*>(p1), LOOP * 2, std::int16_t(16384));
        buf->Unlock(p1, n1, p2, n2);
        return true;
    }
    ~Output() {
        if (buf) buf->Release();
        if (ds) ds->Release();
    }
};

// Frames where channel k turns from silence to sound.
std::vector<std::size_t> Onsets(const jacktest::Recorder& r, std::size_t k) {
    std::vector<std::size_t> at;
    const std::vector<float>& x = r.Channel(k);
    for (std::size_t f = 1; f < r.Frames(); ++f)
        if (x[f] != 0.0f && x[f - 1] == 0.0f) at.push_back(f);
    return at;
}

void Print(const char* what, std::vector<double> v, const char* unit) {
    if (v.empty()) return (void)std::printf("  %-40s no data\n", what);
    std::sort(v.begin(), v.end());
    std::printf("  %-40s min %7.1f  median %7.1f  max %7.1f %s  (n=%zu)\n", what, v.front(), v[v.size() / 2], v.back(),
                unit, v.size());
}

void VolumeDelay(const GUID& id) {
    Output o;
    if (!o.Open(id)) return;
    jacktest::Recorder rec("sondarium", 20);
    o.buf->SetVolume(DSBVOLUME_MIN);
    o.buf->Play(0, 0, DSBPLAY_LOOPING);
    Sleep(100);
    std::vector<std::size_t> asked;
    for (int i = 0; i < ROUNDS; ++i) {
        asked.push_back(rec.Frames());
        o.buf->SetVolume(0);
        Sleep(30);
        o.buf->SetVolume(DSBVOLUME_MIN);
        Sleep(25 + 7 * (i % 5));
    }
    rec.Stop();
    const std::vector<std::size_t> on = Onsets(rec, 0);
    std::vector<double> delay;
    int within = 0;
    for (std::size_t i = 0; i < on.size() && i < asked.size(); ++i) {
        const double d = double(on[i]) - double(asked[i]);
        delay.push_back(d);
        within += d < PERIOD;
    }
    std::printf("Volume change to the first frame carrying it (%u-frame cycles):\n", PERIOD);
    Print("delay", delay, "frames");
    std::printf("  in the next cycle completed (within one period): %d of %zu\n", within, delay.size());
}

void StartSkew(const std::vector<audio::OutputInfo>& list) {
    Output o[4];
    for (int k = 0; k < 4; ++k)
        if (!o[k].Open(list[1 + k].id)) return;
    jacktest::Recorder rec("sondarium", 20);
    Sleep(100);
    bench::StartStopRounds(o, ROUNDS, 30, 25);
    rec.Stop();
    std::vector<std::size_t> on[8];
    for (std::size_t k = 0; k < 8; ++k) on[k] = Onsets(rec, k);
    std::vector<double> skew;
    int zero = 0;
    for (std::size_t i = 0; i < on[0].size(); ++i) {
        std::size_t lo = on[0][i], hi = lo;
        for (std::size_t k = 1; k < 8 && i < on[k].size(); ++k) {
            lo = std::min(lo, on[k][i]);
            hi = std::max(hi, on[k][i]);
        }
        skew.push_back(double(hi - lo));
        zero += hi == lo;
    }
    std::printf("Start skew between the eight channels (four device objects), started as one set of commands:\n");
    Print("skew", skew, "frames");
    std::printf("  starts with 0 frames of skew: %d of %zu\n", zero, skew.size());
}

}  // namespace

int main() {
    if (jacktest::FindJackd().empty()) {
        std::printf("JACK back end timing: jackd is not installed, nothing measured\n");
        return 0;
    }
    jacktest::Server server("sondarium-bench", RATE, PERIOD);
    if (!server.Running() || !server.SetPrettyName("system", "UA-101")) {
        std::printf("JACK back end timing: %s\n", server.Why().c_str());
        return 1;
    }
    audio::SetBackend(audio::MakeAlsaBackend());
    const std::vector<audio::OutputInfo> list = audio::GetBackend()->Enumerate();
    if (list.size() < 5 || list[1].description != "OUT 1-2 (1:UA-101)") {
        std::printf("JACK back end timing: the server's outputs are not listed\n");
        return 1;
    }
    std::printf("JACK back end timing, jackd dummy driver, %u Hz, %u-frame cycles, 16-bit stereo buffers\n", RATE, PERIOD);
    VolumeDelay(list[1].id);
    StartSkew(list);
    audio::SetBackend(nullptr);
    return 0;
}
