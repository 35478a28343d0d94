#pragma once
// Keyboard use of the skinned controls: which focus changes count as coming from the keyboard, the
// frame drawn around the control that has keyboard focus, and the screen-reader view of a caption.
// A pointer user never sees any of it: the frame is drawn only while focus arrived by a key.

#include <QColor>
#include <QFocusEvent>

class QPainter;
class QWidget;

namespace tarvik::gui::keyboard {

// Focus moved by Tab, Shift+Tab or another key press, not by the pointer or the window opening.
bool cameFromKeyboard(Qt::FocusReason reason);

// The layout's highlight colour; every focus frame is drawn in it.
void setFrameColour(const QColor& colour);
QColor frameColour();

// A 2-pixel frame along the inside edge of the widget, clear of a centred caption.
void paintFrame(QWidget* widget, QPainter& painter);

// Installs the screen-reader view of captions (a button that says its caption) once per program.
void installAccessibility();

} // namespace tarvik::gui::keyboard
