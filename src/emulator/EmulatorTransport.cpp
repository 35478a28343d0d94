#include "emulator/EmulatorTransport.h"

#include <charconv>
#include <optional>
#include <string_view>
#include <thread>

namespace tarvik::emulator {

namespace {

constexpr std::string_view kMousePrefix = "virtual:mouse";
constexpr std::string_view kOtherPrefix = "virtual:other";

struct ParsedPath {
    std::size_t device = 0;
    std::uint64_t generation = 0;
    int interfaceIndex = 0;
};

// "<prefix><device>/<generation>/<interface>"
std::optional<ParsedPath> parsePath(std::string_view path, std::string_view prefix) {
    if (!path.starts_with(prefix)) {
        return std::nullopt;
    }
    path.remove_prefix(prefix.size());
    ParsedPath parsed;
    const char* p = path.data();
    const char* end = path.data() + path.size();
    auto r = std::from_chars(p, end, parsed.device);
    if (r.ec != std::errc() || r.ptr == end || *r.ptr != '/') {
        return std::nullopt;
    }
    r = std::from_chars(r.ptr + 1, end, parsed.generation);
    if (r.ec != std::errc() || r.ptr == end || *r.ptr != '/') {
        return std::nullopt;
    }
    r = std::from_chars(r.ptr + 1, end, parsed.interfaceIndex);
    if (r.ec != std::errc() || r.ptr != end) {
        return std::nullopt;
    }
    return parsed;
}

class MouseHandle final : public core::HidHandle {
public:
    MouseHandle(std::shared_ptr<VirtualMouse> mouse, std::uint64_t generation, int interfaceIndex)
        : m_mouse(std::move(mouse)), m_generation(generation), m_interface(interfaceIndex),
          m_input(m_mouse->subscribeInput(generation)) {}
    ~MouseHandle() override { m_mouse->closeInput(m_input); }

    bool setFeature(std::span<const std::uint8_t> report) override {
        return m_mouse->setFeature(m_generation, m_interface, report);
    }
    bool getFeature(std::span<std::uint8_t> report) override {
        return m_mouse->getFeature(m_generation, m_interface, report);
    }
    int readInput(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override {
        if (m_interface != VirtualMouse::kConfigInterface) {
            // The pointer and keyboard interfaces never report anything here.
            if (m_mouse->generation() != m_generation) {
                return -1;
            }
            std::this_thread::sleep_for(timeout);
            return 0;
        }
        return m_mouse->readInput(m_input, buffer, timeout);
    }
    // The mouse left the bus since this handle was opened: it may be back, but as new interfaces.
    bool deviceGone() const override { return m_mouse->generation() != m_generation; }

private:
    std::shared_ptr<VirtualMouse> m_mouse;
    std::uint64_t m_generation;
    int m_interface;
    std::shared_ptr<VirtualMouse::InputQueue> m_input;
};

// Another maker's device: it answers none of our reports.
class OtherHandle final : public core::HidHandle {
public:
    bool setFeature(std::span<const std::uint8_t>) override { return false; }
    bool getFeature(std::span<std::uint8_t>) override { return false; }
    int readInput(std::span<std::uint8_t>, std::chrono::milliseconds timeout) override {
        std::this_thread::sleep_for(timeout);
        return 0;
    }
};

} // namespace

std::shared_ptr<VirtualMouse> EmulatorTransport::addMouse(VirtualMouse::Options options) {
    auto mouse = std::make_shared<VirtualMouse>(std::move(options));
    addMouse(mouse);
    return mouse;
}

void EmulatorTransport::addMouse(std::shared_ptr<VirtualMouse> mouse) {
    std::lock_guard lock(m_mutex);
    m_mice.push_back(std::move(mouse));
}

int EmulatorTransport::addOtherDevice(std::uint16_t vendorId, std::uint16_t productId, int interfaceCount) {
    std::lock_guard lock(m_mutex);
    m_others.push_back({vendorId, productId, interfaceCount});
    return static_cast<int>(m_others.size()) - 1;
}

void EmulatorTransport::setOtherDevicePresent(int index, bool present) {
    std::lock_guard lock(m_mutex);
    OtherDevice& other = m_others.at(static_cast<std::size_t>(index));
    if (present && !other.present) {
        ++other.plugCount;
    }
    other.present = present;
}

std::vector<core::HidInterfaceInfo> EmulatorTransport::enumerate() {
    std::lock_guard lock(m_mutex);
    std::vector<core::HidInterfaceInfo> result;
    for (std::size_t d = 0; d < m_others.size(); ++d) {
        const OtherDevice& other = m_others[d];
        if (!other.present) {
            continue;
        }
        for (int i = 0; i < other.interfaceCount; ++i) {
            core::HidInterfaceInfo info;
            info.vendorId = other.vendorId;
            info.productId = other.productId;
            info.path = std::string(kOtherPrefix) + std::to_string(d) + "/" +
                        std::to_string(other.plugCount) + "/" + std::to_string(i);
            info.inputReportLength = 8;
            result.push_back(std::move(info));
        }
    }
    for (std::size_t m = 0; m < m_mice.size(); ++m) {
        auto interfaces = m_mice[m]->interfaces(std::string(kMousePrefix) + std::to_string(m));
        result.insert(result.end(), interfaces.begin(), interfaces.end());
    }
    return result;
}

std::unique_ptr<core::HidHandle> EmulatorTransport::open(const std::string& path, core::HidOpenError* error) {
    auto fail = [error](core::HidOpenError why) -> std::unique_ptr<core::HidHandle> {
        if (error) {
            *error = why;
        }
        return nullptr;
    };
    std::shared_ptr<VirtualMouse> mouse;
    {
        std::lock_guard lock(m_mutex);
        if (auto parsed = parsePath(path, kOtherPrefix)) {
            if (parsed->device >= m_others.size() || !m_others[parsed->device].present ||
                static_cast<std::uint64_t>(m_others[parsed->device].plugCount) != parsed->generation) {
                return fail(core::HidOpenError::NotFound);
            }
            if (error) {
                *error = core::HidOpenError::None;
            }
            return std::make_unique<OtherHandle>();
        }
        auto parsed = parsePath(path, kMousePrefix);
        if (!parsed || parsed->device >= m_mice.size() || parsed->interfaceIndex < 0 ||
            parsed->interfaceIndex >= VirtualMouse::kInterfaceCount) {
            return fail(core::HidOpenError::NotFound);
        }
        mouse = m_mice[parsed->device];
        if (!mouse->present() || mouse->generation() != parsed->generation) {
            return fail(core::HidOpenError::NotFound);
        }
        if (mouse->faults().denyOpen) {
            return fail(core::HidOpenError::PermissionDenied);
        }
        if (error) {
            *error = core::HidOpenError::None;
        }
        return std::make_unique<MouseHandle>(mouse, parsed->generation, parsed->interfaceIndex);
    }
}

} // namespace tarvik::emulator
