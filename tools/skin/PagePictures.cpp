#include "PagePictures.h"

#include "Canvas.h"
#include "ControlPictures.h"
#include "ExtraPictures.h"
#include "MouseDrawing.h"
#include "SkinGrid.h"

#include <QPolygonF>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace tarvik::skin {

using namespace palette;

const char* const kLightingEffectNames[6] = {"Lights Off",     "Breathing",  "Always On",
                                             "Spectrum Cycle", "Color Wave", "Reactive Flash"};

namespace {

QString key(const char* prefix, int n, const char* suffix = "") {
    return QString::fromLatin1(prefix) + QString::number(n) + QString::fromLatin1(suffix);
}

// A page picture is drawn in window coordinates; the painter shifts by the page origin.
struct PageCanvas {
    QImage image;
    QPainter painter;
    PageCanvas(const SkinLayout& layout, const char* originKey)
        : image(blankImage(grid::kPageSize)), painter(&image) {
        setupPainter(painter);
        const QPointF origin = layout.point(QString::fromLatin1(originKey));
        painter.translate(-origin);
        drawPageFrame(painter, grid::kPage);
    }
    QSize size() const { return logicalSize(image); }
};

QImage finish(PageCanvas& canvas) {
    canvas.painter.end();
    return canvas.image.convertToFormat(QImage::Format_ARGB32);
}

// A dark groove under a row of bar cells.
void drawGroove(QPainter& p, QPointF cell, double width, double height = 18) {
    p.save();
    const QRectF r(cell.x() - 3, cell.y() - 2, width + 6, height + 4);
    p.setPen(QPen(QColor(30, 36, 44), 1.0));
    p.setBrush(QColor(8, 10, 13));
    p.drawPath(chamferRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 4, 0, 4, 0));
    p.restore();
}

void drawRule(QPainter& p, double x0, double x1, double y, int alpha = 40) {
    p.fillRect(QRectF(x0, y, x1 - x0, 1), QColor(255, 255, 255, alpha / 4));
}

void drawHint(QPainter& p, double x, double baseline, const QString& text, Align align = Align::Left) {
    drawText(p, x, baseline, text, skinFont(10.5, Face::Regular), kTextMuted, align);
}

void drawIndexBadge(QPainter& p, QPointF c, int n) {
    QPolygonF hex;
    for (int i = 0; i < 6; ++i) {
        const double a = (60.0 * i) * std::numbers::pi / 180.0;
        hex << QPointF(c.x() + 9 * std::cos(a), c.y() + 9 * std::sin(a));
    }
    p.save();
    p.setPen(QPen(withAlpha(kAccent, 170), 1.2));
    p.setBrush(QColor(10, 30, 42));
    p.drawPolygon(hex);
    p.restore();
    drawTextCentered(p, c.x(), c.y(), QString::number(n), skinFont(9.5, Face::Bold), kAccentHi,
                     Align::Center);
}

} // namespace

// ---------------------------------------------------------------------------------------------------

