#include "faults/Listener.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/ui/SpeedButton.h"
#include "playback/FadeLaw.h"

namespace faults {

namespace {
constexpr int kTicksToSettle = (VOLUME_FULL - VOLUME_SILENT) / FADE_STEP + 1;
}

void ListenAndAnswer(sessiontest::SessionRig& rig, const answers::Answer& answer, const AfterFade& afterFade) {
    TFormMain& form = *rig.form;
    const auto settle = [&](int nExcerpt) {
        rig.Tick(kTicksToSettle);
        form.TimerPosTimer();
        QApplication::processEvents();
        if (afterFade) afterFade(nExcerpt);
    };
    form.SpeedButtonA->Press();
    settle(answer.nExcerptA);
    form.SpeedButtonB->Press();
    settle(answer.nExcerptB);
    form.ScrollBarTrackPos->triggerAction(QAbstractSlider::SliderPageStepAdd);
    settle(answer.nExcerptB);
    form.ButtonRewind->click();
    form.SpeedButtonB->Press();
    settle(answer.nExcerptB);
    rig.Submit(answer.choice, answer.strNotes);
    QApplication::processEvents();
}

std::vector<answers::Answer> PlannedAnswers(const std::vector<std::pair<int, int>>& tests) {
    std::vector<answers::Answer> planned;
    for (const auto& [a, b] : tests) {
        const int n = static_cast<int>(planned.size());
        planned.push_back({a, b, static_cast<answers::Choice>(n % 3), n % 3 == 2 ? "" : "nota " + std::to_string(n + 1)});
    }
    return planned;
}

bool LoopUntil(const std::function<bool()>& done) {
    QElapsedTimer guard;
    guard.start();
    while (!done()) {
        if (guard.elapsed() > 20000) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

Watchdog::Watchdog(const std::string& what, int nSeconds) {
    thread_ = std::thread([this, what, nSeconds] {
        std::unique_lock<std::mutex> lock(m_);
        if (!cv_.wait_for(lock, std::chrono::seconds(nSeconds), [this] { return disarmed_; })) {
            std::fprintf(stderr, "hangs: %s\n", what.c_str());
            std::abort();
        }
    });
}

Watchdog::~Watchdog() {
    {
        std::lock_guard<std::mutex> lock(m_);
        disarmed_ = true;
    }
    cv_.notify_one();
    thread_.join();
}

}  // namespace faults
