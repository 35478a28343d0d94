#pragma once
// What the running copy does when a second start asks for it (SingleInstance::raiseRequested).

class QWidget;

namespace tarvik::gui {

// Restores the window if it is minimised or hidden, brings it to the front and gives it the focus.
void restoreAndRaise(QWidget& window);

} // namespace tarvik::gui
