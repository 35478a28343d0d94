#include "PaintedPixels.h"

#include <QPixmap>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace tarvik::gui::testing {

QRect rectInWindow(const QWidget* control) {
    return QRect(control->mapTo(control->window(), QPoint(0, 0)), control->size());
}

QImage windowPixels(QWidget* window) {
    QImage image = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Pictures drawn for a dense screen are read in the window's units.
    if (image.devicePixelRatio() != 1.0)
        image = image.scaled(window->size());
    return image;
}

int pixelsUnlike(const QImage& image, const QRect& area, const QColor& colour, int tolerance) {
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) > tolerance ||
                std::abs(c.green() - colour.green()) > tolerance ||
                std::abs(c.blue() - colour.blue()) > tolerance)
                ++count;
        }
    return count;
}

int brightPixels(const QImage& image, const QRect& area, int level) {
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) > level)
                ++count;
        }
    return count;
}

QList<int> changedColumns(const QImage& before, const QImage& after, const QRect& area) {
    QList<int> columns;
    const QRect inside = area.intersected(before.rect()).intersected(after.rect());
    for (int x = inside.left(); x <= inside.right(); ++x)
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            if (before.pixel(x, y) != after.pixel(x, y)) {
                columns << x;
                break;
            }
    return columns;
}

} // namespace tarvik::gui::testing
