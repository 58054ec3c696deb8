// The fonts the form data names (Arial, MS Sans Serif, Tahoma, Raavi) do not
// exist on Linux. InstallFontSubstitutes maps each to an installed family with
// matching metrics, so that captions fit the pixel geometry of the windows.
// Call it once, right after the QApplication exists (the program's entry and
// the tests' entry both do). GUI thread only.
#pragma once

#include <QFont>
#include <QString>

void InstallFontSubstitutes();

// A font as the form data states it: family, character height in pixels, bold.
// The family name stays as written; the substitutes above resolve it.
QFont PixelFont(const QString& family, int nPixelSize, bool bBold = false);
