// Report descriptors come from whatever device is plugged in; the parser must take any bytes.
#include "hid/ReportDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

using tarvik::hid::ReportDescriptorInfo;
using tarvik::hid::ReportLength;
using tarvik::hid::ReportType;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto info = tarvik::hid::parseReportDescriptor(std::span<const std::uint8_t>(data, size), &error);
    if (!info) {
        if (error.empty()) {
            std::abort(); // a refusal always says why
        }
        return 0;
    }
    // Each report once, in order, at least as long as its report id byte, and no longer than the longest.
    const ReportLength* previous = nullptr;
    for (const ReportLength& report : info->reports) {
        if (previous &&
            (report.type < previous->type || (report.type == previous->type && report.id <= previous->id))) {
            std::abort();
        }
        if ((info->usesReportIds && report.bytes == 0) || (!info->usesReportIds && report.id != 0) ||
            report.bytes > info->maxLength(report.type) ||
            info->length(report.type, report.id) != report.bytes) {
            std::abort();
        }
        previous = &report;
    }
    return 0;
}
