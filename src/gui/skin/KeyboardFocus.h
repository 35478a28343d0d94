#pragma once
// Keyboard use of the skinned controls: which focus changes count as coming from the keyboard, the
// frame drawn around the control that has keyboard focus, and the screen-reader view of a caption.
// A pointer user never sees any of it: the frame is drawn only while focus arrived by a key.

#include <QColor>
#include <QFocusEvent>

#include <vector>

class QPainter;
class QWidget;

namespace tarvik::gui {
class CaptionLabel;
}

namespace tarvik::gui::keyboard {

// Focus moved by Tab, Shift+Tab or another key press, not by the pointer or the window opening.
bool cameFromKeyboard(Qt::FocusReason reason);

// Whether the control that last took focus in `widget`'s window showed the frame. Focus coming back
// with the window, or set while the window was not active, shows the frame as it was; a window that
// opens shows none.
bool keyboardMode(const QWidget* widget);
// Takes the frame state of `widget`'s window for a focus change by `reason` and returns it.
bool takeFocusReason(QWidget* widget, Qt::FocusReason reason);

// `widget` has focus and shows the keyboard's frame (a caption or a bar of cells that Tab reached).
bool showsKeyboardFocus(const QWidget* widget);

// The layout's highlight colour; every focus frame is drawn in it.
void setFrameColour(const QColor& colour);
QColor frameColour();

// A 2-pixel frame along the inside edge of the widget, clear of a centred caption.
void paintFrame(QWidget* widget, QPainter& painter);

// The controls inside `container` that Tab can reach, shown or not, in no particular order.
std::vector<QWidget*> tabControls(const QWidget* container);

// `widgets` in reading order: rows from top to bottom, each row from left to right. A control whose
// middle lies within the height of a row's first control belongs to that row, so a caption set two
// pixels higher than the picture beside it still reads with it. Positions are taken in `frame`.
std::vector<QWidget*> inReadingOrder(const QWidget* frame, std::vector<QWidget*> widgets);

// Chains Tab through `groups` one after the other, each group in reading order; the last control
// leads back to the first of the first group. One rule for every page, so a control added to a page
// takes its place by where it is drawn.
void chainInReadingOrder(const QWidget* frame, const std::vector<std::vector<QWidget*>>& groups);

// The first control of `controls` (in the given order) that can take focus now: shown, enabled and
// a Tab stop; null when none can.
QWidget* firstFocusable(const std::vector<QWidget*>& controls);

// Arrow keys within a radio group: Left/Up and Right/Down move focus to the previous or next choice
// that is shown and enabled (round at the ends) and choose it, as a click on it does.
void makeRadioGroup(const std::vector<CaptionLabel*>& choices);

// `cover` hides the page part beneath it while shown (busy, no mouse, a mode without buttons): it takes
// no focus, and Tab passes over the controls it lies on.
void markCover(QWidget* cover);
// `widget` lies under a shown cover of its window.
bool isCovered(const QWidget* widget);
// Tab may stop at `widget`: it is not covered, and of a radio group it is the choice Tab enters at.
bool isTabStop(const QWidget* widget);

// Where Tab (`forward`) or Shift+Tab goes from the focus of `window`: the next control in the chain that
// is shown, enabled and not covered; one stop per radio group, at its checked choice. Null when there
// is no other.
QWidget* nextTabStop(QWidget* window, bool forward);

// Installs the screen-reader view of captions (a button that says its caption) once per program.
void installAccessibility();

} // namespace tarvik::gui::keyboard
