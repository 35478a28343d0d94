#pragma once
// The Linux stores of the desktop's pointer settings, each on its own. Every opener gives nothing when
// its store is not there at all, so that the caller can fall back to another one.

#include "platform/PointerSettings.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarvik::platform::linux_desktop {

// Our speed values spread linearly over a store's own range, kMinSpeed on `low` and kMaxSpeed on `high`.
inline double speedToRange(int speed, double low, double high) {
    // Weighted ends rather than low plus a step: whole-number ends then give exact quotients.
    return (low * (PointerSettings::kMaxSpeed - speed) + high * (speed - PointerSettings::kMinSpeed)) /
           (PointerSettings::kMaxSpeed - PointerSettings::kMinSpeed);
}

// The nearest speed value for a value of that range; values beyond it give its ends, and a value that
// is no number gives the middle, where the stores keep their defaults.
inline int speedFromRange(double value, double low, double high) {
    if (!std::isfinite(value)) {
        value = (low + high) / 2.0;
    }
    const double speed =
        PointerSettings::kMinSpeed +
        (value - low) * (PointerSettings::kMaxSpeed - PointerSettings::kMinSpeed) / (high - low);
    return static_cast<int>(std::lround(
        std::clamp(speed, double(PointerSettings::kMinSpeed), double(PointerSettings::kMaxSpeed))));
}

inline constexpr const char* kGnomeMouseSchema = "org.gnome.desktop.peripherals.mouse";
inline constexpr const char* kMateMouseSchema = "org.mate.peripherals-mouse";
inline constexpr const char* kCinnamonMouseSchema = "org.cinnamon.desktop.peripherals.mouse";

// GSettings through the default backend of this process (GSETTINGS_BACKEND chooses another one, such as
// "memory"). Its library is loaded on the first call, not before. Nothing when the library or the schema
// is not installed; keys missing from an older schema are unsupported settings. A schema keeps the
// speed either as "speed" from -1 to 1 or as the acceleration factor "motion-acceleration" (1 to 10),
// and precision as "accel-profile" and/or "motion-threshold".
std::unique_ptr<PointerSettings>
openGSettingsPointerSettings(const std::string& schemaId = kGnomeMouseSchema);

// The pointer control of the X server at displayName (empty: DISPLAY). Nothing when it cannot be
// reached.
std::unique_ptr<PointerSettings> openX11PointerSettings(const std::string& displayName = {});

// A pointer device of the X server: its name, and how many acceleration profiles libinput lists for it
// in "libinput Accel Profile Enabled" (0 when it is not driven by libinput).
struct X11PointerDevice {
    std::string name;
    int profiles = 0;
    bool operator==(const X11PointerDevice&) const = default;
};

// The X server's pointer devices (at displayName, empty: DISPLAY), without the server's own virtual
// ones; empty without a server.
std::vector<X11PointerDevice> x11PointerDevices(const std::string& displayName = {});

// Xfce's "pointers" channel in xfconf, over the session bus: "/<device>/Acceleration" (factor 0.1 to
// 10), "/<device>/Threshold" and, for pointers driven by libinput, the profile flags
// "/<device>/Properties/libinput_Accel_Profile_Enabled", for every device given (the X server's, see
// xfconfDeviceName) and every device the channel already holds; the double-click time as
// "/Net/DoubleClickTime" of channel "xsettings". Its settings daemon applies them. Nothing when xfconf
// is not on the bus.
std::unique_ptr<PointerSettings> openXfconfPointerSettings(std::vector<X11PointerDevice> devices);
std::unique_ptr<PointerSettings> openXfconfPointerSettings();

// A device name as the channel's property names spell it: anything but letters, digits, '-' and '_'
// becomes '_'.
std::string xfconfDeviceName(const std::string& deviceName);

// Where KDE looks for "kdeglobals": the user's folder (written) and the system folders (read only, most
// important first).
struct KdeConfigFolders {
    std::string user;
    std::vector<std::string> system;

    // XDG_CONFIG_HOME (else ~/.config) and XDG_CONFIG_DIRS (else /etc/xdg); relative folders are left
    // out, so without an absolute home the user folder is empty and nothing can be written.
    static KdeConfigFolders fromEnvironment();
};

// "kdeglobals", group "KDE": "WheelScrollLines" and "DoubleClickInterval". Running KDE programs are told
// of a change over the session bus, when there is one. Nothing without a user folder.
std::unique_ptr<PointerSettings> openKdePointerSettings(const KdeConfigFolders& folders);

// KDE's pointer speed and precision, kept per device in "kcminputrc" of the user's folder. Under
// Wayland KWin drives the pointers: every pointer device that its input-device interface on the session
// bus lists gets its acceleration (-1 to 1) and profile there, and its group
// "[Libinput][vendor][product][name]" in the file. Under X11 the file's "[Mouse]" group keeps the values
// for the next login and x11 (the X server's pointers) applies them now. Speed and precision are
// supported only where one of the two can apply them.
std::unique_ptr<PointerSettings> openKdeInputPointerSettings(const KdeConfigFolders& folders,
                                                             std::unique_ptr<PointerSettings> x11);

// A configuration file's text: empty when the file does not exist, nothing when it is no file, is far
// too large for one or cannot be read.
std::optional<std::string> readKdeConfigFile(const std::string& path);
// Replaces the file as a whole, so that a reader never sees half of it.
bool writeKdeConfigFile(const std::string& path, const std::string& text);

} // namespace tarvik::platform::linux_desktop
