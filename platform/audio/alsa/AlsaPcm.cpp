#include "platform/audio/alsa/AlsaPcm.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <csignal>

#include "platform/audio/DSound.h"
#include "platform/audio/alsa/AlsaLog.h"

namespace audio::alsa {
namespace {

std::string Describe(const std::string& name, const char* what, int err) {
    std::string s = "ALSA device \"" + name + "\" " + what + ": " + snd_strerror(err);
    if (err == -EBUSY) s += " (held by another program or by a sound server)";
    return s;
}

// Sets the hardware and software parameters; a negative errno says which step failed in `step`.
int Configure(snd_pcm_t* pcm, const PcmRequest& want, PcmShape& got, const char*& step) {
    snd_pcm_hw_params_t* hw;
    snd_pcm_hw_params_alloca(&hw);
    int err;
    step = "offers no playback parameters";
    if ((err = snd_pcm_hw_params_any(pcm, hw)) < 0) return err;
    step = "refuses interleaved access";
    if ((err = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0) return err;

    // The widest samples first, so that no buffer loses bits on its way out.
    const snd_pcm_format_t order[] = {SND_PCM_FORMAT_S32_LE, SND_PCM_FORMAT_S24_LE, SND_PCM_FORMAT_S24_3LE,
                                      SND_PCM_FORMAT_FLOAT_LE, SND_PCM_FORMAT_S16_LE};
    step = "takes none of 32-bit, 24-bit, float or 16-bit samples";
    err = -EINVAL;
    for (snd_pcm_format_t f : order) {
        if (snd_pcm_hw_params_test_format(pcm, hw, f) == 0) {
            err = snd_pcm_hw_params_set_format(pcm, hw, f);
            got.format = f;
            break;
        }
    }
    if (err < 0) return err;
    step = "refuses the channel count";
    if ((err = snd_pcm_hw_params_set_channels(pcm, hw, want.channels)) < 0) return err;
    // A rate the device lacks is converted by the device object, with a
    // better filter than ALSA's plug layer has.
    snd_pcm_hw_params_set_rate_resample(pcm, hw, 0);
    unsigned rate = want.rate;
    int dir = 0;
    step = "refuses every sample rate";
    if ((err = snd_pcm_hw_params_set_rate_near(pcm, hw, &rate, &dir)) < 0) return err;

    // Short periods keep a volume step audible at once; the device rounds them.
    unsigned period = want.periodMicros;
    dir = 0;
    snd_pcm_hw_params_set_period_time_near(pcm, hw, &period, &dir);
    unsigned periods = want.periods;
    dir = 0;
    snd_pcm_hw_params_set_periods_near(pcm, hw, &periods, &dir);
    step = "refuses the parameters";
    if ((err = snd_pcm_hw_params(pcm, hw)) < 0) return err;
    snd_pcm_hw_params_get_period_size(hw, &got.period, &dir);
    snd_pcm_hw_params_get_buffer_size(hw, &got.buffer);
    got.rate = rate;
    got.channels = want.channels;

    snd_pcm_sw_params_t* sw;
    snd_pcm_sw_params_alloca(&sw);
    step = "refuses the start and wake-up thresholds";
    if ((err = snd_pcm_sw_params_current(pcm, sw)) < 0) return err;
    // Start once the buffer is full so the first periods do not underrun. The
    // thread writes whole periods, so "full" is the last whole period that fits:
    // a buffer that is no multiple of the period (the plug layer gives such)
    // would otherwise never reach its threshold and the stream would never start.
    snd_pcm_sw_params_set_start_threshold(pcm, sw, got.period ? got.buffer - got.buffer % got.period : got.buffer);
    snd_pcm_sw_params_set_avail_min(pcm, sw, got.period);
    if ((err = snd_pcm_sw_params(pcm, sw)) < 0) return err;
    return 0;
}

int OpenOne(const std::string& name, const std::string& shown, const PcmRequest& want, snd_pcm_t*& pcm,
            PcmShape& got, std::string& why) {
    int err = snd_pcm_open(&pcm, name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (err < 0) {
        pcm = nullptr;
        why = Describe(shown, err == -EBUSY ? "is busy" : "cannot be opened", err);
        return err;
    }
    const char* step = "";
    err = Configure(pcm, want, got, step);
    if (err < 0) {
        why = Describe(shown, step, err);
        snd_pcm_close(pcm);
        pcm = nullptr;
    }
    return err;
}

}  // namespace

int OpenPcm(const std::string& name, const PcmRequest& want, snd_pcm_t*& pcm, PcmShape& got, std::string& why) {
    InstallLogHandler();
    // A file PCM may write into a command ("|command"); once that reader quits,
    // a write must fail as any output fails, not kill the process with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    int err = OpenOne(name, name, want, pcm, got, why);
    if (err >= 0) {
        Log("opened \"%s\": %u Hz, %u channels, %s, period %lu, buffer %lu frames", name.c_str(), got.rate,
            got.channels, snd_pcm_format_name(got.format),
            static_cast<unsigned long>(got.period), static_cast<unsigned long>(got.buffer));
        return err;
    }
    // A device that exists but refuses the shape may still take it converted.
    const bool opened = why.find("cannot be opened") == std::string::npos && err != -EBUSY;
    if (opened && name.find('\'') == std::string::npos && name.rfind("plug", 0) != 0) {
        std::string plugWhy;
        if (OpenOne("plug:'" + name + "'", name, want, pcm, got, plugWhy) >= 0) {
            Log("opened \"%s\" through the plug layer", name.c_str());
            why.clear();
            return 0;
        }
    }
    Log("%s", why.c_str());
    return err;
}

namespace {

// `v` in LSBs of `scale` (2^15 or 2^23), dithered where it falls between them.
std::int32_t Dithered(float v, float scale, std::uint32_t& noise) {
    const float x = v * scale;
    float r = std::nearbyint(x);
    if (r != x) {
        // Two uniform values of one LSB each (xorshift).
        auto next = [&noise] {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            return static_cast<float>(noise) * (1.0f / 4294967296.0f) - 0.5f;
        };
        r = std::nearbyint(x + next() + next());
    }
    return static_cast<std::int32_t>(std::clamp(r, -scale, scale - 1.0f));
}

}  // namespace

void ToDeviceSamples(const float* in, std::size_t n, snd_pcm_format_t format, unsigned char* out,
                     std::uint32_t& noise) noexcept {
    switch (format) {
    case SND_PCM_FORMAT_FLOAT_LE:
        std::memcpy(out, in, n * sizeof(float));
        return;
    case SND_PCM_FORMAT_S32_LE:
        for (std::size_t i = 0; i < n; ++i) {
            const auto v = static_cast<std::int32_t>(
                std::clamp(std::llrint(double(in[i]) * 2147483648.0), -2147483648LL, 2147483647LL));
            std::memcpy(out + 4 * i, &v, 4);
        }
        return;
    case SND_PCM_FORMAT_S24_LE:
    case SND_PCM_FORMAT_S24_3LE: {
        const std::size_t step = format == SND_PCM_FORMAT_S24_LE ? 4 : 3;
        for (std::size_t i = 0; i < n; ++i) {
            const std::int32_t v = Dithered(in[i], 8388608.0f, noise);
            for (std::size_t b = 0; b < step; ++b) out[step * i + b] = static_cast<unsigned char>(v >> (8 * b));
        }
        return;
    }
    default:
        for (std::size_t i = 0; i < n; ++i) {
            const auto v = static_cast<std::int16_t>(Dithered(in[i], 32768.0f, noise));
            std::memcpy(out + 2 * i, &v, 2);
        }
        return;
    }
}

HRESULT CodeForError(int err) {
    switch (-err) {
    case EBUSY:
    case EAGAIN:
        return DSERR_ALLOCATED;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return DSERR_NODRIVER;
    case EINVAL:
        return DSERR_BADFORMAT;
    case ENOMEM:
        return DSERR_OUTOFMEMORY;
    default:
        return DSERR_GENERIC;
    }
}

}  // namespace audio::alsa
