#include "platform/linux/KdeConfigText.h"
#include "platform/linux/PointerBackends.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QStringList>
#include <QVariantMap>

#include <algorithm>
#include <cmath>

namespace tarvik::platform::linux_desktop {

namespace {

const QString kService = QStringLiteral("org.kde.KWin");
const QString kManagerPath = QStringLiteral("/org/kde/KWin/InputDevice");
const QString kManagerInterface = QStringLiteral("org.kde.KWin.InputDeviceManager");
const QString kDeviceInterface = QStringLiteral("org.kde.KWin.InputDevice");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int kTimeoutMs = 3000;

constexpr const char* kFileName = "kcminputrc";
// Under X11 the mouse settings module keeps libinput's values here and applies them at login.
constexpr const char* kX11Group = "Mouse";
constexpr const char* kX11Speed = "XLbInptPointerAcceleration";
constexpr const char* kX11Flat = "XLbInptAccelProfileFlat";
// Under Wayland KWin keeps each device's values in its own group.
constexpr const char* kDeviceSpeed = "PointerAcceleration";
constexpr const char* kDeviceProfile = "PointerAccelerationProfile";
// libinput's numbers for its profiles, as KWin stores them.
constexpr int kProfileFlat = 1;
constexpr int kProfileAdaptive = 2;

double speedToLibinput(int speed) {
    return speedToRange(speed, -1.0, 1.0);
}

int speedFromLibinput(double value) {
    return speedFromRange(value, -1.0, 1.0);
}

std::string number(double value) {
    return QString::number(value, 'f', 3).toStdString();
}

struct KwinDevice {
    QString path;
    QVariantMap properties;
};

class KdeInputPointerSettings final : public PointerSettings {
public:
    KdeInputPointerSettings(KdeConfigFolders folders, std::unique_ptr<PointerSettings> x11)
        : m_folders(std::move(folders)), m_x11(std::move(x11)) {}

    bool supports(PointerSetting setting) const override {
        if (setting != PointerSetting::Speed && setting != PointerSetting::Precision) {
            return false;
        }
        if (m_x11 && m_x11->supports(setting)) {
            return true;
        }
        const std::vector<KwinDevice> devices = kwinPointers();
        return std::any_of(devices.begin(), devices.end(), [&](const KwinDevice& d) {
            return setting == PointerSetting::Speed
                       ? d.properties.value(QStringLiteral("supportsPointerAcceleration")).toBool()
                       : d.properties.value(QStringLiteral("supportsPointerAccelerationProfileFlat"))
                                 .toBool() &&
                             d.properties.value(QStringLiteral("supportsPointerAccelerationProfileAdaptive"))
                                 .toBool();
        });
    }

    PointerValues read() const override {
        PointerValues values;
        const std::vector<KwinDevice> devices = kwinPointers();
        if (!devices.empty()) {
            // The program sets every pointer alike, so the first one speaks for all.
            const QVariantMap& p = devices.front().properties;
            bool ok = false;
            const double speed = p.value(QStringLiteral("pointerAcceleration")).toDouble(&ok);
            if (ok) {
                values.speed = speedFromLibinput(speed);
            }
            if (p.contains(QStringLiteral("pointerAccelerationProfileFlat"))) {
                values.precision = !p.value(QStringLiteral("pointerAccelerationProfileFlat")).toBool();
            }
            return values;
        }
        if (m_x11) {
            const PointerValues live = m_x11->read();
            values.speed = live.speed;
            values.precision = live.precision;
        }
        return values;
    }

