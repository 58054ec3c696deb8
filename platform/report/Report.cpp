#include "platform/report/Report.h"

#include <cstdio>
#include <cstdlib>

namespace {
IReporter* g_reporter = nullptr;
MessageObserver* g_observer = nullptr;
bool g_beepPending = false;

// Shows a message or asks a question (icon Question); true for Yes.
bool Show(const std::string& text, const std::string& caption, MsgIcon icon) {
    const bool beep = g_beepPending;
    g_beepPending = false;
    if (g_observer) {
        ShownMessage m{text, caption, icon, beep};
        g_observer->messages.push_back(m);
        if (g_observer->onMessage) g_observer->onMessage(m);
        return icon == MsgIcon::Question && g_observer->bAnswerYes;
    }
    if (!g_reporter) {
        std::fprintf(stderr, "Sondarium: %s: %s\n", caption.c_str(), text.c_str());
        return false;
    }
    if (icon == MsgIcon::Question) return g_reporter->AskYesNo(text, caption);
    g_reporter->ShowMessage(text, caption, icon);
    return false;
}
}  // namespace

void SetReporter(IReporter* pReporter) { g_reporter = pReporter; }
IReporter* Reporter() { return g_reporter; }

void ShowMessage(const std::string& text, const std::string& caption, MsgIcon icon) { Show(text, caption, icon); }

void ShowPlainMessage(const std::string& text) { Show(text, "Sondarium", MsgIcon::None); }

bool AskYesNo(const std::string& text, const std::string& caption) { return Show(text, caption, MsgIcon::Question); }

void MessageBeep() {
    if (g_observer) {
        ++g_observer->beeps;
    } else if (g_reporter) {
        g_reporter->MessageBeep();
    }
    g_beepPending = true;
}

MessageObserver::MessageObserver() {
    g_observer = this;
    g_beepPending = false;
}

MessageObserver::~MessageObserver() {
    if (g_observer == this) g_observer = nullptr;
    g_beepPending = false;
}

void CheckFailed(const char* condition, const char* unit) {
    const std::string text = std::string("Verifica interna fallita: ") + condition + "\nunità: " + unit;
    std::fprintf(stderr, "Sondarium: check failed: %s (%s)\n", condition, unit);
    if (g_observer) {
        Show(text, "Check", MsgIcon::Error);
        return;
    }
    Show(text, "Errore interno", MsgIcon::Error);
    // The condition can only fail when the program's own state is broken, so it
    // stops here rather than act on that state; exit() still runs the static
    // destructors and flushes the streams.
    std::exit(EXIT_FAILURE);
}
