#include "platform/x11/X11InputCapture.h"

#include "core/keys/KeyCodeMaps.h"
#include "core/keys/KeyPositions.h"
#include "platform/x11/X11KeyCodes.h"

#include <QPointer>
#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <array>

namespace tarvik::platform {

struct X11InputCapture::Connection {
    Display* display = nullptr;
    int xiOpcode = 0;

    ~Connection() {
        if (display)
            XCloseDisplay(display);
    }

    // Raw events of the master devices only: every slave's event also reaches its master, so
    // selecting both would deliver each key twice.
    void select() {
        std::array<unsigned char, XIMaskLen(XI_LASTEVENT)> mask{};
        XISetMask(mask.data(), XI_RawKeyPress);
        XISetMask(mask.data(), XI_RawKeyRelease);
        XISetMask(mask.data(), XI_RawButtonPress);
        XISetMask(mask.data(), XI_RawButtonRelease);
        XIEventMask eventMask{XIAllMasterDevices, static_cast<int>(mask.size()), mask.data()};
        XISelectEvents(display, DefaultRootWindow(display), &eventMask, 1);
        XFlush(display);
    }

    // The virtual-key code of a key code: the key at that place on the keyboard, whatever the
    // layout prints on it. Only keys the table names no place for fall back to their keysym of the
    // first group, unshifted, or shifted when the unshifted one means nothing to the key table.
    int virtualKey(unsigned keycode) const {
        // Asked at every key: a layout switch may bring other key codes with it.
        if (const auto place = core::inputCodeFromXkbKeycode(keycode);
            place && keyCodesAreInputCodes(display))
            if (const int vk = core::virtualKeyFromPosition(*place))
                return vk;
        for (int level = 0; level < 2; ++level) {
            const KeySym sym = XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), 0, level);
            if (sym == NoSymbol)
                continue;
            if (const int vk = core::virtualKeyFromKeysym(static_cast<std::uint32_t>(sym)))
                return vk;
        }
        return 0;
    }
};

std::unique_ptr<X11InputCapture> X11InputCapture::open(const std::string& displayName) {
    auto connection = std::make_unique<Connection>();
    connection->display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (!connection->display)
        return nullptr;
    int event = 0;
    int error = 0;
    if (!XQueryExtension(connection->display, "XInputExtension", &connection->xiOpcode, &event, &error))
        return nullptr;
    // Raw events reach the root window regardless of grabs from version 2.1 on.
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(connection->display, &major, &minor) != Success || major < 2 ||
        (major == 2 && minor < 2))
        return nullptr;
    return std::unique_ptr<X11InputCapture>(new X11InputCapture(std::move(connection)));
}

X11InputCapture::X11InputCapture(std::unique_ptr<Connection> connection)
    : m_connection(std::move(connection)) {
    // Selected and read for the capture's whole life; between recordings the events are read and
    // dropped. (Taking the selection back at a stop and making it again at the next start lost the
    // events of the new selection on the X.Org server now and then.)
    m_connection->select();
    m_notifier = new QSocketNotifier(ConnectionNumber(m_connection->display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11InputCapture::readEvents);
}

X11InputCapture::~X11InputCapture() {
    stop();
    // Before the connection, and with it the socket, goes.
    delete m_notifier;
}

bool X11InputCapture::start(Handler handler) {
    m_handler = std::move(handler);
    if (!m_active) {
        // Events that came before the start may still wait in the connection; they are not this
        // recording's.
        XSync(m_connection->display, True);
        m_active = true;
    }
    return true;
}

void X11InputCapture::stop() {
    if (!m_active)
        return;
    m_active = false;
    m_handler = nullptr;
}

void X11InputCapture::readEvents() {
    Display* display = m_connection->display;
    // XPending reads what the socket holds; events Xlib queued while waiting for a reply are
    // handled in the same pass, since the socket will not signal them again.
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != m_connection->xiOpcode ||
            !XGetEventData(display, cookie))
            continue;
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        const auto time = static_cast<std::uint32_t>(raw->time);
        std::optional<core::InputEvent> input;
        switch (cookie->evtype) {
        case XI_RawKeyPress:
        case XI_RawKeyRelease:
            input = core::InputEvent::key(cookie->evtype == XI_RawKeyPress,
                                          m_connection->virtualKey(static_cast<unsigned>(raw->detail)), time);
            break;
        case XI_RawButtonPress:
        case XI_RawButtonRelease:
            if (const auto button = core::mouseButtonFromX11(static_cast<unsigned>(raw->detail)))
                input = core::InputEvent::mouse(cookie->evtype == XI_RawButtonPress, *button, time);
            break;
        default:
            break;
        }
        XFreeEventData(display, cookie);
        if (input && m_active && m_handler) {
            // The handler may stop, restart or delete the capture (a recording that is full ends).
            const QPointer<X11InputCapture> alive(this);
            const Handler handler = m_handler;
            handler(*input);
            if (!alive)
                return;
        }
    }
}

} // namespace tarvik::platform
