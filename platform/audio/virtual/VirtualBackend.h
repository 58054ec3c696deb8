// A back end without sound hardware, for tests: the test chooses the output
// list, renders the device objects' mix into memory and injects failures.
//
// Usage:
//
//   auto vb = audio::VirtualBackend::Install(audio::VirtualBackend::UA101Outputs());
//   // outputs: 0 "Driver audio principale" (no id), 1..4 "OUT 1-2 (1:UA-101)" ...
//   CSoundManager sm;
//   sm.Initialize(nullptr, DSSCL_PRIORITY, &vb->Id(1));  // or any DirectSound call
//   ... play a buffer ...
//   std::vector<float> out = vb->Render(1, 4410);       // 0.1 s, interleaved floats
//   std::vector<std::int16_t> pcm = vb->RenderInt16(1, 4410);
//
//   vb->RefuseOpen(2, DSERR_ALLOCATED, "busy");          // DirectSoundCreate8 fails
//   vb->Faults(1).createBuffer = DSERR_BADFORMAT;       // next buffers refused
//   vb->Faults(1).restoreStillLost = 3;                 // Restore: "still lost" x3
//   vb->LoseBuffers(1);                                 // every buffer now lost
//   vb->FailStream(1, DSERR_NODRIVER);                  // the device fails mid-play
//
//   vb->StartClock();  // a thread renders every output in real time ...
//   ... run timers, process events ...
//   std::vector<float> heard = vb->TakeClocked(1);      // ... and keeps what it heard
//   vb->StopClock();   // (also done by the destructor)
//
// Without the clock nothing renders by itself: positions move only when the test
// calls Render. Render sums every device object open on the output (several
// managers may open one output) in the channel count of the first of them.
// Install() replaces the process-wide back end; tests install a fresh one each.
//
// Threads: every method is for the test's (control) thread. In clocked mode the
// render thread calls the device objects' mixers; Render must not be called then.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/AudioBackend.h"
#include "platform/audio/Faults.h"

namespace audio {

class VirtualStream;

class VirtualBackend : public IBackend, public std::enable_shared_from_this<VirtualBackend> {
public:
    explicit VirtualBackend(std::vector<OutputInfo> outputs);
    ~VirtualBackend() override;

    // Outputs described as given, each with an id (IdFor(n) for entry n); with
    // `firstIsDefault` the first one has no id.
    static std::vector<OutputInfo> Outputs(const std::vector<std::string>& descriptions,
                                           bool firstIsDefault = false);
    // The default output followed by the interface's four stereo pairs.
    static std::vector<OutputInfo> UA101Outputs();
    static GUID IdFor(int n);
    // Makes a back end over `outputs` and installs it (audio::SetBackend).
    static std::shared_ptr<VirtualBackend> Install(std::vector<OutputInfo> outputs);

    // IBackend
    std::vector<OutputInfo> Enumerate() override;
    HRESULT Open(const GUID* id, std::unique_ptr<IOutputStream>& stream, std::string& reason) override;

    int OutputCount() const { return static_cast<int>(outputs_.size()); }
    const GUID& Id(int output) const;
    // Device objects open on the output right now.
    int OpenStreams(int output) const;
    // Primary format of the first device object open on the output; 0 when none.
    std::uint32_t Rate(int output) const;
    std::uint32_t Channels(int output) const;
    std::uint32_t Bits(int output) const;
    // Times a device object on the output changed its primary format.
    int FormatChanges(int output) const;

    // Renders `frames` frames of the output: Channels(output) floats per frame,
    // full scale +-1, once every buffer conversion under way has ended. Empty
    // when nothing is open there.
    std::vector<float> Render(int output, std::uint32_t frames);
    // The same, as 16-bit samples (rounded, clamped): a 16-bit buffer played at
    // volume 0 in the primary format comes back bit for bit.
    std::vector<std::int16_t> RenderInt16(int output, std::uint32_t frames);
    static std::int16_t ToInt16(float v);

    // Called by Render before it renders each device object of an output (0,
    // 1, ... in opening order), on the rendering thread, so a test can land
    // commands between the sources of one period. Not for clocked mode.
    void SetSourceHook(std::function<void(int source)> hook) { sourceHook_ = std::move(hook); }

    // Latency the output's streams report (frames rendered but not yet heard).
    void SetLatencyFrames(int output, std::uint32_t frames);
    // Device objects opened on the output from now on run at `rate`, as on a
    // sound server, whatever primary format is set; 0 follows the primary.
    void FixRate(int output, std::uint32_t rate);

    // Clocked mode: a thread renders every output in periods of `periodFrames`
    // as the wall clock advances (from the moment a device object first renders
    // there), keeping room for `keepFrames` stereo frames per output for
    // TakeClocked (beyond it, new frames are dropped; the frame count still advances).
    void StartClock(std::uint32_t periodFrames = 256, std::uint32_t keepFrames = 48000 * 10);
    void StopClock();
    std::vector<float> TakeClocked(int output);
    std::uint64_t ClockedFrames(int output) const;

    // Failures. DirectSoundCreate8 on the output answers `hr`, and
    // DirectSoundLastOpenError() then says `reason`; DS_OK accepts again.
    void RefuseOpen(int output, HRESULT hr, std::string reason);
    // The fault record of every device object opened on the output.
    InjectedFaults& Faults(int output);
    // Every buffer of the output's device objects becomes lost.
    void LoseBuffers(int output);
    // Status() of the output's streams (open now or later) becomes `hr`; DS_OK heals.
    void FailStream(int output, HRESULT hr);

    VirtualBackend(const VirtualBackend&) = delete;
    VirtualBackend& operator=(const VirtualBackend&) = delete;

private:
    friend class VirtualStream;
    struct Output {
        OutputInfo info;
        HRESULT refuseCode = S_OK;
        std::string refuseReason;
        std::shared_ptr<InjectedFaults> faults = std::make_shared<InjectedFaults>();
        std::shared_ptr<std::atomic<HRESULT>> status = std::make_shared<std::atomic<HRESULT>>(S_OK);
        std::shared_ptr<std::atomic<std::uint32_t>> latency = std::make_shared<std::atomic<std::uint32_t>>(0);
        std::vector<VirtualStream*> streams;  // open, in opening order
        int formatChanges = 0;
        std::uint32_t fixedRate = 0;
        std::vector<float> clocked;  // reserved at StartClock
        std::uint64_t clockedFrames = 0;
    };
    Output& At(int output);
    const Output& At(int output) const;
    void Closed(VirtualStream* stream);
    void RenderInto(Output& out, std::uint32_t frames, float* dst, std::uint32_t channels, float* scratch,
                    std::uint64_t commit);
    void ClockLoop();

    std::vector<Output> outputs_;
    // Held while streams attach, detach or change format and while the clock
    // renders, so that a detached mixer is never called again.
    mutable std::mutex lock_;
    std::thread clock_;
    std::atomic<bool> clockRun_{false};
    std::uint32_t clockPeriod_ = 256;
    std::uint32_t clockKeep_ = 0;
    std::function<void(int)> sourceHook_;
};

}  // namespace audio
