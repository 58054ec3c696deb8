// The program's one client of a JACK server (jackd2, or PipeWire through its
// JACK library), and the process callback that feeds every device object
// opened on a JACK output.
//
// Each JACK output is a slot: two output ports of the client, connected to one
// channel pair of a device's physical playback ports. Every cycle the callback
// renders every attached source for the same frames, one after the other, so
// all JACK outputs of the program play sample-aligned by construction.
//
// Threads: the control thread connects, lists, claims, attaches and releases;
// the server's process thread renders; JACK's notification thread reports a
// shutdown or a foreign disconnection. They meet only through atomics; Detach
// waits for at most the one Render call that may be running.
#pragma once

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/AudioBackend.h"

namespace audio::jack {

// One device as JACK shows it: the physical playback ports of one client of
// the server, in the server's order.
struct JackDevice {
    std::string client;                // "system", "EDIROL UA-101 Pro"
    std::vector<std::string> ports;    // full names, "system:playback_1" ...
    std::string pretty;                // its pretty-name metadata (DeviceNames.h)
    std::vector<std::string> aliases;  // every alias of its ports
    std::string name;                  // NAME in the descriptions (DeviceNames.h)
    std::string card;                  // the ALSA id of the card it plays on; empty if unknown
    int cardIndex = -1;                // and its number
};

class JackClient {
public:
    static constexpr unsigned kMaxSlots = 32;
    static constexpr unsigned kMaxSourceChannels = 8;

    // Control thread. A client of the server that answers now, or null when
    // none does; never starts a server and prints nothing.
    static std::shared_ptr<JackClient> Connect();
    ~JackClient();

    // Control thread. The devices with physical playback ports, in the order
    // their first port comes.
    std::vector<JackDevice> Devices();

    // Control thread. Registers the slot's two ports and connects them to the
    // physical ports `left` and `right`. -1 and `why` when that fails.
    int Open(const std::string& label, const std::string& left, const std::string& right, std::string& why);
    // Control thread. Detaches, disconnects and unregisters the slot's ports.
    void Close(unsigned slot);
    // Control thread. The process callback renders `source` into the slot.
    void Attach(unsigned slot, IMixSource* source);
    // Control thread. After return the slot's source is never called again.
    void Detach(unsigned slot);

    // Any thread. DS_OK while the slot plays; a failure once the server shut
    // down or stopped running cycles (kStalled), or someone else disconnected
    // one of its ports.
    HRESULT Status(unsigned slot) const noexcept;
    // Control thread. Which server answered, through which library, at which
    // rate: "PipeWire 0.3.65, /usr/lib/.../libjack.so.0, 48000 Hz".
    const std::string& Server() const { return server_; }
    // Any thread. The server's frames per second.
    std::uint32_t Rate() const noexcept { return rate_; }
    // Any thread. Frames between the slot's ports and the loudspeakers.
    std::uint32_t LatencyFrames(unsigned slot) const noexcept;
    // Any thread. Cycles the process callback has completed.
    std::uint64_t Cycles() const noexcept { return cycles_.load(std::memory_order_relaxed); }

    JackClient(const JackClient&) = delete;
    JackClient& operator=(const JackClient&) = delete;

private:
    struct Slot {
        std::atomic<jack_port_t*> ports[2] = {nullptr, nullptr};
        std::atomic<IMixSource*> source{nullptr};
        std::atomic<bool> inUse{false};
        std::atomic<HRESULT> status{0};
        bool claimed = false;  // control thread only
    };

    explicit JackClient(jack_client_t* client);
    // Waits until the process thread has left the slot.
    void WaitIdle(Slot& s);
    // What JACK shows of the device: its pretty-name and its ports' aliases.
    void Describe(JackDevice& d) const;

    // Server threads.
    static int OnProcess(jack_nframes_t frames, void* arg);
    static void OnShutdown(jack_status_t code, const char* reason, void* arg);
    static void OnConnect(jack_port_id_t a, jack_port_id_t b, int connect, void* arg);
    static int OnXrun(void* arg);
    void Process(jack_nframes_t frames) noexcept;
    void RenderSlot(Slot& s, jack_nframes_t frames, std::uint64_t commit) noexcept;

    // Any thread. True, and the server taken as gone, once no cycle has run
    // for kStalled (or eight cycles, if longer) while an output is open.
    // PipeWire's library tells no shutdown when the server is killed: its
    // cycles simply stop.
    bool Stalled() const noexcept;
    static constexpr std::int64_t kStalled = 1'000'000'000;  // ns

    jack_client_t* const client_;
    std::string server_;
    std::uint32_t rate_ = 0;
    mutable std::atomic<HRESULT> serverStatus_{0};
    std::atomic<std::uint64_t> cycles_{0};
    // When the last cycle ran, or an output was opened, if later (steady
    // clock, ns); the frames of that cycle.
    std::atomic<std::int64_t> lastCycle_{0};
    std::atomic<std::uint32_t> cycleFrames_{0};
    std::array<Slot, kMaxSlots> slots_;
    // Sized before the client is activated; the callback renders in chunks of it.
    static constexpr unsigned kChunk = 1024;
    std::vector<float> scratch_;
};

}  // namespace audio::jack
