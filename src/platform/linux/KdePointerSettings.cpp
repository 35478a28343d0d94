#include "platform/linux/KdeConfigText.h"
#include "platform/linux/PointerBackends.h"

#include <QByteArrayList>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace tarvik::platform::linux_desktop {

namespace {

constexpr const char* kFileName = "kdeglobals";
constexpr const char* kGroup = "KDE";
constexpr const char* kWheelKey = "WheelScrollLines";
constexpr const char* kDoubleClickKey = "DoubleClickInterval";
// What KDE uses where no file says otherwise.
constexpr int kDefaultWheelLines = 3;
constexpr int kDefaultDoubleClickMs = 400;

// A folder named by the environment counts only when absolute: a relative one would depend on where the
// program happened to be started.
std::string folderFromEnv(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? std::string(value) : fallback;
}

std::optional<int> toInt(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Running KDE programs re-read their mouse settings when told so: the older programs listen for the
// global settings signal (settings changed, mouse category), the newer ones watch the file's keys.
void tellRunningPrograms(const QByteArrayList& keys) {
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    constexpr int kSettingsChanged = 3;
    constexpr int kMouseSettings = 0;
    QDBusMessage global =
        QDBusMessage::createSignal(QStringLiteral("/KGlobalSettings"),
                                   QStringLiteral("org.kde.KGlobalSettings"), QStringLiteral("notifyChange"));
    global << kSettingsChanged << kMouseSettings;
    bus.send(global);

    using ChangedKeys = QHash<QString, QByteArrayList>;
    qDBusRegisterMetaType<QByteArrayList>();
    qDBusRegisterMetaType<ChangedKeys>();
    QDBusMessage watched =
        QDBusMessage::createSignal(QStringLiteral("/") + QLatin1String(kFileName),
                                   QStringLiteral("org.kde.kconfig.notify"), QStringLiteral("ConfigChanged"));
    watched << QVariant::fromValue(ChangedKeys{{QString::fromLatin1(kGroup), keys}});
    bus.send(watched);
}

class KdePointerSettings final : public PointerSettings {
public:
    explicit KdePointerSettings(KdeConfigFolders folders) : m_folders(std::move(folders)) {}

    bool supports(PointerSetting setting) const override {
        // KDE counts wheel lines only; it has no one screen per notch.
        return setting == PointerSetting::WheelLines || setting == PointerSetting::DoubleClickTime;
    }

    PointerValues read() const override {
        PointerValues values;
        const int lines = lookUp(kWheelKey).value_or(kDefaultWheelLines);
        values.wheelLines = std::clamp(lines, 1, kMaxWheelLines);
        const int ms = lookUp(kDoubleClickKey).value_or(kDefaultDoubleClickMs);
        values.doubleClickMs = std::clamp(ms, kMinDoubleClickMs, kMaxDoubleClickMs);
        return values;
    }

    bool write(const PointerValues& values) override {
        bool ok = !values.speed && !values.precision;
        std::vector<std::pair<const char*, int>> changes;
        if (values.wheelLines) {
            const bool valid = *values.wheelLines >= 1 && *values.wheelLines <= kMaxWheelLines;
            ok = ok && valid;
            if (valid) {
                changes.emplace_back(kWheelKey, *values.wheelLines);
            }
        }
        if (values.doubleClickMs) {
            const bool valid =
                *values.doubleClickMs >= kMinDoubleClickMs && *values.doubleClickMs <= kMaxDoubleClickMs;
            ok = ok && valid;
            if (valid) {
                changes.emplace_back(kDoubleClickKey, *values.doubleClickMs);
            }
        }
        if (changes.empty()) {
            return ok;
        }

        const QString path = userFile();
        std::optional<std::string> text = readKdeConfigFile(path.toStdString());
        if (!text) {
            return false;
        }
        QByteArrayList written;
        for (const auto& [key, value] : changes) {
            // An administrator's immutable entry wins over anything the user's file says.
            std::optional<std::string> edited;
            if (!lockedBySystem(key)) {
                edited = setKdeEntry(*text, kGroup, key, std::to_string(value));
            }
            if (!edited) {
                ok = false;
                continue;
            }
            text = std::move(edited);
            written.append(QByteArray(key));
        }
        if (written.isEmpty()) {
            return false;
        }

        if (!writeKdeConfigFile(path.toStdString(), *text)) {
            return false;
        }
        tellRunningPrograms(written);
        return ok;
    }

private:
    QString userFile() const { return QDir(QString::fromStdString(m_folders.user)).filePath(kFileName); }

    QStringList filesInReadingOrder() const {
        QStringList files;
        // KDE reads the least important system file first, so that a later one overrides it.
        for (auto it = m_folders.system.rbegin(); it != m_folders.system.rend(); ++it) {
            files << QDir(QString::fromStdString(*it)).filePath(kFileName);
        }
        files << userFile();
        return files;
    }

    std::optional<KdeEntry> entry(const char* key, bool systemOnly) const {
        QStringList files = filesInReadingOrder();
        if (systemOnly) {
            files.removeLast();
        }
        std::optional<KdeEntry> found;
        for (const QString& file : files) {
            const std::optional<std::string> text = readKdeConfigFile(file.toStdString());
            if (!text) {
                continue;
            }
            if (std::optional<KdeEntry> e = findKdeEntry(*text, kGroup, key)) {
                found = std::move(e);
                if (found->immutable) {
                    break;
                }
            }
        }
        return found;
    }

    std::optional<int> lookUp(const char* key) const {
        const std::optional<KdeEntry> e = entry(key, false);
        return e ? toInt(e->value) : std::nullopt;
    }

    bool lockedBySystem(const char* key) const {
        const std::optional<KdeEntry> e = entry(key, true);
        return e && e->immutable;
    }

    KdeConfigFolders m_folders;
};

} // namespace

// KDE's files hold a few kilobytes; a file far beyond that is not one to read or rewrite.
constexpr qint64 kMaxFileSize = 1 << 20;

// The file's text: empty when it does not exist, nothing when it cannot be read as a configuration.
std::optional<std::string> readKdeConfigFile(const std::string& pathName) {
    const QString path = QString::fromStdString(pathName);
    const QFileInfo info(path);
    if (!info.exists()) {
        return std::string();
    }
    if (!info.isFile() || info.size() > kMaxFileSize) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize) {
        return std::nullopt;
    }
    return bytes.toStdString();
}

bool writeKdeConfigFile(const std::string& pathName, const std::string& text) {
    const QString path = QString::fromStdString(pathName);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size()) &&
           file.commit();
}

KdeConfigFolders KdeConfigFolders::fromEnvironment() {
    KdeConfigFolders folders;
    const std::string home = folderFromEnv("HOME", {});
    folders.user = folderFromEnv("XDG_CONFIG_HOME", home.empty() ? std::string() : home + "/.config");
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    const std::string list = dirs != nullptr && *dirs != '\0' ? dirs : "/etc/xdg";
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t colon = std::min(list.find(':', start), list.size());
        if (colon > start && list[start] == '/') {
            folders.system.push_back(list.substr(start, colon - start));
        }
        start = colon + 1;
    }
    return folders;
}

std::unique_ptr<PointerSettings> openKdePointerSettings(const KdeConfigFolders& folders) {
    if (folders.user.empty()) {
        return nullptr;
    }
    return std::make_unique<KdePointerSettings>(folders);
}

} // namespace tarvik::platform::linux_desktop
