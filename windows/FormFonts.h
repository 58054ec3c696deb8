// Fonts of the form data: the families the window designs name, in pixel sizes.
// A family that is not installed is replaced by a metric-compatible one where
// the system has it, so the fixed layouts keep their proportions.
#pragma once

#include <QFont>
#include <QString>

QFont FormFont(const QString& strFamily, int nPixels, bool bBold = false);

// A caption of the form data as the toolkit shows it: "&&" is one ampersand.
QString DesignCaption(const char* strCaption);
