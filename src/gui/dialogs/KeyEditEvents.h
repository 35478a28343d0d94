#pragma once
// The read-only edits of the two key-entry dialogs take every key as a key to enter: none may open
// the edit's context menu (the Menu key is "Applications"), move the focus (Tab) or fire a
// shortcut of another window before the dialog sees it.

class QEvent;
class QLineEdit;
class QString;

namespace tarvik::gui {

// Turns off the edit's own context menu, which the Menu key would open.
void keepKeysFromTheEdit(QLineEdit* edit);

// True for the events of a key-entry edit that the dialog takes and nothing else may see: key
// presses and releases, the shortcut check that comes before a press (accepted here, so the press
// reaches the edit), context-menu requests, and an input method's question whether it may take
// the keys (answered no).
bool takesKeyEvent(QEvent* event);

// Shows `shown` when it fits the edit, else `plain` (the same text without the layout's
// characters).
void setEditTextFitting(QLineEdit* edit, const QString& shown, const QString& plain);

} // namespace tarvik::gui
