#include "platform/audio/jack/JackClient.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/audio/DSound.h"
#include "platform/audio/alsa/AlsaLog.h"
#include "platform/audio/jack/DeviceNames.h"
#include "platform/audio/jack/JackLib.h"

namespace audio::jack {
namespace {

using alsa::Log;

std::int64_t Now() noexcept {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// libjack's own messages go to the back end's log, never to the terminal: a
// machine without a server must start silently.
void Quiet(const char* msg) { Log("JACK: %s", msg); }
void Silent(const char*) {}

// Each time the library is loaded: an unloaded one forgets them.
void RouteMessages() {
    static std::once_flag once;
    std::call_once(once, [] { alsa::InstallLogHandler(); });
    Jack().set_error_function(&Quiet);
    Jack().set_info_function(&Silent);
}

// The server behind the library's version: PipeWire's says "3.0.0.0 (using
// PipeWire 0.3.65)", jackd's "1.9.21".
std::string ServerOf(const char* version) {
    const std::string v = version ? version : "";
    const std::size_t at = v.find("PipeWire ");
    if (at == std::string::npos) return "jackd " + v;
    return v.substr(at, v.find(')', at) - at);  // up to ')' or to the end
}

std::string Property(jack_uuid_t subject) {
    char* value = nullptr;
    char* type = nullptr;
    std::string r;
    if (Jack().get_property(subject, Jack().metadata_pretty_name, &value, &type) == 0 && value) r = value;
    if (value) Jack().free(value);
    if (type) Jack().free(type);
    return r;
}

}  // namespace

std::shared_ptr<JackClient> JackClient::Connect() {
    for (const std::string& library : JackLibraries()) {
        if (!LoadJackLib(library)) {
            Log("JACK: %s is not installed or incomplete", library.c_str());
            continue;
        }
        RouteMessages();
        jack_status_t status{};
        jack_client_t* c = Jack().client_open("sondarium", JackNoStartServer, &status);
        if (!c) {
            UnloadUnusedJackLib();
            continue;
        }
        std::shared_ptr<JackClient> self(new JackClient(c));
        if (Jack().activate(c) != 0) {
            Log("JACK: the client could not be activated");
            self.reset();
            UnloadUnusedJackLib();
            return nullptr;
        }
        self->server_ = ServerOf(Jack().get_version_string()) + ", " + LoadedJackLib() + ", " +
                        std::to_string(self->rate_) + " Hz";
        Log("JACK server answers: %s, %u frames a cycle", self->server_.c_str(), Jack().get_buffer_size(c));
        return self;
    }
    return nullptr;
}

JackClient::JackClient(jack_client_t* client) : client_(client) {
    HoldJackLib(+1);
    rate_ = Jack().get_sample_rate(client_);
    scratch_.assign(std::size_t(kChunk) * kMaxSourceChannels, 0.0f);
    Jack().set_process_callback(client_, &OnProcess, this);
    Jack().on_info_shutdown(client_, &OnShutdown, this);
    Jack().set_port_connect_callback(client_, &OnConnect, this);
    Jack().set_xrun_callback(client_, &OnXrun, this);
}

JackClient::~JackClient() {
    // Closing stops the process thread first; no callback runs afterwards.
    Jack().client_close(client_);
    HoldJackLib(-1);
}

std::vector<JackDevice> JackClient::Devices() {
    std::vector<JackDevice> devices;
    if (FAILED(serverStatus_.load())) return devices;
    const char** names = Jack().get_ports(client_, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | JackPortIsInput);
    if (!names) return devices;
    for (const char** n = names; *n; ++n) {
        const std::string full = *n;
        const std::string owner = full.substr(0, full.find(':'));
        auto it = std::find_if(devices.begin(), devices.end(), [&](const JackDevice& d) { return d.client == owner; });
        if (it == devices.end()) {
            it = devices.insert(devices.end(), JackDevice{});
            it->client = owner;
        }
        it->ports.push_back(full);
    }
    Jack().free(names);
    for (JackDevice& d : devices) Describe(d);
    NameDevices(devices, ListCardNames());
    return devices;
}

// The pretty-name of the device's client, or the one its ports all carry;
// every alias of its ports.
void JackClient::Describe(JackDevice& d) const {
    if (char* uuid = Jack().get_uuid_for_client_name(client_, d.client.c_str())) {
        jack_uuid_t u;
        if (Jack().uuid_parse(uuid, &u) == 0) d.pretty = Property(u);
        Jack().free(uuid);
    }
    std::string portsPretty;
    bool same = true;
    std::vector<char> a(Jack().port_name_size()), b(Jack().port_name_size());
    for (std::size_t i = 0; i < d.ports.size(); ++i) {
        jack_port_t* p = Jack().port_by_name(client_, d.ports[i].c_str());
        if (!p) continue;
        const std::string mine = Property(Jack().port_uuid(p));
        if (i == 0) portsPretty = mine;
        same = same && mine == portsPretty;
        char* aliases[2] = {a.data(), b.data()};
        const int n = Jack().port_get_aliases(p, aliases);
        for (int k = 0; k < n; ++k) d.aliases.emplace_back(aliases[k]);
    }
    if (d.pretty.empty() && same) d.pretty = portsPretty;
}

int JackClient::Open(const std::string& label, const std::string& left, const std::string& right, std::string& why) {
    if (FAILED(serverStatus_.load())) {
        why = "the JACK server has shut down";
        return -1;
    }
    unsigned slot = 0;
    while (slot < kMaxSlots && slots_[slot].claimed) ++slot;
    if (slot == kMaxSlots) {
        why = "too many JACK outputs are open";
        return -1;
    }
    Slot& s = slots_[slot];
    const std::string targets[2] = {left, right};
    jack_port_t* ports[2] = {nullptr, nullptr};
    for (int c = 0; c < 2; ++c) {
        const std::string name = label + (c == 0 ? " L" : " R");
        ports[c] = Jack().port_register(client_, name.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        if (!ports[c] || Jack().connect(client_, Jack().port_name(ports[c]), targets[c].c_str()) != 0) {
            why = "JACK refused port \"" + name + "\" or its connection to \"" + targets[c] + "\"";
            for (jack_port_t* p : ports)
                if (p) Jack().port_unregister(client_, p);
            return -1;
        }
    }
    // A graph with nothing to play may have been suspended: the watch on
    // its cycles starts now.
    lastCycle_.store(Now(), std::memory_order_relaxed);
    s.status.store(DS_OK);
    s.ports[0].store(ports[0]);
    s.ports[1].store(ports[1]);
    s.claimed = true;
    return static_cast<int>(slot);
}

void JackClient::Close(unsigned slot) {
    Slot& s = slots_[slot];
    s.source.store(nullptr, std::memory_order_seq_cst);
    jack_port_t* ports[2] = {s.ports[0].exchange(nullptr), s.ports[1].exchange(nullptr)};
    WaitIdle(s);
    // Our own disconnection is not reported as a fault: the slot has no ports now.
    if (SUCCEEDED(serverStatus_.load()))
        for (jack_port_t* p : ports)
            if (p) Jack().port_unregister(client_, p);
    s.claimed = false;
}

void JackClient::Attach(unsigned slot, IMixSource* source) { slots_[slot].source.store(source, std::memory_order_seq_cst); }

void JackClient::Detach(unsigned slot) {
    Slot& s = slots_[slot];
    s.source.store(nullptr, std::memory_order_seq_cst);
    WaitIdle(s);
}

void JackClient::WaitIdle(Slot& s) {
    // The callback marks a slot in use before it reads the slot's ports or
    // source, so once the mark is clear none of them can still be used. The
    // mark covers one slot's rendering only, so this wait is short.
    while (s.inUse.load(std::memory_order_seq_cst)) std::this_thread::yield();
}

HRESULT JackClient::Status(unsigned slot) const noexcept {
    const HRESULT server = serverStatus_.load(std::memory_order_acquire);
    if (FAILED(server)) return server;
    if (Stalled()) return DSERR_NODRIVER;
    return slots_[slot].status.load(std::memory_order_acquire);
}

bool JackClient::Stalled() const noexcept {
    const std::int64_t since = Now() - lastCycle_.load(std::memory_order_relaxed);
    const std::int64_t cycle = rate_ ? std::int64_t(cycleFrames_.load(std::memory_order_relaxed)) * 1'000'000'000 / rate_ : 0;
    if (since < std::max(kStalled, 8 * cycle)) return false;
    HRESULT ok = DS_OK;
    if (serverStatus_.compare_exchange_strong(ok, DSERR_NODRIVER))
        Log("JACK server shut down: no cycle for %lld ms", static_cast<long long>(since / 1'000'000));
    return true;
}

std::uint32_t JackClient::LatencyFrames(unsigned slot) const noexcept {
    jack_port_t* p = slots_[slot].ports[0].load();
    if (!p || FAILED(serverStatus_.load())) return 0;
    jack_latency_range_t range{0, 0};
    Jack().port_get_latency_range(p, JackPlaybackLatency, &range);
    return range.max;
}

// ---- the server's threads ----

int JackClient::OnProcess(jack_nframes_t frames, void* arg) {
    static_cast<JackClient*>(arg)->Process(frames);
    return 0;
}

void JackClient::Process(jack_nframes_t frames) noexcept {
    // One pass over every JACK output of the program per cycle: every source
    // renders the same frames of the same cycle, and takes the commands of the
    // same commit, read once here before the first source, so that commands
    // issued together land on one frame on every output.
    const std::uint64_t commit = PublishedCommit();
    for (Slot& s : slots_) RenderSlot(s, frames, commit);
    cycleFrames_.store(frames, std::memory_order_relaxed);
    lastCycle_.store(Now(), std::memory_order_relaxed);
    cycles_.fetch_add(1, std::memory_order_relaxed);
}

void JackClient::RenderSlot(Slot& s, jack_nframes_t frames, std::uint64_t commit) noexcept {
    if (!s.ports[0].load(std::memory_order_relaxed)) return;
    s.inUse.store(true, std::memory_order_seq_cst);
    jack_port_t* left = s.ports[0].load(std::memory_order_seq_cst);
    jack_port_t* right = s.ports[1].load(std::memory_order_seq_cst);
    IMixSource* src = s.source.load(std::memory_order_seq_cst);
    if (left && right) {
        auto* out0 = static_cast<float*>(Jack().port_get_buffer(left, frames));
        auto* out1 = static_cast<float*>(Jack().port_get_buffer(right, frames));
        const unsigned sc = src ? src->PrimaryChannels() : 0;
        if (sc < 1 || sc > kMaxSourceChannels) {
            std::fill_n(out0, frames, 0.0f);
            std::fill_n(out1, frames, 0.0f);
        } else {
            // A mono primary feeds both channels of its pair.
            const unsigned second = sc == 1 ? 0 : 1;
            for (jack_nframes_t done = 0; done < frames;) {
                const unsigned n = std::min<unsigned>(kChunk, frames - done);
                src->Render(scratch_.data(), n, commit);
                for (unsigned f = 0; f < n; ++f) {
                    out0[done + f] = scratch_[std::size_t(f) * sc];
                    out1[done + f] = scratch_[std::size_t(f) * sc + second];
                }
                done += n;
            }
        }
    }
    s.inUse.store(false, std::memory_order_release);
}

void JackClient::OnShutdown(jack_status_t, const char* reason, void* arg) {
    auto* self = static_cast<JackClient*>(arg);
    self->serverStatus_.store(DSERR_NODRIVER, std::memory_order_release);
    Log("JACK server shut down: %s", reason ? reason : "no reason given");
}

void JackClient::OnConnect(jack_port_id_t a, jack_port_id_t b, int connect, void* arg) {
    if (connect) return;
    auto* self = static_cast<JackClient*>(arg);
    jack_port_t* ends[2] = {Jack().port_by_id(self->client_, a), Jack().port_by_id(self->client_, b)};
    for (Slot& s : self->slots_) {
        for (auto& port : s.ports) {
            jack_port_t* mine = port.load();
            if (!mine || (mine != ends[0] && mine != ends[1])) continue;
            s.status.store(DSERR_GENERIC, std::memory_order_release);
            Log("JACK port \"%s\" was disconnected by another program", Jack().port_name(mine));
        }
    }
}

// A missed cycle is recovered by the server itself, as an ALSA underrun is by
// the stream: the outputs play on, and the log says it happened.
int JackClient::OnXrun(void*) {
    Log("JACK: a cycle was missed (xrun)");
    return 0;
}

}  // namespace audio::jack
