// The control thread's side of a voice: its orders, and the commits that
// hand a set of orders over at once.
#include <algorithm>
#include <atomic>

#include "platform/audio/Mixer.h"

namespace audio {

namespace {

std::atomic<std::uint64_t> published{0};  // written by the control thread only
int depth = 0;                            // control thread only
std::atomic<int> converting{0};
std::atomic<std::uint64_t> heldAt{0};     // the last commit a stream may apply while converting

}  // namespace

std::uint64_t PublishedCommit() noexcept {
    const std::uint64_t commit = published.load(std::memory_order_acquire);
    if (converting.load(std::memory_order_acquire) == 0) return commit;
    return std::min(commit, heldAt.load(std::memory_order_acquire));
}

void BeginConversion() {
    int n = converting.load(std::memory_order_acquire);
    do {
        // The first of a run of conversions holds back what is committed from now on.
        if (n == 0) heldAt.store(published.load(std::memory_order_relaxed), std::memory_order_release);
    } while (!converting.compare_exchange_weak(n, n + 1, std::memory_order_acq_rel));
}

void EndConversion() { converting.fetch_sub(1, std::memory_order_acq_rel); }

int ConversionsRunning() { return converting.load(std::memory_order_acquire); }

void BeginCommands() { ++depth; }

void CommitCommands() {
    if (depth == 0) return;
    // The orders were written before this store; a stream that reads the new
    // number (acquire) sees all of them.
    if (--depth == 0) published.store(published.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

std::uint64_t CommandCommit() { return published.load(std::memory_order_relaxed) + (depth > 0 ? 1 : 0); }

void Voice::Command(bool play, bool loop) {
    want.command = ((want.command >> 2) + 1) << 2 | (loop ? 2u : 0u) | (play ? 1u : 0u);
    Send();
}

void Voice::SetGain(float gain) {
    want.gain = gain;
    Send();
}

void Voice::Seek(std::int64_t frame) {
    ++want.seekSeq;
    want.seekFrame = frame;
    Send();
}

bool Voice::Playing() const {
    const std::uint32_t s = state.load(std::memory_order_acquire);
    return ((s >> 2) == (want.command >> 2) ? s : want.command) & 1u;
}

bool Voice::Looping() const { return Playing() && (want.command & 2u); }

// The open bracket's order is rewritten in place (no render takes it before
// its commit); any other goes into the other slot, so that the newest order
// already handed over stays whole for a render that is reading it now.
void Voice::Send() {
    const std::uint64_t commit = CommandCommit();
    const Order& last = orders[newest];
    const bool sameOpenBracket = last.version.load(std::memory_order_relaxed) != 0 &&
                                 last.commit.load(std::memory_order_relaxed) == commit &&
                                 commit > published.load(std::memory_order_relaxed);
    if (!sameOpenBracket) newest ^= 1;
    Order& o = orders[newest];
    written += 2;
    o.version.store(written - 1, std::memory_order_relaxed);  // odd: being written
    std::atomic_thread_fence(std::memory_order_release);
    o.commit.store(commit, std::memory_order_relaxed);
    o.command.store(want.command, std::memory_order_relaxed);
    o.gain.store(want.gain, std::memory_order_relaxed);
    o.seekSeq.store(want.seekSeq, std::memory_order_relaxed);
    o.seekFrame.store(want.seekFrame, std::memory_order_relaxed);
    o.version.store(written, std::memory_order_release);
}

}  // namespace audio
