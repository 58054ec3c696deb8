// Program entry: starts the GUI framework, creates the main window and runs the
// message loop. No command-line argument, environment variable or file is read
// (the toolkit and the sound library keep reading their own settings).
#include <malloc.h>

#include <QTimer>

#include <future>
#include <memory>

#include "app/TFormMain.h"
#include "platform/audio/AudioBackend.h"
#include "platform/audio/alsa/AlsaBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/Fonts.h"
#include "windows/TFormSplashScreen.h"

int main(int argc, char** argv) {
    std::unique_ptr<TApplication> pApplication;
    TFormMain* pFormMain = nullptr;  // FormMain is set inside the constructor, even one that throws
    try {
        // The program plays through ALSA (tests install the virtual back end).
        // Asking for a JACK server and reading ALSA's outputs needs no window:
        // it runs while the toolkit starts, and so does reading the fonts'
        // configuration.
        auto backend = std::async(std::launch::async, [] { return audio::MakeAlsaBackend(); });
        StartFontConfiguration();
        pApplication = std::make_unique<TApplication>(argc, argv);
        PrepareSplashPicture();  // after the application object: Qt's main thread is the first to make one
        InstallFontSubstitutes();
        audio::SetBackend(backend.get());
        pFormMain = new TFormMain();
        pFormMain->FormCreate();
        pFormMain->show();
        // What the start-up's workers and the forms' making freed goes back to
        // the system once the loop runs, instead of staying with the process.
        QTimer::singleShot(0, [] { malloc_trim(0); });
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
