// The message boxes of the toolkit behind the program's reporter
// (platform/report/Report.h, which this header brings along).
#pragma once

#include "platform/report/Report.h"

// Installs the reporter that shows real boxes and beeps (once; later calls
// change nothing). Before the application object exists, or after it is gone,
// the text goes to stderr.
void UseMessageBoxes();
