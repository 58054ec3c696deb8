// Shapes that several pictures share, drawn with antialiasing into any painter.
#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace drawing {

// A loudspeaker seen from the side (magnet and cone) with `waves` arcs in front
// of it. It fits a square of side `size` centred on `centre`, and its waves
// point in the direction `angleDeg` (0 = right, 90 = down, as on the screen).
// A glowing one gets soft halos around its outline and waves.
void speaker(QPainter& p, QPointF centre, double size, double angleDeg, const QColor& colour, int waves,
             bool glowing = false);

// A soft halo: a radial gradient from `colour` at the centre to transparent.
void glow(QPainter& p, QPointF centre, double radius, const QColor& colour);

// A right ear in outline, facing left, fitting `box`.
void ear(QPainter& p, const QRectF& box, const QColor& colour);

// Draws `draw` several times with wider, fainter pens first: a glowing stroke.
template <class Draw>
void glowingStroke(QPainter& p, const QColor& colour, double width, Draw draw);

} // namespace drawing

#include <QPainter>
#include <QPen>

template <class Draw>
void drawing::glowingStroke(QPainter& p, const QColor& colour, double width, Draw draw) {
    const double widths[] = {width * 4.0, width * 2.5, width * 1.6, width};
    const int alphas[] = {28, 55, 110, 255};
    for (int i = 0; i < 4; ++i) {
        QColor c = colour;
        if (i == 3) c = c.lighter(150);
        c.setAlpha(alphas[i]);
        p.setPen(QPen(c, widths[i], Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        draw();
    }
}
