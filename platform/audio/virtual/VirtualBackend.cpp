#include "platform/audio/virtual/VirtualBackend.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "platform/audio/DSound.h"
#include "platform/audio/Mixer.h"

namespace audio {

// One device object's open output. The status and latency cells belong to the
// output, so that a failure injected before the device is opened applies too.
class VirtualStream : public IOutputStream {
public:
    VirtualStream(std::shared_ptr<VirtualBackend> keep, VirtualBackend* backend, int output)
        : keep_(std::move(keep)), backend_(backend), output_(output) {
        auto& o = backend_->At(output_);
        status_ = o.status;
        latency_ = o.latency;
        fixedRate_ = o.fixedRate;
        faults_ = o.faults;
    }
    ~VirtualStream() override {
        Detach();
        backend_->Closed(this);
    }
    HRESULT Attach(IMixSource* source) override {
        std::lock_guard<std::mutex> g(backend_->lock_);
        source_ = source;
        return S_OK;
    }
    void Detach() override {
        std::lock_guard<std::mutex> g(backend_->lock_);
        source_ = nullptr;
    }
    HRESULT FormatChanged() override {
        std::lock_guard<std::mutex> g(backend_->lock_);
        ++backend_->At(output_).formatChanges;
        return S_OK;
    }
    HRESULT Status() const noexcept override { return status_->load(); }
    std::uint32_t LatencyFrames() const noexcept override { return latency_->load(); }
    std::uint32_t FixedRate() const noexcept override { return fixedRate_; }
    std::shared_ptr<InjectedFaults> Faults() const override { return faults_; }

