#pragma once
// A HID bus holding virtual mice and a few stand-in devices of other makers, so that counting
// interfaces and plugging things in and out behave as on a real system.

#include <memory>
#include <mutex>
#include <vector>

#include "core/device/HidTransport.h"
#include "emulator/VirtualMouse.h"

namespace tarvik::emulator {

class EmulatorTransport final : public core::HidTransport {
public:
    EmulatorTransport() = default;

    // Puts a mouse on the bus (present from now on, until it is unplugged or reset).
    std::shared_ptr<VirtualMouse> addMouse(VirtualMouse::Options options = {});
    void addMouse(std::shared_ptr<VirtualMouse> mouse);

    // Another maker's device with that many interfaces; returns its index.
    int addOtherDevice(std::uint16_t vendorId, std::uint16_t productId, int interfaceCount = 1);
    void setOtherDevicePresent(int index, bool present);

    std::vector<core::HidInterfaceInfo> enumerate() override;
    std::unique_ptr<core::HidHandle> open(const std::string& path,
                                          core::HidOpenError* error = nullptr) override;

private:
    struct OtherDevice {
        std::uint16_t vendorId;
        std::uint16_t productId;
        int interfaceCount;
        bool present = true;
        int plugCount = 1;
    };

    std::mutex m_mutex;
    std::vector<std::shared_ptr<VirtualMouse>> m_mice;
    std::vector<OtherDevice> m_others;
};

} // namespace tarvik::emulator
