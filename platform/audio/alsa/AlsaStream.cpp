#include "platform/audio/alsa/AlsaStream.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>

#include "platform/audio/DSound.h"
#include "platform/audio/alsa/AlsaLog.h"

namespace audio::alsa {
namespace {

constexpr std::int64_t kRetryNs = 1'000'000'000;  // a failed device is tried again every second
constexpr int kWaitMs = 20;                        // bounds every wait, so Stop is prompt

std::int64_t NowNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

void SleepUntilNs(std::int64_t t) {
    timespec ts{static_cast<time_t>(t / 1'000'000'000), static_cast<long>(t % 1'000'000'000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

}  // namespace

AlsaStream::AlsaStream(std::string name) : name_(std::move(name)), status_(DS_OK) {}

AlsaStream::~AlsaStream() {
    StopThread();
    if (pcm_) snd_pcm_close(pcm_);
}

void AlsaStream::Allocate() {
    // Room for the device's period, or more, so a reopen that yields a longer
    // period only makes the thread write in several chunks, never allocate.
    // The floor is a few periods of 5 ms, not more: the buffers are filled
    // here so that the stream thread never takes a page fault on them, and a
    // stream per output keeps its own.
    chunkCap_ = std::max<unsigned>(static_cast<unsigned>(shape_.period), 512);
    channelCap_ = std::max(channelCap_, shape_.channels);
    mix_.assign(std::size_t(chunkCap_) * channelCap_, 0.0f);
    scratch_.assign(std::size_t(chunkCap_) * kMaxSourceChannels, 0.0f);
    bytes_.assign(std::size_t(chunkCap_) * channelCap_ * 4, 0);
}

int AlsaStream::Start(const PcmRequest& want, std::string& why) {
    StopThread();
    if (pcm_) {
        snd_pcm_close(pcm_);
        pcm_ = nullptr;
    }
    PcmShape got;
    const int err = OpenPcm(name_, want, pcm_, got, why);
    if (err < 0) return err;
    want_ = want;
    shape_ = got;
    Allocate();
    written_ = 0;
    paced_ = false;
    status_.store(DS_OK, std::memory_order_release);
    quit_.store(false);
    thread_ = std::thread([this] { Run(); });
    return 0;
}

int AlsaStream::Reshape(const PcmRequest& want, std::string& why) {
    const PcmRequest before = want_;
    const int err = Start(want, why);
    if (err < 0) {
        std::string ignored;
        if (Start(before, ignored) < 0) {
            // Leave the thread retrying the old shape, as after a failure mid-play.
            want_ = before;
            Fail(err, "could not be reopened");
            quit_.store(false);
            thread_ = std::thread([this] { Run(); });
        }
    }
    return err;
}

void AlsaStream::StopThread() {
    quit_.store(true);
    if (thread_.joinable()) thread_.join();
}

int AlsaStream::ClaimSlot(unsigned preferred) {
    if (preferred < kMaxSlots) {
        if (slots_[preferred].claimed) return -1;
        slots_[preferred].claimed = true;
        return static_cast<int>(preferred);
    }
    for (unsigned i = 0; i < kMaxSlots; ++i) {
        if (!slots_[i].claimed) {
            slots_[i].claimed = true;
            return static_cast<int>(i);
        }
    }
    return -1;
}

void AlsaStream::ReleaseSlot(unsigned slot) {
    Detach(slot);
    slots_[slot].claimed = false;
}

void AlsaStream::Attach(unsigned slot, IMixSource* source, unsigned offset, unsigned width) {
    Slot& s = slots_[slot];
    s.offset.store(offset, std::memory_order_relaxed);
    s.width.store(width, std::memory_order_relaxed);
    s.source.store(source, std::memory_order_seq_cst);
}

void AlsaStream::Detach(unsigned slot) {
    Slot& s = slots_[slot];
    s.source.store(nullptr, std::memory_order_seq_cst);
    // The thread marks a slot in use before it reads the source, so once the
    // mark is clear no call can still be running or begin. The mark covers one
    // Render call only, never an ALSA call, so this wait is short.
    while (s.inUse.load(std::memory_order_seq_cst)) std::this_thread::yield();
}

bool AlsaStream::Silent() const {
    for (const Slot& s : slots_) {
        if (IMixSource* src = s.source.load(std::memory_order_relaxed); src && src->Sounding()) return false;
    }
    return true;
}

// ---- the stream thread ----

void AlsaStream::Run() {
    while (!quit_.load(std::memory_order_relaxed)) {
        if (!pcm_) {
            if (!Reopen()) SleepUntilNs(NowNs() + kWaitMs * 1'000'000);
            continue;
        }
        const unsigned chunk = std::min<unsigned>(static_cast<unsigned>(shape_.period), chunkCap_);
        if (!WaitForRoom(chunk)) continue;
        if (paced_) Pace(chunk);
        Mix(chunk);
        Convert(chunk);
        if (!WriteAll(chunk)) continue;
        written_ += chunk;
        writtenShown_.store(written_, std::memory_order_relaxed);
        AfterWrite();
    }
}

// Reopening allocates inside ALSA; it happens here, between mixing, and only
// once a second while the device stays away.
bool AlsaStream::Reopen() {
    const std::int64_t now = NowNs();
    if (now < retryAtNs_) return false;
    retryAtNs_ = now + kRetryNs;
    PcmShape got;
    std::string why;
    if (OpenPcm(name_, want_, pcm_, got, why) < 0) return false;
    shape_.period = got.period;
    shape_.buffer = got.buffer;
    shape_.format = got.format;
    written_ = 0;
    paced_ = false;
    status_.store(DS_OK, std::memory_order_release);
    Log("\"%s\" plays again", name_.c_str());
    return true;
}

void AlsaStream::Fail(int err, const char* what) {
    Log("ALSA device \"%s\" %s: %s", name_.c_str(), what, snd_strerror(err));
    const HRESULT code = CodeForError(err);
    status_.store(code == DSERR_BADFORMAT || code == DSERR_ALLOCATED ? DSERR_GENERIC : code,
                  std::memory_order_release);
    latency_.store(0, std::memory_order_relaxed);
    if (pcm_) {
        snd_pcm_close(pcm_);
        pcm_ = nullptr;
    }
    retryAtNs_ = NowNs() + kRetryNs;
}

bool AlsaStream::WaitForRoom(unsigned frames) {
    snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm_);
    if (avail >= 0 && static_cast<snd_pcm_uframes_t>(avail) >= frames) return true;
    int err = avail < 0 ? static_cast<int>(avail) : snd_pcm_wait(pcm_, kWaitMs);
    if (err < 0 && snd_pcm_recover(pcm_, err, 1) < 0) Fail(err, "failed while playing");
    return false;
}

// The rule for every loop that renders several sources in one period: take
// the commit snapshot ONCE, before the first source, and hand the same value
// to every source, so that a set of commands issued together lands on the
// same frame of all of them.
void AlsaStream::Mix(unsigned frames) {
    const unsigned channels = shape_.channels;
    std::fill_n(mix_.data(), std::size_t(frames) * channels, 0.0f);
    const std::uint64_t commit = PublishedCommit();
    for (Slot& s : slots_) {
        if (!s.source.load(std::memory_order_relaxed)) continue;
        s.inUse.store(true, std::memory_order_seq_cst);
        IMixSource* src = s.source.load(std::memory_order_seq_cst);
        const unsigned sc = src ? src->PrimaryChannels() : 0;
        if (sc >= 1 && sc <= kMaxSourceChannels) {
            src->Render(scratch_.data(), frames, commit);
            const unsigned offset = std::min(s.offset.load(std::memory_order_relaxed), channels);
            const unsigned width = std::min(s.width.load(std::memory_order_relaxed), channels - offset);
            for (unsigned f = 0; f < frames; ++f) {
                const float* in = scratch_.data() + std::size_t(f) * sc;
                float* out = mix_.data() + std::size_t(f) * channels + offset;
                if (sc == 1) {
                    // A mono primary feeds every channel of its pair.
                    for (unsigned c = 0; c < width; ++c) out[c] += in[0];
                } else {
                    for (unsigned c = 0; c < width && c < sc; ++c) out[c] += in[c];
                }
            }
        }
        s.inUse.store(false, std::memory_order_release);
    }
}

void AlsaStream::Convert(unsigned frames) {
    ToDeviceSamples(mix_.data(), std::size_t(frames) * shape_.channels, shape_.format, bytes_.data(), dither_);
}

bool AlsaStream::WriteAll(unsigned frames) {
    const unsigned bpf = shape_.BytesPerFrame();
    const unsigned char* data = bytes_.data();
    while (frames > 0) {
        if (quit_.load(std::memory_order_relaxed)) return false;
        snd_pcm_sframes_t r = snd_pcm_writei(pcm_, data, frames);
        if (r == -EAGAIN) {
            r = snd_pcm_wait(pcm_, kWaitMs);
            if (r >= 0) continue;
        }
        if (r < 0) {
            // Underruns and suspends are recovered; anything else is a failed
            // device. An underrun leaves the device in XRUN: EPIPE in any other
            // state is a broken pipe (a file PCM's command that quit), which no
            // recovery mends.
            const bool bBrokenPipe = r == -EPIPE && snd_pcm_state(pcm_) != SND_PCM_STATE_XRUN;
            if (bBrokenPipe || snd_pcm_recover(pcm_, static_cast<int>(r), 1) < 0) {
                Fail(static_cast<int>(r), "failed while playing");
                return false;
            }
            continue;
        }
        data += std::size_t(r) * bpf;
        frames -= static_cast<unsigned>(r);
    }
    return true;
}

// A device that takes data faster than real time (null, file) is held to the
// clock: at most two periods ahead of it, so positions advance in real time.
void AlsaStream::Pace(unsigned frames) {
    const std::int64_t now = NowNs();
    const std::uint64_t clock = anchorFrames_ + std::uint64_t((now - anchorNs_) * double(shape_.rate) / 1e9);
    const std::uint64_t ahead = std::uint64_t(shape_.period) * 2;
    if (clock > written_ + shape_.buffer) {
        // The thread was held up: carry on from here rather than burst.
        anchorNs_ = now;
        anchorFrames_ = written_;
        return;
    }
    if (written_ + frames > clock + ahead) {
        const std::uint64_t due = written_ + frames - ahead - anchorFrames_;
        SleepUntilNs(anchorNs_ + std::int64_t(double(due) * 1e9 / shape_.rate));
    }
}

void AlsaStream::AfterWrite() {
    snd_pcm_sframes_t delay = 0;
    const bool hasDelay = snd_pcm_delay(pcm_, &delay) == 0;
    const snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm_);
    // A device that reports nothing queued right after a write consumes
    // instantly: it has no clock of its own to follow.
    const bool freeRunning = (!hasDelay || delay <= 0) && avail >= static_cast<snd_pcm_sframes_t>(shape_.buffer);
    const std::int64_t now = NowNs();
    if (freeRunning && !paced_) {
        paced_ = true;
        anchorNs_ = now;
        anchorFrames_ = written_;
    }
    paced_ = freeRunning;
    if (paced_) {
        const std::uint64_t clock = anchorFrames_ + std::uint64_t((now - anchorNs_) * double(shape_.rate) / 1e9);
        latency_.store(written_ > clock ? static_cast<std::uint32_t>(written_ - clock) : 0, std::memory_order_relaxed);
    } else {
        latency_.store(delay > 0 ? static_cast<std::uint32_t>(delay) : 0, std::memory_order_relaxed);
    }
}

}  // namespace audio::alsa
