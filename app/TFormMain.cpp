// The main window's lifecycle: construction, start-up, the event wiring, the
// close path and destruction.
#include "app/TFormMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

#include "app/ScrollEvents.h"
#include "platform/ui/Messages.h"
#include "platform/ui/OuterSize.h"
#include "platform/ui/SpeedButton.h"
#include "session/TFormSessionSettings.h"
#include "sound/SoundOutput.h"
#include "windows/TFormAmbisonicSetup.h"
#include "windows/TFormDebug.h"
#include "windows/TFormSplashScreen.h"

TFormMain* FormMain = nullptr;
TFormSplashScreen* FormSplashScreen = nullptr;
TFormDebug* FormDebug = nullptr;
TFormAmbisonicSetup* FormAmbisonicSetup = nullptr;
TFormSessionSettings* FormSessionSettings = nullptr;

namespace {
constexpr const char* UNIT = "TFormMain";
// What a page of the position bar moves, in bytes (its small change is 1 too).
constexpr int LARGE_CHANGE = 1;

// The audio service needs no per-thread set-up on this platform; the step
// stays where the start-up order puts it, before any device object exists.
void CoInitialize(void*) {}

// Forgets a global window pointer that refers to a window of `owner`.
template <class T>
void Forget(T*& pWindow, const QObject* owner) {
    if (pWindow && static_cast<QObject*>(pWindow)->parent() == owner) pWindow = nullptr;
}
}  // namespace

TFormMain::TFormMain(QWidget* owner) : QMainWindow(owner) {
    UseMessageBoxes();
    // Set before anything else, so that the form's own start-up can reach the
    // main window through the pointer, as the other windows do.
    FormMain = this;
    BuildForm();
    ConnectEvents();
    TimerFade->start();
    TimerPos->start();

    m_Tracks.clear();
    m_Combinations.clear();
    CoInitialize(nullptr);
    m_nChannels = 0;
    m_PlayState = psIdle;
    m_bStopped = true;
    m_nCurrentTest = 0;
    m_pPlayList = std::make_unique<TStringList>();
    SND_CHECK(m_pPlayList != nullptr, "m_pPlayList", UNIT);
    m_nVolumeA = -10000;
    m_nVolumeB = -10000;
}

TFormMain::~TFormMain() {
    TimerFade->stop();
    TimerPos->stop();
    // "&Esci" ends the loop without the close path; the track set then goes with
    // the window, its sounds first and then the devices, so that no output keeps
    // playing while the process winds down.
    m_pClientArea->removeEventFilter(this);
    ScrollBarTrackPos->removeEventFilter(this);
    Forget(FormSplashScreen, this);
    Forget(FormDebug, this);
    Forget(FormAmbisonicSetup, this);
    Forget(FormSessionSettings, this);
    if (FormMain == this) FormMain = nullptr;
    // The inherited destruction then destroys the four owned windows.
}

void TFormMain::ConnectEvents() {
    connect(FileLoadPlaylist, &QAction::triggered, this, [this] { FileLoadPlaylistClick(); });
    connect(FileExit, &QAction::triggered, this, [this] { FileExitClick(); });
    connect(SetupAmbisonic, &QAction::triggered, this, [this] { SetupAmbisonicClick(); });
    connect(HelpAbout, &QAction::triggered, this, [this] { HelpAboutClick(); });
    connect(DebugDebugForm, &QAction::triggered, this, [this] { DebugDebugFormClick(); });
    connect(DebugGetSoundBufferCaps, &QAction::triggered, this, [this] { DebugGetSoundBufferCapsClick(); });

    SpeedButtonA->OnClick = [this] { SpeedButtonAClick(); };
    SpeedButtonB->OnClick = [this] { SpeedButtonBClick(); };
    // Every change of answer, by mouse, keyboard or program, runs the handler.
    for (QRadioButton* radio : {RadioButtonA, RadioButtonB, RadioButtonNS}) {
        connect(radio, &QRadioButton::toggled, this, [this](bool bChecked) {
            if (bChecked) RadioButtonChoicesClick();
        });
    }
    connect(BitBtnNextTest, &QPushButton::clicked, this, [this] { BitBtnNextTestClick(); });
    connect(ButtonRewind, &QPushButton::clicked, this, [this] { ButtonRewindClick(); });

    // Every scroll event seeks: arrows, pages, keys, the wheel and each movement
    // of the thumb. The bar's page step sizes its thumb; a page itself moves by
    // the large change of 1 byte, so the action's position is corrected first.
    connect(ScrollBarTrackPos, &QAbstractSlider::actionTriggered, this, [this](int nAction) {
        TScrollCode ScrollCode;
        if (!ScrollCodeOfAction(nAction, ScrollCode)) return;
        if (ScrollCode == scPageUp || ScrollCode == scPageDown) {
            const int nStep = ScrollCode == scPageDown ? LARGE_CHANGE : -LARGE_CHANGE;
            ScrollBarTrackPos->setSliderPosition(
                std::clamp(ScrollBarTrackPos->value() + nStep, ScrollBarTrackPos->minimum(), ScrollBarTrackPos->maximum()));
        }
        ScrollBarEvent(ScrollCode);
    });
    connect(ScrollBarTrackPos, &QAbstractSlider::sliderReleased, this, [this] {
        ScrollBarEvent(scPosition);
        ScrollBarEvent(scEndScroll);
    });

    connect(TimerFade, &QTimer::timeout, this, [this] { TimerFadeTimer(); });
    connect(TimerPos, &QTimer::timeout, this, [this] { TimerPosTimer(); });
}

