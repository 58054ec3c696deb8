// The splash window, which doubles as the About box: a frameless picture on top
// of the other windows that plays the introduction sound each time it is shown.
// The main window shows it at start-up and places it; "&Sondarium ..." shows it
// again when it is hidden. GUI thread only.
#pragma once

#include <QWidget>

class QLabel;

// GUI thread, once the application object exists: begins decoding the splash picture on a
// thread of its own, so the window that start-up creates finds it ready. A
// window made without it decodes the picture itself.
void PrepareSplashPicture();

class TFormSplashScreen : public QWidget {
public:
    explicit TFormSplashScreen(QWidget* owner);

    QLabel* Image1 = nullptr;

    void FormShow();
    void Image1Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
