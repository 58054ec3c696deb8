// Output devices and tracks.
#include "app/TFormMain.h"

void TFormMain::EnumerateDevices(TVecSndGuid&) {}
void TFormMain::SetupTracks(TVecSndGuid&) {}
bool TFormMain::CreateTrackSound(CSound**, const std::string&, int) { return false; }