// The handler gets the position the action is about to set and may change it;
// the bar then shows what the handler left.
void TFormMain::ScrollBarEvent(TScrollCode ScrollCode) {
    int nScrollPos = ScrollBarTrackPos->sliderPosition();
    const int nProposed = nScrollPos;
    ScrollBarTrackPosScroll(ScrollCode, nScrollPos);
    if (nScrollPos != nProposed) ScrollBarTrackPos->setSliderPosition(nScrollPos);
}

void TFormMain::FormCreate() {
    if (m_bCreated) return;
    m_bCreated = true;
    InitMainWindow();
}

void TFormMain::InitMainWindow() {
    // 1. The screen's size in pixels.
    const QScreen* pScreen = QGuiApplication::primaryScreen();
    const QSize screenSize = pScreen ? pScreen->geometry().size() : QSize(0, 0);
    const int nScreenWidth = screenSize.width();
    const int nScreenHeight = screenSize.height();

    // 2. Centred bounds, which the window keeps for when it is restored; then
    // maximised, which takes effect when the window is shown.
    SetOuterSize(this, 730, 640);
    move((nScreenWidth - frameGeometry().width()) / 2, (nScreenHeight - frameGeometry().height()) / 2 - 28);
    setWindowState(windowState() | Qt::WindowMaximized);

    // 3. The splash window; showing it plays its introduction sound.
    FormSplashScreen = new TFormSplashScreen(this);
    SND_CHECK(FormSplashScreen != nullptr, "FormSplashScreen", UNIT);
    FormSplashScreen->setVisible(true);
    FormSplashScreen->move((nScreenWidth - FormSplashScreen->width()) / 2,
                           (nScreenHeight - FormSplashScreen->height()) / 2 - 100);

    // 4. The debug window.
    FormDebug = new TFormDebug(this);
    SND_CHECK(FormDebug != nullptr, "FormDebug", UNIT);
    FormDebug->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    FormDebug->setVisible(false);
    FormDebug->move(128, 128);
    SetOuterSize(FormDebug, 300, 480);

    // 5. and 6. The channel setup window and the session settings dialog.
    FormAmbisonicSetup = new TFormAmbisonicSetup(this);
    SND_CHECK(FormAmbisonicSetup != nullptr, "FormAmbisonicSetup", UNIT);
    FormAmbisonicSetup->setVisible(false);
    FormSessionSettings = new TFormSessionSettings(this);
    SND_CHECK(FormSessionSettings != nullptr, "FormSessionSettings", UNIT);
    FormSessionSettings->setVisible(false);

    // 7. and 8. The output devices and the tracks. The tracks are set up even
    // when no output of the interface was found: SetupTracks then warns and
    // builds them on the default output, so that a session can be rehearsed.
    TVecSndGuid VecDevices;
    EnumerateDevices(VecDevices);
    if (!VecDevices.empty()) DumpDevices(VecDevices);
    SetupTracks(VecDevices);

    // 9. Nothing but the menu works until a session has loaded its first test.
    EnableTestControls(false);

    // 10. The list goes with its ids; the tracks keep what they need of it.
    for (TSndGuid& Entry : VecDevices) delete Entry.pGuid;
    VecDevices.clear();
}

void TFormMain::closeEvent(QCloseEvent* event) {
    // After "&Esci" the loop is ending without the close path; and the close
    // path runs once, however many close requests follow.
    if (!m_bTerminating && !m_bClosed) FormClose();
    QMainWindow::closeEvent(event);
}

void TFormMain::FormClose() {
    m_bClosed = true;
    // No tick may touch a sound whose device is about to go.
    TimerFade->stop();
    TimerPos->stop();
    ReleaseDevices();
}

void TFormMain::FileExitClick() {
    m_bTerminating = true;
    QApplication::quit();
}

void TFormMain::HelpAboutClick() {
    if (FormSplashScreen) FormSplashScreen->setVisible(true);
}

void TFormMain::DebugDebugFormClick() {
    if (FormDebug) FormDebug->setVisible(true);
}
