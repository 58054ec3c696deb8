#include "windows/TFormSplashScreen.h"

#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QShowEvent>

#include <future>

#include "platform/sndplay/SndPlay.h"
#include "platform/ui/Messages.h"
#include "windows/EmbeddedSound.h"

namespace {
const char* const UNIT = "TFormSplashScreen";

// Decoding the picture is a good part of the window's making; a QImage (unlike
// a pixmap) may be made on any thread. Converted here to the format a pixmap
// of the screen holds, so that the GUI thread only wraps it.
QImage DecodePicture() {
    return QImage(":/res/pictures/splash.png").convertToFormat(QImage::Format_RGB32);
}

std::future<QImage> g_picture;
}  // namespace

void PrepareSplashPicture() {
    if (!g_picture.valid()) g_picture = std::async(std::launch::async, &DecodePicture);
}

TFormSplashScreen::TFormSplashScreen(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setWindowTitle("Sondarium Intro");
    setFixedSize(400, 300);
    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, 400, 300);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap::fromImage(g_picture.valid() ? g_picture.get() : DecodePicture()));
    Image1->installEventFilter(this);
}

void TFormSplashScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

bool TFormSplashScreen::eventFilter(QObject* watched, QEvent* event) {
    // A click is a press and a release on the picture.
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton && Image1->rect().contains(me->position().toPoint())) {
            Image1Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFormSplashScreen::FormShow() {
    const void* pBuf = LockEmbeddedSound(L"INTRO_WAV", UNIT).pBuf;
    // Once, in the background; the player reads the image's header itself.
    if (pBuf) sndPlaySoundW(pBuf, SND_ASYNC | SND_MEMORY);
}

void TFormSplashScreen::Image1Click() {
    sndPlaySoundW(nullptr, 0);
    close();  // a secondary window only hides
}
