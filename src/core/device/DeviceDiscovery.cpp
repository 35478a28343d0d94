#include "core/device/DeviceDiscovery.h"

#include "core/image/MemoryMap.h"

namespace tarvik::core {

namespace {

constexpr Byte kProbeSignature = 0x3A;
constexpr Byte kProbeFlash = 0x80;
constexpr Byte kProbeI2C = 0xC0;
constexpr int kSamplePairs = 5;
constexpr int kStablePairsNeeded = 2;

} // namespace

DeviceDiscovery::DeviceDiscovery(DeviceLink& link, DiscoveryUi& ui, const DefaultIdentity& identity,
                                 int revManuId, int revProId)
    : m_link(link), m_ui(ui), m_identity(identity), m_revManuId(revManuId),
      m_revProId(revProId), m_vidPidTable{VidPid{identity.vendorId, identity.productId}, VidPid{0, 0}} {
    m_link.setLostCallback([this] { m_ui.linkLost(); });
}

DeviceDiscovery::~DeviceDiscovery() {
    m_link.setLostCallback({});
}

void DeviceDiscovery::waitSteps(int steps) {
    for (int i = 0; i < steps; ++i) {
        m_link.clock().sleep(kWaitStep);
        m_link.ui().pumpEvents();
    }
}

void DeviceDiscovery::devTimerTimer() {
    if (m_pollingBusy) {
        return;
    }
    m_pollingBusy = true;
    if (m_link.lost()) {
        recoverLostLink();
        m_pollingBusy = false;
        return;
    }

    // A device in the middle of arriving or leaving can give a different count from one call to
    // the next; act only when the count has settled.
    int stablePairs = 0;
    int count = 0;
    for (int pair = 0; pair < kSamplePairs; ++pair) {
        const int first = m_link.countDevices();
        const int second = m_link.countDevices();
        if (first == second) {
            ++stablePairs;
        }
        count = first;
    }

    if (count != m_lastDeviceCount && stablePairs >= kStablePairsNeeded) {
        if (count < m_lastDeviceCount) {
            // Any HID device going away lowers the count; the link goes only if it was the mouse.
            if (!m_link.linkedInterfacePresent()) {
                showNoDevice();
                m_link.dropLink();
                m_failedAttempts = 0;
            }
        } else {
            waitSteps(kPlugInWaitSteps);
            m_failedAttempts = 0;
            openFromTable(true);
        }
        m_lastDeviceCount = count;
    } else if (retryDue()) {
        // After a reset or a slow start the mouse may need a moment before it answers; without
        // this it would stay hidden until it is plugged in again.
        reFindDev();
    }
    m_pollingBusy = false;
}

bool DeviceDiscovery::retryDue() const {
    return (m_state == LinkState::Unidentified || m_state == LinkState::Unread) && m_failedAttempts > 0 &&
           m_failedAttempts < kIdentifyAttempts;
}

bool DeviceDiscovery::handleLostLink() {
    if (!m_link.lost() || m_pollingBusy) {
        return false;
    }
    m_pollingBusy = true;
    recoverLostLink();
    m_pollingBusy = false;
    return true;
}

void DeviceDiscovery::recoverLostLink() {
    showNoDevice();
    m_link.dropLink();
    m_failedAttempts = 0;
    // Counted without the old link: if the mouse is not back yet, its return raises the count.
    m_lastDeviceCount = m_link.countDevices();
    reFindDev();
}

void DeviceDiscovery::attemptFailed(LinkState state) {
    m_state = state;
    ++m_failedAttempts;
    if (state == LinkState::Unread) {
        // The read has been repeated already; say so at once, and once.
        if (m_failedAttempts == 1) {
            m_ui.showReadFailed();
        }
    } else if (m_failedAttempts == kTellUserAfterFailures) {
        m_ui.showMouseNotAnswering();
    }
}

bool DeviceDiscovery::openFromTable(bool fromTick) {
    for (const auto& [vid, pid] : m_vidPidTable) {
        if (vid == 0 || pid == 0) {
            // The tick skips an empty entry; a search again ends on it with the no-device state.
            if (!fromTick) {
                showNoDevice();
            }
            continue;
        }
        const OpenResult result =
            m_link.openDevice(static_cast<std::uint16_t>(vid), static_cast<std::uint16_t>(pid));
        if (result == OpenResult::Opened) {
            readDevInfo();
            return true;
        }
        if (result == OpenResult::PermissionDenied) {
            m_ui.showPermissionProblem();
        }
        if (fromTick) {
            showNoDevice();
        }
    }
    return false;
}

void DeviceDiscovery::reFindDev() {
    m_link.dropLink();
    openFromTable(false);
}

void DeviceDiscovery::readDevInfo() {
    m_state = LinkState::Unidentified;
    if (!m_link.sendCommand(DeviceLink::kCmdProbe)) {
        attemptFailed(LinkState::Unidentified);
        return;
    }
    m_link.receiveDataChunk();
    const auto& reply = m_link.stagingBuffer();
    if (reply[1] != kProbeSignature) {
        attemptFailed(LinkState::Unidentified);
        return;
    }
    if (reply[2] == kProbeFlash) {
        m_storageKind = StorageKind::Flash;
    } else if (reply[2] == kProbeI2C) {
        m_storageKind = StorageKind::I2C;
    } else {
        attemptFailed(LinkState::Unidentified);
        return;
    }

    const StorageKind imageKind = m_identity.defaultImageKind;
    if ((m_storageKind == StorageKind::Flash && imageKind == StorageKind::I2C) ||
        (m_storageKind == StorageKind::I2C && imageKind == StorageKind::Flash)) {
        m_state = LinkState::RefusedKind;
        m_ui.showMessageDialog("Str102");
        m_ui.refreshErrorAP();
        return;
    }

    std::array<Byte, memmap::i2c::kFireKeyBlock.length> block{};
    const std::uint16_t address = m_storageKind == StorageKind::Flash ? memmap::flash::kFireKeyBlock.address
                                                                      : memmap::i2c::kFireKeyBlock.address;
    const bool read =
        m_link.readMemory(address, static_cast<std::uint16_t>(block.size()), block, Loading::Hidden);
    // Unanswered fetches leave 0xFF 0xFF, which is also the default identity: only bytes the mouse
    // really sent may identify it.
    if (!read || !m_link.lastReadComplete()) {
        attemptFailed(LinkState::Unidentified);
        return;
    }
    m_lastIdentity = {block[0], block[1]};

    const bool isDefault = block[0] == m_identity.manuId && block[1] == m_identity.proId;
    const bool isRevision = block[0] == m_revManuId && block[1] == m_revProId;
    if (isDefault || isRevision) {
        m_state = LinkState::Reading;
        m_ui.startFullRead();
        return;
    }

    m_state = LinkState::RefusedIdentity;
    m_ui.setApplyingImage(true);
    m_ui.setDevTimerEnabled(false);
    m_ui.showMessageBox("Str107");
    m_ui.setDevTimerEnabled(true);
    m_ui.identityRefused();
}

void DeviceDiscovery::resetAndRefind() {
    m_ui.setDevTimerEnabled(false);
    m_link.clock().sleep(kBeforeReset);
    m_link.resetCommand();
    showNoDevice();
    m_link.ui().pumpEvents();
    waitSteps(kResetWaitSteps);
    m_failedAttempts = 0;
    reFindDev();
    keepPollingAfterReset();
}

void DeviceDiscovery::keepPollingAfterReset() {
    // The full read and the "Str107" box enable the DevTimer again themselves. In every other
    // outcome polling must go on, counting from what is there now, so that plugging the mouse in
    // again raises the count and finds it.
    if (m_state == LinkState::Reading || m_state == LinkState::Ready ||
        m_state == LinkState::RefusedIdentity) {
        return;
    }
    m_lastDeviceCount = m_link.countDevices();
    m_ui.setDevTimerEnabled(true);
}

void DeviceDiscovery::showNoDevice() {
    m_state = LinkState::NoDevice;
    m_storageKind = StorageKind::None;
    m_ui.showNoDevice();
}

void DeviceDiscovery::showDeviceReady() {
    m_state = LinkState::Ready;
    m_failedAttempts = 0;
    m_ui.showDeviceReady();
}

void DeviceDiscovery::fullReadFailed() {
    // The read took nothing; covers up again, and the following ticks try once more.
    showNoDevice();
    attemptFailed(LinkState::Unread);
}

Byte DeviceDiscovery::readCurrentProfile() {
    Byte value = 0xFF;
    if (m_storageKind == StorageKind::I2C) {
        m_link.readMemory(memmap::i2c::kCurrentProfile, 1, std::span<Byte>(&value, 1), Loading::Hidden);
    } else if (m_storageKind == StorageKind::Flash) {
        m_link.readMemory(memmap::flash::kCurrentProfile, 1, std::span<Byte>(&value, 1), Loading::Hidden);
    }
    return value;
}

Byte DeviceDiscovery::readCurrentDpi() {
    Byte value = 0xFF;
    if (m_storageKind == StorageKind::I2C) {
        m_link.readMemory(memmap::i2c::kCurrentDpi, 1, std::span<Byte>(&value, 1), Loading::Hidden);
    } else if (m_storageKind == StorageKind::Flash) {
        m_link.readMemory(memmap::flash::kCurrentDpi, 1, std::span<Byte>(&value, 1), Loading::Hidden);
    }
    return value;
}

std::string DeviceDiscovery::refusedInterfacePath(HidTransport& transport) const {
    std::string path;
    for (const auto& [vid, pid] : m_vidPidTable) {
        if (vid == 0 || pid == 0) {
            continue;
        }
        for (const HidInterfaceInfo& info : transport.enumerate()) {
            if (info.vendorId == vid && info.productId == pid &&
                info.featureReportLength == DeviceLink::kReportSize) {
                path = info.path;
            }
        }
        if (!path.empty()) {
            break;
        }
    }
    return path;
}

} // namespace tarvik::core
