#include "platform/linux/PointerBackends.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace tarvik::platform::linux_desktop {

namespace {

const QString kService = QStringLiteral("org.xfce.Xfconf");
const QString kPath = QStringLiteral("/org/xfce/Xfconf");
const QString kInterface = QStringLiteral("org.xfce.Xfconf");
const QString kChannel = QStringLiteral("pointers");
const QString kAcceleration = QStringLiteral("Acceleration");
const QString kThreshold = QStringLiteral("Threshold");
// Pointers driven by libinput ignore the threshold; Xfce passes this one on to their device property.
const QString kProfile = QStringLiteral("Properties/libinput_Accel_Profile_Enabled");
// The double-click time lives with the settings that Xfce hands to every toolkit.
const QString kXsettingsChannel = QStringLiteral("xsettings");
const QString kDoubleClick = QStringLiteral("/Net/DoubleClickTime");
// What the toolkits use while the channel has no value.
constexpr int kDefaultDoubleClickMs = 400;
// An answer from xfconf comes at once; a bus that keeps us waiting longer is treated as absent.
constexpr int kTimeoutMs = 3000;

// The range that Xfce's own mouse settings offer for the acceleration factor; our speeds 1 to 20 spread
// over it linearly.
constexpr double kMinAcceleration = 0.1;
constexpr double kMaxAcceleration = 10.0;
constexpr int kMaxThreshold = 30;
// As with the X server's own control: with precision on, moves up to 6 pixels stay exact; with it off,
// every move beyond one pixel is scaled alike.
constexpr int kPrecisionThreshold = 6;
constexpr int kConstantThreshold = 1;

double speedToAcceleration(int speed) {
    // Xfce keeps one decimal.
    return std::round(speedToRange(speed, kMinAcceleration, kMaxAcceleration) * 10.0) / 10.0;
}

int speedFromAcceleration(double value) {
    return speedFromRange(value, kMinAcceleration, kMaxAcceleration);
}

// A value as it came over the bus: arrays arrive as arrays of variants still to be unpacked.
QVariant unwrap(const QVariant& value) {
    if (value.userType() == qMetaTypeId<QDBusVariant>()) {
        return unwrap(value.value<QDBusVariant>().variant());
    }
    if (value.userType() == qMetaTypeId<QDBusArgument>()) {
        const QDBusArgument arg = value.value<QDBusArgument>();
        if (arg.currentType() != QDBusArgument::ArrayType) {
            return {};
        }
        QVariantList list;
        arg >> list;
        for (QVariant& item : list) {
            item = unwrap(item);
        }
        return list;
    }
    return value;
}

// The profile flags (adaptive, flat, and any others), or nothing for a value that is not such a list.
std::optional<QVariantList> profileFlags(const QVariant& value) {
    if (value.typeId() != QMetaType::QVariantList) {
        return std::nullopt;
    }
    const QVariantList list = value.toList();
    return list.size() >= 2 ? std::optional<QVariantList>(list) : std::nullopt;
}

std::optional<double> toNumber(const QVariant& value) {
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok && std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
}

class XfconfPointerSettings final : public PointerSettings {
public:
    XfconfPointerSettings(QDBusConnection bus, std::vector<X11PointerDevice> devices)
        : m_bus(std::move(bus)), m_devices(std::move(devices)) {}

    bool supports(PointerSetting setting) const override {
        return setting == PointerSetting::Speed || setting == PointerSetting::Precision ||
               setting == PointerSetting::DoubleClickTime;
    }

    PointerValues read() const override {
        PointerValues values;
        values.doubleClickMs = readDoubleClick();
        const std::optional<QVariantMap> all = properties();
        if (!all) {
            return values;
        }
        // The first device that has a value speaks for all: the program sets them all alike.
        for (const QString& device : devices(*all)) {
            if (values.speed) {
                break;
            }
            if (const std::optional<double> a = toNumber(all->value(device + kAcceleration)); a && *a > 0) {
                values.speed = speedFromAcceleration(*a);
            }
        }
        // A profile speaks for the pointers that libinput drives, the usual ones; the threshold only for
        // the others.
        for (const QString& device : devices(*all)) {
            if (const std::optional<QVariantList> flags = profileFlags(all->value(device + kProfile))) {
                values.precision = !((*flags)[1].toInt() != 0 && (*flags)[0].toInt() == 0);
                break;
            }
        }
        for (const QString& device : devices(*all)) {
            if (values.precision) {
                break;
            }
            if (const std::optional<double> t = toNumber(all->value(device + kThreshold)); t && *t >= 0) {
                values.precision = std::lround(*t) != kConstantThreshold;
            }
        }
        return values;
    }

