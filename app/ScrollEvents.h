// The position bar's scroll events: which scroll code a slider action of the
// toolkit stands for.
#pragma once

#include "app/TFormMain.h"

// False for an action that is no scroll event (the toolkit's "no action").
// The thumb's release has no action of its own; the main window reports it as
// scPosition followed by scEndScroll.
bool ScrollCodeOfAction(int nAction, TScrollCode& ScrollCode);
