#include "app/TFormMain.h"

#include <QCloseEvent>

#include "sound/SoundOutput.h"

TFormMain* FormMain = nullptr;
TFormSplashScreen* FormSplashScreen = nullptr;
TFormDebug* FormDebug = nullptr;
TFormAmbisonicSetup* FormAmbisonicSetup = nullptr;
TFormSessionSettings* FormSessionSettings = nullptr;

TFormMain::TFormMain(QWidget* owner) : QMainWindow(owner) {
    m_pPlayList = std::make_unique<TStringList>();
}

TFormMain::~TFormMain() = default;

void TFormMain::FormCreate() { InitMainWindow(); }
void TFormMain::InitMainWindow() {}
void TFormMain::EnableTestControls(bool) {}
void TFormMain::FormClose() { ReleaseDevices(); }
void TFormMain::ReleaseDevices() {}
void TFormMain::FileExitClick() {}
void TFormMain::FormCanResize() {}
void TFormMain::HelpAboutClick() {}
void TFormMain::DebugDebugFormClick() {}
void TFormMain::BuildForm() {}
void TFormMain::closeEvent(QCloseEvent* event) { QMainWindow::closeEvent(event); }
void TFormMain::resizeEvent(QResizeEvent* event) { QMainWindow::resizeEvent(event); }
void TFormMain::showEvent(QShowEvent* event) { QMainWindow::showEvent(event); }
