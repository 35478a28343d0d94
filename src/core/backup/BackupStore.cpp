#include "core/backup/BackupStore.h"

#include "core/macros/DeviceMacroTable.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <regex>
#include <utility>

namespace tarvik::core {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderTail = "tarvik-config/backups";

// VVVV-PPPP-MMPP-YYYYMMDDTHHMMSS.mmmZ.bin: the time sorts as text, so the name order is the age
// order within one mouse.
const std::regex& namePattern() {
    static const std::regex pattern(
        R"(^([0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4})-(\d{4})(\d{2})(\d{2})T(\d{2})(\d{2})(\d{2})\.(\d{3})Z\.bin$)");
    return pattern;
}

std::string stampOf(std::chrono::system_clock::time_point at) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(ms % 1000));
    return text;
}

// The time a name carries, one millisecond on: a new backup must sort after the newest one even
// when the clock has not moved on (or went back).
std::chrono::system_clock::time_point afterNameTime(const std::string& name) {
    std::smatch m;
    if (!std::regex_match(name, m, namePattern())) {
        return {};
    }
    std::tm utc{};
    utc.tm_year = std::stoi(m[2]) - 1900;
    utc.tm_mon = std::stoi(m[3]) - 1;
    utc.tm_mday = std::stoi(m[4]);
    utc.tm_hour = std::stoi(m[5]);
    utc.tm_min = std::stoi(m[6]);
    utc.tm_sec = std::stoi(m[7]);
    const std::time_t seconds = timegm(&utc);
    return std::chrono::system_clock::from_time_t(seconds) + std::chrono::milliseconds(std::stoi(m[8]) + 1);
}

bool isOwnFile(const fs::directory_entry& entry) {
    std::error_code error;
    // symlink_status: a link is never one of ours, whatever it points to.
    return entry.symlink_status(error).type() == fs::file_type::regular && !error &&
           std::regex_match(entry.path().filename().string(), namePattern());
}

} // namespace

fs::path defaultBackupFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state && fs::path(state).is_absolute()) {
        return fs::path(state) / kFolderTail;
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return fs::path(home) / ".local/state" / kFolderTail;
    }
    return {};
}

std::vector<Byte> backupProfileOf(const ConfigBuffers& asRead) {
    ConfigBuffers copy = asRead;
    copy.copyDataBufToWorkingImage();
    copy.splitFireMacroStore();
    copy.dataBufToMemo();
    return writeProfileFile(copy);
}

std::string backupMouseName(const MouseIdentity& mouse) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X-%04X-%02X%02X", mouse.vendorId, mouse.productId, mouse.manuId,
                  mouse.proId);
    return text;
}

BackupStore::BackupStore(fs::path folder, Now now) : m_folder(std::move(folder)), m_now(std::move(now)) {
    if (!m_now) {
        m_now = [] { return std::chrono::system_clock::now(); };
    }
}

std::vector<BackupEntry> BackupStore::listMatching(const std::string* mouse) const {
    std::vector<BackupEntry> entries;
    std::error_code error;
    if (m_folder.empty()) {
        return entries;
    }
    for (fs::directory_iterator it(m_folder, error), end; !error && it != end; it.increment(error)) {
        if (!isOwnFile(*it)) {
            continue;
        }
        const std::string name = it->path().filename().string();
        std::smatch m;
        std::regex_match(name, m, namePattern());
        if (mouse && m[1] != *mouse) {
            continue;
        }
        BackupEntry entry;
        entry.file = it->path();
        entry.mouse = m[1];
        entry.time = m[2].str() + "-" + m[3].str() + "-" + m[4].str() + " " + m[5].str() + ":" + m[6].str() +
                     ":" + m[7].str() + " UTC";
        entries.push_back(std::move(entry));
    }
    // Newest first: by the time in the name, then the mouse.
    std::sort(entries.begin(), entries.end(), [](const BackupEntry& a, const BackupEntry& b) {
        const auto ta = a.file.filename().string().substr(15);
        const auto tb = b.file.filename().string().substr(15);
        return ta != tb ? ta > tb : a.mouse < b.mouse;
    });
    return entries;
}

std::vector<BackupEntry> BackupStore::list() const {
    return listMatching(nullptr);
}

std::vector<BackupEntry> BackupStore::list(const MouseIdentity& mouse) const {
    const std::string name = backupMouseName(mouse);
    return listMatching(&name);
}

BackupStore::Saved BackupStore::save(const MouseIdentity& mouse, std::span<const Byte> profile) {
    Saved saved;
    if (m_folder.empty()) {
        saved.result.error = "there is no folder for backups (neither XDG_STATE_HOME nor HOME is set)";
        return saved;
    }
    std::error_code error;
    fs::create_directories(m_folder, error);
    if (error) {
        saved.result.error = m_folder.string() + ": " + error.message();
        return saved;
    }
    const std::vector<BackupEntry> before = list(mouse);
    auto at = m_now();
    if (!before.empty()) {
        const fs::path& newest = before.front().file;
        FileResult read;
        const auto bytes = readRegularFile(newest, profile.size() + 1, Oversize::Refuse, &read);
        if (bytes && std::equal(bytes->begin(), bytes->end(), profile.begin(), profile.end())) {
            saved.file = newest;
            return saved;
        }
        at = std::max(at, afterNameTime(newest.filename().string()));
    }
    fs::path file = m_folder / (backupMouseName(mouse) + "-" + stampOf(at) + ".bin");
    // Never write through something already there under the new name (a planted link above all).
    while (fs::exists(fs::symlink_status(file, error))) {
        at += std::chrono::milliseconds(1);
        file = m_folder / (backupMouseName(mouse) + "-" + stampOf(at) + ".bin");
    }
    saved.result = writeFileReplacing(file, profile);
    if (!saved.result) {
        return saved;
    }
    saved.file = file;
    saved.written = true;
    const std::vector<BackupEntry> all = list(mouse);
    for (std::size_t i = kKeep; i < all.size(); ++i) {
        fs::remove(all[i].file, error);
    }
    return saved;
}

