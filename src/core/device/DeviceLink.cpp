#include "core/device/DeviceLink.h"

#include <algorithm>

namespace tarvik::core {

namespace {

Byte hi(std::uint16_t value) {
    return static_cast<Byte>(value >> 8);
}
Byte lo(std::uint16_t value) {
    return static_cast<Byte>(value & 0xFF);
}

// Copies the bytes of chunk i that fit into destination: a short destination never overflows.
void storeChunk(const DeviceLink::Chunk& staging, std::size_t chunkIndex, std::size_t length,
                std::span<Byte> destination) {
    const std::size_t start = chunkIndex * DeviceLink::kChunkSize;
    const std::size_t count = std::min(DeviceLink::kChunkSize, length - start);
    if (start >= destination.size()) {
        return;
    }
    std::copy_n(staging.begin(), std::min(count, destination.size() - start), destination.begin() + start);
}

} // namespace

DeviceLink::TransferScope::TransferScope(DeviceLink& link) : m_link(link) {
    ++m_link.m_transferDepth;
}

DeviceLink::TransferScope::~TransferScope() {
    m_link.endTransfer();
}

DeviceLink::DeviceLink(HidTransport& transport, LinkUi& ui, Clock& clock)
    : m_transport(transport), m_ui(ui), m_clock(clock) {
    fillStaging();
}

DeviceLink::~DeviceLink() {
    dropLink();
    m_readUser = nullptr;
}

void DeviceLink::endTransfer() {
    if (--m_transferDepth == 0) {
        m_gateClosed = false;
        if (m_idleCallback) {
            m_idleCallback();
        }
    }
}

bool DeviceLink::gateOpen() {
    if (!m_writeGate || m_gateClosed) {
        return !m_gateClosed;
    }
    // The gate may ask the user (and so pump events): the transfer stays open meanwhile so that no
    // refresh slips in. A no holds until the caller's transfer ends (endTransfer reopens the gate).
    TransferScope transfer(*this);
    const bool open = m_writeGate();
    m_gateClosed = !open && m_transferDepth > 1;
    return open;
}

// --- finding and opening --------------------------------------------------------------------------

int DeviceLink::countDevices() {
    return static_cast<int>(m_transport.enumerate().size());
}

OpenResult DeviceLink::openDevice(std::uint16_t vendorId, std::uint16_t productId) {
    dropLink();
    m_deviceVersion = kDeviceVersionUnknown;

    OpenResult result = OpenResult::NotFound;
    bool opened = false;
    for (const HidInterfaceInfo& info : m_transport.enumerate()) {
        // The mouse has several interfaces with the same ids; only its configuration interface
        // has 8-byte feature reports.
        if (info.featureReportLength != kReportSize || info.vendorId != vendorId ||
            info.productId != productId) {
            continue;
        }
        HidOpenError error = HidOpenError::None;
        auto query = m_transport.open(info.path, &error);
        if (!query) {
            if (!opened) {
                result = error == HidOpenError::PermissionDenied ? OpenResult::PermissionDenied
                                                                 : OpenResult::Failed;
            }
            continue;
        }
        // Several matches: the last one wins, and the earlier one's handles are closed rather
        // than left open behind the link.
        closeHandles();
        opened = true;
        result = OpenResult::Opened;
        m_read = m_transport.open(info.path, nullptr);
        m_path = info.path;
        m_deviceVersion = info.releaseNumber;
        m_linkVid = vendorId;
        m_linkPid = productId;
        m_featureReportLength = info.featureReportLength;
        m_inputReportLength = info.inputReportLength;

        std::array<Byte, kReportSize> report{kCommandReportId, kCmdProbe, 0, 0, 0, 0, 0, 0};
        m_commandValid = query->setFeature(report);
        report = {kDataReportId, 0, 0, 0, 0, 0, 0, 0};
        m_dataValid = query->getFeature(report);
        m_query = std::move(query);
        ++m_openSerial;
    }
    if (opened && m_read && m_readUser) {
        m_readUser->attachReadHandle(*m_read, m_inputReportLength);
    }
    return result;
}

void DeviceLink::closeHandles() {
    if (m_read && m_readUser) {
        m_readUser->detachReadHandle();
    }
    m_read.reset();
    m_query.reset();
    m_commandValid = false;
    m_dataValid = false;
    m_lost = false;
    m_path.clear();
}

void DeviceLink::checkGone() {
    if (m_lost || !m_query || !m_query->deviceGone()) {
        return;
    }
    // Every later report on this handle would fail too, silently; stop here and let the search
    // find the mouse again under its new handle.
    m_lost = true;
    m_commandValid = false;
    m_dataValid = false;
    if (m_lostCallback) {
        m_lostCallback();
    }
}

void DeviceLink::dropLink() {
    closeHandles();
    m_linkVid = 0;
    m_linkPid = 0;
}

bool DeviceLink::linkedInterfacePresent() {
    if (m_path.empty()) {
        return false;
    }
    const auto interfaces = m_transport.enumerate();
    return std::any_of(interfaces.begin(), interfaces.end(),
                       [this](const HidInterfaceInfo& info) { return info.path == m_path; });
}

void DeviceLink::setReadHandleUser(ReadHandleUser* user) {
    if (m_readUser && m_read) {
        m_readUser->detachReadHandle();
    }
    m_readUser = user;
    if (m_readUser && m_read) {
        m_readUser->attachReadHandle(*m_read, m_inputReportLength);
    }
}

// --- report level --------------------------------------------------------------------------------

bool DeviceLink::sendCommand(Byte command, Byte p1, Byte p2, Byte p3, Byte p4, Byte p5, Byte p6) {
    const bool writes = command == kCmdWriteSettings || command == kCmdWriteMemory;
    if (!commandHandleValid()) {
        return writes ? sendFailed() : false;
    }
    if ((writes || command == kCmdReset) && !gateOpen()) {
        return writes ? sendFailed() : false;
    }
    TransferScope transfer(*this);
    m_report = {kCommandReportId, command, p1, p2, p3, p4, p5, p6};
    const bool sent = m_query->setFeature(std::span<const Byte>(m_report.data(), m_featureReportLength));
    if (!sent) {
        checkGone();
        if (writes) {
            ++m_failedWrites;
        }
    }
    return sent;
}

bool DeviceLink::sendDataChunk(const Chunk& data) {
    if (!dataHandleValid()) {
        return sendFailed();
    }
    TransferScope transfer(*this);
    m_report[0] = kDataReportId;
    std::copy(data.begin(), data.end(), m_report.begin() + 1);
    const bool sent = m_query->setFeature(std::span<const Byte>(m_report.data(), m_featureReportLength));
    if (!sent) {
        checkGone();
        ++m_failedWrites;
    }
    return sent;
}

void DeviceLink::receiveDataChunk() {
    fillStaging();
    m_lastFetchOk = false;
    if (!dataHandleValid()) {
        return;
    }
    TransferScope transfer(*this);
    m_report = {kDataReportId, 0, 0, 0, 0, 0, 0, 0};
    if (m_query->getFeature(std::span<Byte>(m_report.data(), m_featureReportLength))) {
        m_lastFetchOk = true;
        std::copy(m_report.begin() + 1, m_report.end(), m_staging.begin());
        delayMicroseconds(static_cast<unsigned>(kFetchGap.count()));
    } else {
        checkGone();
    }
}

void DeviceLink::delayMicroseconds(unsigned n) {
    m_clock.spin(std::chrono::microseconds(n));
}

// --- live settings -------------------------------------------------------------------------------

bool DeviceLink::writeSetting(Byte offset, Byte value0, Byte value1, Byte value2, Byte count) {
    if (!commandHandleValid()) {
        return sendFailed();
    }
    TransferScope transfer(*this);
    m_ui.showLoading();
    m_ui.pumpEvents();
    const bool sent = sendCommand(kCmdWriteSettings, 0x00, offset, value0, value1, value2, count);
    m_ui.hideLoading();
    m_ui.pumpEvents();
    return sent;
}

bool DeviceLink::writeSettingsBlock(Byte offset, std::span<const Byte> source) {
    if (!commandHandleValid()) {
        return sendFailed();
    }
    TransferScope transfer(*this);
    fillStaging();
    for (std::size_t start = 0; start < source.size(); start += 3) {
        m_ui.showLoading();
        m_ui.pumpEvents();
        const std::size_t n = std::min<std::size_t>(3, source.size() - start);
        std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(start), n, m_staging.begin());
        sendCommand(kCmdWriteSettings, 0x00, static_cast<Byte>(offset + start), m_staging[0], m_staging[1],
                    m_staging[2], static_cast<Byte>(n));
    }
    return true;
}

