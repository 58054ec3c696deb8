#include "platform/ui/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

#include <fontconfig/fontconfig.h>

#include <future>

namespace {
// Liberation Sans has Arial's advance widths; the other three have no
// metric-compatible free twin, so they take the same family, which is close
// in width to MS Sans Serif and Tahoma at small sizes. DejaVu Sans is the
// fallback where Liberation is missing.
const char* const kFormFamilies[] = {"Arial", "MS Sans Serif", "Tahoma", "Raavi"};
const char* const kCandidates[] = {"Liberation Sans", "Arimo", "DejaVu Sans"};
std::future<void> g_configuration;
}  // namespace

void StartFontConfiguration() {
    if (!g_configuration.valid()) g_configuration = std::async(std::launch::async, [] { FcInit(); });
}

void InstallFontSubstitutes() {
    if (g_configuration.valid()) g_configuration.get();
    const QStringList installed = QFontDatabase::families();
    QStringList substitutes;
    for (const char* candidate : kCandidates) {
        if (installed.contains(QString::fromLatin1(candidate), Qt::CaseInsensitive))
            substitutes << QString::fromLatin1(candidate);
    }
    if (substitutes.isEmpty()) return;  // leave the choice to fontconfig
    for (const char* family : kFormFamilies) {
        const QString name = QString::fromLatin1(family);
        // A real font of that name, if someone installed one, wins.
        if (installed.contains(name, Qt::CaseInsensitive)) continue;
        QFont::removeSubstitutions(name);
        QFont::insertSubstitutions(name, substitutes);
    }
}

QFont PixelFont(const QString& family, int nPixelSize, bool bBold) {
    QFont font(family);
    font.setPixelSize(nPixelSize);
    font.setBold(bBold);
    return font;
}
