#pragma once
// The automatic backups of the mice: before a run first changes a mouse, what its full read held is
// kept as a profile file in the backup folder, named by the mouse's identity and the time. The last
// kKeep of each mouse are kept; older ones go. Only files whose names this store gives are ever
// listed or removed, and a symbolic link is never taken for one, never followed and never removed.

#include "core/image/ConfigBuffers.h"
#include "core/image/FileIo.h"
#include "core/image/ProfileFile.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarvik::core {

// "$XDG_STATE_HOME/tarvik-config/backups", or "~/.local/state/tarvik-config/backups" when the
// variable is unset, empty or not an absolute path. Empty when neither it nor HOME says where.
std::filesystem::path defaultBackupFolder();

// The profile file of a configuration as a full read left it: what Save would write for it.
std::vector<Byte> backupProfileOf(const ConfigBuffers& asRead);

// "VVVV-PPPP-MMPP": vendor and product id, identity bytes, upper-case hex.
std::string backupMouseName(const MouseIdentity& mouse);

struct BackupEntry {
    std::filesystem::path file;
    std::string mouse; // backupMouseName of the mouse it was taken from
    std::string time;  // "2026-12-10 22:15:30 UTC"
};

class BackupStore {
public:
    static constexpr std::size_t kKeep = 20;
    using Now = std::function<std::chrono::system_clock::time_point()>;

    explicit BackupStore(std::filesystem::path folder, Now now = {});

    const std::filesystem::path& folder() const { return m_folder; }

    struct Saved {
        FileResult result;          // why nothing was kept, when nothing was
        std::filesystem::path file; // the new backup, or the newest one when it holds the same bytes
        bool written = false;       // false when the newest backup already held these bytes
        explicit operator bool() const { return result.ok(); }
    };

    // Keeps `profile` as the newest backup of `mouse` (through the safe replace of Save), unless the
    // newest one holds the same bytes; then removes that mouse's oldest backups beyond kKeep.
    Saved save(const MouseIdentity& mouse, std::span<const Byte> profile);

    // The backups in the folder, newest first: of every mouse, or of one.
    std::vector<BackupEntry> list() const;
    std::vector<BackupEntry> list(const MouseIdentity& mouse) const;

private:
    std::vector<BackupEntry> listMatching(const std::string* mouse) const;

    std::filesystem::path m_folder;
    Now m_now;
};

// What differs between two configurations, by name, for the backup list: "work mode", "buttons
// (Game Mode 3, ...)", "DPI", "lighting", "macros (-"Old", +"New")", "other settings"; empty when
// nothing does. `then` and `now` are profile files of the same kind.
std::vector<std::string> describeChanges(std::span<const Byte> then, std::span<const Byte> now,
                                         StorageKind kind, bool patchLocked);

// One line of the backup list, newest first: its time, its mouse and what changed since it was
// taken, against `now` (the profile of `mouse` as it is now; empty when no mouse could be read).
struct BackupRow {
    BackupEntry entry;
    std::string text;
};
std::vector<BackupRow> backupRows(const BackupStore& store, std::span<const Byte> now,
                                  const MouseIdentity& mouse, StorageKind kind, bool patchLocked);

} // namespace tarvik::core
