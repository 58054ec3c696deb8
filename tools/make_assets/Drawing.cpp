#include "Drawing.h"

#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>

namespace drawing {

void speaker(QPainter& p, QPointF centre, double size, double angleDeg, const QColor& colour, int waves,
             bool glowing) {
    p.save();
    p.translate(centre);
    p.rotate(angleDeg);
    p.scale(size, size);
    // Unit drawing: magnet and cone from x -0.45 to -0.06, waves up to 0.34;
    // the shift centres that span on the origin.
    p.translate(0.055, 0.0);
    QPainterPath body;
    body.addRoundedRect(QRectF(-0.45, -0.12, 0.17, 0.24), 0.03, 0.03);
    QPainterPath cone;
    cone.moveTo(-0.28, -0.12);
    cone.lineTo(-0.06, -0.33);
    cone.lineTo(-0.06, 0.33);
    cone.lineTo(-0.28, 0.12);
    cone.closeSubpath();
    if (glowing) {
        // Halos of the outline first, then the solid shapes over them.
        glowingStroke(p, colour, 0.02, [&] {
            p.setBrush(Qt::NoBrush);
            p.drawPath(body);
            p.drawPath(cone);
        });
    }
    p.setPen(Qt::NoPen);
    p.setBrush(colour.darker(130));
    p.drawPath(body);
    p.setBrush(colour);
    p.drawPath(cone);
    p.setBrush(Qt::NoBrush);
    auto drawWaves = [&] {
        for (int w = 0; w < waves; ++w) {
            const double r = 0.14 + 0.13 * w;
            p.drawArc(QRectF(-0.06 - r, -r, 2 * r, 2 * r), -40 * 16, 80 * 16);
        }
    };
    if (glowing) {
        glowingStroke(p, colour, 0.055, drawWaves);
    } else {
        p.setPen(QPen(colour, 0.055, Qt::SolidLine, Qt::RoundCap));
        drawWaves();
    }
    p.restore();
}

void glow(QPainter& p, QPointF centre, double radius, const QColor& colour) {
    QRadialGradient g(centre, radius);
    QColor inner = colour, middle = colour, outer = colour;
    middle.setAlpha(colour.alpha() / 3);
    outer.setAlpha(0);
    g.setColorAt(0.0, inner);
    g.setColorAt(0.45, middle);
    g.setColorAt(1.0, outer);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
    p.restore();
}

void ear(QPainter& p, const QRectF& box, const QColor& colour) {
    // Drawn in a unit box and mapped onto `box`, so the pens keep their pixel widths.
    // The rim (helix) runs from the front of the ear over the top and down the
    // back to the lobe; inside it the antihelix, and in front the small flap (tragus)
    // over the ear canal.
    QPainterPath rim;
    rim.moveTo(0.22, 0.30);
    rim.cubicTo(0.22, 0.02, 0.95, -0.04, 0.92, 0.38);
    rim.cubicTo(0.90, 0.62, 0.62, 0.66, 0.60, 0.86);
    rim.cubicTo(0.58, 1.02, 0.30, 1.02, 0.28, 0.86);
    QPainterPath inner;
    inner.moveTo(0.36, 0.38);
    inner.cubicTo(0.38, 0.16, 0.78, 0.16, 0.74, 0.40);
    inner.cubicTo(0.71, 0.56, 0.52, 0.56, 0.50, 0.72);
    QPainterPath canal;
    canal.moveTo(0.28, 0.52);
    canal.cubicTo(0.40, 0.50, 0.42, 0.64, 0.32, 0.68);
    QTransform toBox;
    toBox.translate(box.left(), box.top());
    toBox.scale(box.width(), box.height());
    p.save();
    p.setBrush(Qt::NoBrush);
    glowingStroke(p, colour, box.width() * 0.045, [&] {
        for (const QPainterPath* path : {&rim, &inner, &canal}) p.drawPath(toBox.map(*path));
    });
    p.restore();
}

} // namespace drawing
