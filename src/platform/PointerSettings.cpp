#include "platform/PointerSettings.h"

#include "platform/linux/PointerBackends.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>

namespace tarvik::platform {

namespace {

constexpr std::array kAllSettings{PointerSetting::Speed, PointerSetting::Precision,
                                  PointerSetting::DoubleClickTime, PointerSetting::WheelLines,
                                  PointerSetting::WheelOneScreen};

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::vector<std::string> split(const std::string& s, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= s.size()) {
        const std::size_t end = std::min(s.find(separator, start), s.size());
        parts.push_back(s.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

class CombinedPointerSettings final : public PointerSettings {
public:
    explicit CombinedPointerSettings(std::vector<std::unique_ptr<PointerSettings>> backends)
        : m_backends(std::move(backends)) {}

    bool supports(PointerSetting setting) const override { return server(setting) != nullptr; }

    PointerValues read() const override {
        PointerValues values;
        for (const auto& backend : m_backends) {
            const bool serves = std::any_of(kAllSettings.begin(), kAllSettings.end(),
                                            [&](PointerSetting s) { return server(s) == backend.get(); });
            if (!serves) {
                continue;
            }
            const PointerValues part = backend->read();
            if (server(PointerSetting::Speed) == backend.get()) {
                values.speed = part.speed;
            }
            if (server(PointerSetting::Precision) == backend.get()) {
                values.precision = part.precision;
            }
            if (server(PointerSetting::DoubleClickTime) == backend.get()) {
                values.doubleClickMs = part.doubleClickMs;
            }
            if (server(PointerSetting::WheelLines) == backend.get() ||
                (part.wheelLines == kWheelOneScreen &&
                 server(PointerSetting::WheelOneScreen) == backend.get())) {
                values.wheelLines = part.wheelLines;
            }
        }
        return values;
    }

    bool write(const PointerValues& values) override {
        bool ok = true;
        std::vector<PointerValues> parts(m_backends.size());
        const auto route = [&](PointerSetting setting, auto member) {
            if (!(values.*member)) {
                return;
            }
            PointerSettings* backend = server(setting);
            if (backend == nullptr) {
                ok = false;
                return;
            }
            parts[index(backend)].*member = values.*member;
        };
        route(PointerSetting::Speed, &PointerValues::speed);
        route(PointerSetting::Precision, &PointerValues::precision);
        route(PointerSetting::DoubleClickTime, &PointerValues::doubleClickMs);
        route(values.wheelLines == kWheelOneScreen ? PointerSetting::WheelOneScreen
                                                   : PointerSetting::WheelLines,
              &PointerValues::wheelLines);
        for (std::size_t i = 0; i < m_backends.size(); ++i) {
            if (parts[i] != PointerValues{}) {
                ok = m_backends[i]->write(parts[i]) && ok;
            }
        }
        return ok;
    }

private:
    PointerSettings* server(PointerSetting setting) const {
        for (const auto& backend : m_backends) {
            if (backend->supports(setting)) {
                return backend.get();
            }
        }
        return nullptr;
    }

    std::size_t index(const PointerSettings* backend) const {
        for (std::size_t i = 0; i < m_backends.size(); ++i) {
            if (m_backends[i].get() == backend) {
                return i;
            }
        }
        return 0;
    }

    std::vector<std::unique_ptr<PointerSettings>> m_backends;
};

} // namespace

std::vector<PointerBackend> choosePointerBackends(const DesktopSession& session) {
    bool gnomeFamily = false;
    bool mate = false;
    bool cinnamon = false;
    bool xfce = false;
    bool kde = false;
    for (const std::string& name : split(lower(session.currentDesktop), ':')) {
        // Desktops whose settings daemon applies the GNOME mouse schema.
        gnomeFamily = gnomeFamily || name == "gnome" || name == "gnome-classic" ||
                      name == "gnome-flashback" || name == "pantheon" || name == "unity";
        mate = mate || name == "mate";
        cinnamon = cinnamon || name == "x-cinnamon" || name == "cinnamon";
        xfce = xfce || name == "xfce";
        kde = kde || name == "kde";
    }
    const std::string type = lower(session.sessionType);
    const bool x11 = type == "x11" || (type.empty() && session.hasX11Display && !session.hasWayland);

    std::vector<PointerBackend> backends;
    if (gnomeFamily) {
        backends.push_back(PointerBackend::GSettings);
        return backends;
    }
    // Each of these desktops has a settings daemon that applies its own store to the pointers and would
    // overwrite anything set around it. Where the store is missing (schema not installed, no xfconf on
    // the bus), the X server below serves instead.
    if (mate) {
        backends.push_back(PointerBackend::Mate);
    } else if (cinnamon) {
        backends.push_back(PointerBackend::Cinnamon);
    } else if (xfce) {
        backends.push_back(PointerBackend::Xfconf);
    } else if (kde) {
        backends.push_back(PointerBackend::Kde);
    }
    // Under Wayland the X server only serves old programs; its pointers move nothing else.
    if (x11) {
        backends.push_back(PointerBackend::X11);
    }
    return backends;
}

std::optional<std::vector<PointerBackend>> parsePointerBackends(const std::string& names) {
    static const std::array<std::pair<const char*, PointerBackend>, 6> kNames{{
        {"gsettings", PointerBackend::GSettings},
        {"mate", PointerBackend::Mate},
        {"cinnamon", PointerBackend::Cinnamon},
        {"xfconf", PointerBackend::Xfconf},
        {"kde", PointerBackend::Kde},
        {"x11", PointerBackend::X11},
    }};
    std::vector<PointerBackend> backends;
    for (const std::string& part : split(lower(names), ',')) {
        if (part == "none" || part.empty()) {
            continue;
        }
        const auto it =
            std::find_if(kNames.begin(), kNames.end(), [&](const auto& n) { return part == n.first; });
        if (it == kNames.end()) {
            return std::nullopt;
        }
        backends.push_back(it->second);
    }
    return backends;
}

std::unique_ptr<PointerSettings> makePointerSettings(const std::vector<PointerBackend>& backends) {
    std::vector<std::unique_ptr<PointerSettings>> opened;
    for (PointerBackend backend : backends) {
        std::unique_ptr<PointerSettings> one;
        switch (backend) {
        case PointerBackend::GSettings:
            one = linux_desktop::openGSettingsPointerSettings();
            break;
        case PointerBackend::Mate:
            one = linux_desktop::openGSettingsPointerSettings(linux_desktop::kMateMouseSchema);
            break;
        case PointerBackend::Cinnamon:
            one = linux_desktop::openGSettingsPointerSettings(linux_desktop::kCinnamonMouseSchema);
            break;
        case PointerBackend::Xfconf:
            one = linux_desktop::openXfconfPointerSettings();
            break;
        case PointerBackend::Kde: {
            const linux_desktop::KdeConfigFolders folders =
                linux_desktop::KdeConfigFolders::fromEnvironment();
            if (auto globals = linux_desktop::openKdePointerSettings(folders)) {
                opened.push_back(std::move(globals));
            }
            // With the X server in the list (KDE on X11) its pointers take the values at once; otherwise
            // (Wayland) KWin does.
            const bool x11 =
                std::find(backends.begin(), backends.end(), PointerBackend::X11) != backends.end();
            one = linux_desktop::openKdeInputPointerSettings(
                folders, x11 ? linux_desktop::openX11PointerSettings() : nullptr);
            break;
        }
        case PointerBackend::X11:
            one = linux_desktop::openX11PointerSettings();
            break;
        }
        if (one) {
            opened.push_back(std::move(one));
        }
    }
    return std::make_unique<CombinedPointerSettings>(std::move(opened));
}

std::unique_ptr<PointerSettings> makeSystemPointerSettings() {
    if (const char* chosen = std::getenv("TARVIK_POINTER_SETTINGS")) {
        if (std::optional<std::vector<PointerBackend>> backends = parsePointerBackends(chosen)) {
            return makePointerSettings(*backends);
        }
    }
    DesktopSession session;
    session.currentDesktop = env("XDG_CURRENT_DESKTOP");
    session.sessionType = env("XDG_SESSION_TYPE");
    session.hasX11Display = !env("DISPLAY").empty();
    session.hasWayland = !env("WAYLAND_DISPLAY").empty();
    return makePointerSettings(choosePointerBackends(session));
}

} // namespace tarvik::platform
