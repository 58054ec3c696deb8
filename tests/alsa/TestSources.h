// Mix sources that stand in for a device object's mixer in the back end's own
// tests: they render known frames so the files the file PCMs write can be checked.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/audio/AudioBackend.h"

namespace alsatest {

struct Format {
    std::uint32_t rate = 44100, channels = 2, bits = 16;
};

// Silence until the gate opens, then `pattern` (interleaved, full scale +-1) once, then silence.
// Sources of one card that share a gate open together: the one rendered first
// in a period (the lowest slot) latches the gate for all of them.
struct Gate {
    std::atomic<bool> open{false};
    bool latched = false;  // stream thread only
};

class PatternSource : public audio::IMixSource {
public:
    PatternSource(Format f, std::vector<float> pattern, Gate* gate, bool leader)
        : f_(f), pattern_(std::move(pattern)), gate_(gate), leader_(leader) {}

    void Render(float* out, std::uint32_t frames, std::uint64_t) noexcept override {
        calls_.fetch_add(1);
        if (leader_ && gate_->open.load()) gate_->latched = true;
        for (std::uint32_t i = 0; i < frames * f_.channels; ++i) {
            out[i] = gate_->latched && pos_ < pattern_.size() ? pattern_[pos_++] : 0.0f;
        }
        rendered_.fetch_add(frames);
        if (pos_ >= pattern_.size()) done_.store(true);
    }
    std::uint32_t PrimaryRate() const noexcept override { return f_.rate; }
    std::uint32_t PrimaryChannels() const noexcept override { return f_.channels; }
    std::uint32_t PrimaryBits() const noexcept override { return f_.bits; }

    bool Done() const { return done_.load(); }
    std::uint64_t Rendered() const { return rendered_.load(); }
    std::uint64_t Calls() const { return calls_.load(); }

private:
    Format f_;
    std::vector<float> pattern_;
    Gate* gate_;
    bool leader_;
    std::size_t pos_ = 0;
    std::atomic<bool> done_{false};
    std::atomic<std::uint64_t> rendered_{0};
    std::atomic<std::uint64_t> calls_{0};
};

}  // namespace alsatest
