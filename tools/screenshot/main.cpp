// Starts the program's windows exactly as the program does, but on the offscreen
// platform and on the virtual audio back end (the default output and the four
// "1:UA-101" outputs of the listening room's interface), walks through the demo
// session and saves each window as a PNG in OUTPUT_DIR:
//
//   main-window.png        the main window as it starts, no session loaded
//   splash.png             the splash window of the start
//   settings.png           "Nuova Sessione ..." filled in for the demo session
//   main-window-test.png   the first test, excerpt A playing, an answer chosen
//   channel-setup.png      "Imposta" > "Canali ..." during the test
//   debug.png              the debug window with the log of the session's start
//   main-window-done.png   the window after the last test
//
// Usage: screenshot OUTPUT_DIR [DEMO_DIR]   (DEMO_DIR: examples/demo of the sources)
// The demo session's results go to a temporary folder, never into DEMO_DIR.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

#include "app/TFormMain.h"
#include "platform/audio/virtual/VirtualBackend.h"
#include "platform/ui/Fonts.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SpeedButton.h"
#include "session/TFormSessionSettings.h"
#include "windows/TFormAmbisonicSetup.h"
#include "windows/TFormDebug.h"
#include "windows/TFormSplashScreen.h"

#ifndef SONDARIUM_DEMO_DIR
#define SONDARIUM_DEMO_DIR "examples/demo"
#endif

namespace {

QString g_outputDir;
int g_failures = 0;

// Lets timers, fades and repaints run for a while, as the program's loop would.
void Run(int nMilliseconds) {
    QElapsedTimer clock;
    clock.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (clock.elapsed() < nMilliseconds);
}

void Save(QWidget* window, const char* strName) {
    const QString strPath = QDir(g_outputDir).filePath(QString::fromUtf8(strName));
    const QImage image = window->grab().toImage();
    if (!image.save(strPath, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(strPath));
        ++g_failures;
        return;
    }
    std::printf("%s: %dx%d\n", qPrintable(strPath), image.width(), image.height());
}

// Runs `action` once the modal window that `open` shows is up, then lets
// `open` return (the action must close the window).
void WhileModal(const std::function<void()>& open, const std::function<void()>& action) {
    QTimer::singleShot(300, action);
    open();
}

void TypeSettings(TFormSessionSettings* dlg, const QString& strResults) {
    dlg->EditNomeCandidato->setText("Maria Rossi");
    dlg->EditFilePlayList->setText("demo.lst");
    dlg->EditFileCombinations->setText("demo.cmb");
    dlg->EditFileResults->setText(strResults);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR [DEMO_DIR]\n", argv[0]);
        return 2;
    }
    // A tool, not the program: it picks the headless platform itself.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutes();
    MessageObserver messages;  // a message is listed at the end, not shown in a box

    g_outputDir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(g_outputDir);
    // The demo playlist names its files relative to its own folder.
    const QString strDemoDir = QString::fromLocal8Bit(argc == 3 ? argv[2] : SONDARIUM_DEMO_DIR);
    if (!QDir::setCurrent(strDemoDir)) {
        std::fprintf(stderr, "no demo session in %s\n", qPrintable(strDemoDir));
        return 1;
    }
    QTemporaryDir resultsDir;
    const QString strResults = resultsDir.filePath("risultati.txt");

    auto vb = audio::VirtualBackend::Install(audio::VirtualBackend::UA101Outputs());
    vb->StartClock();  // play positions advance in real time
    {
        auto form = std::make_unique<TFormMain>();
        form->FormCreate();
        form->show();
        Run(300);
        Save(form.get(), "main-window.png");
        Save(FormSplashScreen, "splash.png");
        FormSplashScreen->Image1Click();

        WhileModal([&] { form->FileLoadPlaylist->trigger(); },
                   [&] {
                       TypeSettings(FormSessionSettings, "risultati.txt");
                       Run(100);
                       Save(FormSessionSettings, "settings.png");
                       // What is shown is the demo's; what is written goes aside.
                       FormSessionSettings->EditFileResults->setText(strResults);
                       FormSessionSettings->ButtonOk->click();
                   });

        form->SpeedButtonA->Press();
        Run(1800);
        form->RadioButtonA->click();
        form->EditNotes->setText("A più chiaro");
        Run(300);
        Save(form.get(), "main-window-test.png");

        WhileModal([&] { form->SetupAmbisonic->trigger(); },
                   [&] {
                       Save(FormAmbisonicSetup, "channel-setup.png");
                       FormAmbisonicSetup->ButtonCancel->click();
                   });

        form->DebugDebugForm->trigger();
        FormDebug->resize(520, 480);
        Run(200);
        Save(FormDebug, "debug.png");
        FormDebug->close();

        for (std::size_t i = 0; i < form->m_Combinations.size(); ++i) {
            form->BitBtnNextTest->click();
            Run(50);
        }
        Run(300);
        Save(form.get(), "main-window-done.png");
        form->close();
    }
    vb->StopClock();
    audio::SetBackend(nullptr);

    for (const ShownMessage& m : messages.messages) {
        std::fprintf(stderr, "message: %s: %s\n", m.caption.c_str(), m.text.c_str());
        ++g_failures;
    }
    return g_failures == 0 ? 0 : 1;
}
