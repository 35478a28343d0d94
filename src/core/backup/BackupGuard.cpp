#include "core/backup/BackupGuard.h"

#include <utility>

namespace tarvik::core {

BackupGuard::BackupGuard(DeviceLink& link, const ConfigCycle& cycle, BackupStore store, Fallback fallback)
    : m_link(link), m_cycle(cycle), m_store(std::move(store)), m_fallback(std::move(fallback)) {
    m_link.setWriteGate([this] { return allowChange(); });
}

BackupGuard::~BackupGuard() {
    m_link.setWriteGate({});
}

bool BackupGuard::allowChange() {
    const ConfigBuffers* asRead = m_cycle.readSnapshot();
    if (!asRead) {
        // Nothing of this mouse was read whole, so there is nothing to keep; the cycle refuses
        // every stored-memory write of such a mouse by itself.
        return true;
    }
    const MouseIdentity mouse{m_link.linkVid(), m_link.linkPid(), asRead->dataBuf.manuId(),
                              asRead->dataBuf.proId()};
    const std::string name = backupMouseName(mouse);
    if (!m_enabled || m_covered.contains(name)) {
        return true;
    }
    const BackupStore::Saved saved = m_store.save(mouse, backupProfileOf(*asRead));
    if (saved) {
        m_covered.insert(name);
        m_lastBackup = saved.file;
        m_refusal.clear();
        return true;
    }
    if (m_fallback && m_fallback(saved.result.error)) {
        m_covered.insert(name);
        m_refusal.clear();
        return true;
    }
    m_refusal = saved.result.error;
    return false;
}

} // namespace tarvik::core
