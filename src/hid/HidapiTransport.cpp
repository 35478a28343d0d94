#include "hid/HidapiTransport.h"

#include "hid/HidAccess.h"
#include "hid/HidrawNode.h"

#include <hidapi.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <mutex>
#include <set>
#include <utility>

namespace tarvik::hid {

namespace {

bool initHidapi() {
    // hid_init is not thread-safe and must run once before any other call; hid_exit is never called
    // because handles may live until the process ends.
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = hid_init() == 0; });
    return ok;
}

class HidapiHandle final : public core::HidHandle {
public:
    explicit HidapiHandle(hid_device* device) : m_device(device) {}
    ~HidapiHandle() override { hid_close(m_device); }
    HidapiHandle(const HidapiHandle&) = delete;
    HidapiHandle& operator=(const HidapiHandle&) = delete;

    bool setFeature(std::span<const std::uint8_t> report) override {
        if (report.empty()) {
            return false;
        }
        errno = 0;
        const int sent = hid_send_feature_report(m_device, report.data(), report.size());
        const bool ok = sent >= 0 && static_cast<std::size_t>(sent) == report.size();
        noteResult(ok);
        return ok;
    }

    bool getFeature(std::span<std::uint8_t> report) override {
        if (report.empty()) {
            return false;
        }
        errno = 0;
        const int received = hid_get_feature_report(m_device, report.data(), report.size());
        noteResult(received > 0);
        if (received <= 0) {
            return false;
        }
        // A shorter reply leaves the tail of the request behind; clear it so nothing stale reads as data.
        std::fill(report.begin() + std::min<std::size_t>(static_cast<std::size_t>(received), report.size()),
                  report.end(), std::uint8_t{0});
        return true;
    }

    int readInput(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override {
        if (buffer.empty()) {
            return -1;
        }
        // hidapi blocks without limit for a negative time-out; the contract here is "at most timeout".
        const auto ms = std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, INT_MAX);
        const int read = hid_read_timeout(m_device, buffer.data(), buffer.size(), static_cast<int>(ms));
        return read < 0 ? -1 : read;
    }

    bool deviceGone() const override { return m_gone; }

private:
    // hidraw answers every ioctl on a node whose device was unplugged with ENODEV; a refused report
    // gives EPIPE or EIO instead. errno is taken right after the call, as the ioctl left it.
    void noteResult(bool ok) { m_gone = !ok && errno == ENODEV; }

    hid_device* m_device;
    bool m_gone = false;
};

} // namespace

HidapiTransport::HidapiTransport(std::filesystem::path sysfsRoot) : m_sysfsRoot(std::move(sysfsRoot)) {}

std::vector<core::HidInterfaceInfo> HidapiTransport::enumerate() {
    std::vector<core::HidInterfaceInfo> interfaces;
    if (!initHidapi()) {
        return interfaces;
    }
    hid_device_info* const list = hid_enumerate(0, 0);
    std::set<std::string> seen;
    for (const hid_device_info* entry = list; entry != nullptr; entry = entry->next) {
        if (entry->path == nullptr || !seen.insert(entry->path).second) {
            continue;
        }
        core::HidInterfaceInfo info;
        info.vendorId = entry->vendor_id;
        info.productId = entry->product_id;
        info.releaseNumber = entry->release_number;
        info.path = entry->path;
        const InterfaceReportLengths lengths = interfaceReportLengths(m_sysfsRoot, info.path);
        info.featureReportLength = lengths.feature;
        info.inputReportLength = lengths.input;
        interfaces.push_back(std::move(info));
    }
    hid_free_enumeration(list);
    return interfaces;
}

std::unique_ptr<core::HidHandle> HidapiTransport::open(const std::string& path, core::HidOpenError* error) {
    if (error) {
        *error = core::HidOpenError::None;
    }
    const core::HidOpenError nodeError = checkHidrawNode(path);
    if (nodeError != core::HidOpenError::None) {
        if (error) {
            *error = nodeError;
        }
        return nullptr;
    }
    hid_device* const device = initHidapi() ? hid_open_path(path.c_str()) : nullptr;
    if (device == nullptr) {
        // The node went away or changed since the check; hidapi 0.13 keeps errno to itself, so the node
        // is asked directly why it cannot be opened.
        if (error) {
            *error = classifyOpenFailure(path);
        }
        return nullptr;
    }
    return std::make_unique<HidapiHandle>(device);
}

} // namespace tarvik::hid
