#include "Measure.h"

#include <ebur128.h>

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "sound/WaveFile.h"

namespace {

struct TDecoded {
    unsigned nChannels = 0;
    unsigned nRate = 0;
    std::vector<float> samples;   // interleaved
};

// A peak within 0.1 dB of full scale counts as 0 dBFS: the largest integer
// sample lies below 1 (32767/32768), and a peak this close clips on playback.
constexpr double CLIP_PEAK = 0.98855;  // -0.1 dBFS

float Decode(const BYTE* p, unsigned nBits, bool bFloat) {
    if (bFloat) {
        float v;
        std::memcpy(&v, p, 4);
        return v;
    }
    if (nBits == 8) return (p[0] - 128) / 128.0f;
    std::uint32_t u = 0;
    const unsigned nBytes = nBits / 8;
    for (unsigned i = 0; i < nBytes; ++i) u |= std::uint32_t{p[i]} << (8 * i + 32 - nBits);
    return float(static_cast<std::int32_t>(u) / 2147483648.0);
}

// The whole data chunk through the sound layer's reader, as a float signal.
bool Load(const TStimulusFile& file, TDecoded& out) {
    if (!file.Playable()) return false;
    const std::wstring name = QString::fromStdString(file.strEntry).toStdWString();
    CWaveFile wave;
    if (FAILED(wave.Open(name.c_str(), nullptr, WAVEFILE_READ))) return false;
    std::vector<BYTE> bytes(wave.GetSize());
    DWORD dwRead = 0;
    if (FAILED(wave.Read(bytes.data(), static_cast<DWORD>(bytes.size()), &dwRead))) return false;
    const WAVEFORMATEX* pwfx = wave.GetFormat();
    const bool bFloat = pwfx->wFormatTag == WAVE_FORMAT_IEEE_FLOAT ||
                        (pwfx->wFormatTag == 0xFFFE && pwfx->wBitsPerSample == 32 && pwfx->cbSize >= 22 &&
                         reinterpret_cast<const BYTE*>(pwfx)[sizeof(WAVEFORMATEX) + 6] == WAVE_FORMAT_IEEE_FLOAT);
    const unsigned nBits = pwfx->wBitsPerSample, nStep = nBits / 8;
    out.nChannels = pwfx->nChannels;
    out.nRate = pwfx->nSamplesPerSec;
    const std::size_t nSamples = std::size_t(file.Frames()) * out.nChannels;
    out.samples.resize(nSamples);
    for (std::size_t i = 0; i < nSamples; ++i) out.samples[i] = Decode(bytes.data() + i * nStep, nBits, bFloat);
    return true;
}

double Integrated(unsigned nChannels, unsigned nRate, const std::vector<float>& samples) {
    std::unique_ptr<ebur128_state, void (*)(ebur128_state*)> state(
        ebur128_init(nChannels, nRate, EBUR128_MODE_I), [](ebur128_state* s) { ebur128_destroy(&s); });
    if (!state) return -HUGE_VAL;
    for (unsigned c = 0; c < nChannels; ++c) ebur128_set_channel(state.get(), c, EBUR128_LEFT);
    ebur128_add_frames_float(state.get(), samples.data(), samples.size() / nChannels);
    double dLufs = -HUGE_VAL;
    ebur128_loudness_global(state.get(), &dLufs);
    return dLufs;
}

TMeasure Peaks(const TDecoded& d) {
    TMeasure m;
    m.bOk = true;
    for (float v : d.samples) {
        const double a = std::fabs(v);
        m.dPeak = std::max(m.dPeak, a);
        if (a >= CLIP_PEAK) m.bClips = true;
    }
    return m;
}

}  // namespace

double ToDb(double dPeak) { return dPeak > 0 ? 20.0 * std::log10(dPeak) : -HUGE_VAL; }

TMeasure MeasureFile(const TStimulusFile& file) {
    TDecoded d;
    if (!Load(file, d)) return {};
    TMeasure m = Peaks(d);
    m.dLoudness = Integrated(d.nChannels, d.nRate, d.samples);
    return m;
}

TMeasure MeasureExcerpt(const std::vector<const TStimulusFile*>& files) {
    std::vector<TDecoded> parts(files.size());
    unsigned nChannels = 0;
    std::size_t nFrames = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!Load(*files[i], parts[i]) || parts[i].nRate != parts[0].nRate) return {};
        nChannels += parts[i].nChannels;
        nFrames = std::max(nFrames, parts[i].samples.size() / parts[i].nChannels);
    }
    if (parts.empty()) return {};
    // A shorter file is silent after its end, as its loudspeaker is on the first pass.
    TDecoded all;
    all.nChannels = nChannels;
    all.nRate = parts[0].nRate;
    all.samples.assign(nFrames * nChannels, 0.0f);
    unsigned nOffset = 0;
    for (const TDecoded& p : parts) {
        const std::size_t n = p.samples.size() / p.nChannels;
        for (std::size_t f = 0; f < n; ++f)
            for (unsigned c = 0; c < p.nChannels; ++c) all.samples[f * nChannels + nOffset + c] = p.samples[f * p.nChannels + c];
        nOffset += p.nChannels;
    }
    TMeasure m = Peaks(all);
    m.bClips = false;  // judged file by file
    m.dLoudness = Integrated(all.nChannels, all.nRate, all.samples);
    return m;
}
