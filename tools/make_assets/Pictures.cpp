#include "Pictures.h"

#include "Drawing.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace pictures {
namespace {

const QColor kSpeakerBlue(120, 200, 255);
const QColor kEarAmber(255, 170, 70);
const QColor kGlyphDark(44, 58, 82);

QFont font(int pixels, bool bold = false, bool italic = false) {
    QFont f;
    f.setFamilies({"Liberation Sans", "DejaVu Sans"});
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

// A blank image whose resolution is fixed, so the saved file does not depend
// on the screen the tool happens to run on.
QImage blank(int w, int h, QImage::Format format, const QColor& fill) {
    QImage img(w, h, format);
    img.setDotsPerMeterX(2835);
    img.setDotsPerMeterY(2835);
    img.fill(fill);
    return img;
}

void antialiased(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

void text(QPainter& p, const QRectF& r, const QString& s, const QFont& f, const QColor& c) {
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, Qt::AlignHCenter | Qt::AlignVCenter, s);
}

} // namespace

QImage splash() {
    QImage img = blank(400, 300, QImage::Format_RGB888, Qt::black);
    QPainter p(&img);
    antialiased(p);

    drawing::glow(p, {58, 112}, 78, QColor(40, 120, 255, 150));
    drawing::speaker(p, {56, 112}, 90, 0, kSpeakerBlue, 3, true);
    drawing::glow(p, {344, 112}, 74, QColor(255, 120, 30, 130));
    drawing::ear(p, QRectF(318, 70, 56, 84), kEarAmber);

    text(p, QRectF(80, 62, 240, 56), "Sondarium", font(38, true), Qt::white);
    text(p, QRectF(80, 112, 240, 22), "versione 1.0", font(15), QColor(190, 200, 215));
    text(p, QRectF(40, 160, 320, 20), "Applicazione per test acustici", font(15, false, true), QColor(230, 230, 235));
    text(p, QRectF(40, 180, 320, 20), "in sala d'ascolto", font(15, false, true), QColor(230, 230, 235));

    QLinearGradient line(60, 0, 340, 0);
    line.setColorAt(0.0, QColor(90, 110, 140, 0));
    line.setColorAt(0.5, QColor(90, 110, 140, 255));
    line.setColorAt(1.0, QColor(90, 110, 140, 0));
    p.fillRect(QRectF(60, 222, 280, 1), line);

    const QColor credits(140, 150, 165);
    text(p, QRectF(20, 232, 360, 15), "Confronti A/B su quattro altoparlanti", font(11), credits);
    text(p, QRectF(20, 248, 360, 15), "Realizzato con Qt 6 e ALSA per Linux", font(11), credits);
    text(p, QRectF(20, 264, 360, 15), "Un progetto Sondarium", font(11), credits);
    return img;
}

QImage monitorSquare() {
    QImage img = blank(202, 173, QImage::Format_ARGB32, Qt::transparent);
    QPainter p(&img);
    antialiased(p);
    const QPointF corners[] = {{34, 32}, {168, 32}, {168, 141}, {34, 141}};
    const double towardCentre[] = {39, 141, -141, -39};

    p.setPen(QPen(QColor(120, 135, 160), 1.2, Qt::DashLine));
    p.drawPolygon(corners, 4);

    // The monitor: bezel, screen with a little reflection, neck and foot.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 66, 78));
    p.drawRect(QRectF(94, 104, 14, 12));
    p.drawRoundedRect(QRectF(78, 114, 46, 6), 3, 3);
    p.setBrush(QColor(36, 40, 48));
    p.drawRoundedRect(QRectF(62, 56, 78, 52), 4, 4);
    QLinearGradient screen(0, 61, 0, 103);
    screen.setColorAt(0.0, QColor(90, 170, 230));
    screen.setColorAt(1.0, QColor(30, 80, 150));
    p.setBrush(screen);
    p.drawRect(QRectF(67, 61, 68, 42));
    p.setBrush(QColor(255, 255, 255, 50));
    p.drawPolygon(QPolygonF({QPointF(67, 61), QPointF(100, 61), QPointF(80, 103), QPointF(67, 103)}));
    QPolygonF trace; // a sound wave on the screen
    for (int x = 0; x <= 56; ++x)
        trace << QPointF(73 + x, 82 - 11 * std::sin(x * 0.34) * std::exp(-x / 40.0));
    p.setPen(QPen(QColor(235, 245, 255), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(trace);

    for (int i = 0; i < 4; ++i) drawing::speaker(p, corners[i], 50, towardCentre[i], kGlyphDark, 3);
    return img;
}

QImage speakerButton(double angleDeg) {
    QImage img = blank(46, 45, QImage::Format_ARGB32, Qt::transparent);
    QPainter p(&img);
    antialiased(p);
    drawing::speaker(p, {23, 22.5}, 46, angleDeg, kGlyphDark, 3);
    return img;
}

QImage appIcon() {
    QImage img = blank(128, 128, QImage::Format_ARGB32, Qt::transparent);
    QPainter p(&img);
    antialiased(p);
    QLinearGradient bg(0, 0, 0, 128);
    bg.setColorAt(0.0, QColor(24, 32, 48));
    bg.setColorAt(1.0, QColor(6, 8, 14));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(4, 4, 120, 120), 22, 22);
    drawing::glow(p, {44, 64}, 46, QColor(40, 120, 255, 150));
    drawing::speaker(p, {44, 64}, 64, 0, kSpeakerBlue, 3, true);
    drawing::glow(p, {98, 64}, 34, QColor(255, 120, 30, 120));
    drawing::ear(p, QRectF(84, 44, 28, 42), kEarAmber);
    return img;
}

} // namespace pictures
