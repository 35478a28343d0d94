#pragma once
// Keys of the window's own key events by their place on the keyboard. On X11 and Wayland a key
// event carries the key's native code (its input code plus 8), which names the place whatever the
// user's layout; only events without one (synthetic events, the offscreen platform) fall back to
// the key's meaning under a US layout.

class QKeyEvent;
class QString;

namespace tarvik::platform {

// The virtual-key code of the pressed or released key; 0 when the key table has no key for it.
int virtualKeyOfKeyEvent(const QKeyEvent& event);

// The character the user's layout prints on the key without Shift, upper-cased; empty for keys
// that print nothing (or only a dead accent) and when the window system does not say.
QString printedCharacterOfKeyEvent(const QKeyEvent& event);

} // namespace tarvik::platform
