#pragma once
// The top view of the mouse drawn on the key page and, smaller, on the lighting page.

#include <QPainter>
#include <QPointF>
#include <QSize>

namespace tarvik::skin {

// Points on the drawing that leader lines aim at, in device coordinates of the painter.
struct MouseAnchors {
    QPointF leftButton, rightButton, wheel, dpiButton, sideFront, sideRear;
    QPointF leftFront, leftRear, palmLeft, rightFront, rightFlank, rightRear;
};

inline constexpr QSize kMouseSize{200, 400}; // at scale 1

// Draws the mouse with its top-left corner at `origin`; `canvas` is the device size (for glows);
// the light strip blends from `lightA` to `lightB`.
MouseAnchors drawMouse(QPainter& p, QSize canvas, QPointF origin, double scale, const QColor& lightA,
                       const QColor& lightB);

} // namespace tarvik::skin