QImage paintBackground(const SkinLayout& layout) {
    const QSize size = grid::kWindow;
    QImage image = blankImage(size, kVoid);
    QPainter p(&image);
    setupPainter(p);
    const QRectF outline(grid::kOutline, grid::kOutline, size.width() - 2 * grid::kOutline,
                         size.height() - 2 * grid::kOutline);
    const QPainterPath shape = chamferRect(outline, 28, 28, 20, 20);

    p.fillPath(shape, verticalGradient(outline, QColor(19, 22, 28), QColor(9, 11, 14)));
    p.save();
    p.setClipPath(shape);
    // Fine diagonal brushing over the whole body.
    p.setPen(QPen(QColor(255, 255, 255, 5), 1.0));
    for (int x = -size.height(); x < size.width(); x += 7) {
        p.drawLine(QPointF(x, 0), QPointF(x + size.height(), size.height()));
    }
    p.setPen(Qt::NoPen);
    QRadialGradient ambient(QPointF(110, 30), 520);
    ambient.setColorAt(0, withAlpha(kAccent, 26));
    ambient.setColorAt(1, withAlpha(kAccent, 0));
    p.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), ambient);
    QRadialGradient warm(QPointF(1010, 650), 420);
    warm.setColorAt(0, withAlpha(kMagenta, 16));
    warm.setColorAt(1, withAlpha(kMagenta, 0));
    p.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), warm);

    // Header band with a lit rule under it.
    const QRectF header(0, 0, size.width(), grid::kHeaderBottom);
    p.fillRect(header, verticalGradient(header, QColor(24, 29, 37), QColor(14, 17, 22)));
    p.fillRect(QRectF(0, grid::kHeaderBottom, size.width(), 1), QColor(40, 47, 58));
    p.restore();
    auto headerRule = [&](QPainter& g) {
        QLinearGradient rule(150, 0, 1010, 0);
        rule.setColorAt(0, withAlpha(kAccent, 0));
        rule.setColorAt(0.25, kAccent);
        rule.setColorAt(0.7, kAccent);
        rule.setColorAt(1, withAlpha(kAccent, 0));
        g.fillRect(QRectF(150, grid::kHeaderBottom, 860, 1.5), rule);
    };
    addGlow(p, size, 5, 1.2, headerRule);
    headerRule(p);

    // Brand.
    const QPointF emblem(50, 47);
    addGlow(p, size, 6, 1.3, [&](QPainter& g) { drawEmblem(g, emblem, 23, kAccent, Qt::transparent); });
    drawEmblem(p, emblem, 23, verticalGradient(QRectF(0, 24, 1, 46), kAccentHi, kAccent), Qt::transparent);
    drawText(p, 86, 53, QStringLiteral("TARVIK"), skinFont(30, Face::Bold, 5),
             verticalGradient(QRectF(0, 30, 1, 24), Qt::white, QColor(160, 214, 236)));
    drawText(p, 88, 72, QStringLiteral("GAMING MOUSE CONFIGURATOR"), skinFont(10, Face::Bold, 2.4),
             kTextMuted);

    // Dock of the web badge (the badge itself is its own picture, placed by the general table).
    const QRectF dock(362, 8, 166, 76);
    p.setPen(QPen(QColor(34, 40, 50), 1.0));
    p.setBrush(QColor(11, 13, 17));
    p.drawPath(chamferRect(dock.adjusted(0.5, 0.5, -0.5, -0.5), 10, 10, 10, 10));
    p.setPen(Qt::NoPen);

    // Languages: caption and globe before the first language button.
    const QPointF lang = layout.point(QStringLiteral("Btn_B8"));
    const QPointF globe(lang.x() - 96, lang.y() + 13.5);
    p.setPen(QPen(kTextMuted, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(globe, 7, 7);
    p.drawEllipse(globe, 3, 7);
    p.drawLine(globe + QPointF(-7, 0), globe + QPointF(7, 0));
    p.setPen(Qt::NoPen);
    drawTextCentered(p, globe.x() + 13, globe.y(), QStringLiteral("LANGUAGE"), skinFont(9, Face::Bold, 1.4),
                     kTextMuted);

    // Slanted marks at the right end of the header.
    for (int i = 0; i < 4; ++i) {
        const double x = 940 + i * 12;
        p.setBrush(withAlpha(kAccent, 60 + i * 40));
        p.drawPolygon(QPolygonF{QPointF(x, 80), QPointF(x + 6, 72), QPointF(x + 10, 72), QPointF(x + 4, 80)});
    }

    // Sidebar with group headings over the navigation entries.
    const QRectF side = grid::kSidebar;
    const QPainterPath sidePanel = chamferRect(side, 0, 0, 0, 16);
    p.fillPath(sidePanel, verticalGradient(side, QColor(19, 23, 29), QColor(12, 14, 18)));
    p.setPen(QPen(QColor(36, 42, 52), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(chamferRect(side.adjusted(0.5, 0.5, -0.5, -0.5), 0, 0, 0, 16));
    p.setPen(Qt::NoPen);
    QLinearGradient edge(0, side.top(), 0, side.bottom());
    edge.setColorAt(0, withAlpha(kAccent, 0));
    edge.setColorAt(0.3, withAlpha(kAccent, 110));
    edge.setColorAt(1, withAlpha(kAccent, 0));
    p.fillRect(QRectF(side.right() - 1, side.top(), 1, side.height()), edge);
    const struct {
        const char* title;
        const char* first;
    } groups[] = {
        {"WORK MODE", "Btn_B1"}, {"SETTINGS", "Btn_B4"}, {"PROFILE", "Btn_B6"}, {"DEFAULTS", "Btn_A2"}};
    for (const auto& g : groups) {
        const double y = layout.point(QString::fromLatin1(g.first)).y() - 9;
        p.fillRect(QRectF(side.left() + 10, y - 7, 3, 8), kAccent);
        const QFont font = skinFont(9, Face::Bold, 1.4);
        const QString title = QString::fromLatin1(g.title);
        drawText(p, side.left() + 18, y, title, font, kTextMuted);
        const double after = side.left() + 18 + textWidth(title, font) + 6;
        p.fillRect(QRectF(after, y - 3, side.right() - 10 - after, 1), QColor(255, 255, 255, 14));
    }

    drawPageFrame(p, grid::kPage);

    // Border of the shape, lit at two chamfers.
    p.setPen(QPen(QColor(44, 52, 64), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    p.setPen(QPen(QColor(255, 255, 255, 14), 1.0));
    p.drawPath(chamferRect(outline.adjusted(2.5, 2.5, -2.5, -2.5), 27, 27, 19, 19));
    auto litCorners = [&](QPainter& g) {
        g.setPen(QPen(kAccent, 3.0, Qt::SolidLine, Qt::FlatCap));
        g.drawLine(QPointF(6, 31), QPointF(31, 6));
        g.drawLine(QPointF(1004, 656), QPointF(1024, 636));
        QLinearGradient top(32, 0, 220, 0);
        top.setColorAt(0, kAccent);
        top.setColorAt(1, withAlpha(kAccent, 0));
        g.setPen(QPen(QBrush(top), 2.0));
        g.drawLine(QPointF(31, 6.5), QPointF(220, 6.5));
        QLinearGradient bottom(1004, 0, 820, 0);
        bottom.setColorAt(0, kAccent);
        bottom.setColorAt(1, withAlpha(kAccent, 0));
        g.setPen(QPen(QBrush(bottom), 2.0));
        g.drawLine(QPointF(1004, 655.5), QPointF(820, 655.5));
    };
    addGlow(p, size, 6, 1.4, litCorners);
    litCorners(p);
    p.end();
    applyColourKey(image, shape);
    return image;
}

// ---------------------------------------------------------------------------------------------------

QImage paintKeyPage(const SkinLayout& layout) {
    PageCanvas canvas(layout, "P1");
    QPainter& p = canvas.painter;
    const QRectF box = grid::kKeyBox;
    drawSection(p, box, QStringLiteral("BUTTON ASSIGNMENT"));

    const double mouseLeft = grid::kPage.left() + grid::kPage.width() / 2.0 - kMouseSize.width() / 2.0;
    const MouseAnchors a = drawMouse(p, canvas.size(), QPointF(mouseLeft, 172), 1.0, kAccent, kMagenta);
    // Table button n is the mouse's physical button n.
    const QPointF anchors[12] = {a.leftButton, a.sideFront,  a.sideRear,   a.rightButton,
                                 a.wheel,      a.dpiButton,  a.leftRear,   a.leftFront,
                                 a.palmLeft,   a.rightFront, a.rightFlank, a.rightRear};
    const double centerX = grid::kPage.left() + grid::kPage.width() / 2.0;
    struct Leader {
        QPointF start, elbow, end;
        int number;
    };
    QList<Leader> leaders;
    for (int n = 1; n <= 12; ++n) {
        if (!layout.enabled(key("Key", n))) {
            continue;
        }
        const QPointF at = layout.point(key("Key", n));
        const bool leftSide = at.x() + 85 < centerX;
        const QPointF start =
            leftSide ? QPointF(at.x() + 170 + 3, at.y() + 13.5) : QPointF(at.x() - 3, at.y() + 13.5);
        const QPointF elbow(start.x() + (leftSide ? 26 : -26), start.y());
        leaders.append({start, elbow, anchors[n - 1], n});
        drawIndexBadge(p, QPointF(leftSide ? at.x() - 16 : at.x() + 170 + 16, at.y() + 13.5), n);
    }
    auto drawLeaders = [&](QPainter& g, double width, int alpha) {
        g.setPen(QPen(withAlpha(kAccent, alpha), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        g.setBrush(Qt::NoBrush);
        for (const Leader& l : leaders) {
            g.drawPolyline(QPolygonF{l.start, l.elbow, l.end});
        }
    };
    addGlow(p, canvas.size(), 3, 1.0, [&](QPainter& g) { drawLeaders(g, 2.0, 255); });
    drawLeaders(p, 1.2, 200);
    for (const Leader& l : leaders) {
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(kAccent, 70));
        p.drawEllipse(l.end, 6, 6);
        p.setBrush(kAccentHi);
        p.drawEllipse(l.end, 2.8, 2.8);
        p.setBrush(kAccent);
        p.drawEllipse(l.start, 2.2, 2.2);
    }
    drawHint(p, centerX, box.bottom() - 14, QStringLiteral("Click a button to choose its function"),
             Align::Center);
    return finish(canvas);
}

// ---------------------------------------------------------------------------------------------------

QImage paintAdvancedPage(const SkinLayout& layout) {
    PageCanvas canvas(layout, "P2");
    QPainter& p = canvas.painter;
    const QRectF page = grid::kPage;
    auto visible = [&](const QString& prefix) { return page.contains(layout.point(prefix)); };

    // DPI levels.
    const QRectF dpiBox = grid::kDpiBox;
    drawSection(p, dpiBox, QStringLiteral("DPI LEVELS"));
    const double cellW = 20;
    const double barW = 12 * cellW;
    {
        const QPointF check = layout.point(QStringLiteral("DPI1_Check"));
        const QPointF label = layout.point(QStringLiteral("DPI1"));
        const QPointF steps = layout.point(QStringLiteral("DPI1_Steps"));
        const QPointF value = layout.point(QStringLiteral("DPI1_Value"));
        const QPointF color = layout.point(QStringLiteral("DPI1_Color"));
        const double base = color.y() - 8;
        drawLegend(p, check.x() + 8, base, QStringLiteral("ON"), Align::Center);
        drawLegend(p, label.x(), base, QStringLiteral("LEVEL"));
        drawLegend(p, steps.x(), base, QStringLiteral("200"));
        drawLegend(p, steps.x() + barW, base, QStringLiteral("6400"), Align::Right);
        QLinearGradient ramp(steps.x() + 30, 0, steps.x() + barW - 40, 0);
        ramp.setColorAt(0, withAlpha(kTextDim, 120));
        ramp.setColorAt(1, withAlpha(kAccent, 200));
        p.fillRect(QRectF(steps.x() + 30, base - 3.5, barW - 70, 1.2), ramp);
        p.setBrush(withAlpha(kAccent, 200));
        p.drawPolygon(QPolygonF{QPointF(steps.x() + barW - 40, base - 6),
                                QPointF(steps.x() + barW - 34, base - 3),
                                QPointF(steps.x() + barW - 40, base)});
        drawLegend(p, value.x(), base, QStringLiteral("VALUE"));
        drawLegend(p, color.x() + 16, base, QStringLiteral("COLOR"), Align::Center);
    }
    for (int n = 1; n <= 8; ++n) {
        const QString prefix = key("DPI", n, "_Steps");
        if (!visible(prefix)) {
            continue;
        }
        const QPointF steps = layout.point(prefix);
        drawGroove(p, steps, barW);
        if (n > 1) {
            drawRule(p, dpiBox.left() + 14, dpiBox.right() - 14,
                     layout.point(key("DPI", n, "_Color")).y() - 4);
        }
    }
    {
        const QPointF aim = layout.point(QStringLiteral("AIMDPI"));
        const QPointF steps = layout.point(QStringLiteral("AIMDPI_Steps"));
        const double y = aim.y() - 20;
        const QString title = QStringLiteral("HOLD-TO-AIM SENSITIVITY");
        const QFont font = skinFont(9, Face::Bold, 1.2);
        drawText(p, dpiBox.left() + 14, y + 3.5, title, font, kTextMuted);
        const double after = dpiBox.left() + 14 + textWidth(title, font) + 8;
        p.fillRect(QRectF(after, y, dpiBox.right() - 14 - after, 1), withAlpha(kAccent, 60));
        drawGroove(p, steps, barW);
    }

    // Fire keys.
    const QRectF fireBox = grid::kFireKeyBox;
    drawSection(p, fireBox, QStringLiteral("FIRE KEYS"));
    {
        const QPointF count = layout.point(QStringLiteral("FK1Cnt"));
        const QPointF delay = layout.point(QStringLiteral("FK1Delay"));
        const QPointF cont = layout.point(QStringLiteral("FK1Continue"));
        const double base = count.y() - 8;
        drawLegend(p, count.x() + grid::kFireKeyCountEdit.width() / 2.0, base, QStringLiteral("SHOTS"),
                   Align::Center);
        drawLegend(p, delay.x() + grid::kFireKeyIntervalEdit.width() / 2.0, base,
                   QStringLiteral("INTERVAL MS"), Align::Center);
        drawLegend(p, cont.x() + 8, base, QStringLiteral("CONTINUOUS"), Align::Center);
    }
    for (int n = 1; n <= 3; ++n) {
        const QPointF count = layout.point(key("FK", n, "Cnt"));
        drawCaption(p, fireBox.left() + 18, count.y() + grid::kFireKeyCountEdit.height() / 2.0,
                    QStringLiteral("Fire Key %1").arg(n));
    }

    // Operating-system pointer settings.
    const QRectF pointerBox = grid::kPointerBox;
    drawSection(p, pointerBox, QStringLiteral("SYSTEM POINTER"));
    const struct {
        const char* key;
        const char* title;
        const char* range;
    } bars[] = {{"Spd", "Pointer Speed", "SLOW  \u2192  FAST"},
                {"DbSpd", "Double-Click Speed", "SLOW  \u2192  FAST"},
                {"ScrSpd", "Wheel Scroll Lines", "1  \u2192  11 LINES"}};
    for (const auto& bar : bars) {
        const QPointF at = layout.point(QString::fromLatin1(bar.key));
        drawText(p, at.x(), at.y() - 9, QString::fromLatin1(bar.title), skinFont(12, Face::Bold), kTextSoft);
        drawLegend(p, at.x() + 11 * 26, at.y() - 9, QString::fromUtf8(bar.range), Align::Right);
        drawGroove(p, at, 11 * 26);
    }
    {
        const QPointF control = layout.point(QStringLiteral("IsControl"));
        drawCaption(p, control.x() + 26, control.y() + 8, QStringLiteral("Enhance pointer precision"));
        const QPointF screen = layout.point(QStringLiteral("IsScreen"));
        drawCaption(p, screen.x() + 26, screen.y() + 8, QStringLiteral("Scroll one screen per notch"));
    }

    // Report rate.
    const QRectF rateBox = grid::kRateBox;
    drawSection(p, rateBox, QStringLiteral("REPORT RATE"));
    const char* const rates[4] = {"125 Hz", "250 Hz", "500 Hz", "1000 Hz"};
    for (int n = 1; n <= 4; ++n) {
        const QPointF at = layout.point(key("Rep", n));
        drawCaption(p, at.x() + 22, at.y() + 7.5, QString::fromLatin1(rates[n - 1]));
    }
    drawHint(p, rateBox.left() + 18, rateBox.bottom() - 16,
             QStringLiteral("A new rate restarts the mouse; it is found again by itself."));
    return finish(canvas);
}

// ---------------------------------------------------------------------------------------------------

namespace {

// Little strips showing what each lighting effect does.
void drawEffectStrip(QPainter& p, const QRectF& r, int effect) {
    p.save();
    const QPainterPath shape = chamferRect(r, 3, 0, 3, 0);
    p.setClipPath(shape);
    p.fillRect(r, QColor(8, 10, 13));
    QLinearGradient g(r.topLeft(), r.topRight());
    switch (effect) {
    case 0:
        p.setPen(QPen(kTextDim, 1.0));
        p.drawLine(QPointF(r.left() + 8, r.center().y()), QPointF(r.right() - 8, r.center().y()));
        break;
    case 1:
        for (int i = 0; i <= 8; ++i) {
            const double t = i / 8.0;
            const double v = 0.5 - 0.5 * std::cos(2 * 2 * std::numbers::pi * t);
            g.setColorAt(t, withAlpha(kAccent, int(30 + 225 * v)));
        }
        p.fillRect(r, g);
        break;
    case 2:
        p.fillRect(r, kAccent);
        break;
    case 3: {
        const QColor hues[] = {QColor(255, 40, 60), QColor(255, 200, 0),  QColor(40, 230, 90),
                               QColor(0, 200, 255), QColor(120, 60, 255), QColor(255, 40, 200)};
        for (int i = 0; i < 6; ++i) {
            g.setColorAt(i / 5.0, hues[i]);
        }
        p.fillRect(r, g);
        break;
    }
    case 4:
        for (int i = 0; i <= 6; ++i) {
            g.setColorAt(i / 6.0, i % 2 ? kMagenta : kAccent);
        }
        p.fillRect(r, g);
        break;
    case 5:
        g.setColorAt(0, Qt::white);
        g.setColorAt(0.12, kAccentHi);
        g.setColorAt(0.5, withAlpha(kAccent, 60));
        g.setColorAt(1, withAlpha(kAccent, 0));
        p.fillRect(r, g);
        break;
    default:
        break;
    }
    p.restore();
    p.save();
    p.setPen(QPen(QColor(50, 58, 70), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    p.restore();
}

} // namespace

QImage paintLightingPage(const SkinLayout& layout) {
    PageCanvas canvas(layout, "P3");
    QPainter& p = canvas.painter;

    const QRectF effectBox = grid::kEffectBox;
    drawSection(p, effectBox, QStringLiteral("LIGHTING EFFECT"));
    for (int m = 0; m <= 5; ++m) {
        const QPointF at = layout.point(m == 0 ? QStringLiteral("LEDOff") : key("LEDMode", m));
        const double cy = at.y() + 7.5;
        if (m % 2 == 1) {
            p.fillRect(QRectF(effectBox.left() + 8, cy - 18, effectBox.width() - 16, 36),
                       QColor(255, 255, 255, 6));
        }
        drawTextCentered(p, at.x() + 26, cy, QString::fromLatin1(kLightingEffectNames[m]),
                         skinFont(12.5, Face::Bold), m == 0 ? kTextMuted : kTextSoft);
        drawEffectStrip(p, QRectF(effectBox.right() - 16 - 84, cy - 6, 84, 12), m);
    }

    const QRectF preview = grid::kPreviewBox;
    drawSection(p, preview, QStringLiteral("RGB LIGHTING"));
    {
        const double scale = 0.62;
        const QPointF origin(preview.center().x() - kMouseSize.width() * scale / 2.0, preview.top() + 44);
        const QPointF center =
            origin + QPointF(kMouseSize.width() * scale / 2.0, kMouseSize.height() * scale / 2.0);
        QRadialGradient halo(center, 150);
        halo.setColorAt(0, withAlpha(kAccent, 46));
        halo.setColorAt(0.6, withAlpha(kMagenta, 22));
        halo.setColorAt(1, withAlpha(kMagenta, 0));
        p.setBrush(halo);
        p.drawEllipse(center, 150, 150);
        // Light rings around the drawing.
        for (int i = 0; i < 3; ++i) {
            const double r = 118 + i * 16;
            p.setPen(QPen(withAlpha(i % 2 ? kMagenta : kAccent, 70 - i * 18), 1.2, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(center, r, r * 0.98);
        }
        p.setPen(Qt::NoPen);
        drawMouse(p, canvas.size(), origin, scale, kAccent, kMagenta);
        drawHint(p, preview.left() + 18, preview.bottom() - 14,
                 QStringLiteral("Every change is sent to the mouse at once."));
    }

    const QRectF stepBox = grid::kStepBox;
    drawSection(p, stepBox, QStringLiteral("BREATHING SPEED"));
    {
        const QPointF at = layout.point(QStringLiteral("StepTime"));
        const QPointF cells(at.x() + 78, at.y());
        drawLegend(p, at.x(), at.y() + 13, QStringLiteral("STEP TIME"));
        drawLegend(p, cells.x(), at.y() - 10, QStringLiteral("FAST"));
        drawLegend(p, cells.x() + 10 * 26, at.y() - 10, QStringLiteral("SLOW"), Align::Right);
        drawGroove(p, cells, 10 * 26);
        drawHint(p, stepBox.left() + 18, stepBox.bottom() - 16,
                 QStringLiteral("Used while an effect is on."));
    }

    const QRectF colorBox = grid::kColorBox;
    drawSection(p, colorBox, QStringLiteral("COLOR TABLE"));
    for (int c = 1; c <= 10; ++c) {
        const QPointF at = layout.point(key("LEDColor", c));
        p.setPen(QPen(QColor(30, 36, 44), 1.0));
        p.setBrush(QColor(8, 10, 13));
        p.drawPath(chamferRect(QRectF(at.x() - 3.5, at.y() - 3.5, 39, 47), 6, 0, 6, 0));
        p.setPen(Qt::NoPen);
        drawLegend(p, at.x() + 16, at.y() + 54, QString::number(c), Align::Center);
    }
    return finish(canvas);
}

// ---------------------------------------------------------------------------------------------------

QImage paintMacroPage(const SkinLayout& layout) {
    PageCanvas canvas(layout, "P4");
    QPainter& p = canvas.painter;

    drawSection(p, grid::kLibraryBox, QStringLiteral("MACRO LIBRARY"));
    drawSection(p, grid::kDeviceBox, QStringLiteral("IN THE MOUSE"));
    drawSection(p, grid::kStepsBox, QStringLiteral("MACRO STEPS"));
    const QPointF library = layout.point(QStringLiteral("PCMacroName"));
    drawWell(p, QRectF(library, QSizeF(grid::kPcListWidth, layout.value(QStringLiteral("PCMacroName_H")))));
    drawWell(p, QRectF(layout.point(QStringLiteral("MseMacroName")), QSizeF(grid::kDeviceList)));
    drawWell(p, QRectF(layout.point(QStringLiteral("MacroContent")), QSizeF(grid::kStepsList)));

    // The delay box: the same place as the insert box, drawn as a panel of its own.
    const QPointF delayBox = layout.point(QStringLiteral("DelayTime"));
    drawSection(p, QRectF(delayBox + QPointF(10, 10), QSizeF(grid::kInsertBacking)),
                QStringLiteral("RECORD DELAY"));
    const QPointF edit = delayBox + layout.point(QStringLiteral("DelayEdit"));
    drawCaption(p, edit.x() + 50, edit.y() + 12, QStringLiteral("ms"));

    drawSection(p, grid::kActionsBox, QStringLiteral("RECORD"));

    const QRectF legend = grid::kLegendBox;
    drawSection(p, legend, QStringLiteral("STEP TYPES"));
    const struct {
        int icon;
        const char* text;
    } kinds[] = {{1, "Key or button down"}, {2, "Key or button up"}, {0, "Delay"},
                 {3, "Pointer move"},       {7, "Repeat start"},     {8, "Repeat end"}};
    for (int i = 0; i < 6; ++i) {
        const double x = legend.left() + 22 + (i / 3) * 210;
        const double y = legend.top() + 46 + (i % 3) * 28;
        p.drawImage(QPointF(x, y), paintMacroIcon(kinds[i].icon));
        drawCaption(p, x + 30, y + 10, QString::fromLatin1(kinds[i].text));
    }
    drawHint(p, legend.left() + 22, legend.bottom() - 14,
             QStringLiteral("Right-click a list for more actions."));
    return finish(canvas);
}

// ---------------------------------------------------------------------------------------------------

QImage paintFirePage(const SkinLayout& layout) {
    PageCanvas canvas(layout, "P6");
    QPainter& p = canvas.painter;

    drawSection(p, grid::kPresetBox, QStringLiteral("PRESETS"));
    const QRectF segBox = grid::kSegmentBox;
    drawSection(p, segBox, QStringLiteral("RECOIL PATTERN"));
    const struct {
        const char* key;
        const char* title;
        int width;
    } columns[] = {{"FireCnt1", "SHOTS", grid::kFireEdit.width()},
                   {"FireX1", "X MOVE", grid::kFireEdit.width()},
                   {"FireX1_Offset", "X OFFSET", grid::kFireEdit.width()},
                   {"FireY1", "Y MOVE", grid::kFireEdit.width()},
                   {"FireY1_Offset", "Y OFFSET", grid::kFireEdit.width()},
                   {"FireTime1", "DELAY MS", grid::kFireTimeEdit.width()},
                   {"FireColor1", "COLOR", 32}};
    const double legendBase = layout.point(QStringLiteral("FireColor1")).y() - 8;
    for (const auto& c : columns) {
        const QPointF at = layout.point(QString::fromLatin1(c.key));
        drawLegend(p, at.x() + c.width / 2.0, legendBase, QString::fromLatin1(c.title), Align::Center);
    }
    for (int c = 1; c <= 3; ++c) {
        const QPointF frame = layout.point(key("FireColor", c));
        const double cy = frame.y() + 20;
        p.fillRect(QRectF(segBox.left() + 8, cy - 27, segBox.width() - 16, 54),
                   c % 2 ? QColor(255, 255, 255, 7) : QColor(255, 255, 255, 3));
        // Segment number where the segment badge appears for the multi-segment presets.
        const QPointF badge = layout.point(key("GunMode", c + 2));
        QPolygonF hex;
        for (int i = 0; i < 6; ++i) {
            const double a = (60.0 * i) * std::numbers::pi / 180.0;
            hex << QPointF(badge.x() + 20 + 16 * std::cos(a), badge.y() + 19 + 16 * std::sin(a));
        }
        p.setPen(QPen(QColor(48, 56, 68), 1.2));
        p.setBrush(QColor(14, 17, 22));
        p.drawPolygon(hex);
        p.setPen(Qt::NoPen);
        drawTextCentered(p, badge.x() + 20, badge.y() + 19, QString::number(c), skinFont(13, Face::Bold),
                         kTextDim, Align::Center);
        p.setPen(QPen(QColor(30, 36, 44), 1.0));
        p.setBrush(QColor(8, 10, 13));
        p.drawPath(chamferRect(QRectF(frame.x() - 3.5, frame.y() - 3.5, 39, 47), 6, 0, 6, 0));
        p.setPen(Qt::NoPen);
    }
    const QPointF left = layout.point(QStringLiteral("IsHasLK"));
    drawCaption(p, left.x() + 26, left.y() + 8, QStringLiteral("Include the left click"));

    const QRectF actions = grid::kFireActionBox;
    drawSection(p, actions, QStringLiteral("APPLY"));
    drawHint(p, actions.left() + 18, actions.top() + 56,
             QStringLiteral("Confirm puts the chosen preset on the button and writes it to the mouse."));
    drawHint(p, actions.left() + 18, actions.top() + 76,
             QStringLiteral("Cancel leaves everything as it was."));
    return finish(canvas);
}

} // namespace tarvik::skin
