// Opening one ALSA playback device in the shape a stream needs: interleaved,
// non-blocking, short periods, the stream's rate and channel count exactly.
#pragma once

#include <alsa/asoundlib.h>

#include <string>

#include "platform/WinTypes.h"

namespace audio::alsa {

struct PcmRequest {
    unsigned rate = 44100;
    unsigned channels = 2;
    bool preferFloat = false;        // primary formats above 16 bits
    unsigned periodMicros = 5000;    // asked for; the device may choose more
    unsigned periods = 4;
};

struct PcmShape {
    snd_pcm_format_t format = SND_PCM_FORMAT_S16_LE;  // S16_LE or FLOAT_LE
    unsigned rate = 0;
    unsigned channels = 0;
    snd_pcm_uframes_t period = 0;
    snd_pcm_uframes_t buffer = 0;
    unsigned BytesPerFrame() const { return channels * (format == SND_PCM_FORMAT_S16_LE ? 2u : 4u); }
};

// Opens `name`, and if the device itself refuses the shape, the same device
// through the plug layer. Returns a negative errno on failure with `why` saying
// which device and what went wrong (ALSA's own words kept).
// Threads: the control thread calls it when a stream starts or reshapes, the
// stream thread when it reopens a device that went away; it touches nothing
// but its arguments.
int OpenPcm(const std::string& name, const PcmRequest& want, snd_pcm_t*& pcm, PcmShape& got, std::string& why);

// The service's code for a failed open or a failed write: busy, missing, refused format ...
HRESULT CodeForError(int err);

}  // namespace audio::alsa
