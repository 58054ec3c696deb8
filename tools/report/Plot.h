// The report's picture: the Bradley–Terry scale with its intervals over the
// excerpt numbers, beside the preference matrix as a shaded grid of counts.
#pragma once

#include <string>

#include "Report.h"

// Writes an SVG or a PNG, chosen by the path's ending. Needs a QGuiApplication.
bool DrawReportPlot(const labstats::TReport& r, const std::string& strPath);
