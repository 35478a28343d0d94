#pragma once
// Where hidapi's paths meet the kernel's view of the same interface. With the hidraw backend a path is
// the device node (/dev/hidrawN); the interface's report descriptor is published in sysfs under the
// node's name, readable without access to the node itself.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik::hid {

// "hidrawN" for a path whose last component is a hidraw node name; nothing otherwise. Only this checked
// name is ever joined into a sysfs path, so a path like "/dev/hidraw1/../../x" cannot lead elsewhere.
std::optional<std::string> hidrawNodeName(std::string_view devicePath);

// The report descriptor of node nodeName from <sysfsRoot>/class/hidraw/<nodeName>/device/report_descriptor.
std::optional<std::vector<std::uint8_t>> readSysfsReportDescriptor(const std::filesystem::path& sysfsRoot,
                                                                   const std::string& nodeName);

// The report descriptor asked from the open node itself (HIDIOCGRDESC); needs read access to the node.
std::optional<std::vector<std::uint8_t>> readNodeReportDescriptor(const std::string& devicePath);

struct InterfaceReportLengths {
    std::uint16_t feature = 0; // longest feature report, report id byte included; 0 when unknown
    std::uint16_t input = 0;   // longest input report, report id byte included; 0 when unknown
};

// Lengths for the interface at devicePath: descriptor from sysfs, else from the node; both 0 when the
// descriptor cannot be read or does not parse.
InterfaceReportLengths interfaceReportLengths(const std::filesystem::path& sysfsRoot,
                                              const std::string& devicePath);

} // namespace tarvik::hid
