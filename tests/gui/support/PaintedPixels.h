#pragma once
// Reading what the window painted (its grab()) where a control is, for faults that live in painting:
// what a widget tree says it shows can differ from the pixels a user sees.

#include <QColor>
#include <QImage>
#include <QRect>

class QWidget;

namespace tarvik::gui::testing {

// The control's rectangle in its top-level window's coordinates.
QRect rectInWindow(const QWidget* control);

// The window's own picture, as a user sees it (its pixels in the window's units).
QImage windowPixels(QWidget* window);

// How many pixels of `area` differ from `colour` by more than `tolerance` in some channel.
int pixelsUnlike(const QImage& image, const QRect& area, const QColor& colour, int tolerance = 24);

// How many pixels of `area` have a channel above `level`: text and lines on the dark skin.
int brightPixels(const QImage& image, const QRect& area, int level);

// The columns of `area` (window x coordinates) that hold a pixel differing between the two pictures.
QList<int> changedColumns(const QImage& before, const QImage& after, const QRect& area);

} // namespace tarvik::gui::testing
