// ALSA's error printing, kept in memory for the program's log instead of going
// to the user's terminal. Safe to call from the stream threads: a message takes
// a slot of a fixed ring, nothing is allocated.
#pragma once

#include <string>
#include <vector>

namespace audio::alsa {

// Routes ALSA's error printing into the ring. Idempotent; call before the first
// ALSA call that may print.
void InstallLogHandler();

// Adds one line of the back end's own (the reason a stream failed or came back).
void Log(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

std::vector<std::string> LogLines();

}  // namespace audio::alsa
