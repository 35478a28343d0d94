#pragma once
// The one interface to HID. The real implementation sits over hidapi (src/hid); the virtual mouse
// (src/emulator) implements it too, so everything above runs unchanged against either.
//
// Feature reports are 8 bytes with the report id in byte 0 (0x40 command, 0x41 data). Input reports
// carry report id 0x42 in byte 0.

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tarvik::core {

struct HidInterfaceInfo {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t releaseNumber = 0;       // device version from the attributes
    std::string path;                      // opaque, passed back to open()
    std::uint16_t featureReportLength = 0; // including the report id byte; 0 when unknown
    std::uint16_t inputReportLength = 0;   // including the report id byte; 0 when unknown
};

enum class HidOpenError { None, NotFound, PermissionDenied, Other };

// An opened interface. Calls on one handle are not made from two threads at once, except that
// readInput may block on its own handle (the ReadHandle) while the UI thread uses another handle.
class HidHandle {
public:
    virtual ~HidHandle() = default;

    // Set-Feature: report[0] is the report id. True when the device accepted the report.
    virtual bool setFeature(std::span<const std::uint8_t> report) = 0;

    // Get-Feature: report[0] holds the requested report id on entry; on success the whole report
    // (id included) is written into report. True on success.
    virtual bool getFeature(std::span<std::uint8_t> report) = 0;

    // Blocking read of one input report into buffer, waiting at most timeout. Returns the number of
    // bytes read, 0 on time-out, -1 when the device is gone or the handle failed.
    virtual int readInput(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) = 0;

    // True when the last failed call failed because the device has left the bus. Such a handle
    // stays dead even when the device comes back at once: it returns as a new interface that has
    // to be opened again. A refused report on a live device is not "gone".
    virtual bool deviceGone() const { return false; }
};

class HidTransport {
public:
    virtual ~HidTransport() = default;

    // Every HID interface present that this process can see.
    virtual std::vector<HidInterfaceInfo> enumerate() = 0;

    // Opens the interface at path. On failure returns null and sets error (when given).
    virtual std::unique_ptr<HidHandle> open(const std::string& path, HidOpenError* error = nullptr) = 0;
};

} // namespace tarvik::core
