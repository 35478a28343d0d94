// Bytes that come from the mouse, and reports that reach the virtual mouse.
//   First byte even: a mouse whose every answer (accepted or not, the bytes of each fetch) comes
//   from the input is found, identified and read with reads of any address, length and
//   destination size.
//   First byte odd: the input is a stream of 8-byte reports sent to (or fetched from) the virtual
//   mouse of either storage kind, then its buttons are pressed and it is reset.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/device/DeviceDiscovery.h"
#include "core/device/DeviceLink.h"
#include "emulator/EmulatorTransport.h"

using namespace tarvik;
using core::Byte;

namespace {

struct Input {
    std::span<const std::uint8_t> bytes;
    Byte next() {
        if (bytes.empty()) {
            return 0;
        }
        const Byte b = bytes[0];
        bytes = bytes.subspan(1);
        return b;
    }
    std::uint16_t next16() { return static_cast<std::uint16_t>(next() << 8 | next()); }
};

class ScriptedHandle final : public core::HidHandle {
public:
    explicit ScriptedHandle(Input& input) : m_input(input) {}
    bool setFeature(std::span<const std::uint8_t>) override { return m_input.next() != 0xEE; }
    bool getFeature(std::span<std::uint8_t> report) override {
        if (m_input.next() == 0xEE) {
            return false;
        }
        for (std::size_t i = 1; i < report.size(); ++i) {
            report[i] = m_input.next();
        }
        return true;
    }
    int readInput(std::span<std::uint8_t>, std::chrono::milliseconds) override { return 0; }

private:
    Input& m_input;
};

class ScriptedTransport final : public core::HidTransport {
public:
    ScriptedTransport(Input& input, const core::DefaultIdentity& identity)
        : m_input(input), m_identity(identity) {}
    std::vector<core::HidInterfaceInfo> enumerate() override {
        core::HidInterfaceInfo info;
        info.vendorId = m_identity.vendorId;
        info.productId = m_identity.productId;
        info.featureReportLength = 8;
        info.inputReportLength = m_input.next();
        info.path = "scripted";
        return {info};
    }
    std::unique_ptr<core::HidHandle> open(const std::string&, core::HidOpenError*) override {
        return std::make_unique<ScriptedHandle>(m_input);
    }

private:
    Input& m_input;
    core::DefaultIdentity m_identity;
};

struct QuietUi final : core::DiscoveryUi {
    void showNoDevice() override {}
    void showDeviceReady() override {}
    void startFullRead() override {}
    void refreshErrorAP() override {}
    void showMessageDialog(std::string_view) override {}
    void showMessageBox(std::string_view) override {}
    void setDevTimerEnabled(bool) override {}
    void setApplyingImage(bool) override {}
    void showPermissionProblem() override {}
};

void answersFromTheMouse(Input input) {
    static const core::DefaultIdentity identity =
        core::DefaultIdentity::fromResources().value_or(core::DefaultIdentity{});
    core::Clock clock(0.0);
    ScriptedTransport transport(input, identity);
    core::NullLinkUi linkUi;
    QuietUi ui;
    core::DeviceLink link(transport, linkUi, clock);
    core::DeviceDiscovery discovery(link, ui, identity, input.next(), input.next());
    discovery.devTimerTimer();
    discovery.readCurrentDpi();
    discovery.readCurrentProfile();
    while (!input.bytes.empty()) {
        const Byte op = input.next();
        const std::uint16_t address = input.next16();
        const std::uint16_t length = input.next16() % 1200;
        std::vector<Byte> destination(input.next16() % 1200);
        if (op & 1) {
            link.readMemory(address, length, destination, core::Loading::Hidden);
        } else {
            link.readSettingsBlock(static_cast<Byte>(address), static_cast<Byte>(length), destination,
                                   core::Loading::Shown);
        }
    }
}

void reportsToTheMouse(Input input) {
    core::Clock clock(0.0);
    emulator::EmulatorTransport bus;
    emulator::VirtualMouse::Options options;
    options.kind = (input.next() & 1) ? core::StorageKind::Flash : core::StorageKind::I2C;
    options.clock = &clock;
    options.resetDelay = std::chrono::milliseconds(0);
    auto mouse = bus.addMouse(options);
    auto handle = bus.open(bus.enumerate().back().path);
    while (input.bytes.size() >= 8 && handle) {
        std::array<Byte, 8> report{};
        for (Byte& b : report) {
            b = input.next();
        }
        if (report[0] == 0x41 && (report[1] & 0x80)) {
            handle->getFeature(report);
        } else {
            handle->setFeature(report);
        }
        if (!mouse->present() || mouse->generation() > 1) {
            // Reset: the mouse is back at once; carry on with a fresh handle.
            handle = bus.open(bus.enumerate().back().path);
        }
    }
    for (Byte button : {1, 2, 4, 8, 0}) {
        mouse->pressButton(button);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    Input input{std::span<const std::uint8_t>(data + 1, size - 1)};
    if (data[0] & 1) {
        reportsToTheMouse(input);
    } else {
        answersFromTheMouse(input);
    }
    return 0;
}
