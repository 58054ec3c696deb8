#include "platform/ui/Messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace {
MessageObserver* g_observer = nullptr;
bool g_beepPending = false;

QMessageBox::Icon ToQt(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Error: return QMessageBox::Critical;
        case MsgIcon::Warning: return QMessageBox::Warning;
        case MsgIcon::Information: return QMessageBox::Information;
        case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

void Show(const std::string& text, const std::string& caption, MsgIcon icon) {
    const bool beep = g_beepPending;
    g_beepPending = false;
    if (g_observer) {
        ShownMessage m{text, caption, icon, beep};
        g_observer->messages.push_back(m);
        if (g_observer->onMessage) g_observer->onMessage(m);
        return;
    }
    if (!QApplication::instance()) {
        // Before the application object exists (or after it is gone) there is
        // nothing to show a box with.
        std::fprintf(stderr, "Sondarium: %s: %s\n", caption.c_str(), text.c_str());
        return;
    }
    // No owner window; application-modal, as the system's task-modal boxes are.
    QMessageBox box(ToQt(icon), QString::fromUtf8(caption.c_str()), QString::fromUtf8(text.c_str()),
                    QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}
}  // namespace

void ShowMessage(const std::string& text, const std::string& caption, MsgIcon icon) { Show(text, caption, icon); }

void ShowPlainMessage(const std::string& text) { Show(text, "Sondarium", MsgIcon::None); }

void MessageBeep() {
    if (g_observer) {
        ++g_observer->beeps;
    } else {
        QApplication::beep();
    }
    g_beepPending = true;
}

MessageObserver::MessageObserver() { g_observer = this; g_beepPending = false; }
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
