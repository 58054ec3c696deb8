// Opening one ALSA playback device in the shape a stream needs: interleaved,
// non-blocking, short periods, the stream's channel count exactly, the rate
// asked for where the device has it (else its nearest: never ALSA's own
// resampling, the device object converts) and the widest samples it takes.
#pragma once

#include <alsa/asoundlib.h>

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

namespace audio::alsa {

struct PcmRequest {
    unsigned rate = 44100;
    unsigned channels = 2;
    unsigned periodMicros = 5000;    // asked for; the device may choose more
    unsigned periods = 4;
};

struct PcmShape {
    // S32_LE, S24_LE, S24_3LE, FLOAT_LE or S16_LE: the first the device takes.
    snd_pcm_format_t format = SND_PCM_FORMAT_S16_LE;
    unsigned rate = 0;  // the device's: the rate asked for, or its nearest
    unsigned channels = 0;
    snd_pcm_uframes_t period = 0;
    snd_pcm_uframes_t buffer = 0;
    unsigned BytesPerFrame() const { return channels * static_cast<unsigned>(snd_pcm_format_physical_width(format) / 8); }
};

// Opens `name`, and if the device itself refuses the shape, the same device
// through the plug layer. Returns a negative errno on failure with `why` saying
// which device and what went wrong (ALSA's own words kept).
// Threads: the control thread calls it when a stream starts or reshapes, the
// stream thread when it reopens a device that went away; it touches nothing
// but its arguments.
int OpenPcm(const std::string& name, const PcmRequest& want, snd_pcm_t*& pcm, PcmShape& got, std::string& why);

// Writes `n` mixed samples (full scale +-1) as the device's `format`. A
// sample the format holds exactly (a 16-bit sound at full level on a 16-bit
// device) goes out unchanged; any other gets TPDF dither of +-1 LSB before it
// is rounded, never plain rounding (S32 holds every float's 24 bits whole).
// `noise` is the dither's state, the caller's own. Allocates nothing.
void ToDeviceSamples(const float* in, std::size_t n, snd_pcm_format_t format, unsigned char* out,
                     std::uint32_t& noise) noexcept;

// The service's code for a failed open or a failed write: busy, missing, refused format ...
HRESULT CodeForError(int err);

}  // namespace audio::alsa