    bool write(const PointerValues& values) override {
        bool ok = !values.wheelLines;
        if (values.doubleClickMs) {
            ok = *values.doubleClickMs >= kMinDoubleClickMs && *values.doubleClickMs <= kMaxDoubleClickMs &&
                 set(kXsettingsChannel, kDoubleClick, *values.doubleClickMs) && ok;
        }
        const bool setSpeed = values.speed && *values.speed >= kMinSpeed && *values.speed <= kMaxSpeed;
        ok = ok && (!values.speed || setSpeed);
        if (!setSpeed && !values.precision) {
            return ok;
        }
        const std::optional<QVariantMap> all = properties();
        const QStringList targets = all ? devices(*all) : QStringList();
        if (targets.isEmpty()) {
            return false;
        }
        for (const QString& device : targets) {
            if (setSpeed) {
                ok = set(kChannel, device + kAcceleration, speedToAcceleration(*values.speed)) && ok;
            }
            if (values.precision) {
                ok = set(kChannel, device + kThreshold,
                         *values.precision ? kPrecisionThreshold : kConstantThreshold) &&
                     ok;
                // As many flags as the device lists (the channel's own list, else the X server's), one set.
                int count = profileCount(device);
                if (const std::optional<QVariantList> flags = profileFlags(all->value(device + kProfile))) {
                    count = static_cast<int>(flags->size());
                }
                if (count >= 2) {
                    QVariantList chosen;
                    for (int i = 0; i < count; ++i) {
                        chosen << ((i == (*values.precision ? 0 : 1)) ? 1 : 0);
                    }
                    ok = set(kChannel, device + kProfile, chosen) && ok;
                }
            }
        }
        return ok;
    }

private:
    // Every property of the channel, or nothing when xfconf does not answer. A channel that has no
    // properties yet is an error to xfconf, but an empty channel to us.
    std::optional<QVariantMap> properties() const {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetAllProperties"));
        call << kChannel << QStringLiteral("/");
        const QDBusMessage reply = m_bus.call(call, QDBus::Block, kTimeoutMs);
        if (reply.type() == QDBusMessage::ErrorMessage) {
            return reply.errorName().startsWith(QStringLiteral("org.xfce.Xfconf.Error"))
                       ? std::optional<QVariantMap>(QVariantMap())
                       : std::nullopt;
        }
        if (reply.arguments().size() != 1) {
            return std::nullopt;
        }
        QVariantMap map;
        const QVariant arg = reply.arguments().at(0);
        if (arg.canConvert<QDBusArgument>()) {
            arg.value<QDBusArgument>() >> map;
        } else {
            map = arg.toMap();
        }
        for (auto it = map.begin(); it != map.end(); ++it) {
            *it = unwrap(*it);
        }
        return map;
    }

    // Property prefixes ("/Name/") of the pointer devices: those of the X server and those Xfce already
    // keeps settings for, each once, the X server's first.
    QStringList devices(const QVariantMap& all) const {
        QStringList prefixes;
        const auto add = [&](const QString& prefix) {
            if (!prefixes.contains(prefix)) {
                prefixes << prefix;
            }
        };
        for (const X11PointerDevice& device : m_devices) {
            add(prefix(device));
        }
        for (auto it = all.begin(); it != all.end(); ++it) {
            const QStringList parts = it.key().split(QLatin1Char('/'));
            // "/Name/Acceleration": an empty part, the device, the setting.
            if ((parts.size() == 3 && (parts[2] == kAcceleration || parts[2] == kThreshold)) ||
                it.key().endsWith(QLatin1Char('/') + kProfile)) {
                add(QLatin1Char('/') + parts[1] + QLatin1Char('/'));
            }
        }
        return prefixes;
    }

    static QString prefix(const X11PointerDevice& device) {
        return QLatin1Char('/') + QString::fromStdString(xfconfDeviceName(device.name)) + QLatin1Char('/');
    }

    // The profile flags that the X server lists for the device with this prefix, 0 when it has none.
    int profileCount(const QString& devicePrefix) const {
        for (const X11PointerDevice& device : m_devices) {
            if (prefix(device) == devicePrefix) {
                return device.profiles;
            }
        }
        return 0;
    }

    // The stored time, the toolkits' default while there is none, or nothing when xfconf fails.
    std::optional<int> readDoubleClick() const {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetProperty"));
        call << kXsettingsChannel << kDoubleClick;
        const QDBusMessage reply = m_bus.call(call, QDBus::Block, kTimeoutMs);
        if (reply.type() == QDBusMessage::ErrorMessage) {
            return reply.errorName().startsWith(QStringLiteral("org.xfce.Xfconf.Error"))
                       ? std::optional<int>(kDefaultDoubleClickMs)
                       : std::nullopt;
        }
        if (reply.arguments().size() != 1) {
            return std::nullopt;
        }
        const std::optional<double> ms = toNumber(reply.arguments().at(0).value<QDBusVariant>().variant());
        if (!ms) {
            return std::nullopt;
        }
        return static_cast<int>(std::clamp<double>(std::round(*ms), kMinDoubleClickMs, kMaxDoubleClickMs));
    }

    bool set(const QString& channel, const QString& property, const QVariant& value) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("SetProperty"));
        call << channel << property << QVariant::fromValue(QDBusVariant(value));
        return m_bus.call(call, QDBus::Block, kTimeoutMs).type() == QDBusMessage::ReplyMessage;
    }

    QDBusConnection m_bus;
    std::vector<X11PointerDevice> m_devices;
};

} // namespace

std::string xfconfDeviceName(const std::string& deviceName) {
    // Property names allow only a few characters; Xfce writes the others as underscores.
    std::string name = deviceName;
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '-' && c != '_') {
            c = '_';
        }
    }
    return name;
}

std::unique_ptr<PointerSettings> openXfconfPointerSettings(std::vector<X11PointerDevice> devices) {
    if (QCoreApplication::instance() == nullptr) {
        return nullptr;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return nullptr;
    }
    auto settings = std::make_unique<XfconfPointerSettings>(bus, std::move(devices));
    // xfconf starts on demand; without it on the bus there is no Xfce store to write.
    QDBusMessage ping =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetAllProperties"));
    ping << kChannel << QStringLiteral("/");
    const QDBusMessage reply = bus.call(ping, QDBus::Block, kTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage &&
        !reply.errorName().startsWith(QStringLiteral("org.xfce.Xfconf.Error"))) {
        return nullptr;
    }
    return settings;
}

std::unique_ptr<PointerSettings> openXfconfPointerSettings() {
    return openXfconfPointerSettings(x11PointerDevices());
}

} // namespace tarvik::platform::linux_desktop
