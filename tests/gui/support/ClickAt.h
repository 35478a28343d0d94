#pragma once
// Clicks as a user clicks: at a point of the window, with Qt's hit-testing choosing the widget that
// receives the press. A widget covered by another one (a cover label, a panel) is then not reached,
// which a click sent to the widget object itself would hide.

#include <QPoint>
#include <QString>

class QWidget;

namespace tarvik::gui::testing {

// Shows the top-level window of `control` if needed and clicks the window at the control's centre.
// Returns the widget the window's hit-testing found there (nullptr outside every widget), so a
// test can say what a click at that place reached.
QWidget* clickAt(QWidget* control, Qt::MouseButton button = Qt::LeftButton);

// Clicks the top-level window at `pos` (window coordinates); returns the widget found there.
QWidget* clickWindowAt(QWidget* window, QPoint pos, Qt::MouseButton button = Qt::LeftButton);

// What a click at the control's centre would reach, without clicking.
QWidget* widgetAtCentreOf(QWidget* control);

// The object name of what a click at the control's centre reaches ("" for nothing).
QString nameAtCentreOf(QWidget* control);

// The pointer moved onto the control's centre through its window: enter and leave events follow as
// the window system sends them.
void hoverAt(QWidget* control);

// The visible top-level window (a dialog, a menu) of that object name; null when none is shown.
QWidget* topLevel(const QString& name);

} // namespace tarvik::gui::testing
