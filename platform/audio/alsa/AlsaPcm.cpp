#include "platform/audio/alsa/AlsaPcm.h"

#include <cerrno>
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

    const snd_pcm_format_t order[2] = {want.preferFloat ? SND_PCM_FORMAT_FLOAT_LE : SND_PCM_FORMAT_S16_LE,
                                       want.preferFloat ? SND_PCM_FORMAT_S16_LE : SND_PCM_FORMAT_FLOAT_LE};
    step = "takes neither 16-bit nor float samples";
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
    step = "refuses the sample rate";
    if ((err = snd_pcm_hw_params_set_rate(pcm, hw, want.rate, 0)) < 0) return err;

    // Short periods keep a volume step audible at once; the device rounds them.
    unsigned period = want.periodMicros;
    int dir = 0;
    snd_pcm_hw_params_set_period_time_near(pcm, hw, &period, &dir);
    unsigned periods = want.periods;
    dir = 0;
    snd_pcm_hw_params_set_periods_near(pcm, hw, &periods, &dir);
    step = "refuses the parameters";
    if ((err = snd_pcm_hw_params(pcm, hw)) < 0) return err;
    snd_pcm_hw_params_get_period_size(hw, &got.period, &dir);
    snd_pcm_hw_params_get_buffer_size(hw, &got.buffer);
    got.rate = want.rate;
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
            got.channels, got.format == SND_PCM_FORMAT_S16_LE ? "S16_LE" : "FLOAT_LE",
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