bool DeviceLink::readChunks(std::uint16_t length, std::span<Byte> destination, Loading loading) {
    m_lastReadComplete = true;
    for (std::size_t i = 0; i * kChunkSize < length; ++i) {
        if (loading == Loading::Shown) {
            m_ui.showLoading();
            m_ui.pumpEvents();
        }
        receiveDataChunk();
        m_lastReadComplete = m_lastReadComplete && m_lastFetchOk;
        storeChunk(m_staging, i, length, destination);
    }
    return true;
}

bool DeviceLink::readSettingsBlock(Byte offset, Byte length, std::span<Byte> destination, Loading loading) {
    m_lastReadComplete = false;
    std::fill(destination.begin(), destination.end(), Byte{0xFF});
    fillStaging();
    if (!commandHandleValid()) {
        return false;
    }
    TransferScope transfer(*this);
    if (!sendCommand(kCmdReadSettings, 0x00, offset, 0x00, length, 0x00, 0x00)) {
        return false;
    }
    return readChunks(length, destination, loading);
}

// --- stored memory -------------------------------------------------------------------------------

bool DeviceLink::writeMemory(std::uint16_t address, std::span<const Byte> source) {
    if (source.size() > 0xFFFF) {
        return sendFailed();
    }
    const auto length = static_cast<std::uint16_t>(source.size());
    fillStaging();
    TransferScope transfer(*this);
    if (!sendCommand(kCmdWriteMemory, hi(address), lo(address), hi(length), lo(length), 0x00, 0x00)) {
        return false;
    }
    for (std::size_t start = 0; start < length; start += kChunkSize) {
        m_ui.showLoading();
        m_ui.pumpEvents();
        // A short last chunk carries the previous chunk's tail past its end, as the mouse expects
        // nothing else there.
        const std::size_t n = std::min(kChunkSize, source.size() - start);
        std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(start), n, m_staging.begin());
        sendDataChunk(m_staging);
    }
    return true;
}

bool DeviceLink::readMemory(std::uint16_t address, std::uint16_t length, std::span<Byte> destination,
                            Loading loading) {
    m_lastReadComplete = false;
    std::fill(destination.begin(), destination.end(), Byte{0xFF});
    fillStaging();
    TransferScope transfer(*this);
    if (!sendCommand(kCmdReadMemory, hi(address), lo(address), hi(length), lo(length), 0x00, 0x00)) {
        return false;
    }
    return readChunks(length, destination, loading);
}

// --- device control ------------------------------------------------------------------------------

bool DeviceLink::probeCommand() {
    TransferScope transfer(*this);
    fillStaging();
    m_lastReadComplete = false;
    if (!sendCommand(kCmdProbe)) {
        return false;
    }
    receiveDataChunk();
    m_lastReadComplete = m_lastFetchOk;
    return true;
}

bool DeviceLink::resetCommand() {
    return sendCommand(kCmdReset);
}

} // namespace tarvik::core
