#include "ControlPictures.h"

#include "Canvas.h"

#include <QPolygonF>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace tarvik::skin {

using namespace palette;

namespace {

struct PlateColors {
    QColor top, bottom, border, tick, sheen;
};

PlateColors plateColors(ButtonState state) {
    switch (state) {
    case ButtonState::Normal:
        return {QColor(36, 42, 52), QColor(24, 28, 35), QColor(58, 67, 81), withAlpha(kAccent, 110),
                QColor(255, 255, 255, 18)};
    case ButtonState::Hover:
        return {QColor(46, 58, 74), QColor(30, 38, 49), withAlpha(kAccent, 230), kAccent,
                QColor(255, 255, 255, 40)};
    case ButtonState::Pressed:
        break;
    }
    return {QColor(0, 156, 222), QColor(0, 84, 138), QColor(130, 230, 255), Qt::white,
            QColor(255, 255, 255, 80)};
}

QPolygonF scaled(std::initializer_list<QPointF> points, QPointF origin, double sx, double sy) {
    QPolygonF poly;
    for (const QPointF& pt : points) {
        poly << QPointF(origin.x() + pt.x() * sx, origin.y() + pt.y() * sy);
    }
    return poly;
}

} // namespace

QImage paintPlate(QSize size, PlateStyle style, ButtonState state) {
    QImage image = blankImage(size);
    QPainter p(&image);
    setupPainter(p);
    const PlateColors c = plateColors(state);
    const QRectF r(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QPainterPath shape;
    switch (style) {
    case PlateStyle::Navigation:
        shape = chamferRect(r, 0, 7, 0, 7);
        break;
    case PlateStyle::Push:
        shape = chamferRect(r, 5);
        break;
    case PlateStyle::Key:
        shape = chamferRect(r, 8, 0, 8, 0);
        break;
    }
    p.fillPath(shape, verticalGradient(r, c.top, c.bottom));
    // Upper sheen: the plate catches light on its top half.
    p.save();
    p.setClipPath(shape);
    QLinearGradient sheen(r.topLeft(), QPointF(r.left(), r.center().y()));
    sheen.setColorAt(0, c.sheen);
    sheen.setColorAt(1, withAlpha(c.sheen, 0));
    p.fillRect(QRectF(r.left(), r.top(), r.width(), r.height() / 2), sheen);
    if (state == ButtonState::Pressed) {
        // Pressed plates are lit from inside: a bright line along the bottom edge.
        p.fillRect(QRectF(r.left(), r.bottom() - 2, r.width(), 2), QColor(140, 235, 255, 150));
    }
    p.restore();
    p.setPen(QPen(c.border, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    p.setPen(Qt::NoPen);
    const double midY = size.height() / 2.0;
    switch (style) {
    case PlateStyle::Navigation:
        p.fillRect(QRectF(3, midY - 6, 3, 12), c.tick);
        break;
    case PlateStyle::Key:
        p.fillRect(QRectF(3, midY - 5, 2, 10), c.tick);
        p.fillRect(QRectF(size.width() - 5, midY - 5, 2, 10), c.tick);
        break;
    case PlateStyle::Push:
        if (state != ButtonState::Normal) {
            const double w = size.width() * 0.5;
            p.fillRect(QRectF((size.width() - w) / 2, 1.5, w, 1), withAlpha(c.tick, 200));
        }
        break;
    }
    return image;
}

QImage paintExit(ButtonState state) {
    QImage image = blankImage(QSize(15, 15));
    QPainter p(&image);
    setupPainter(p);
    QColor cross = QColor(150, 160, 174);
    if (state == ButtonState::Hover) {
        p.setBrush(withAlpha(kDanger, 60));
        p.setPen(QPen(withAlpha(kDanger, 200), 1.0));
        p.drawPath(chamferRect(QRectF(0.5, 0.5, 14, 14), 3));
        cross = QColor(255, 120, 136);
    } else if (state == ButtonState::Pressed) {
        p.setBrush(QColor(196, 36, 60));
        p.setPen(QPen(QColor(255, 120, 136), 1.0));
        p.drawPath(chamferRect(QRectF(0.5, 0.5, 14, 14), 3));
        cross = Qt::white;
    }
    p.setPen(QPen(cross, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.2, 4.2), QPointF(10.8, 10.8));
    p.drawLine(QPointF(10.8, 4.2), QPointF(4.2, 10.8));
    return image;
}

void drawEmblem(QPainter& p, QPointF center, double radius, const QBrush& face, const QColor& edge) {
    auto at = [&](double x, double y) { return QPointF(center.x() + x * radius, center.y() + y * radius); };
    QPolygonF hex;
    for (int i = 0; i < 6; ++i) {
        const double a = (-90.0 + 60.0 * i) * std::numbers::pi / 180.0;
        hex << at(std::cos(a), std::sin(a));
    }
    QPainterPath outer;
    outer.addPolygon(hex);
    outer.closeSubpath();
    QPolygonF innerHex;
    for (int i = 0; i < 6; ++i) {
        const double a = (-90.0 + 60.0 * i) * std::numbers::pi / 180.0;
        innerHex << at(0.8 * std::cos(a), 0.8 * std::sin(a));
    }
    QPainterPath ring = outer;
    QPainterPath inner;
    inner.addPolygon(innerHex);
    inner.closeSubpath();
    ring = ring.subtracted(inner);
    p.fillPath(ring, face);
    const QPolygonF tee{at(-0.56, -0.44), at(0.56, -0.44), at(0.40, -0.24),  at(0.13, -0.24), at(0.13, 0.50),
                        at(0.0, 0.64),    at(-0.13, 0.50), at(-0.13, -0.24), at(-0.40, -0.24)};
    const QPolygonF clawLeft{at(-0.60, -0.10), at(-0.30, 0.12), at(-0.30, 0.34), at(-0.60, 0.12)};
    const QPolygonF clawRight{at(0.60, -0.10), at(0.30, 0.12), at(0.30, 0.34), at(0.60, 0.12)};
    QPainterPath mark;
    mark.addPolygon(tee);
    mark.closeSubpath();
    mark.addPolygon(clawLeft);
    mark.closeSubpath();
    mark.addPolygon(clawRight);
    mark.closeSubpath();
    p.fillPath(mark, face);
    if (edge.alpha() > 0) {
        p.save();
        p.setPen(QPen(edge, std::max(0.8, radius / 24.0)));
        p.setBrush(Qt::NoBrush);
        p.drawPath(outer);
        p.restore();
    }
}

QImage paintWebBadge(ButtonState state) {
    const QSize size(150, 80);
    QImage image = blankImage(size);
    QPainter p(&image);
    setupPainter(p);
    const QPointF c(75, 40);
    // Wings: two angular blades pointing away from the emblem.
    QColor wing = state == ButtonState::Normal ? QColor(70, 80, 94) : withAlpha(kAccent, 220);
    if (state == ButtonState::Pressed) {
        wing = kAccentHi;
    }
    for (int side : {-1, 1}) {
        QPolygonF blade{QPointF(c.x() + side * 36, 30), QPointF(c.x() + side * 70, 30),
                        QPointF(c.x() + side * 62, 38), QPointF(c.x() + side * 36, 38)};
        QPolygonF blade2{QPointF(c.x() + side * 36, 43), QPointF(c.x() + side * 56, 43),
                         QPointF(c.x() + side * 50, 49), QPointF(c.x() + side * 36, 49)};
        p.setBrush(wing);
        p.drawPolygon(blade);
        p.setBrush(withAlpha(wing, 150));
        p.drawPolygon(blade2);
    }
    QBrush face;
    QColor edge;
    if (state == ButtonState::Normal) {
        face = verticalGradient(QRectF(0, 8, 150, 64), QColor(210, 218, 228), QColor(110, 120, 134));
        edge = QColor(0, 0, 0, 0);
    } else if (state == ButtonState::Hover) {
        addGlow(p, size, 6, 1.6, [&](QPainter& g) { drawEmblem(g, c, 33, kAccent, Qt::transparent); });
        face = verticalGradient(QRectF(0, 8, 150, 64), kAccentHi, kAccent);
        edge = QColor(0, 0, 0, 0);
    } else {
        addGlow(p, size, 7, 2.4, [&](QPainter& g) { drawEmblem(g, c, 33, kAccent, Qt::transparent); });
        face = verticalGradient(QRectF(0, 8, 150, 64), Qt::white, kAccentHi);
        edge = QColor(0, 0, 0, 0);
    }
    drawEmblem(p, c, 33, face, edge);
    return image;
}

QImage paintCheck(bool on) {
    QImage image = blankImage(QSize(16, 16));
    QPainter p(&image);
    setupPainter(p);
    const QRectF r(1.5, 1.5, 13, 13);
    if (!on) {
        p.setBrush(QColor(14, 17, 22));
        p.setPen(QPen(QColor(84, 96, 112), 1.2));
        p.drawRoundedRect(r, 2.5, 2.5);
        return image;
    }
    p.setBrush(verticalGradient(r, QColor(60, 220, 255), QColor(0, 120, 190)));
    p.setPen(QPen(QColor(150, 236, 255), 1.2));
    p.drawRoundedRect(r, 2.5, 2.5);
    QPainterPath tick;
    tick.moveTo(4.4, 8.2);
    tick.lineTo(7.0, 10.8);
    tick.lineTo(11.8, 5.2);
    p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
    return image;
}

QImage paintRadio(bool on) {
    QImage image = blankImage(QSize(15, 15));
    QPainter p(&image);
    setupPainter(p);
    const QPointF c(7.5, 7.5);
    p.setBrush(QColor(14, 17, 22));
    p.setPen(QPen(on ? kAccent : QColor(84, 96, 112), 1.3));
    p.drawEllipse(c, 6.3, 6.3);
    if (on) {
        QRadialGradient dot(c, 4.0);
        dot.setColorAt(0, Qt::white);
        dot.setColorAt(0.45, kAccentHi);
        dot.setColorAt(1, kAccent);
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        p.drawEllipse(c, 3.6, 3.6);
    }
    return image;
}

QImage paintBarCell(QSize size, bool on) {
    QImage image = blankImage(size);
    QPainter p(&image);
    setupPainter(p);
    // A slanted segment; cells side by side read as one segmented gauge.
    const double w = size.width();
    const double h = size.height();
    const double skew = 4;
    QPolygonF seg{QPointF(1.5 + skew, 2.5), QPointF(w - 1.0, 2.5), QPointF(w - 1.0 - skew, h - 2.5),
                  QPointF(1.5, h - 2.5)};
    QPainterPath path;
    path.addPolygon(seg);
    path.closeSubpath();
    const QRectF r(0, 2.5, w, h - 5);
    if (on) {
        p.fillPath(path, verticalGradient(r, QColor(150, 238, 255), QColor(0, 150, 214)));
        p.setPen(QPen(QColor(190, 246, 255), 1.0));
    } else {
        p.fillPath(path, verticalGradient(r, QColor(38, 45, 56), QColor(27, 32, 40)));
        p.setPen(QPen(QColor(54, 63, 76), 1.0));
    }
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    return image;
}

QImage paintColorFrame() {
    QImage image = blankImage(QSize(32, 40));
    QPainter p(&image);
    setupPainter(p);
    const QRectF outer(0.5, 0.5, 31, 39);
    const QRectF hole(4, 4, 24, 32);
    QPainterPath bezel = chamferRect(outer, 5, 0, 5, 0);
    QPainterPath window;
    window.addRect(hole);
    p.fillPath(bezel.subtracted(window), verticalGradient(outer, QColor(70, 80, 96), QColor(34, 40, 50)));
    p.setPen(QPen(QColor(96, 108, 126), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(bezel);
    p.setPen(QPen(QColor(0, 0, 0, 160), 1.0));
    p.drawRect(hole.adjusted(-0.5, -0.5, 0.5, 0.5));
    // Glass: a soft highlight over the upper part of the swatch.
    QLinearGradient gloss(hole.topLeft(), QPointF(hole.left(), hole.center().y()));
    gloss.setColorAt(0, QColor(255, 255, 255, 56));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(hole.left(), hole.top(), hole.width(), hole.height() / 2), gloss);
    p.fillRect(QRectF(11, 37.5, 10, 1.5), withAlpha(kAccent, 200));
    return image;
}

namespace {

// A side view of a firearm in a 100 x 30 box, built from a few parameters.
struct GunShape {
    double stockLength; // 0: none
    bool skeletonStock;
    double receiverEnd; // x where the receiver meets the handguard
    double barrelEnd;   // x of the muzzle
    int magazine;       // 0 straight, 1 curved, 2 short box
    int optic;          // 0 none, 1 red dot, 2 scope, 3 carry handle
    bool tallReceiver;
};

const GunShape kGuns[7] = {
    {26, false, 60, 98, 1, 0, false},  // assault rifle with a curved magazine
    {28, false, 62, 100, 0, 3, false}, // rifle with a carry handle
    {22, true, 60, 92, 0, 1, false},   // carbine with a red dot
    {18, true, 64, 80, 2, 1, true},    // compact submachine gun
    {24, true, 64, 94, 0, 1, true},    // battle rifle
    {24, false, 62, 96, 0, 2, false},  // rifle with a scope
    {28, false, 64, 100, 1, 2, false}, // marksman rifle
};

QPainterPath gunPath(const GunShape& g, QPointF o, double s) {
    auto poly = [&](std::initializer_list<QPointF> pts) {
        QPainterPath path;
        path.addPolygon(scaled(pts, o, s, s));
        path.closeSubpath();
        return path;
    };
    const double rx = 30; // receiver start
    const double top = g.tallReceiver ? 8 : 10;
    QPainterPath gun;
    gun.setFillRule(Qt::WindingFill);
    gun.addPath(poly({{rx, top}, {g.receiverEnd, top}, {g.receiverEnd, 18}, {rx, 19}}));
    // handguard and barrel
    gun.addPath(poly({{g.receiverEnd, top + 1},
                      {g.receiverEnd + (g.barrelEnd - g.receiverEnd) * 0.55, top + 1.5},
                      {g.receiverEnd + (g.barrelEnd - g.receiverEnd) * 0.55, 16.5},
                      {g.receiverEnd, 17}}));
    gun.addPath(
        poly({{g.receiverEnd, 12}, {g.barrelEnd - 3, 12}, {g.barrelEnd - 3, 14}, {g.receiverEnd, 14}}));
    gun.addPath(poly({{g.barrelEnd - 4, 11}, {g.barrelEnd, 11}, {g.barrelEnd, 15}, {g.barrelEnd - 4, 15}}));
    // grip
    gun.addPath(poly({{rx + 8, 18}, {rx + 15, 18}, {rx + 12, 28}, {rx + 5, 28}}));
    // trigger guard
    gun.addPath(poly({{rx + 15, 18}, {rx + 22, 18}, {rx + 22, 20.5}, {rx + 15, 21}}));
    // magazine
    if (g.magazine == 1) {
        gun.addPath(
            poly({{rx + 20, 18}, {rx + 27, 18}, {rx + 32, 27}, {rx + 34, 29}, {rx + 27, 30}, {rx + 21, 22}}));
    } else if (g.magazine == 0) {
        gun.addPath(poly({{rx + 20, 18}, {rx + 26.5, 18}, {rx + 27.5, 29}, {rx + 21, 29}}));
    } else {
        gun.addPath(poly({{rx + 21, 18}, {rx + 27, 18}, {rx + 27, 25}, {rx + 21, 25}}));
    }
    // stock
    if (g.stockLength > 0) {
        const double back = rx - g.stockLength;
        if (g.skeletonStock) {
            gun.addPath(poly({{back, 10}, {rx, 11}, {rx, 14}, {back + 4, 13.5}, {back + 4, 18}, {back, 21}}));
            gun.addPath(poly({{back, 18.5}, {rx - 2, 15}, {rx, 17}, {back + 2, 21}}));
        } else {
            gun.addPath(poly({{back, 9}, {rx, 11}, {rx, 18}, {back + 8, 20}, {back, 23}}));
        }
    }
    // optics
    if (g.optic == 1) {
        gun.addPath(poly({{rx + 12, top - 5}, {rx + 20, top - 5}, {rx + 21, top}, {rx + 11, top}}));
    } else if (g.optic == 2) {
        gun.addPath(poly({{rx + 4, top - 7},
                          {rx + 30, top - 7},
                          {rx + 32, top - 8.5},
                          {rx + 32, top - 2.5},
                          {rx + 30, top - 3.5},
                          {rx + 4, top - 3.5},
                          {rx + 2, top - 2.5},
                          {rx + 2, top - 8.5}}));
        gun.addPath(poly({{rx + 10, top - 4}, {rx + 13, top - 4}, {rx + 13, top}, {rx + 10, top}}));
        gun.addPath(poly({{rx + 21, top - 4}, {rx + 24, top - 4}, {rx + 24, top}, {rx + 21, top}}));
    } else if (g.optic == 3) {
        gun.addPath(poly({{rx + 6, top - 6},
                          {rx + 26, top - 6},
                          {rx + 26, top},
                          {rx + 23, top},
                          {rx + 23, top - 3},
                          {rx + 9, top - 3},
                          {rx + 9, top},
                          {rx + 6, top}}));
    }
    return gun;
}

} // namespace

QImage paintGunCard(int preset, bool selected) {
    const QSize size(120, 56);
    QImage image = blankImage(size);
    QPainter p(&image);
    setupPainter(p);
    const QRectF r(0.5, 0.5, 119, 55);
    const QPainterPath card = chamferRect(r, 8, 0, 8, 0);
    if (selected) {
        p.fillPath(card, verticalGradient(r, QColor(8, 58, 84), QColor(10, 24, 34)));
    } else {
        p.fillPath(card, verticalGradient(r, QColor(30, 35, 44), QColor(19, 22, 28)));
    }
    // Caption band at the bottom for the preset name.
    p.save();
    p.setClipPath(card);
    p.fillRect(QRectF(0, 38, 120, 18), selected ? QColor(0, 0, 0, 70) : QColor(0, 0, 0, 60));
    p.restore();
    const QPainterPath gun = gunPath(kGuns[preset - 1], QPointF(14, 4), 0.98);
    if (selected) {
        addGlow(p, size, 4, 1.3, [&](QPainter& g) { g.fillPath(gun, kAccent); });
        p.fillPath(gun, verticalGradient(QRectF(0, 4, 120, 30), Qt::white, kAccentHi));
    } else {
        p.fillPath(gun, verticalGradient(QRectF(0, 4, 120, 30), QColor(150, 162, 176), QColor(96, 106, 120)));
    }
    p.setPen(QPen(selected ? kAccent : QColor(56, 65, 79), selected ? 1.5 : 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(card);
    p.setPen(Qt::NoPen);
    drawText(p, 6, 13, QString::number(preset), skinFont(9, Face::Bold), selected ? kAccentHi : kTextDim);
    return image;
}

QImage paintGunMode(int badge) {
    // Badges 1-2 head the two segments of preset 6, badges 3-5 the three segments of preset 7.
    const int segment = badge <= 2 ? badge : badge - 2;
    const int segments = badge <= 2 ? 2 : 3;
    const QColor hue = badge <= 2 ? kAccent : kAmber;
    QImage image = blankImage(QSize(40, 40));
    QPainter p(&image);
    setupPainter(p);
    const QPointF c(20, 19);
    QPolygonF hex;
    for (int i = 0; i < 6; ++i) {
        const double a = (60.0 * i) * std::numbers::pi / 180.0;
        hex << QPointF(c.x() + 18 * std::cos(a), c.y() + 18 * std::sin(a));
    }
    QPainterPath shape;
    shape.addPolygon(hex);
    shape.closeSubpath();
    p.fillPath(shape,
               verticalGradient(QRectF(0, 0, 40, 40), mix(hue, Qt::black, 0.55), mix(hue, Qt::black, 0.82)));
    p.setPen(QPen(hue, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    p.setPen(Qt::NoPen);
    drawTextCentered(p, 20, 17, QString::number(segment), skinFont(15, Face::Bold), Qt::white, Align::Center);
    // Pips: which segment of how many.
    const double pipSpan = (segments - 1) * 6.0;
    for (int i = 0; i < segments; ++i) {
        const QPointF pip(20 - pipSpan / 2 + i * 6.0, 30);
        p.setBrush(i + 1 == segment ? hue : withAlpha(hue, 70));
        p.drawEllipse(pip, 1.8, 1.8);
    }
    return image;
}

} // namespace tarvik::skin
