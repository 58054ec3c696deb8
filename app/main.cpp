// Program entry: starts the GUI framework, creates the main window and runs the
// message loop. No command-line argument, environment variable or file is read
// (the toolkit and the sound library keep reading their own settings).
#include <memory>

#include "app/TFormMain.h"
#include "platform/audio/AudioBackend.h"
#include "platform/audio/alsa/AlsaBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/Fonts.h"

int main(int argc, char** argv) {
    std::unique_ptr<TApplication> pApplication;
    TFormMain* pFormMain = nullptr;  // FormMain is set inside the constructor, even one that throws
    try {
        pApplication = std::make_unique<TApplication>(argc, argv);
        InstallFontSubstitutes();
        // The program plays through ALSA (tests install the virtual back end).
        audio::SetBackend(audio::MakeAlsaBackend());
        pFormMain = new TFormMain();
        pFormMain->FormCreate();
        pFormMain->show();
        TApplication::exec();
    } catch (...) {
        ShowException(std::current_exception());
    }
    // The main window goes before the application object, as its owner would
    // destroy it; with it go its lists and its secondary windows.
    delete pFormMain;
    FormMain = nullptr;
    audio::SetBackend(nullptr);
    return 0;
}
