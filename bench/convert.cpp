// What reaches an output of a fixed rate (a sound server's): 1 s of a -6 dBFS
// tone, 24-bit, looped (0.2 s excerpts), through the virtual back end, for
// every pair of 44.1, 48 and 96 kHz. For each: the level, the largest other
// spectral line (Hann window over what is left once the fitted tone is taken
// away), THD+N, and a tone above the output's Nyquist frequency folded back.
#include <algorithm>
#include <complex>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/ToneMeter.h"
#include "platform/audio/DSound.h"
#include "platform/audio/Mixer.h"
#include "platform/audio/virtual/VirtualBackend.h"

namespace {

constexpr double kAmp = 0.5;
constexpr std::size_t kMeasured = 1 << 15;

void Fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -2 * M_PI / static_cast<double>(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1;
            for (std::size_t k = 0; k < len / 2; ++k, wk *= w) {
                const auto u = a[i + k], v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// The largest line of what is left, in dBc.
double LargestOther(const tonemeter::Fit& fit) {
    std::vector<std::complex<double>> spectrum(kMeasured);
    for (std::size_t k = 0; k < kMeasured; ++k) spectrum[k] = fit.rest[k] * (0.5 - 0.5 * std::cos(2 * M_PI * k / kMeasured));
    Fft(spectrum);
    double peak = 0;
    for (std::size_t k = 1; k < kMeasured / 2; ++k) peak = std::max(peak, std::abs(spectrum[k]));
    return tonemeter::Db(peak * 4 / kMeasured / fit.amplitude);
}

// The tone of `hz` at `in` Hz, 24-bit, as the output at `out` Hz plays it.
std::vector<float> Play(double hz, DWORD in, DWORD out) {
    auto vb = audio::VirtualBackend::Install(audio::VirtualBackend::Outputs({"out"}));
    vb->FixRate(0, out);
    IDirectSound8* ds = nullptr;
    DirectSoundCreate8(&vb->Id(0), &ds, nullptr);
    ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY);
    DSBUFFERDESC pd{36, DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr, GUID_NULL};
    IDirectSoundBuffer* primary = nullptr;
    ds->CreateSoundBuffer(&pd, &primary, nullptr);
    WAVEFORMATEX mono{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
    primary->SetFormat(&mono);
    primary->Release();
    const std::vector<double> x = tonemeter::Sine(in / 5, hz, in, kAmp);
    WAVEFORMATEX w{WAVE_FORMAT_PCM, 1, in, in * 3, 3, 24, 0};
    DSBUFFERDESC d{36, DSBCAPS_CTRLVOLUME, static_cast<DWORD>(x.size() * 3), 0, &w, GUID_NULL};
    IDirectSoundBuffer* b = nullptr;
    ds->CreateSoundBuffer(&d, &b, nullptr);
    void* p = nullptr;
    DWORD n = 0;
    b->Lock(0, d.dwBufferBytes, &p, &n, nullptr, nullptr, 0);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const auto v = static_cast<std::int32_t>(std::lrint(x[i] * 8388608.0));
        std::memcpy(static_cast<BYTE*>(p) + 3 * i, &v, 3);
    }
    b->Unlock(p, n, nullptr, 0);
    b->Play(0, 0, DSBPLAY_LOOPING);
    std::vector<float> got = vb->Render(0, audio::kRampFrames + kMeasured);
    b->Release();
    ds->Release();
    return got;
}

}  // namespace

int main() {
    std::printf("convert: 24-bit tones at -6 dBFS, 0.2 s loops, measured over %zu frames across the seam\n", kMeasured);
    for (DWORD in : {44100u, 48000u, 96000u}) {
        for (DWORD out : {44100u, 48000u, 96000u}) {
            if (in == out) continue;
            const double top = std::floor(std::min(20000.0, 0.45 * std::min(in, out)) / 5) * 5;
            double level = 0, spur = -400, thdn = -400;
            for (double hz : {20.0, 1000.0, 10000.0, top}) {
                const tonemeter::Fit fit = tonemeter::FitTone(Play(hz, in, out), audio::kRampFrames, kMeasured, hz, out);
                level = std::max(level, std::abs(tonemeter::Db(fit.amplitude / kAmp)));
                spur = std::max(spur, LargestOther(fit));
                thdn = std::max(thdn, tonemeter::ThdN(fit));
            }
            std::string folded;
            if (in > out) {
                const double above = in == 48000 ? 23000.0 : 30000.0;
                const auto got = Play(above, in, out);
                const double db = tonemeter::Db(tonemeter::FitTone(got, audio::kRampFrames, kMeasured, out - above, out).amplitude / kAmp);
                folded = ", " + std::to_string(int(above / 1000)) + " kHz folded back at " + std::to_string(int(std::lrint(db))) + " dBc";
            }
            std::printf("  %5u -> %5u Hz (to %5.0f Hz): level within %.4f dB, largest other %.1f dBc, THD+N %.1f dBc%s\n",
                        unsigned(in), unsigned(out), top, level, spur, thdn, folded.c_str());
        }
    }
    return 0;
}
