// The diagnostic blocks the main window writes into the debug log.
#include "app/TFormMain.h"

void TFormMain::DumpDevices(const TVecSndGuid&) {}
void TFormMain::DumpPlaylist() {}
void TFormMain::DumpCombinations() {}
void TFormMain::DebugGetSoundBufferCapsClick() {}
