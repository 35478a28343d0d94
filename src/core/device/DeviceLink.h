#pragma once
// The program's one channel to the mouse: 8-byte feature reports 0x40 (command) and 0x41 (data)
// on the command/data handle, and a third handle whose input reports the DeviceEventListener reads.
//
// Every operation runs on the user-interface thread and returns when its last report has been
// exchanged. A result of true means only that the first report was accepted: later reports of a
// multi-report operation are not checked, a failed fetch contributes seven 0xFF bytes, and reads
// pre-fill their whole destination with 0xFF. There are no retries.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "core/device/Clock.h"
#include "core/device/HidTransport.h"
#include "core/device/LinkUi.h"
#include "core/image/ConfigImage.h"

namespace tarvik::core {

// Whoever reads input reports from the ReadHandle (the DeviceEventListener). The link hands the
// handle over once it is open and takes it back before closing it.
class ReadHandleUser {
public:
    virtual ~ReadHandleUser() = default;
    virtual void attachReadHandle(HidHandle& handle, std::uint16_t inputReportLength) = 0;
    // Returns only when no read on the handle is in progress and none will start.
    virtual void detachReadHandle() = 0;
};

enum class OpenResult {
    Opened,           // the command/data handle is open; check connected() for the probe's outcome
    NotFound,         // no interface with that vendor id, product id and 8-byte feature reports
    PermissionDenied, // it is there but this user may not open it (no udev rule installed)
    Failed,           // it is there but could not be opened
};

enum class Loading { Hidden, Shown };

class DeviceLink {
public:
    static constexpr std::size_t kReportSize = 8;
    static constexpr std::size_t kChunkSize = 7;
    static constexpr std::uint8_t kCommandReportId = 0x40;
    static constexpr std::uint8_t kDataReportId = 0x41;
    static constexpr std::uint8_t kInputReportId = 0x42;

    static constexpr std::uint8_t kCmdWriteSettings = 0x05;
    static constexpr std::uint8_t kCmdReadSettings = 0x06;
    static constexpr std::uint8_t kCmdWriteMemory = 0x07;
    static constexpr std::uint8_t kCmdReadMemory = 0x09;
    static constexpr std::uint8_t kCmdProbe = 0x0D;
    static constexpr std::uint8_t kCmdReset = 0x0E;

    static constexpr std::uint16_t kDeviceVersionUnknown = 256;
    static constexpr auto kFetchGap = std::chrono::microseconds(500);

    using Chunk = std::array<Byte, kChunkSize>;

    DeviceLink(HidTransport& transport, LinkUi& ui, Clock& clock);
    ~DeviceLink(); // drops the link
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // --- finding and opening -------------------------------------------------------------------

    // Number of HID interfaces present; used only to notice that something was plugged in or out.
    int countDevices();

    // Drops the current link, then opens the interface with the given ids and 8-byte feature
    // reports (the last one in enumeration order when several match): the command/data handle,
    // probed with 0x0D on the spot, and the ReadHandle, handed to the ReadHandleUser.
    OpenResult openDevice(std::uint16_t vendorId, std::uint16_t productId);

    // Stops the ReadHandleUser's reads, then closes all handles; the link state goes back to
    // "no device".
    void dropLink();

    // True while the interface the link was opened on is still enumerated.
    bool linkedInterfacePresent();

    bool connected() const { return commandHandleValid() && dataHandleValid(); }
    // Counts the successful opens: a new value means another interface (or the same mouse plugged in
    // again), so what was read over an earlier one no longer describes it. 0 while not connected.
    std::uint64_t linkSerial() const { return connected() ? m_openSerial : 0; }
    // A report failed because the mouse has left the bus (a dead handle). From then on the link
    // counts as not connected and sends nothing more, until it is dropped or opened again.
    bool lost() const { return m_lost; }
    // Called once, on the user-interface thread inside the failing operation, when the link is
    // lost. It must not start a transfer there: whoever searches again does it after the handler.
    void setLostCallback(std::function<void()> callback) { m_lostCallback = std::move(callback); }
    bool commandHandleValid() const { return m_query && m_commandValid; }
    bool dataHandleValid() const { return m_query && m_dataValid; }
    bool readHandleValid() const { return m_read != nullptr; }
    std::uint16_t linkVid() const { return m_linkVid; }
    std::uint16_t linkPid() const { return m_linkPid; }
    std::uint16_t featureReportLength() const { return m_featureReportLength; }
    std::uint16_t inputReportLength() const { return m_inputReportLength; }
    std::uint16_t deviceVersion() const { return m_deviceVersion; }
    const std::string& linkedPath() const { return m_path; }
    LinkUi& ui() { return m_ui; }
    Clock& clock() { return m_clock; }

    // Detaches the previous user first. Null for none.
    void setReadHandleUser(ReadHandleUser* user);

    // --- report level --------------------------------------------------------------------------

    bool sendCommand(Byte command, Byte p1 = 0, Byte p2 = 0, Byte p3 = 0, Byte p4 = 0, Byte p5 = 0,
                     Byte p6 = 0);
    bool sendDataChunk(const Chunk& data);
    // Leaves the fetched bytes in stagingBuffer(), or seven 0xFF when the fetch failed.
    void receiveDataChunk();
    const Chunk& stagingBuffer() const { return m_staging; }
    void delayMicroseconds(unsigned n);

