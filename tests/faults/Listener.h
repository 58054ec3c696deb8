// A listener at the main window during a fault: the same road through every
// test whatever the outputs do, so that the tests see whether the window keeps
// answering and the answers keep reaching the results file.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "common/SessionAnswers.h"
#include "session/SessionRig.h"

namespace faults {

// Called once a press's fade has settled, with the excerpt faded in.
using AfterFade = std::function<void(int nExcerpt)>;

// A, B, a seek, a rewind and B again, each fade ticked through and the position
// shown; then the answer and "Test successivo ...".
void ListenAndAnswer(sessiontest::SessionRig& rig, const answers::Answer& answer, const AfterFade& afterFade = {});

// The answers of a session of `tests`, all three kinds and a comment on most.
std::vector<answers::Answer> PlannedAnswers(const std::vector<std::pair<int, int>>& tests);

// Runs the event loop until `done` holds; false when it did not within a bound
// far beyond what the window's timers need (a guard against a stuck window or
// output, not a measure of speed).
bool LoopUntil(const std::function<bool()>& done);

// Ends the process with a message when not disarmed in time: a hang must fail
// the test run instead of stalling it.
class Watchdog {
public:
    Watchdog(const std::string& what, int nSeconds);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool disarmed_ = false;
    std::thread thread_;
};

}  // namespace faults
