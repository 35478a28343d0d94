#pragma once
// Whether the window is running for this user, by the window's own single-instance lock. While it
// runs it holds the mouse, and a second program talking to the mouse would interleave its reports
// with the window's.

namespace tarvik::cli {

// True while a live copy of the window holds its single-instance lock. A lock left behind by a
// copy that died does not count.
bool windowHoldsMouse();

} // namespace tarvik::cli
