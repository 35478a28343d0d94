#include "hid/HidrawNode.h"

#include "hid/ReportDescriptor.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tarvik::hid {

namespace {

// The kernel caps descriptors at 4 KiB; anything far larger is not a descriptor.
constexpr std::size_t kMaxDescriptorFileSize = 64 * 1024;

std::uint16_t toReportLength(std::uint32_t bytes) {
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(bytes, 0xFFFF));
}

} // namespace

std::optional<std::string> hidrawNodeName(std::string_view devicePath) {
    const std::size_t slash = devicePath.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? devicePath : devicePath.substr(slash + 1);
    constexpr std::string_view kPrefix = "hidraw";
    if (name.size() <= kPrefix.size() || name.substr(0, kPrefix.size()) != kPrefix) {
        return std::nullopt;
    }
    const std::string_view number = name.substr(kPrefix.size());
    if (!std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::string(name);
}

std::optional<std::vector<std::uint8_t>> readSysfsReportDescriptor(const std::filesystem::path& sysfsRoot,
                                                                   const std::string& nodeName) {
    if (hidrawNodeName(nodeName) != nodeName) {
        return std::nullopt;
    }
    std::ifstream file(sysfsRoot / "class" / "hidraw" / nodeName / "device" / "report_descriptor",
                       std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    char c = 0;
    while (bytes.size() <= kMaxDescriptorFileSize && file.get(c)) {
        bytes.push_back(static_cast<std::uint8_t>(c));
    }
    if (file.bad() || bytes.size() > kMaxDescriptorFileSize) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::vector<std::uint8_t>> readNodeReportDescriptor(const std::string& devicePath) {
    const int fd = ::open(devicePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<std::vector<std::uint8_t>> result;
    int size = 0;
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) == 0 && size > 0 && size <= HID_MAX_DESCRIPTOR_SIZE) {
        hidraw_report_descriptor descriptor{};
        descriptor.size = static_cast<__u32>(size);
        if (::ioctl(fd, HIDIOCGRDESC, &descriptor) == 0) {
            result.emplace(descriptor.value, descriptor.value + size);
        }
    }
    ::close(fd);
    return result;
}

InterfaceReportLengths interfaceReportLengths(const std::filesystem::path& sysfsRoot,
                                              const std::string& devicePath) {
    const std::optional<std::string> node = hidrawNodeName(devicePath);
    if (!node) {
        return {};
    }
    std::optional<std::vector<std::uint8_t>> descriptor = readSysfsReportDescriptor(sysfsRoot, *node);
    if (!descriptor) {
        descriptor = readNodeReportDescriptor(devicePath);
    }
    if (!descriptor) {
        return {};
    }
    const std::optional<ReportDescriptorInfo> info = parseReportDescriptor(*descriptor);
    if (!info) {
        return {};
    }
    return {toReportLength(info->maxLength(ReportType::Feature)),
            toReportLength(info->maxLength(ReportType::Input))};
}

} // namespace tarvik::hid
