// The end-to-end session driven as a listener drives it, shared by the runs
// on ALSA file PCMs and through a JACK server: typing and clicking through the
// windows with the real timers running, then reading what every output played.
#pragma once

#include <QString>
#include <QWidget>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "app/TFormMain.h"
#include "platform/ui/Messages.h"

class QRadioButton;

namespace e2e {

extern const char* const kPairs[4];

// Types text key by key; letters beyond ASCII arrive as the text of a key event,
// as a keyboard layout that has them delivers them.
void Type(QWidget* w, const QString& text);
void ClickRadio(QRadioButton* radio);

// The folder the session runs in, left again when the test ends.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& path);
    ~WorkingFolder();

private:
    std::filesystem::path previous_;
};

// The program, started as its entry starts it and ended as its entry ends it.
class Program {
public:
    Program();
    ~Program() { End(); }
    TFormMain& Form() { return *pFormMain_; }
    // Closes the main window and lets it go; returns how long the outputs were open.
    double End();

private:
    TFormMain* pFormMain_ = nullptr;
    std::chrono::steady_clock::time_point opened_;
};

// "&Nuova Sessione ...", the dialog answered by typing into its fields and
// clicking "&Ok".
void StartSession(TFormMain& form);
std::string ReadText(const std::string& path);

// What the demo session did that its outputs must show.
struct DemoRun {
    int nSeekBytes = 0;
    double wallMs = 0;
    bool bOutputsFail = false;  // the outputs fail on the way: warnings, and the completion text says so
    // A server that keeps time by its own clock (PipeWire) drops a cycle when a
    // busy machine holds a client up: its cycle in frames, and only what each
    // stretch holds is judged. 0: every cycle arrives.
    std::size_t nDroppableCycle = 0;
};

// The demo session of three tests {1,2}, {2,3}, {3,1}: A, B, a seek, answers
// and comments, each checked on the windows as it goes.
void PlayDemoSession(TFormMain& form, MessageObserver& observer, DemoRun& run);
// The results file the demo session writes.
void CheckDemoResults();
// Every output (file(c): the raw S16 stereo file of channel c) played its own
// channel of each excerpt, with the moves where the presses were.
void CheckDemoOutputs(const std::function<std::string(int)>& file, const DemoRun& run);

}  // namespace e2e
