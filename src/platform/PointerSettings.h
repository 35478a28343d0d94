#pragma once
// The desktop's own pointer settings for the current user: pointer speed, pointer precision
// (acceleration), double-click time and wheel lines per notch. A write is stored where the desktop
// keeps the setting and reaches the running desktop at once; nothing is restored later.
//
// Linux desktops keep these settings in different places, and no desktop has all of them, so every
// setting is asked for on its own: a setting that supports() denies is neither read nor written, and
// the user interface shows its controls disabled instead of offering something that does nothing.

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarvik::platform {

enum class PointerSetting {
    Speed,           // pointer speed, kMinSpeed .. kMaxSpeed
    Precision,       // pointer acceleration on or off
    DoubleClickTime, // milliseconds
    WheelLines,      // lines per wheel notch, 1 and more
    WheelOneScreen,  // one screen per wheel notch (wheel lines kWheelOneScreen)
};

// One value per setting; an empty value is one that was not read or is not to be written.
struct PointerValues {
    std::optional<int> speed{};
    std::optional<bool> precision{};
    std::optional<int> doubleClickMs{};
    std::optional<int> wheelLines{}; // kWheelOneScreen for one screen per notch

    bool operator==(const PointerValues&) const = default;
};

class PointerSettings {
public:
    static constexpr int kMinSpeed = 1;
    static constexpr int kMaxSpeed = 20;
    static constexpr int kMinDoubleClickMs = 100;
    static constexpr int kMaxDoubleClickMs = 5000;
    static constexpr int kMaxWheelLines = 100;
    static constexpr int kWheelOneScreen = -1;

    virtual ~PointerSettings() = default;

    // Whether the running desktop has this setting and this object can reach it.
    virtual bool supports(PointerSetting setting) const = 0;

    // The values in force for every supported setting that could be read; a value the desktop keeps
    // outside the ranges above comes back as the nearest value inside them.
    virtual PointerValues read() const = 0;

    // Stores every value given and makes the running desktop use it. True only when every given value
    // was stored: a value for an unsupported setting, a value out of range (wheel lines
    // kWheelOneScreen counts as the setting WheelOneScreen) or a store that refuses it makes the result
    // false; the other values are still written.
    virtual bool write(const PointerValues& values) = 0;
};

// The places where the settings can live, in the order they are asked for a setting.
enum class PointerBackend {
    GSettings, // schema "org.gnome.desktop.peripherals.mouse": speed, precision, double-click time
    Mate,      // schema "org.mate.peripherals-mouse": the same, speed as an acceleration factor
    Cinnamon,  // schema "org.cinnamon.desktop.peripherals.mouse": as GSettings
    Xfconf,    // Xfce's xfconf: speed and precision per pointer device, double-click time
    Kde,       // "kdeglobals": wheel lines, double-click time; "kcminputrc" and KWin: speed, precision
    X11,       // the X server: libinput properties of each pointer, else its core pointer control
};

// What the process knows about the session it runs in (usually from its environment).
struct DesktopSession {
    std::string currentDesktop; // XDG_CURRENT_DESKTOP: names separated by ':'
    std::string sessionType;    // XDG_SESSION_TYPE: "x11", "wayland", ...
    bool hasX11Display = false; // DISPLAY is set
    bool hasWayland = false;    // WAYLAND_DISPLAY is set
};

// The backends that the session's desktop actually takes its settings from. A store that the running
// desktop does not watch is left out: writing there would change nothing the user sees.
std::vector<PointerBackend> choosePointerBackends(const DesktopSession& session);

// The backends named in a list such as "gsettings,x11" (also "mate", "cinnamon", "xfconf", "kde";
// "none" or "" for none), or nothing when a name is unknown.
std::optional<std::vector<PointerBackend>> parsePointerBackends(const std::string& names);

// One object over the given backends: each setting is served by the first backend in the list that
// supports it. A backend that cannot be opened (no schema, no display) is left out.
std::unique_ptr<PointerSettings> makePointerSettings(const std::vector<PointerBackend>& backends);

// The pointer settings of the session this process runs in. TARVIK_POINTER_SETTINGS, when set, names
// the backends instead (as parsePointerBackends reads them), so tests and users can pick one.
std::unique_ptr<PointerSettings> makeSystemPointerSettings();

} // namespace tarvik::platform
