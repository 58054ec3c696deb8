#include "Plot.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kWidth = 1100, kHeight = 520;
const QRectF kScaleArea(80, 70, 420, 360);     // the scale's axes
const QRectF kMatrixArea(660, 110, 360, 360);  // the grid at most

QString Num(double v, int decimals) { return QString::fromStdString(labstats::Fixed(v, decimals)); }

// A step of 1, 2 or 5 times a power of ten giving about five ticks.
double TickStep(double span) {
    const double raw = span / 5, power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 5.0})
        if (f * power >= raw) return f * power;
    return 10 * power;
}

void DrawScale(QPainter& p, const labstats::TReport& r) {
    const labstats::TPreferenceMatrix& m = r.matrix;
    p.setFont(QFont("DejaVu Sans", 13, QFont::Bold));
    p.drawText(QRectF(20, 10, 540, 26), Qt::AlignLeft, "Scala di Bradley-Terry");
    p.setFont(QFont("DejaVu Sans", 10));
    p.drawText(QRectF(20, 34, 540, 20), Qt::AlignLeft,
               "log della forza (somma 0) per brano, con intervallo di confidenza al 95%");
    if (!r.scale.bOk || m.excerpts.empty()) {
        p.drawRect(kScaleArea);
        p.drawText(kScaleArea.adjusted(16, 16, -16, -16), Qt::AlignCenter | Qt::TextWordWrap,
                   QString::fromStdString(r.scale.strNote));
        return;
    }
    double low = *std::min_element(r.scale.ciLow.begin(), r.scale.ciLow.end());
    double high = *std::max_element(r.scale.ciHigh.begin(), r.scale.ciHigh.end());
    low = std::min(low, 0.0), high = std::max(high, 0.0);
    const double pad = std::max(0.05 * (high - low), 0.1);
    low -= pad, high += pad;
    auto y = [&](double v) { return kScaleArea.bottom() - (v - low) / (high - low) * kScaleArea.height(); };
    const double slot = kScaleArea.width() / static_cast<double>(m.excerpts.size());
    auto x = [&](std::size_t i) { return kScaleArea.left() + slot * (static_cast<double>(i) + 0.5); };

    const double step = TickStep(high - low);
    p.setPen(QPen(QColor(225, 225, 225), 1));
    for (double v = std::ceil(low / step) * step; v <= high; v += step) p.drawLine(QPointF(kScaleArea.left(), y(v)), QPointF(kScaleArea.right(), y(v)));
    p.setPen(QPen(Qt::black, 1));
    for (double v = std::ceil(low / step) * step; v <= high; v += step)
        p.drawText(QRectF(kScaleArea.left() - 66, y(v) - 9, 60, 18), Qt::AlignRight | Qt::AlignVCenter,
                   Num(std::fabs(v) < step / 1000 ? 0.0 : v, step < 1 ? (step < 0.1 ? 2 : 1) : 0));
    p.setPen(QPen(Qt::gray, 1, Qt::DashLine));
    p.drawLine(QPointF(kScaleArea.left(), y(0)), QPointF(kScaleArea.right(), y(0)));
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(kScaleArea);

    const QColor ink(30, 80, 160);
    for (std::size_t i = 0; i < m.excerpts.size(); ++i) {
        p.setPen(QPen(ink, 2));
        const double cap = std::min(10.0, slot / 4);
        p.drawLine(QPointF(x(i), y(r.scale.ciLow[i])), QPointF(x(i), y(r.scale.ciHigh[i])));
        p.drawLine(QPointF(x(i) - cap, y(r.scale.ciLow[i])), QPointF(x(i) + cap, y(r.scale.ciLow[i])));
        p.drawLine(QPointF(x(i) - cap, y(r.scale.ciHigh[i])), QPointF(x(i) + cap, y(r.scale.ciHigh[i])));
        p.setBrush(ink);
        p.drawEllipse(QPointF(x(i), y(r.scale.theta[i])), 5, 5);
        p.setBrush(Qt::NoBrush);
        p.setPen(Qt::black);
        p.drawText(QRectF(x(i) + 8, y(r.scale.theta[i]) - 9, 60, 18), Qt::AlignLeft | Qt::AlignVCenter,
                   Num(r.scale.theta[i], 2));
        p.drawText(QRectF(x(i) - slot / 2, kScaleArea.bottom() + 4, slot, 18), Qt::AlignCenter,
                   QString::number(m.excerpts[i]));
    }
    p.drawText(QRectF(kScaleArea.left(), kScaleArea.bottom() + 24, kScaleArea.width(), 18), Qt::AlignCenter, "brano");
    p.save();
    p.translate(22, kScaleArea.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-150, -9, 300, 18), Qt::AlignCenter, "log della forza");
    p.restore();
}

