// The position bar's scroll events: which scroll code a slider action of the
// toolkit stands for.
#pragma once

#include "app/TFormMain.h"

// False for an action that is no scroll event (the toolkit's "no action").
// The thumb's release has no action of its own; the main window reports it as
// scPosition followed by scEndScroll.
bool ScrollCodeOfAction(int nAction, TScrollCode& ScrollCode);

// The scroll action a key stands for on the position bar, as the system's
// horizontal scroll bar reads its keys: Left and Up one step back, Right and
// Down one step on, PageUp a page back, PageDown a page on, Home the start and
// End the end. False for any other key.
bool ScrollActionOfKey(int nKey, int& nAction);
