#include "ExtraPictures.h"

#include "Canvas.h"
#include "ControlPictures.h"

#include <QPolygonF>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace tarvik::skin {

using namespace palette;

namespace {

void drawClock(QPainter& p, QPointF c, double r, const QColor& color, double width) {
    p.save();
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
    p.drawLine(c, c + QPointF(0, -r * 0.62));
    p.drawLine(c, c + QPointF(r * 0.45, r * 0.2));
    p.restore();
}

void drawKeyCap(QPainter& p, QRectF r, const QColor& color, double width) {
    p.save();
    p.setPen(QPen(color, width));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, r.width() * 0.14, r.width() * 0.14);
    p.drawRoundedRect(r.adjusted(r.width() * 0.16, r.height() * 0.12, -r.width() * 0.16, -r.height() * 0.26),
                      r.width() * 0.08, r.width() * 0.08);
    p.restore();
}

void drawCrosshair(QPainter& p, QPointF c, double r, const QColor& color, double width) {
    p.save();
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r * 0.62, r * 0.62);
    p.drawLine(c + QPointF(-r, 0), c + QPointF(-r * 0.3, 0));
    p.drawLine(c + QPointF(r * 0.3, 0), c + QPointF(r, 0));
    p.drawLine(c + QPointF(0, -r), c + QPointF(0, -r * 0.3));
    p.drawLine(c + QPointF(0, r * 0.3), c + QPointF(0, r));
    p.restore();
}

} // namespace

