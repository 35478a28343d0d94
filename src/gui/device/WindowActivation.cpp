#include "gui/device/WindowActivation.h"

#include <QWidget>

namespace tarvik::gui {

void restoreAndRaise(QWidget& window) {
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace tarvik::gui
