#pragma once
// The input capture of this system: X11's raw input when the program runs on an X display with
// XInput2, else the program's own windows.

#include "platform/InputCapture.h"

#include <memory>

namespace tarvik::platform {

// Needs a QGuiApplication. The X11 capture is chosen only when Qt itself runs on X11 ("xcb"):
// under Wayland an X display (Xwayland) sees only the input of X clients, and the offscreen
// platform has no display of its own.
std::unique_ptr<InputCapture> createInputCapture();

} // namespace tarvik::platform