// --- what changed -------------------------------------------------------------------------------

namespace {

constexpr const char* kModeNames[3] = {"Office Mode", "Game Mode", "Third Mode"};

bool sameBytes(const ConfigImage& a, const ConfigImage& b, std::size_t offset, std::size_t length) {
    const auto x = a.bytes().subspan(offset, length);
    const auto y = b.bytes().subspan(offset, length);
    return std::equal(x.begin(), x.end(), y.begin());
}

std::vector<std::string> macroNames(const ConfigBuffers& buffers) {
    DeviceMacroTable table;
    if (buffers.storageKind == StorageKind::I2C) {
        table.loadEeprom(buffers.deviceMacroArea);
    } else if (buffers.storageKind == StorageKind::Flash) {
        table.loadFlash(std::span<const MacroNameField, kFlashMacroCount>(buffers.flashMacroNames),
                        std::span<const MacroBody, kFlashMacroCount>(buffers.flashMacroBodies));
    }
    return table.names();
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

std::vector<std::string> describeChanges(std::span<const Byte> then, std::span<const Byte> now,
                                         StorageKind kind, bool patchLocked) {
    ConfigBuffers a;
    ConfigBuffers b;
    a.storageKind = b.storageKind = kind;
    a.patchLocked = b.patchLocked = patchLocked;
    if (!readProfileFile(then, a) || !readProfileFile(now, b)) {
        return {"not comparable"};
    }
    std::vector<std::string> changes;
    const ConfigImage& x = a.dataBuf;
    const ConfigImage& y = b.dataBuf;
    if (x.workMode() != y.workMode()) {
        changes.push_back("work mode");
    }
    std::string buttons;
    for (int mode = 1; mode <= static_cast<int>(image::kProfiles); ++mode) {
        for (int button = 1; button <= static_cast<int>(image::kButtons); ++button) {
            if (x.keyCode(mode, button) != y.keyCode(mode, button)) {
                buttons += (buttons.empty() ? "" : ", ") + std::string(kModeNames[mode - 1]) + " " +
                           std::to_string(button);
            }
        }
    }
    if (!buttons.empty()) {
        changes.push_back("buttons (" + buttons + ")");
    }
    if (!sameBytes(x, y, image::kDpiLevelCount, 1 + 4) ||
        !sameBytes(x, y, image::kDpiColors, 3 * image::kDpiColorCount) || x.currentDpi() != y.currentDpi()) {
        changes.push_back("DPI");
    }
    if (!sameBytes(x, y, image::kLightingParams.offset, image::kLightingParams.length) ||
        x.fallTime() != y.fallTime() || !sameBytes(x, y, image::kLedColors, 3 * image::kLedColorCount) ||
        x.ledMode() != y.ledMode()) {
        changes.push_back("lighting");
    }
    const auto namesThen = macroNames(a);
    const auto namesNow = macroNames(b);
    std::string macros;
    for (const auto& name : namesThen) {
        if (std::find(namesNow.begin(), namesNow.end(), name) == namesNow.end()) {
            macros += (macros.empty() ? "-" : ", -") + quoted(name);
        }
    }
    for (const auto& name : namesNow) {
        if (std::find(namesThen.begin(), namesThen.end(), name) == namesThen.end()) {
            macros += (macros.empty() ? "+" : ", +") + quoted(name);
        }
    }
    if (!macros.empty()) {
        changes.push_back("macros (" + macros + ")");
    } else if (namesThen != namesNow || a.deviceMacroArea != b.deviceMacroArea ||
               a.flashMacroBodies != b.flashMacroBodies) {
        changes.push_back("macros");
    }
    const bool anyNamed = !changes.empty();
    if (!std::equal(then.begin(), then.end(), now.begin(), now.end()) && !anyNamed) {
        changes.push_back("other settings");
    }
    return changes;
}

std::vector<BackupRow> backupRows(const BackupStore& store, std::span<const Byte> now,
                                  const MouseIdentity& mouse, StorageKind kind, bool patchLocked) {
    std::vector<BackupRow> rows;
    const std::string name = backupMouseName(mouse);
    for (BackupEntry& entry : store.list()) {
        std::string text = entry.time + "  " + entry.mouse + "  ";
        if (now.empty()) {
            text += "(no mouse to compare with)";
        } else if (entry.mouse != name) {
            text += "(another mouse)";
        } else {
            FileResult read;
            const auto bytes = readProfileFileFrom(entry.file, &read);
            const auto changes = bytes ? describeChanges(*bytes, now, kind, patchLocked)
                                       : std::vector<std::string>{"cannot be read: " + read.error};
            if (changes.empty()) {
                text += "the same as the mouse now";
            }
            for (std::size_t i = 0; i < changes.size(); ++i) {
                text += (i == 0 ? "changed since: " : ", ") + changes[i];
            }
        }
        rows.push_back({std::move(entry), std::move(text)});
    }
    return rows;
}

} // namespace tarvik::core
