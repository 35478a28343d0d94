#pragma once
// The one gate before every change of a mouse: installed on the DeviceLink by the window or the
// command line, it keeps a backup of what the last full read of the mouse held before the run's
// first change of it goes out. When no backup can be kept, the change waits for the fallback's
// decision: going on without a backup holds for the rest of the run for that mouse; not going on
// keeps the change back, and nothing of it reaches the mouse.

#include "core/backup/BackupStore.h"
#include "core/cycle/ConfigCycle.h"
#include "core/device/DeviceLink.h"

#include <filesystem>
#include <functional>
#include <set>
#include <string>

namespace tarvik::core {

class BackupGuard {
public:
    // Asked with the reason when a backup could not be kept; true: go on without one.
    using Fallback = std::function<bool(const std::string& why)>;

    BackupGuard(DeviceLink& link, const ConfigCycle& cycle, BackupStore store, Fallback fallback);
    ~BackupGuard(); // takes the gate off the link
    BackupGuard(const BackupGuard&) = delete;
    BackupGuard& operator=(const BackupGuard&) = delete;

    // Off: changes go out without a backup (the command line's --no-backup).
    void setEnabled(bool enabled) { m_enabled = enabled; }

    // The gate: true when the change may go out.
    bool allowChange();

    BackupStore& store() { return m_store; }
    // The backup this run kept last; empty before one.
    const std::filesystem::path& lastBackup() const { return m_lastBackup; }
    // Why the last change kept back was kept back; empty when none was.
    const std::string& refusal() const { return m_refusal; }

private:
    DeviceLink& m_link;
    const ConfigCycle& m_cycle;
    BackupStore m_store;
    Fallback m_fallback;
    bool m_enabled = true;
    std::set<std::string> m_covered; // mice backed up, or to go on without, in this run
    std::filesystem::path m_lastBackup;
    std::string m_refusal;
};

} // namespace tarvik::core
