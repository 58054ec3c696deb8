#include "session/TFormSessionSettings.h"

TFormSessionSettings::TFormSessionSettings(QWidget* owner) : QDialog(owner) {}
int TFormSessionSettings::ShowModal() { return mrCancel; }
void TFormSessionSettings::BitBtnFilePlaylistClick() {}
void TFormSessionSettings::BitBtnFileCombinationsClick() {}
void TFormSessionSettings::BitBtnFileResultsClick() {}
void TFormSessionSettings::ButtonOkClick() {}
void TFormSessionSettings::ButtonCancelClick() {}
