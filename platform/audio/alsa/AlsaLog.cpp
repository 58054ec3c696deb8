#include "platform/audio/alsa/AlsaLog.h"

#include <alsa/asoundlib.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "platform/audio/alsa/AlsaBackend.h"

namespace audio::alsa {
namespace {

constexpr unsigned kSlots = 64;
constexpr unsigned kLine = 200;

// A writer claims a slot by number and fills it; a slot whose sequence does not
// match its number yet is being written and is skipped by the reader.
struct Ring {
    char text[kSlots][kLine] = {};
    std::atomic<unsigned long> seq[kSlots] = {};
    std::atomic<unsigned long> next{0};
};

Ring& TheRing() {
    static Ring ring;
    return ring;
}

void Put(const char* prefix, const char* fmt, va_list ap) {
    Ring& r = TheRing();
    const unsigned long n = r.next.fetch_add(1, std::memory_order_relaxed);
    const unsigned slot = n % kSlots;
    r.seq[slot].store(0, std::memory_order_release);
    const int used = std::snprintf(r.text[slot], kLine, "%s", prefix);
    std::vsnprintf(r.text[slot] + used, kLine - used, fmt, ap);
    r.seq[slot].store(n + 1, std::memory_order_release);
}

void Handler(const char* file, int line, const char* function, int err, const char* fmt, ...) {
    char prefix[96];
    if (err)
        std::snprintf(prefix, sizeof prefix, "ALSA %s:%d %s (%s): ", file, line, function, snd_strerror(err));
    else
        std::snprintf(prefix, sizeof prefix, "ALSA %s:%d %s: ", file, line, function);
    va_list ap;
    va_start(ap, fmt);
    Put(prefix, fmt, ap);
    va_end(ap);
}

}  // namespace

void InstallLogHandler() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&Handler); });
}

void Log(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    Put("", fmt, ap);
    va_end(ap);
}

std::vector<std::string> LogLines() {
    Ring& r = TheRing();
    const unsigned long end = r.next.load(std::memory_order_acquire);
    const unsigned long begin = end > kSlots ? end - kSlots : 0;
    std::vector<std::string> lines;
    for (unsigned long n = begin; n < end; ++n) {
        const unsigned slot = n % kSlots;
        if (r.seq[slot].load(std::memory_order_acquire) != n + 1) continue;
        std::string s(r.text[slot]);
        if (r.seq[slot].load(std::memory_order_acquire) == n + 1) lines.push_back(std::move(s));
    }
    return lines;
}

}  // namespace audio::alsa

namespace audio {
std::vector<std::string> AlsaLogLines() { return alsa::LogLines(); }
}  // namespace audio
