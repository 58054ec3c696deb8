#include "platform/ui/Application.h"

#include <cstdio>
#include <string>

#include "platform/ui/Messages.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The title the plain message boxes show; no display name, which some
    // platforms would append to every window caption.
    setApplicationName(QStringLiteral("Sondarium"));
    // The menu bar is part of the main window's layout. Without this the
    // toolkit asks the session's message bus for a global menu bar each time a
    // menu bar is made, before the window can take it back.
    setAttribute(Qt::AA_DontUseNativeMenuBar);
    UseMessageBoxes();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(std::current_exception());
        return false;
    }
}

void ShowException(std::exception_ptr pException) {
    std::string strText;
    try {
        std::rethrow_exception(pException);
    } catch (const std::exception& e) {
        strText = e.what();
    } catch (...) {
        // Anything else is shown as an exception without a message.
    }
    if (!QApplication::instance()) {
        std::fprintf(stderr, "Sondarium: %s\n", strText.c_str());
        return;
    }
    ShowMessage(strText, "Sondarium", MsgIcon::Error);
}
