#include "windows/FormFonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace {
// Replacements in order of preference; the first installed one wins.
QStringList Substitutes(const QString& strFamily) {
    if (strFamily == "Arial") return {"Liberation Sans", "Nimbus Sans", "DejaVu Sans"};
    if (strFamily == "MS Sans Serif") return {"Liberation Sans", "Nimbus Sans", "DejaVu Sans"};
    if (strFamily == "Tahoma") return {"DejaVu Sans", "Liberation Sans"};
    // Raavi is a plain sans face; any sans serves the window's default text.
    return {"DejaVu Sans", "Liberation Sans", "Nimbus Sans"};
}
}  // namespace

QFont FormFont(const QString& strFamily, int nPixels, bool bBold) {
    QString strUse = strFamily;
    const QStringList installed = QFontDatabase::families();
    if (!installed.contains(strFamily, Qt::CaseInsensitive)) {
        for (const QString& s : Substitutes(strFamily)) {
            if (installed.contains(s, Qt::CaseInsensitive)) {
                strUse = s;
                break;
            }
        }
    }
    QFont font(strUse);
    font.setPixelSize(nPixels);
    font.setBold(bBold);
    return font;
}

QString DesignCaption(const char* strCaption) {
    QString s = QString::fromUtf8(strCaption);
    s.replace("&&", "&");
    return s;
}
