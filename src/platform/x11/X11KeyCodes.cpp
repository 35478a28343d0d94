#include "platform/x11/X11KeyCodes.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XKBstr.h>

#include <cstring>

namespace tarvik::platform {

namespace {

bool keyNamed(const XkbDescRec* keymap, unsigned keycode, const char* name) {
    if (keycode < keymap->min_key_code || keycode > keymap->max_key_code)
        return false;
    return std::strncmp(keymap->names->keys[keycode].name, name, XkbKeyNameLength) == 0;
}

} // namespace

bool keyCodesAreInputCodes(Display* display) {
    XkbDescPtr keymap = XkbGetMap(display, 0, XkbUseCoreKbd);
    if (!keymap)
        return false;
    if (XkbGetNames(display, XkbKeyNamesMask, keymap) != Success) {
        XkbFreeKeyboard(keymap, 0, True);
        return false;
    }
    // The letter A sits at 38 in both numberings; the arrow Up tells them apart (111 on the
    // kernel's, 98 on the old one, where 111 is Print Screen).
    const bool kernels =
        keymap->names && keymap->names->keys && keyNamed(keymap, 38, "AC01") && keyNamed(keymap, 111, "UP");
    XkbFreeKeyboard(keymap, 0, True);
    return kernels;
}

} // namespace tarvik::platform