    bool write(const PointerValues& values) override {
        bool ok = !values.doubleClickMs && !values.wheelLines;
        const bool setSpeed = values.speed && *values.speed >= kMinSpeed && *values.speed <= kMaxSpeed;
        ok = ok && (!values.speed || setSpeed);
        if (!setSpeed && !values.precision) {
            return ok;
        }
        const std::vector<KwinDevice> devices = kwinPointers();
        if (devices.empty() && !m_x11) {
            return false;
        }

        // KWin first: it applies the values and may store them itself, so the file is read after it.
        for (const KwinDevice& device : devices) {
            if (setSpeed) {
                ok = setProperty(device.path, QStringLiteral("pointerAcceleration"),
                                 speedToLibinput(*values.speed)) &&
                     ok;
            }
            if (values.precision) {
                ok = setProperty(device.path,
                                 *values.precision ? QStringLiteral("pointerAccelerationProfileAdaptive")
                                                   : QStringLiteral("pointerAccelerationProfileFlat"),
                                 true) &&
                     ok;
            }
        }

        const QString path = QDir(QString::fromStdString(m_folders.user)).filePath(kFileName);
        std::optional<std::string> text = readKdeConfigFile(path.toStdString());
        const auto setEntry = [&](const std::string& group, const char* key, const std::string& value) {
            std::optional<std::string> edited = text ? setKdeEntry(*text, group, key, value) : std::nullopt;
            if (!edited) {
                ok = false; // a locked entry or a file that cannot be read
                return;
            }
            text = std::move(edited);
        };

        for (const KwinDevice& device : devices) {
            const QVariantMap& p = device.properties;
            // KWin names a device's group after its numbers and name; a name that cannot be written in
            // brackets has no group of its own, and KWin's own setting of it above stays the only one.
            const std::string name = p.value(QStringLiteral("name")).toString().toStdString();
            if (name.find_first_of("[]\r\n") != std::string::npos) {
                continue;
            }
            const std::string group =
                std::string("Libinput") + kKdeGroupSeparator +
                std::to_string(p.value(QStringLiteral("vendor")).toUInt()) + kKdeGroupSeparator +
                std::to_string(p.value(QStringLiteral("product")).toUInt()) + kKdeGroupSeparator + name;
            if (setSpeed) {
                setEntry(group, kDeviceSpeed, number(speedToLibinput(*values.speed)));
            }
            if (values.precision) {
                setEntry(group, kDeviceProfile,
                         std::to_string(*values.precision ? kProfileAdaptive : kProfileFlat));
            }
        }
        if (m_x11) {
            if (setSpeed) {
                setEntry(kX11Group, kX11Speed, number(speedToLibinput(*values.speed)));
            }
            if (values.precision) {
                setEntry(kX11Group, kX11Flat, *values.precision ? "false" : "true");
            }
            PointerValues live;
            if (setSpeed) {
                live.speed = values.speed;
            }
            live.precision = values.precision;
            ok = m_x11->write(live) && ok;
        }
        if (text) {
            ok = writeKdeConfigFile(path.toStdString(), *text) && ok;
        }
        return ok;
    }

private:
    // KWin's pointer devices (mice, not touchpads), each with its properties; empty when KWin does not
    // answer.
    std::vector<KwinDevice> kwinPointers() const {
        std::vector<KwinDevice> devices;
        if (QCoreApplication::instance() == nullptr) {
            return devices;
        }
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            return devices;
        }
        QDBusMessage get =
            QDBusMessage::createMethodCall(kService, kManagerPath, kProperties, QStringLiteral("Get"));
        get << kManagerInterface << QStringLiteral("devicesSysNames");
        const QDBusMessage names = bus.call(get, QDBus::Block, kTimeoutMs);
        if (names.type() != QDBusMessage::ReplyMessage || names.arguments().size() != 1) {
            return devices;
        }
        const QStringList sysNames = names.arguments().at(0).value<QDBusVariant>().variant().toStringList();
        for (const QString& sysName : sysNames) {
            KwinDevice device{kManagerPath + QLatin1Char('/') + sysName, {}};
            QDBusMessage all =
                QDBusMessage::createMethodCall(kService, device.path, kProperties, QStringLiteral("GetAll"));
            all << kDeviceInterface;
            const QDBusMessage reply = bus.call(all, QDBus::Block, kTimeoutMs);
            if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) {
                continue;
            }
            reply.arguments().at(0).value<QDBusArgument>() >> device.properties;
            if (device.properties.value(QStringLiteral("pointer")).toBool() &&
                !device.properties.value(QStringLiteral("touchpad")).toBool()) {
                devices.push_back(std::move(device));
            }
        }
        return devices;
    }

    static bool setProperty(const QString& path, const QString& name, const QVariant& value) {
        QDBusMessage set = QDBusMessage::createMethodCall(kService, path, kProperties, QStringLiteral("Set"));
        set << kDeviceInterface << name << QVariant::fromValue(QDBusVariant(value));
        return QDBusConnection::sessionBus().call(set, QDBus::Block, kTimeoutMs).type() ==
               QDBusMessage::ReplyMessage;
    }

    KdeConfigFolders m_folders;
    std::unique_ptr<PointerSettings> m_x11;
};

} // namespace

std::unique_ptr<PointerSettings> openKdeInputPointerSettings(const KdeConfigFolders& folders,
                                                             std::unique_ptr<PointerSettings> x11) {
    if (folders.user.empty()) {
        return nullptr;
    }
    return std::make_unique<KdeInputPointerSettings>(folders, std::move(x11));
}

} // namespace tarvik::platform::linux_desktop
