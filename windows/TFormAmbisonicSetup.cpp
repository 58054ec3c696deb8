#include "windows/TFormAmbisonicSetup.h"

#include "session/TFormSessionSettings.h"

TFormAmbisonicSetup::TFormAmbisonicSetup(QWidget* owner) : QDialog(owner) {}
int TFormAmbisonicSetup::ShowModal() { return mrCancel; }
