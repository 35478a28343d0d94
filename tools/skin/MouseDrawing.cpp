#include "MouseDrawing.h"

#include "Canvas.h"
#include "ControlPictures.h"

#include <QRadialGradient>

namespace tarvik::skin {

using namespace palette;

namespace {

QPainterPath shellPath() {
    QPainterPath s;
    s.moveTo(100, 0);
    s.cubicTo(150, 0, 186, 22, 192, 90);
    s.cubicTo(198, 160, 200, 230, 192, 300);
    s.cubicTo(184, 370, 146, 400, 100, 400);
    s.cubicTo(54, 400, 16, 370, 8, 300);
    s.cubicTo(0, 230, 2, 160, 8, 90);
    s.cubicTo(14, 22, 50, 0, 100, 0);
    s.closeSubpath();
    return s;
}

QPainterPath buttonZone() {
    QPainterPath z;
    z.moveTo(0, 0);
    z.lineTo(200, 0);
    z.lineTo(200, 150);
    z.quadTo(100, 178, 0, 150);
    z.closeSubpath();
    return z;
}

} // namespace

MouseAnchors drawMouse(QPainter& p, QSize canvas, QPointF origin, double scale, const QColor& lightA,
                       const QColor& lightB) {
    QTransform local;
    local.translate(origin.x(), origin.y());
    local.scale(scale, scale);
    const QTransform outer = p.transform();
    const QPainterPath shell = shellPath();

    // Light under the shell: the strip shines onto the surface around the mouse.
    addGlow(p, canvas, int(14 * scale) + 2, 1.2, [&](QPainter& g) {
        g.setTransform(local * outer);
        QLinearGradient strip(0, 300, 200, 300);
        strip.setColorAt(0, lightA);
        strip.setColorAt(1, lightB);
        g.setPen(QPen(QBrush(strip), 10));
        g.setBrush(Qt::NoBrush);
        g.drawPath(shell.intersected([] {
            QPainterPath rear;
            rear.addRect(-10, 250, 220, 160);
            return rear;
        }()));
    });

    p.save();
    p.setTransform(local * outer);
    QRadialGradient body(QPointF(78, 170), 230);
    body.setColorAt(0, QColor(58, 66, 80));
    body.setColorAt(0.6, QColor(34, 39, 48));
    body.setColorAt(1, QColor(18, 21, 26));
    p.fillPath(shell, body);

    // Buttons: slightly lifted faces with a split down the middle.
    const QPainterPath buttons = shell.intersected(buttonZone());
    QPainterPath left;
    left.addRect(0, 0, 99, 200);
    QPainterPath right;
    right.addRect(101, 0, 100, 200);
    const QLinearGradient face =
        verticalGradient(QRectF(0, 0, 1, 170), QColor(66, 75, 90), QColor(38, 44, 54));
    p.fillPath(buttons.intersected(left), face);
    p.fillPath(buttons.intersected(right), face);
    p.setPen(QPen(QColor(10, 12, 15), 2.0));
    p.setBrush(Qt::NoBrush);
    QPainterPath seam;
    seam.moveTo(6, 150);
    seam.quadTo(100, 178, 194, 150);
    p.drawPath(seam);

    // Wheel with its ridges and a lit centre line.
    const QRectF wheel(89, 40, 22, 52);
    p.setPen(QPen(QColor(10, 12, 15), 1.5));
    p.setBrush(verticalGradient(wheel, QColor(28, 32, 40), QColor(14, 16, 20)));
    p.drawRoundedRect(wheel, 9, 9);
    p.setPen(QPen(QColor(70, 80, 96), 1.0));
    for (double y = 46; y < 88; y += 5) {
        p.drawLine(QPointF(92, y), QPointF(108, y));
    }
    p.setPen(Qt::NoPen);
    p.fillRect(QRectF(99, 44, 2, 44), withAlpha(lightA, 200));

    // DPI button with two level dots.
    const QRectF dpi(91, 110, 18, 26);
    p.setPen(QPen(QColor(10, 12, 15), 1.5));
    p.setBrush(verticalGradient(dpi, QColor(60, 68, 82), QColor(32, 37, 46)));
    p.drawRoundedRect(dpi, 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(lightA);
    p.drawEllipse(QPointF(100, 118), 1.8, 1.8);
    p.setBrush(withAlpha(lightB, 200));
    p.drawEllipse(QPointF(100, 127), 1.8, 1.8);

    // Side buttons along the left flank.
    for (const QRectF& side : {QRectF(6, 190, 16, 42), QRectF(6, 238, 16, 42)}) {
        p.setPen(QPen(QColor(10, 12, 15), 1.5));
        p.setBrush(verticalGradient(side, QColor(72, 82, 98), QColor(40, 46, 56)));
        p.drawRoundedRect(side, 6, 6);
    }

    // Specular highlight on the upper left of the shell.
    QPainterPath sheen;
    sheen.moveTo(40, 30);
    sheen.cubicTo(20, 70, 16, 130, 20, 170);
    p.setPen(QPen(QColor(255, 255, 255, 40), 3.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(sheen);

    p.setPen(QPen(QColor(92, 104, 122), 1.4));
    p.drawPath(shell);

    // Light strip along the rear edge.
    QPainterPath rear;
    rear.addRect(-10, 300, 220, 110);
    QLinearGradient strip(0, 300, 200, 300);
    strip.setColorAt(0, lightA);
    strip.setColorAt(1, lightB);
    p.setPen(QPen(QBrush(strip), 3.0, Qt::SolidLine, Qt::RoundCap));
    QPainterPath edge;
    edge.moveTo(8, 300);
    edge.cubicTo(16, 370, 54, 400, 100, 400);
    edge.cubicTo(146, 400, 184, 370, 192, 300);
    p.drawPath(edge);
    p.setPen(Qt::NoPen);
    p.restore();

    // The palm carries the emblem, lit from inside.
    const QPointF palm = (local * outer).map(QPointF(100, 290));
    const double r = 24 * scale;
    addGlow(p, canvas, int(6 * scale) + 2, 1.0, [&](QPainter& g) {
        g.resetTransform();
        drawEmblem(g, palm, r, lightA, Qt::transparent);
    });
    p.save();
    p.resetTransform();
    drawEmblem(p, palm, r, verticalGradient(QRectF(palm.x(), palm.y() - r, 1, 2 * r), kAccentHi, lightA),
               Qt::transparent);
    p.restore();

    auto at = [&](double x, double y) { return local.map(QPointF(x, y)); };
    MouseAnchors a;
    a.leftButton = at(50, 46);
    a.rightButton = at(150, 46);
    a.wheel = at(111, 66);
    a.dpiButton = at(109, 123);
    a.sideFront = at(14, 211);
    a.sideRear = at(14, 259);
    a.leftFront = at(24, 120);
    a.leftRear = at(22, 330);
    a.palmLeft = at(60, 360);
    a.rightFront = at(176, 120);
    a.rightFlank = at(190, 230);
    a.rightRear = at(178, 330);
    return a;
}

} // namespace tarvik::skin
