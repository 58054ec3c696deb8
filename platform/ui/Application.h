// The application object of the program: the toolkit's application with the
// framework's exception display. An exception that escapes an event handler is
// shown in a message box and the message loop goes on, as the framework's own
// loop does. GUI thread only.
#pragma once

#include <QApplication>

#include <exception>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The framework's standard exception display: an error box with the exception's
// text (empty for an exception that is not a std::exception) and the
// application's title as caption. Works also when no application object exists
// (the text then goes to stderr).
void ShowException(std::exception_ptr pException);
