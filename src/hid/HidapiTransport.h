#pragma once
// HidTransport over hidapi's hidraw backend: the system's real HID interfaces.

#include "core/device/HidTransport.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tarvik::hid {

class HidapiTransport final : public core::HidTransport {
public:
    // sysfsRoot is where the kernel publishes report descriptors; only tests pass anything else.
    explicit HidapiTransport(std::filesystem::path sysfsRoot = "/sys");

    // One entry per hidraw node (hidapi lists a node once per usage; the duplicates are dropped, since
    // they open the same node). Report lengths come from the node's report descriptor and are 0 when it
    // cannot be read or parsed. Never fails: no HID support or no devices gives an empty list.
    std::vector<core::HidInterfaceInfo> enumerate() override;

    // Opens the node read-write. On failure error tells a missing node (NotFound) from one this user may
    // not open (PermissionDenied, see permissionAdvice) and anything else (Other).
    std::unique_ptr<core::HidHandle> open(const std::string& path,
                                          core::HidOpenError* error = nullptr) override;

private:
    std::filesystem::path m_sysfsRoot;
};

} // namespace tarvik::hid
