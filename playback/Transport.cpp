// Transport: position display, seek and rewind.
#include "app/TFormMain.h"

void TFormMain::TimerPosTimer() {}
void TFormMain::UpdatePosition() {}
DWORD TFormMain::GetPlayPosition(CSound*) { return 0; }
DWORD TFormMain::GetBufferLength(CSound*) { return 0; }
void TFormMain::SetupPositionBar() {}
void TFormMain::ScrollBarTrackPosScroll(TScrollCode, int&) {}
void TFormMain::SeekAll(LONG) {}
void TFormMain::ButtonRewindClick() { Rewind(); }
void TFormMain::Rewind() {}
