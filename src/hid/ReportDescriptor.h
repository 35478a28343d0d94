#pragma once
// Report lengths from a HID report descriptor.
//
// hidapi 0.13 gives no capabilities, so the lengths the link needs (feature and input report sizes of an
// interface) are worked out here from the raw descriptor the kernel exposes. Only what decides the size
// of each report is interpreted: main items add report size x report count bits to the report of the
// current report id and type; the global state (size, count, id) follows push and pop. Usages and other
// local items do not change sizes and are skipped, as are long items.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarvik::hid {

enum class ReportType : std::uint8_t { Input, Output, Feature };

struct ReportLength {
    ReportType type = ReportType::Input;
    std::uint8_t id = 0;     // 0 for a device without report ids
    std::uint32_t bytes = 0; // on the wire: data bytes, plus the report id byte when the device uses ids

    bool operator==(const ReportLength&) const = default;
};

struct ReportDescriptorInfo {
    bool usesReportIds = false;
    std::vector<ReportLength> reports; // one per (type, id) that has a main item, by type then id

    // Largest report of the type in bytes (report id byte included for devices with ids); 0 when none.
    std::uint32_t maxLength(ReportType type) const;
    // Length of one report in bytes, 0 when the descriptor declares no such report.
    std::uint32_t length(ReportType type, std::uint8_t id) const;
};

// Parses descriptor. Returns nothing for a descriptor the kernel would refuse too (an item cut off by
// the end, report id 0 or above 255, pop without push, unbalanced collections, an empty descriptor);
// error, when given, then says what was wrong and where. Lengths are saturated, never wrapped, so any
// input is safe to pass.
std::optional<ReportDescriptorInfo> parseReportDescriptor(std::span<const std::uint8_t> descriptor,
                                                          std::string* error = nullptr);

} // namespace tarvik::hid