QImage paintInsertBacking(InsertKind kind) {
    const QSize size(207, 162);
    QImage image = blankImage(size);
    QPainter p(&image);
    setupPainter(p);
    const QRectF r(0.5, 0.5, 206, 161);
    const QPainterPath face = chamferRect(r, 10, 0, 10, 0);
    p.fillPath(face, verticalGradient(r, QColor(22, 28, 36), QColor(15, 18, 23)));
    // Watermark of the kind of step being inserted.
    const QColor mark(255, 255, 255, 16);
    switch (kind) {
    case InsertKind::Delay:
        drawClock(p, QPointF(168, 120), 28, mark, 5);
        break;
    case InsertKind::Key:
        drawKeyCap(p, QRectF(140, 92, 54, 54), mark, 4);
        break;
    case InsertKind::Axis:
        drawCrosshair(p, QPointF(168, 120), 30, mark, 4);
        break;
    }
    p.setPen(QPen(withAlpha(kAccent, 150), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(face);
    p.setPen(QPen(kAccent, 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(r.left() + 0.8, r.top() + 10.5), QPointF(r.left() + 10.5, r.top() + 0.8));
    return image;
}

QImage paintMessageBackground() {
    const QSize size(530, 200);
    QImage image = blankImage(size, kBase0);
    QPainter p(&image);
    setupPainter(p);
    const QRectF outline(2, 2, 526, 196);
    const QPainterPath shape = chamferRect(outline, 16, 16, 16, 16);
    p.fillPath(shape, verticalGradient(outline, QColor(22, 26, 33), QColor(11, 13, 17)));
    // Title band.
    p.save();
    p.setClipPath(shape);
    p.fillRect(QRectF(0, 0, 530, 44),
               verticalGradient(QRectF(0, 0, 530, 44), QColor(30, 36, 46), QColor(20, 24, 31)));
    QLinearGradient rule(0, 0, 530, 0);
    rule.setColorAt(0, withAlpha(kAccent, 0));
    rule.setColorAt(0.2, kAccent);
    rule.setColorAt(0.8, kAccent);
    rule.setColorAt(1, withAlpha(kAccent, 0));
    p.fillRect(QRectF(0, 44, 530, 1.5), rule);
    p.restore();
    addGlow(p, size, 5, 1.0, [&](QPainter& g) { g.fillRect(QRectF(60, 44, 410, 1.5), kAccent); });
    p.setPen(QPen(QColor(52, 60, 74), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    p.setPen(QPen(kAccent, 2.4, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(3, 17), QPointF(17, 3));
    p.drawLine(QPointF(513, 197), QPointF(527, 183));
    p.end();
    applyColourKey(image, shape);
    return image;
}

QImage paintUpdateBanner() {
    const QSize size(540, 102);
    QImage image = blankImage(size);
    QPainter p(&image);
    setupPainter(p);
    const QRectF r(0.5, 0.5, 539, 101);
    const QPainterPath face = chamferRect(r, 12, 0, 12, 0);
    p.fillPath(face, verticalGradient(r, QColor(22, 27, 35), QColor(14, 17, 22)));
    p.setPen(QPen(kLine, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(face);
    // A data file flows into the controller: file, a dashed stream, the chip.
    const QRectF file(70, 22, 44, 58);
    QPainterPath doc = chamferRect(file, 0, 14, 0, 0);
    p.setPen(QPen(kTextSoft, 2.0));
    p.setBrush(QColor(30, 36, 46));
    p.drawPath(doc);
    p.setPen(QPen(kTextMuted, 2.0));
    for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(80, 44 + i * 10), QPointF(104, 44 + i * 10));
    }
    for (int i = 0; i < 9; ++i) {
        const double x = 140 + i * 22;
        const QColor dot = mix(kTextDim, kAccent, i / 8.0);
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        p.drawPolygon(QPolygonF{QPointF(x, 45), QPointF(x + 10, 51), QPointF(x, 57)});
    }
    const QRectF chip(360, 16, 70, 70);
    addGlow(p, size, 8, 1.4, [&](QPainter& g) { g.fillRect(chip.adjusted(6, 6, -6, -6), kAccent); });
    p.setPen(QPen(kAccent, 2.0));
    for (int i = 0; i < 5; ++i) {
        const double o = 14 + i * 10.5;
        p.drawLine(QPointF(chip.left() + o, chip.top() - 8), QPointF(chip.left() + o, chip.top()));
        p.drawLine(QPointF(chip.left() + o, chip.bottom()), QPointF(chip.left() + o, chip.bottom() + 8));
        p.drawLine(QPointF(chip.left() - 8, chip.top() + o), QPointF(chip.left(), chip.top() + o));
        p.drawLine(QPointF(chip.right(), chip.top() + o), QPointF(chip.right() + 8, chip.top() + o));
    }
    p.setPen(QPen(kAccentHi, 1.5));
    p.setBrush(verticalGradient(chip, QColor(12, 60, 86), QColor(8, 30, 44)));
    p.drawRect(chip);
    p.setPen(Qt::NoPen);
    drawEmblem(p, chip.center(), 22, verticalGradient(chip, Qt::white, kAccentHi), Qt::transparent);
    return image;
}

QImage paintMacroIcon(int kind) {
    // Transparent background: the list draws the icon over its own row colour.
    QImage image = blankImage(QSize(20, 20));
    QPainter p(&image);
    setupPainter(p);
    const QColor press(80, 220, 130);
    const QColor release(255, 110, 110);
    switch (kind) {
    case 0:
        drawClock(p, QPointF(10, 10), 7.2, kAmber, 1.8);
        break;
    case 1:
    case 2: {
        const QColor c = kind == 1 ? press : release;
        p.setPen(QPen(c, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(3, 17), QPointF(17, 17));
        if (kind == 1) {
            p.drawLine(QPointF(10, 2.5), QPointF(10, 12.5));
            p.drawPolyline(QPolygonF{QPointF(5.5, 8.5), QPointF(10, 13), QPointF(14.5, 8.5)});
        } else {
            p.drawLine(QPointF(10, 13.5), QPointF(10, 3.5));
            p.drawPolyline(QPolygonF{QPointF(5.5, 7.5), QPointF(10, 3), QPointF(14.5, 7.5)});
        }
        break;
    }
    case 3: {
        p.setPen(QPen(kAccent, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(10, 2.5), QPointF(10, 17.5));
        p.drawLine(QPointF(2.5, 10), QPointF(17.5, 10));
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawPolygon(QPolygonF{QPointF(10, 1), QPointF(13, 5), QPointF(7, 5)});
        p.drawPolygon(QPolygonF{QPointF(10, 19), QPointF(13, 15), QPointF(7, 15)});
        p.drawPolygon(QPolygonF{QPointF(1, 10), QPointF(5, 7), QPointF(5, 13)});
        p.drawPolygon(QPolygonF{QPointF(19, 10), QPointF(15, 7), QPointF(15, 13)});
        break;
    }
    case 7:
    case 8: {
        // A loop arrow around a bracket: where a repeated part starts or ends.
        const QColor c = kMagenta;
        const QPointF center(10, 10);
        const double r = 7.0;
        const double startDeg = 110.0;
        const double spanDeg = 285.0;
        p.setPen(QPen(c, 1.8, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(center.x() - r, center.y() - r, 2 * r, 2 * r), int(startDeg * 16),
                  int(spanDeg * 16));
        const double end = (startDeg + spanDeg) * std::numbers::pi / 180.0;
        const QPointF tip(center.x() + r * std::cos(end), center.y() - r * std::sin(end));
        const QPointF along(-std::sin(end), -std::cos(end)); // direction of travel on screen
        const QPointF across(along.y(), -along.x());
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPolygon(
            QPolygonF{tip + along * 3.6, tip - along * 1.6 + across * 3.2, tip - along * 1.6 - across * 3.2});
        p.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        if (kind == 7) {
            p.drawPolyline(
                QPolygonF{QPointF(11.5, 6.8), QPointF(8.8, 6.8), QPointF(8.8, 13.2), QPointF(11.5, 13.2)});
        } else {
            p.drawPolyline(
                QPolygonF{QPointF(8.5, 6.8), QPointF(11.2, 6.8), QPointF(11.2, 13.2), QPointF(8.5, 13.2)});
        }
        break;
    }
    default: {
        // Kinds without their own picture: a neutral step marker carrying the kind's digit.
        p.setPen(QPen(kTextMuted, 1.4));
        p.setBrush(QColor(40, 46, 56));
        p.drawPolygon(QPolygonF{QPointF(10, 1.5), QPointF(18.5, 10), QPointF(10, 18.5), QPointF(1.5, 10)});
        p.setPen(Qt::NoPen);
        drawTextCentered(p, 10, 10, QString::number(kind), skinFont(9, Face::Bold), kText, Align::Center);
        break;
    }
    }
    return image;
}

QImage paintLoadingFrame(int frame) {
    const QSize size(200, 192);
    QImage image = blankImage(size);
    QPainter p(&image);
    setupPainter(p);
    const QPointF c(100, 96);
    const int segments = kLoadingFrames;
    // Dark disc so the animation reads on any desktop.
    QRadialGradient disc(c, 92);
    disc.setColorAt(0, QColor(16, 20, 26, 235));
    disc.setColorAt(0.8, QColor(12, 14, 18, 235));
    disc.setColorAt(1, QColor(12, 14, 18, 0));
    p.setBrush(disc);
    p.drawEllipse(c, 92, 92);
    auto segmentPath = [&](int i) {
        const double a0 = (-90.0 + i * 360.0 / segments + 4.0) * std::numbers::pi / 180.0;
        const double a1 = (-90.0 + (i + 1) * 360.0 / segments - 4.0) * std::numbers::pi / 180.0;
        const double r0 = 62;
        const double r1 = 76;
        QPainterPath path;
        path.moveTo(c + QPointF(r0 * std::cos(a0), r0 * std::sin(a0)));
        path.lineTo(c + QPointF(r1 * std::cos(a0), r1 * std::sin(a0)));
        path.lineTo(c + QPointF(r1 * std::cos(a1), r1 * std::sin(a1)));
        path.lineTo(c + QPointF(r0 * std::cos(a1), r0 * std::sin(a1)));
        path.closeSubpath();
        return path;
    };
    // The lit segment runs clockwise and leaves a fading tail.
    auto intensity = [&](int i) {
        const int behind = (frame - i + segments) % segments;
        return behind < 6 ? 1.0 - behind / 6.0 : 0.0;
    };
    addGlow(p, size, 6, 1.5, [&](QPainter& g) {
        for (int i = 0; i < segments; ++i) {
            g.fillPath(segmentPath(i), withAlpha(kAccent, int(255 * intensity(i))));
        }
    });
    for (int i = 0; i < segments; ++i) {
        const double t = intensity(i);
        p.fillPath(segmentPath(i), t > 0 ? mix(QColor(24, 60, 80), kAccentHi, t) : QColor(34, 40, 50));
    }
    // The emblem breathes with the cycle.
    const double pulse = 0.5 + 0.5 * std::cos(2.0 * std::numbers::pi * frame / segments);
    drawEmblem(p, c, 34,
               verticalGradient(QRectF(c.x(), c.y() - 34, 1, 68), mix(kAccentHi, Qt::white, pulse), kAccent),
               Qt::transparent);
    return image;
}

QImage paintPlaceholder() {
    return blankImage(QSize(4, 4), kBase0);
}

QImage paintAppIcon(int pixels) {
    // Each size is drawn afresh rather than scaled down, so that small icons stay sharp; the design
    // is laid out on a 256-unit square.
    const ScopedRenderScale unscaled(1);
    QImage image = blankImage(QSize(pixels, pixels));
    QPainter p(&image);
    setupPainter(p);
    p.scale(pixels / 256.0, pixels / 256.0);
    const QRectF tile(8, 8, 240, 240);
    const QPainterPath face = chamferRect(tile, 44, 20, 44, 20);
    p.fillPath(face, verticalGradient(tile, QColor(30, 36, 45), kVoid));
    // The border carries the accent light, brightest at the top-left chamfer as on the window.
    QLinearGradient rim(tile.topLeft(), tile.bottomRight());
    rim.setColorAt(0, kAccentHi);
    rim.setColorAt(0.5, kAccent);
    rim.setColorAt(1, kAccentDeep);
    // Small icons get a thicker rim so that it survives at 16 pixels.
    p.setPen(QPen(QBrush(rim), pixels < 48 ? 16.0 : 7.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(chamferRect(tile.adjusted(4, 4, -4, -4), 42, 18, 42, 18));
    p.setPen(Qt::NoPen);
    const QPointF center(128, 130);
    if (pixels >= 48) {
        addGlow(p, QSize(pixels, pixels), std::max(1, pixels / 40), 1.2,
                [&](QPainter& g) { drawEmblem(g, center, 84, kAccent, Qt::transparent); });
    }
    drawEmblem(p, center, pixels < 48 ? 92 : 84, verticalGradient(QRectF(0, 40, 1, 180), kAccentHi, kAccent),
               Qt::transparent);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace tarvik::skin
