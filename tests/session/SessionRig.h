// A main window as the program creates it, over the virtual audio back end, with
// the files of a session in a temporary folder. The settings dialog is answered
// by the test; messages are recorded, not shown; the form's timers are stopped,
// so the fade moves only when the test ticks it.
#pragma once

#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/TFormMain.h"
#include "platform/audio/virtual/VirtualBackend.h"
#include "platform/ui/Messages.h"

namespace sessiontest {

// Every sample of file c of excerpt k (k from 1) holds this value, so a rendered
// sample tells which excerpt and channel were heard.
std::int16_t ExcerptValue(int k, int c);

struct Settings {
    std::string name = "Maria Rossi";
    std::string playlist;
    std::string combinations;
    std::string results;
};

class SessionRig {
public:
    explicit SessionRig(std::vector<audio::OutputInfo> outputs = audio::VirtualBackend::UA101Outputs());
    ~SessionRig();

    std::shared_ptr<audio::VirtualBackend> vb;
    MessageObserver observer;
    QTemporaryDir dir;
    std::unique_ptr<TFormMain> form;

    std::string Path(const std::string& strName) const;
    void WriteFile(const std::string& strName, const std::string& strBytes) const;
    std::string ReadFile(const std::string& strName) const;
    // Writes nExcerpts excerpts of nChannels files each (x.wav for excerpt k,
    // channel c: "e<k>c<c>.wav"), a playlist naming them and a combinations file
    // with the given tests; fills `settings` with their paths.
    void WriteSession(int nChannels, int nExcerpts, const std::vector<std::pair<int, int>>& tests);
    Settings settings;

    // "&Nuova Sessione ..." with the dialog filled from `settings` and confirmed
    // (or cancelled).
    void StartSession(bool bConfirm = true);
    // Answers the test on show (0: A, 1: B, 2: Non saprei), types a comment and
    // presses "Test successivo ...".
    void Submit(int nAnswer, const std::string& strNotes);
    void Tick(int n = 1);
};

}  // namespace sessiontest
