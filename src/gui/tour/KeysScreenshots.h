#pragma once
// What screenshot mode shows of the key page beyond the page itself: the assignment cascade open
// three levels deep and both key-entry dialogs with keys typed. Each step follows a click on a
// button of the key page in Game Mode and is handed the main window.

class QWidget;

namespace tarvik::gui::KeysScreenshots {

// Pnl_Main, Pnl_Special and Pnl_CPIKey open, as the pointer leaves them.
QWidget* openCascade(QWidget& window);
// "User-defined" chosen and Ctrl+Alt+A+B entered; returns the dialog.
QWidget* typeCombination(QWidget& window);
// The Input One Key dialog of a key-press line with Left Ctrl pressed; returns the dialog.
QWidget* typeOneKey(QWidget& window);

} // namespace tarvik::gui::KeysScreenshots
