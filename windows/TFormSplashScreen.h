// The splash window, which doubles as the About box: a frameless picture on top
// of the other windows that plays the introduction sound each time it is shown.
// GUI thread only.
#pragma once

#include <QWidget>

class TFormSplashScreen : public QWidget {
public:
    explicit TFormSplashScreen(QWidget* owner);
    void FormShow();
    void Image1Click();
};
