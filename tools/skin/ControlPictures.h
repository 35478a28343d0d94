#pragma once
// Pictures of single controls: three-state buttons, two-state markers and bar cells, the colour frame,
// the weapon preset cards and the segment badges, and the emblem used wherever the brand appears.

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QSize>

namespace tarvik::skin {

enum class ButtonState { Normal, Hover, Pressed };

enum class PlateStyle {
    Navigation, // sidebar entries and language buttons: accent tick on the left, caption after it
    Push,       // reset, confirm, macro and dialog buttons: symmetric, caption centred
    Key,        // the twelve button labels of the key page and the update buttons
};

QImage paintPlate(QSize size, PlateStyle style, ButtonState state);
QImage paintExit(ButtonState state);
QImage paintWebBadge(ButtonState state);
QImage paintCheck(bool on);
QImage paintRadio(bool on);
QImage paintBarCell(QSize size, bool on);
QImage paintColorFrame();
QImage paintGunCard(int preset, bool selected); // preset 1..7
QImage paintGunMode(int badge);                 // badge 1..5

// The brand emblem, a hexagon holding an angular T, centred on `center`.
void drawEmblem(QPainter& p, QPointF center, double radius, const QBrush& face, const QColor& edge);

} // namespace tarvik::skin
