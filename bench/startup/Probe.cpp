// Linked into both start-up subjects (the program's own entry and a bare
// window): when the application object exists it starts watching for the first
// frame of the main window. Once that frame has been painted and flushed it
// prints the monotonic clock, the processor time the GUI thread has used so
// far (which a busy machine inflates far less than the clock) and the resident
// memory, then waits a second (the
// window at rest, before anyone starts a session), prints the resident memory
// again and ends the program.
//
// Output, one line: "FRAME <ns since boot> CPU <us> RSS <kB at the frame> IDLE <kB at rest>".
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstring>
#include <ctime>

#include <sys/resource.h>

namespace {

long ResidentKb() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::atol(line + 6);
    std::fclose(f);
    return kb;
}

long long ThreadCpuUs() {
    rusage ru{};
    getrusage(RUSAGE_THREAD, &ru);
    return (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1000000LL + ru.ru_utime.tv_usec + ru.ru_stime.tv_usec;
}

long long MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

QMainWindow* MainWindowOf(QObject* o) {
    auto* w = qobject_cast<QWindow*>(o);
    if (!w) return nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->windowHandle() == w) return qobject_cast<QMainWindow*>(top);
    return nullptr;
}

// The main window's first frame is painted and flushed to the screen inside
// either its native window's first expose or an update request that follows
// it. The filter delivers those two events itself and takes the time once one
// of them is back, the window is exposed and the main window (or a widget in
// it) has been painted.
class FirstFrame : public QObject {
public:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (done_) return false;
        if (e->type() == QEvent::Paint && o->isWidgetType() &&
            qobject_cast<QMainWindow*>(static_cast<QWidget*>(o)->window()))
            painted_ = true;
        if (inside_) return false;
        QWindow* window = nullptr;
        if (e->type() == QEvent::Expose)
            window = MainWindowOf(o) ? static_cast<QWindow*>(o) : nullptr;
        else if (e->type() == QEvent::UpdateRequest && qobject_cast<QMainWindow*>(o))
            window = static_cast<QWidget*>(o)->windowHandle();
        if (!window) return false;
        inside_ = true;
        o->event(e);
        inside_ = false;
        if (painted_ && window->isExposed()) Report();
        return true;
    }

private:
    void Report() {
        done_ = true;
        const long long ns = MonotonicNs();
        const long long us = ThreadCpuUs();
        const long kb = ResidentKb();
        QTimer::singleShot(1000, qApp, [ns, us, kb] {
            std::printf("FRAME %lld CPU %lld RSS %ld IDLE %ld\n", ns, us, kb, ResidentKb());
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    }

    bool done_ = false;
    bool inside_ = false;
    bool painted_ = false;
};

void InstallProbe() { qApp->installEventFilter(new FirstFrame); }

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
