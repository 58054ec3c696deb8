// What the program tells its user, free of any toolkit: the message boxes of
// the conventions (text, caption, icon, one OK button), the simple beep and
// the internal consistency checks, and the Yes/No questions. The windows
// install the reporter that shows real boxes; a test installs a
// MessageObserver that records them and gives the answers.
//
// Every message goes through ShowMessage, ShowPlainMessage or AskYesNo and
// every beep through MessageBeep. GUI thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

enum class MsgIcon { None, Error, Warning, Information, Question };

// Shows the messages: a task-modal box with no owner window, the icon, text
// and caption given, and one OK button; and beeps.
class IReporter {
public:
    virtual ~IReporter() = default;
    virtual void ShowMessage(const std::string& text, const std::string& caption, MsgIcon icon) = 0;
    virtual void MessageBeep() = 0;
    // A box with Yes and No; true for Yes. A reporter that cannot ask shows
    // the text and answers No: a question nobody answered changes nothing.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) {
        ShowMessage(text, caption, MsgIcon::Question);
        return false;
    }
};

// The reporter from now on (null: messages go to stderr, beeps nowhere). The
// caller keeps it alive while it is installed.
void SetReporter(IReporter* pReporter);
IReporter* Reporter();

void ShowMessage(const std::string& text, const std::string& caption, MsgIcon icon);
// The toolkit's plain message box: no icon, the application's title
// ("Sondarium") as caption.
void ShowPlainMessage(const std::string& text);
// The system's simple beep.
void MessageBeep();
// A task-modal question with no owner window, the question icon and the
// buttons Yes and No; Yes is the default (Enter answers Yes, Escape No).
// True for Yes; without a reporter the text goes to stderr and the answer is No.
bool AskYesNo(const std::string& text, const std::string& caption);

// What a test sees instead of boxes and beeps.
struct ShownMessage {
    std::string text;
    std::string caption;
    MsgIcon icon;  // Question: a Yes/No question
    bool beepBefore;  // a beep came right before this message
};

class MessageObserver {
public:
    MessageObserver();   // from now on messages are recorded, not shown
    ~MessageObserver();  // back to the reporter
    std::vector<ShownMessage> messages;
    int beeps = 0;
    bool bAnswerYes = false;  // the answer to every question
    // Runs while a message is "shown" (for instance to check a window's state then).
    std::function<void(const ShownMessage&)> onMessage;
    void clear() { messages.clear(); beeps = 0; }
    MessageObserver(const MessageObserver&) = delete;
    MessageObserver& operator=(const MessageObserver&) = delete;
};

// An internal consistency check failed: reports the condition (its text or the
// pointer's name) and the source unit, then ends the program in order. Under a
// MessageObserver the failure is recorded as a message captioned "Check" and the
// program goes on, so tests can see it.
void CheckFailed(const char* condition, const char* unit);

#define SND_CHECK(cond, text, unit)           \
    do {                                      \
        if (!(cond)) CheckFailed(text, unit); \
    } while (0)