    // --- live settings ---------------------------------------------------------------------------

    // count 1 with one value and zeros, or 3 with a colour's red, green, blue.
    bool writeSetting(Byte offset, Byte value0, Byte value1, Byte value2, Byte count);
    // Three bytes per report; the loading window stays shown at the end (the caller hides it).
    bool writeSettingsBlock(Byte offset, std::span<const Byte> source);
    // length 1 to 255. The whole destination is pre-filled with 0xFF; at most its size is stored.
    bool readSettingsBlock(Byte offset, Byte length, std::span<Byte> destination, Loading loading);

    // --- stored memory ---------------------------------------------------------------------------

    // Writes source (at most 65535 bytes) at address; the loading window stays shown at the end.
    bool writeMemory(std::uint16_t address, std::span<const Byte> source);
    // The whole destination is pre-filled with 0xFF; at most its size is stored.
    bool readMemory(std::uint16_t address, std::uint16_t length, std::span<Byte> destination,
                    Loading loading);

    // True when every fetch of the last read (readSettingsBlock, readMemory, probeCommand) was
    // answered: a read can succeed while its bytes are only the 0xFF it was pre-filled with.
    bool lastReadComplete() const { return m_lastReadComplete; }

    // --- device control --------------------------------------------------------------------------

    // 0x0D and one fetch; the reply is left in stagingBuffer() (byte 1 = 0x3A, byte 2 = the kind).
    bool probeCommand();
    // 0x0E: the mouse restarts and leaves the bus for a while.
    bool resetCommand();

    // --- whether a write went through ------------------------------------------------------------

    // Counts every report a write sent that the mouse refused, and every write report that could not
    // be sent because the link was gone. Reads do not count: their completeness is lastReadComplete().
    std::uint64_t failedWriteReports() const { return m_failedWrites; }

    // Spans the write sequence of one user action and tells whether every one of its reports went
    // through. Scopes may nest; each sees the failures since it began.
    class WriteCheck {
    public:
        explicit WriteCheck(const DeviceLink& link) : m_link(link), m_start(link.failedWriteReports()) {}
        bool allStored() const { return m_link.failedWriteReports() == m_start; }

    private:
        const DeviceLink& m_link;
        std::uint64_t m_start;
    };

    // --- the gate before anything that changes the mouse ------------------------------------------

    // Asked before every report that would change the mouse (a settings or memory write command,
    // a restart); false keeps that report back. A kept-back write counts as a refused write, so the
    // caller's WriteCheck says it was not stored, and its data reports are not sent either. Once the
    // gate has said no, it is not asked again until the transfer it said no in has ended: one user
    // action meets one decision. Empty: every report goes out.
    void setWriteGate(std::function<bool()> gate) { m_writeGate = std::move(gate); }

    // --- transfers and the listener's refreshes ---------------------------------------------------

    // True while an operation is exchanging reports (and so may be pumping events), or while a
    // TransferScope is alive. Refreshes asked for by the listener wait until it is false.
    bool transferInProgress() const { return m_transferDepth > 0; }

    // Called on the user-interface thread each time the last transfer ends.
    void setIdleCallback(std::function<void()> callback) { m_idleCallback = std::move(callback); }

    // Makes a sequence of operations (a full read, a write of everything) one transfer.
    class TransferScope {
    public:
        explicit TransferScope(DeviceLink& link);
        ~TransferScope();
        TransferScope(const TransferScope&) = delete;
        TransferScope& operator=(const TransferScope&) = delete;

    private:
        DeviceLink& m_link;
    };

private:
    void closeHandles();
    void endTransfer();
    // After a failed exchange on the command/data handle: a dead handle marks the link lost.
    void checkGone();
    void fillStaging() { m_staging.fill(0xFF); }
    bool readChunks(std::uint16_t length, std::span<Byte> destination, Loading loading);

    HidTransport& m_transport;
    LinkUi& m_ui;
    Clock& m_clock;
    bool sendFailed() {
        ++m_failedWrites;
        return false;
    }

    bool m_lastReadComplete = false;
    std::uint64_t m_failedWrites = 0;
    bool m_lastFetchOk = false;
    bool m_lost = false;
    std::uint64_t m_openSerial = 0;
    std::function<void()> m_lostCallback;
    ReadHandleUser* m_readUser = nullptr;

    std::unique_ptr<HidHandle> m_query; // CommandHandle and DataHandle
    bool m_commandValid = false;
    bool m_dataValid = false;
    std::unique_ptr<HidHandle> m_read; // ReadHandle

    std::string m_path;
    std::uint16_t m_linkVid = 0;
    std::uint16_t m_linkPid = 0;
    std::uint16_t m_featureReportLength = kReportSize;
    std::uint16_t m_inputReportLength = 0;
    std::uint16_t m_deviceVersion = kDeviceVersionUnknown;

    std::array<Byte, kReportSize> m_report{};
    Chunk m_staging{};
    int m_transferDepth = 0;
    std::function<void()> m_idleCallback;
    std::function<bool()> m_writeGate;
    bool m_gateClosed = false; // the gate said no in the transfer still running
    bool gateOpen();
};

} // namespace tarvik::core
