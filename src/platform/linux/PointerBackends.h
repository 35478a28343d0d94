#pragma once
// The Linux stores of the desktop's pointer settings, each on its own. Every opener gives nothing when
// its store is not there at all, so that the caller can fall back to another one.

#include "platform/PointerSettings.h"

#include <memory>
#include <string>
#include <vector>

namespace tarvik::platform::linux_desktop {

inline constexpr const char* kGnomeMouseSchema = "org.gnome.desktop.peripherals.mouse";

// GSettings through the default backend of this process (GSETTINGS_BACKEND chooses another one, such as
// "memory"). Nothing when the schema is not installed; keys missing from an older schema are
// unsupported settings.
std::unique_ptr<PointerSettings>
openGSettingsPointerSettings(const std::string& schemaId = kGnomeMouseSchema);

// The pointer control of the X server at displayName (empty: DISPLAY). Nothing when it cannot be
// reached.
std::unique_ptr<PointerSettings> openX11PointerSettings(const std::string& displayName = {});

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

} // namespace tarvik::platform::linux_desktop
