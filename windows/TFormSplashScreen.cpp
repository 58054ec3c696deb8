#include "windows/TFormSplashScreen.h"

TFormSplashScreen::TFormSplashScreen(QWidget* owner) : QWidget(owner, Qt::Window | Qt::FramelessWindowHint) {}
void TFormSplashScreen::FormShow() {}
void TFormSplashScreen::Image1Click() { hide(); }
