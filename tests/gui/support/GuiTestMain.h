#pragma once
// The shared main() of the GUI test programs (GuiTestMain.cpp, listed in each program's sources).

namespace tarvik::gui::testing {

// Runs after the shared environment is set and before the application is made. A program that must
// set more (a private X server, a scale factor) defines this; the others get one that does nothing.
void beforeApplication();

} // namespace tarvik::gui::testing
