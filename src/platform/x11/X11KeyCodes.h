#pragma once
// Whether an X server's key codes name places on the keyboard as the kernel does (input code plus
// 8). Servers built on the kernel's input (Xorg, Xwayland, Xvfb, the usual remote-desktop servers)
// do; a server still on the old PC key codes numbers the keys beyond the main block differently,
// and there a key is taken by its meaning as before.

typedef struct _XDisplay Display;

namespace tarvik::platform {

bool keyCodesAreInputCodes(Display* display);

} // namespace tarvik::platform
