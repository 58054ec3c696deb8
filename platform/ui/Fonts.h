// The fonts the form data names (Arial, MS Sans Serif, Tahoma, Raavi) do not
// exist on Linux. InstallFontSubstitutes maps each to an installed family with
// matching metrics, so that captions fit the pixel geometry of the windows.
// Call it once, right after the QApplication exists (the program's entry and
// the tests' entry both do). GUI thread only.
#pragma once

#include <QFont>
#include <QString>

void InstallFontSubstitutes();

// Reading fontconfig's configuration and its font caches is the largest cost
// of the first text a window lays out, and Qt pays it on the GUI thread on
// first use. StartFontConfiguration reads it on a worker thread instead, so
// that it overlaps the application object's connection to the display; call it
// before the QApplication is made, and InstallFontSubstitutes right after it:
// fontconfig builds its configuration without a lock, so InstallFontSubstitutes
// waits for the worker before the first font is used. GUI thread only.
void StartFontConfiguration();

// A font as the form data states it: family, character height in pixels, bold.
// The family name stays as written; the substitutes above resolve it.
QFont PixelFont(const QString& family, int nPixelSize, bool bBold = false);