    IMixSource* source_ = nullptr;  // guarded by the back end's lock

private:
    std::shared_ptr<VirtualBackend> keep_;
    VirtualBackend* backend_;
    int output_;
    std::shared_ptr<std::atomic<HRESULT>> status_;
    std::shared_ptr<std::atomic<std::uint32_t>> latency_;
    std::uint32_t fixedRate_ = 0;
    std::shared_ptr<InjectedFaults> faults_;
};

VirtualBackend::VirtualBackend(std::vector<OutputInfo> outputs) {
    for (auto& info : outputs) {
        Output o;
        o.info = std::move(info);
        outputs_.push_back(std::move(o));
    }
}

VirtualBackend::~VirtualBackend() { StopClock(); }

GUID VirtualBackend::IdFor(int n) {
    GUID g{0x56495254, 0x5541, 0x4C20, {0x6F, 0x75, 0x74, 0x70, 0, 0, 0, 0}};
    g.Data4[6] = static_cast<std::uint8_t>(n >> 8);
    g.Data4[7] = static_cast<std::uint8_t>(n);
    return g;
}

std::vector<OutputInfo> VirtualBackend::Outputs(const std::vector<std::string>& descriptions, bool firstIsDefault) {
    std::vector<OutputInfo> list;
    for (std::size_t i = 0; i < descriptions.size(); ++i) {
        OutputInfo info;
        info.description = descriptions[i];
        info.hasId = !(firstIsDefault && i == 0);
        if (info.hasId) info.id = IdFor(static_cast<int>(i));
        list.push_back(info);
    }
    return list;
}

std::vector<OutputInfo> VirtualBackend::UA101Outputs() {
    return Outputs({"Driver audio principale", "OUT 1-2 (1:UA-101)", "OUT 3-4 (1:UA-101)", "OUT 5-6 (1:UA-101)",
                    "OUT 7-8 (1:UA-101)"},
                   true);
}

std::shared_ptr<VirtualBackend> VirtualBackend::Install(std::vector<OutputInfo> outputs) {
    auto vb = std::make_shared<VirtualBackend>(std::move(outputs));
    SetBackend(vb);
    return vb;
}

std::vector<OutputInfo> VirtualBackend::Enumerate() {
    std::vector<OutputInfo> list;
    for (auto& o : outputs_) list.push_back(o.info);
    return list;
}

HRESULT VirtualBackend::Open(const GUID* id, std::unique_ptr<IOutputStream>& stream, std::string& reason) {
    int found = -1;
    for (int i = 0; i < OutputCount() && found < 0; ++i) {
        const OutputInfo& info = outputs_[i].info;
        if (id ? (info.hasId && info.id == *id) : !info.hasId) found = i;
    }
    if (found < 0) {
        reason = id ? "virtual output: no output has this id" : "virtual output: there is no default output";
        return DSERR_NODRIVER;
    }
    Output& o = outputs_[found];
    if (FAILED(o.refuseCode)) {
        reason = o.refuseReason;
        return o.refuseCode;
    }
    auto s = std::make_unique<VirtualStream>(weak_from_this().lock(), this, found);
    {
        std::lock_guard<std::mutex> g(lock_);
        o.streams.push_back(s.get());
    }
    stream = std::move(s);
    return S_OK;
}

VirtualBackend::Output& VirtualBackend::At(int output) { return outputs_.at(static_cast<std::size_t>(output)); }
const VirtualBackend::Output& VirtualBackend::At(int output) const {
    return outputs_.at(static_cast<std::size_t>(output));
}

const GUID& VirtualBackend::Id(int output) const { return At(output).info.id; }

void VirtualBackend::Closed(VirtualStream* stream) {
    std::lock_guard<std::mutex> g(lock_);
    for (auto& o : outputs_) std::erase(o.streams, stream);
}

int VirtualBackend::OpenStreams(int output) const {
    std::lock_guard<std::mutex> g(lock_);
    return static_cast<int>(At(output).streams.size());
}

namespace {
IMixSource* FirstSource(const std::vector<VirtualStream*>& streams) {
    for (auto* s : streams)
        if (s->source_) return s->source_;
    return nullptr;
}
}  // namespace

std::uint32_t VirtualBackend::Rate(int output) const {
    std::lock_guard<std::mutex> g(lock_);
    IMixSource* s = FirstSource(At(output).streams);
    return s ? s->PrimaryRate() : 0;
}
std::uint32_t VirtualBackend::Channels(int output) const {
    std::lock_guard<std::mutex> g(lock_);
    IMixSource* s = FirstSource(At(output).streams);
    return s ? s->PrimaryChannels() : 0;
}
std::uint32_t VirtualBackend::Bits(int output) const {
    std::lock_guard<std::mutex> g(lock_);
    IMixSource* s = FirstSource(At(output).streams);
    return s ? s->PrimaryBits() : 0;
}
int VirtualBackend::FormatChanges(int output) const {
    std::lock_guard<std::mutex> g(lock_);
    return At(output).formatChanges;
}

// Sums every attached mixer of the output into dst (frames x channels, zeroed
// here); a mixer with another channel count is mapped channel by channel, wrapping.
// Called with lock_ held; scratch holds frames x 8 floats. Every mixer of the
// period gets the same commit snapshot (AudioBackend.h's rule for streams that
// render several sources), taken by the caller once for all outputs.
void VirtualBackend::RenderInto(Output& out, std::uint32_t frames, float* dst, std::uint32_t channels,
                                float* scratch, std::uint64_t commit) {
    std::fill(dst, dst + static_cast<std::size_t>(frames) * channels, 0.0f);
    int index = 0;
    for (auto* s : out.streams) {
        if (sourceHook_) sourceHook_(index++);
        if (!s->source_) continue;
        const std::uint32_t sc = s->source_->PrimaryChannels();
        s->source_->Render(scratch, frames, commit);
        for (std::uint32_t f = 0; f < frames; ++f)
            for (std::uint32_t c = 0; c < channels; ++c) dst[f * channels + c] += scratch[f * sc + c % sc];
    }
}

std::vector<float> VirtualBackend::Render(int output, std::uint32_t frames) {
    // A render on demand stands for time passing: long enough for every
    // conversion under way to end (a stream would play held-back silence).
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (ConversionsRunning() > 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::lock_guard<std::mutex> g(lock_);
    Output& o = At(output);
    IMixSource* first = FirstSource(o.streams);
    if (!first) return {};
    const std::uint32_t channels = first->PrimaryChannels();
    std::vector<float> out(static_cast<std::size_t>(frames) * channels);
    std::vector<float> scratch(static_cast<std::size_t>(frames) * 8);
    RenderInto(o, frames, out.data(), channels, scratch.data(), PublishedCommit());
    return out;
}

std::int16_t VirtualBackend::ToInt16(float v) {
    const float s = std::nearbyint(v * 32768.0f);
    return static_cast<std::int16_t>(std::clamp(s, -32768.0f, 32767.0f));
}

std::vector<std::int16_t> VirtualBackend::RenderInt16(int output, std::uint32_t frames) {
    std::vector<float> f = Render(output, frames);
    std::vector<std::int16_t> out(f.size());
    std::transform(f.begin(), f.end(), out.begin(), ToInt16);
    return out;
}

void VirtualBackend::SetLatencyFrames(int output, std::uint32_t frames) { At(output).latency->store(frames); }

void VirtualBackend::FixRate(int output, std::uint32_t rate) { At(output).fixedRate = rate; }

void VirtualBackend::RefuseOpen(int output, HRESULT hr, std::string reason) {
    At(output).refuseCode = hr;
    At(output).refuseReason = std::move(reason);
}

InjectedFaults& VirtualBackend::Faults(int output) { return *At(output).faults; }

void VirtualBackend::LoseBuffers(int output) { ++At(output).faults->loseGeneration; }

void VirtualBackend::FailStream(int output, HRESULT hr) { At(output).status->store(hr); }

void VirtualBackend::StartClock(std::uint32_t periodFrames, std::uint32_t keepFrames) {
    StopClock();
    {
        std::lock_guard<std::mutex> g(lock_);
        clockPeriod_ = std::max<std::uint32_t>(periodFrames, 1);
        clockKeep_ = keepFrames;
        for (auto& o : outputs_) {
            o.clocked.clear();
            o.clocked.reserve(static_cast<std::size_t>(keepFrames) * 2);
            o.clockedFrames = 0;
        }
    }
    clockRun_ = true;
    clock_ = std::thread([this] { ClockLoop(); });
}

void VirtualBackend::StopClock() {
    clockRun_ = false;
    if (clock_.joinable()) clock_.join();
}

std::vector<float> VirtualBackend::TakeClocked(int output) {
    std::lock_guard<std::mutex> g(lock_);
    std::vector<float> out = At(output).clocked;
    At(output).clocked.clear();
    return out;
}

std::uint64_t VirtualBackend::ClockedFrames(int output) const {
    std::lock_guard<std::mutex> g(lock_);
    return At(output).clockedFrames;
}

// Renders each output's frames as the clock advances, at the rate of the
// output's first mixer. It only tries the lock: while the control thread holds
// it the period is rendered later, so the clock never waits on that thread.
void VirtualBackend::ClockLoop() {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    std::vector<float> mix(static_cast<std::size_t>(clockPeriod_) * 8);
    std::vector<float> scratch(static_cast<std::size_t>(clockPeriod_) * 8);
    std::vector<double> since(outputs_.size(), -1.0);  // when each output's first mixer was seen
    while (clockRun_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::unique_lock<std::mutex> g(lock_, std::try_to_lock);
        if (!g.owns_lock()) continue;
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const std::uint64_t commit = PublishedCommit();
        for (std::size_t i = 0; i < outputs_.size(); ++i) {
            Output& o = outputs_[i];
            IMixSource* first = FirstSource(o.streams);
            if (!first) continue;
            const std::uint32_t channels = first->PrimaryChannels();
            if (since[i] < 0) since[i] = seconds;
            const double due = (seconds - since[i]) * first->PrimaryRate();
            while (static_cast<double>(o.clockedFrames) + clockPeriod_ <= due) {
                RenderInto(o, clockPeriod_, mix.data(), channels, scratch.data(), commit);
                const std::size_t room = o.clocked.capacity() - o.clocked.size();
                const std::size_t n = std::min<std::size_t>(room, static_cast<std::size_t>(clockPeriod_) * channels);
                o.clocked.insert(o.clocked.end(), mix.begin(), mix.begin() + static_cast<std::ptrdiff_t>(n));
                o.clockedFrames += clockPeriod_;
            }
        }
    }
}

}  // namespace audio
