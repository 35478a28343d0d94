#include "platform/KeyEventPosition.h"

#include "core/keys/KeyCodeMaps.h"
#include "core/keys/KeyPositions.h"
#include "platform/x11/X11KeyCodes.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QString>

#include <optional>

// Xlib's macros last: they clash with Qt's names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace tarvik::platform {

namespace {

Display* x11Display() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

// Whether native key codes are input codes plus 8: always on Wayland, on X11 when the server
// numbers its keys as the kernel does.
bool nativeCodesArePlaces() {
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland")))
        return true;
    if (platform != QLatin1String("xcb"))
        return false;
    Display* display = x11Display();
    return display && keyCodesAreInputCodes(display);
}

std::optional<int> inputCodeOf(const QKeyEvent& event) {
    if (!nativeCodesArePlaces())
        return std::nullopt;
    return core::inputCodeFromXkbKeycode(event.nativeScanCode());
}

// The Unicode character of a keysym: Latin-1 keysyms are their code, keysyms above 0x1000000 carry
// one; the rest (dead accents, function keys) print nothing here.
QString characterOfKeysym(KeySym sym) {
    if ((sym >= 0x21 && sym <= 0x7e) || (sym >= 0xa1 && sym <= 0xff))
        return QString(QChar(static_cast<char16_t>(sym)));
    if (sym >= 0x1000100 && sym <= 0x110ffff) {
        const char32_t codePoint = static_cast<char32_t>(sym - 0x1000000);
        return QString::fromUcs4(&codePoint, 1);
    }
    return {};
}

// The unshifted keysym of the key in the keyboard's current group, from the X server's keymap as
// it is now. Read afresh each time: Qt reads the connection's events itself, so the keymap Xlib
// keeps would not hear of a layout switched meanwhile.
QString printedOnX11(unsigned keycode) {
    Display* display = x11Display();
    if (!display)
        return {};
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success)
        return {};
    XkbDescPtr keymap = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    if (!keymap)
        return {};
    KeySym sym = NoSymbol;
    if (keycode >= keymap->min_key_code && keycode <= keymap->max_key_code) {
        const auto key = static_cast<KeyCode>(keycode);
        const int groups = XkbKeyNumGroups(keymap, key);
        if (groups > 0)
            sym = XkbKeySymEntry(keymap, key, 0, state.group < groups ? state.group : 0);
    }
    XkbFreeKeyboard(keymap, 0, True);
    return characterOfKeysym(sym);
}

} // namespace

int virtualKeyOfKeyEvent(const QKeyEvent& event) {
    if (const auto code = inputCodeOf(event)) {
        if (const int vk = core::virtualKeyFromPosition(*code))
            return vk;
    }
    // No place, or a place the key table names no key at: the key's meaning, as before.
    return core::virtualKeyFromQtKey(event.key(), event.modifiers().testFlag(Qt::KeypadModifier));
}

QString printedCharacterOfKeyEvent(const QKeyEvent& event) {
    QString printed;
    if (QGuiApplication::platformName() == QLatin1String("xcb") && event.nativeScanCode() != 0)
        printed = printedOnX11(event.nativeScanCode());
    if (printed.isEmpty()) {
        printed = event.text();
        if (printed.size() != 1 || !printed.at(0).isPrint() || printed.at(0).isSpace())
            printed.clear();
    }
    return printed.toUpper();
}

} // namespace tarvik::platform
