// The seam between the audio service's device objects (mixer side) and the
// output back ends (ALSA for the program, virtual for tests).
//
// A device object owns one IOutputStream, opened by the back end on the output
// that DirectSoundCreate8 names. The stream pulls mixed frames from the device's
// IMixSource on a thread of its own (ALSA) or on demand (virtual back end).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace audio {

struct InjectedFaults;  // Faults.h

// One entry of the output list, in listing order.
struct OutputInfo {
    std::string description;  // UTF-8, as shown to the user
    bool hasId = false;       // the default output has no id
    GUID id{};                // stable from run to run
};

// The device object's mixer as a stream sees it.
class IMixSource {
public:
    virtual ~IMixSource() = default;
    // Stream thread (or the caller of a virtual render). Renders `frames` frames
    // of the device's primary format into `out`, interleaved, PrimaryChannels()
    // floats per frame, full scale +-1.0. Never allocates, never blocks, never
    // touches files. Advances every playing buffer by `frames` frames. First
    // applies the commands of every commit up to `commit`, the stream's
    // snapshot of PublishedCommit() for this period (see there).
    virtual void Render(float* out, std::uint32_t frames, std::uint64_t commit) noexcept = 0;
    // Any thread: the primary format the frames are rendered in.
    virtual std::uint32_t PrimaryRate() const noexcept = 0;
    virtual std::uint32_t PrimaryChannels() const noexcept = 0;
    virtual std::uint32_t PrimaryBits() const noexcept = 0;
    // Control thread: some buffer of the source is playing.
    virtual bool Sounding() const { return false; }
};

// Any thread. The last commit of commands issued together that the control
// thread has handed over (DirectSoundCommitDeferred). A stream that renders
// several sources reads it ONCE at the start of each period, before rendering
// any of them, and hands that same value to every source of the period: so
// the whole set of a commit starts, stops, moves and changes level at one
// period boundary on every source, never half in one period, half in the next.
std::uint64_t PublishedCommit() noexcept;

// One open output.
class IOutputStream {
public:
    virtual ~IOutputStream() = default;
    // Control thread. Starts pulling from `source` (which outlives the stream's
    // use of it: Detach or destruction ends every call into it before returning).
    virtual HRESULT Attach(IMixSource* source) = 0;
    // Control thread. After return the source is never called again.
    virtual void Detach() = 0;
    // Control thread, after SetFormat on the primary buffer: the stream follows
    // the new primary rate and channel count (it may reopen the device).
    virtual HRESULT FormatChanged() = 0;
    // Any thread. DS_OK while the output plays, a failure code once the device
    // failed or disappeared (until it has been reopened).
    virtual HRESULT Status() const noexcept = 0;
    // Any thread. Frames rendered but not yet heard (output latency).
    virtual std::uint32_t LatencyFrames() const noexcept = 0;
    // Any thread. The rate the output runs at whatever the primary format
    // asks (a sound server's), so the mixer renders at it; 0 when the output
    // follows the primary format.
    virtual std::uint32_t FixedRate() const noexcept { return 0; }
    // Control thread. The samples the output takes ("S32_LE", "FLOAT_LE"), for the log.
    virtual std::string SampleFormatName() const { return "FLOAT_LE"; }
    // Control thread. Buffers of `rate` are about to play here: an output
    // that can change its rate unheard (nothing sounds on its device) and
    // whose device has that rate runs at it from now on, so they play
    // unconverted. FixedRate says the rate it runs at.
    virtual void OfferRate(std::uint32_t /*rate*/) {}
    // Control thread. Failures a test back end wants the device object to
    // report (Faults.h); null for a real output.
    virtual std::shared_ptr<InjectedFaults> Faults() const { return nullptr; }
};

class IBackend {
public:
    virtual ~IBackend() = default;
    // Control thread. The outputs in listing order.
    virtual std::vector<OutputInfo> Enumerate() = 0;
    // Control thread. Opens the output with `id` (null: the default output).
    // On failure returns a code and says why in `reason` (which device, and why:
    // missing, busy, refused format ...).
    virtual HRESULT Open(const GUID* id, std::unique_ptr<IOutputStream>& stream, std::string& reason) = 0;
    // Control thread. The sound server whose outputs are listed, for the debug
    // log; empty when the outputs are ALSA's alone.
    virtual std::string Server() const { return ""; }
};

// The process-wide back end. The program installs the ALSA back end at start;
// tests install a virtual one. Control thread only.
void SetBackend(std::shared_ptr<IBackend> backend);
std::shared_ptr<IBackend> GetBackend();

}  // namespace audio