void DrawMatrix(QPainter& p, const labstats::TReport& r) {
    const labstats::TPreferenceMatrix& m = r.matrix;
    const std::size_t n = m.excerpts.size();
    p.setFont(QFont("DejaVu Sans", 13, QFont::Bold));
    p.drawText(QRectF(580, 10, 500, 26), Qt::AlignLeft, "Preferenze");
    p.setFont(QFont("DejaVu Sans", 10));
    p.drawText(QRectF(580, 34, 500, 36), Qt::AlignLeft | Qt::TextWordWrap,
               "volte in cui il brano della riga è stato preferito a quello della colonna; "
               "più scuro: quota maggiore dei confronti della coppia");
    if (n == 0) return;
    const double cell = std::min(kMatrixArea.width(), kMatrixArea.height()) / static_cast<double>(n);
    QFont countFont("DejaVu Sans");
    countFont.setPixelSize(std::clamp(static_cast<int>(cell * 0.35), 7, 18));
    for (std::size_t i = 0; i < n; ++i) {
        const double top = kMatrixArea.top() + cell * static_cast<double>(i);
        p.setFont(QFont("DejaVu Sans", 10));
        p.setPen(Qt::black);
        p.drawText(QRectF(kMatrixArea.left() - 50, top, 44, cell), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(m.excerpts[i]));
        p.drawText(QRectF(kMatrixArea.left() + cell * static_cast<double>(i), kMatrixArea.top() - 20, cell, 18),
                   Qt::AlignCenter, QString::number(m.excerpts[i]));
        p.setFont(countFont);
        for (std::size_t j = 0; j < n; ++j) {
            const QRectF box(kMatrixArea.left() + cell * static_cast<double>(j), top, cell, cell);
            const int total = m.Comparisons(i, j);
            const double share = total > 0 ? static_cast<double>(m.prefer[i][j]) / total : 0;
            const QColor fill = i == j ? QColor(90, 90, 90)
                                : total == 0 ? QColor(235, 235, 235)
                                             : QColor::fromRgbF(1 - 0.85 * share, 1 - 0.6 * share, 1 - 0.25 * share);
            p.fillRect(box, fill);
            p.setPen(QColor(160, 160, 160));
            p.drawRect(box);
            if (i == j) continue;
            p.setPen(share > 0.55 ? Qt::white : Qt::black);
            p.drawText(box, Qt::AlignCenter, total == 0 ? QString("-") : QString::number(m.prefer[i][j]));
        }
    }
    p.setFont(QFont("DejaVu Sans", 10));
    p.setPen(Qt::black);
    const double bottom = kMatrixArea.top() + cell * static_cast<double>(n);
    p.drawText(QRectF(kMatrixArea.left(), kMatrixArea.top() - 40, kMatrixArea.width(), 18), Qt::AlignCenter,
               "rispetto al brano");
    p.save();
    p.translate(kMatrixArea.left() - 62, kMatrixArea.top() + cell * static_cast<double>(n) / 2);
    p.rotate(-90);
    p.drawText(QRectF(-150, -9, 300, 18), Qt::AlignCenter, "brano preferito");
    p.restore();
    int nTies = 0;
    for (std::size_t i = 0; i < n; ++i) nTies += m.Ties(i);
    p.drawText(QRectF(580, bottom + 8, 500, 18), Qt::AlignLeft,
               QString("risposte \"Non saprei\" (non contate nella griglia): %1").arg(nTies / 2));
}

void Draw(QPainter& p, const labstats::TReport& r) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(QRect(0, 0, kWidth, kHeight), Qt::white);
    DrawScale(p, r);
    DrawMatrix(p, r);
}

}  // namespace

bool DrawReportPlot(const labstats::TReport& r, const std::string& strPath) {
    const QString path = QString::fromStdString(strPath);
    if (path.endsWith(".svg", Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(QSize(kWidth, kHeight));
        svg.setViewBox(QRect(0, 0, kWidth, kHeight));
        svg.setTitle("Sondarium: risultati");
        QPainter p;
        if (!p.begin(&svg)) return false;
        Draw(p, r);
        return p.end();
    }
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    Draw(p, r);
    p.end();
    return image.save(path, "PNG");
}
