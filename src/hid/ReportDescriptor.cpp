#include "hid/ReportDescriptor.h"

#include <algorithm>
#include <limits>
#include <map>
#include <utility>

namespace tarvik::hid {

namespace {

// Item types of the short-item prefix byte (bits 3-2).
constexpr std::uint8_t kTypeMain = 0;
constexpr std::uint8_t kTypeGlobal = 1;

// Main item tags.
constexpr std::uint8_t kMainInput = 0x8;
constexpr std::uint8_t kMainOutput = 0x9;
constexpr std::uint8_t kMainCollection = 0xA;
constexpr std::uint8_t kMainFeature = 0xB;
constexpr std::uint8_t kMainEndCollection = 0xC;

// Global item tags that change report sizes.
constexpr std::uint8_t kGlobalReportSize = 0x7;
constexpr std::uint8_t kGlobalReportId = 0x8;
constexpr std::uint8_t kGlobalReportCount = 0x9;
constexpr std::uint8_t kGlobalPush = 0xA;
constexpr std::uint8_t kGlobalPop = 0xB;

constexpr std::uint8_t kLongItemPrefix = 0xFE;

// Real devices nest push a level or two deep; the bound only keeps hostile input from growing memory.
constexpr std::size_t kMaxPushDepth = 32;

struct GlobalState {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint8_t reportId = 0;
};

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max()
                                                             : a + b;
}

bool fail(std::string* error, std::string text, std::size_t offset) {
    if (error) {
        *error = std::move(text) + " at offset " + std::to_string(offset);
    }
    return false;
}

} // namespace

std::uint32_t ReportDescriptorInfo::maxLength(ReportType type) const {
    std::uint32_t longest = 0;
    for (const ReportLength& report : reports) {
        if (report.type == type) {
            longest = std::max(longest, report.bytes);
        }
    }
    return longest;
}

std::uint32_t ReportDescriptorInfo::length(ReportType type, std::uint8_t id) const {
    for (const ReportLength& report : reports) {
        if (report.type == type && report.id == id) {
            return report.bytes;
        }
    }
    return 0;
}

std::optional<ReportDescriptorInfo> parseReportDescriptor(std::span<const std::uint8_t> descriptor,
                                                          std::string* error) {
    if (descriptor.empty()) {
        fail(error, "empty descriptor", 0);
        return std::nullopt;
    }

    GlobalState global;
    std::vector<GlobalState> pushed;
    std::size_t openCollections = 0;
    bool usesReportIds = false;
    std::map<std::pair<ReportType, std::uint8_t>, std::uint64_t> bitsPerReport;

    std::size_t pos = 0;
    while (pos < descriptor.size()) {
        const std::size_t itemStart = pos;
        const std::uint8_t prefix = descriptor[pos];

        if (prefix == kLongItemPrefix) {
            // Long items carry no report layout that any device class defines; only their extent matters.
            if (descriptor.size() - pos < 3) {
                fail(error, "long item header cut off", itemStart);
                return std::nullopt;
            }
            const std::size_t dataSize = descriptor[pos + 1];
            if (descriptor.size() - pos - 3 < dataSize) {
                fail(error, "long item data cut off", itemStart);
                return std::nullopt;
            }
            pos += 3 + dataSize;
            continue;
        }

        const std::size_t dataSize = (prefix & 0x3) == 3 ? 4 : (prefix & 0x3);
        const std::uint8_t type = (prefix >> 2) & 0x3;
        const std::uint8_t tag = prefix >> 4;
        if (descriptor.size() - pos - 1 < dataSize) {
            fail(error, "item data cut off", itemStart);
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < dataSize; ++i) {
            value |= static_cast<std::uint32_t>(descriptor[pos + 1 + i]) << (8 * i);
        }
        pos += 1 + dataSize;

        if (type == kTypeMain) {
            switch (tag) {
            case kMainInput:
            case kMainOutput:
            case kMainFeature: {
                const ReportType reportType = tag == kMainInput    ? ReportType::Input
                                              : tag == kMainOutput ? ReportType::Output
                                                                   : ReportType::Feature;
                // Both factors are 32-bit, so the product always fits in 64 bits.
                const std::uint64_t bits = std::uint64_t{global.reportSize} * global.reportCount;
                std::uint64_t& total = bitsPerReport[{reportType, global.reportId}];
                total = saturatingAdd(total, bits);
                break;
            }
            case kMainCollection:
                ++openCollections;
                break;
            case kMainEndCollection:
                if (openCollections == 0) {
                    fail(error, "end collection without collection", itemStart);
                    return std::nullopt;
                }
                --openCollections;
                break;
            default:
                break;
            }
        } else if (type == kTypeGlobal) {
            switch (tag) {
            case kGlobalReportSize:
                global.reportSize = value;
                break;
            case kGlobalReportCount:
                global.reportCount = value;
                break;
            case kGlobalReportId:
                if (value == 0 || value > 255) {
                    fail(error, "report id " + std::to_string(value) + " out of range", itemStart);
                    return std::nullopt;
                }
                global.reportId = static_cast<std::uint8_t>(value);
                usesReportIds = true;
                break;
            case kGlobalPush:
                if (pushed.size() >= kMaxPushDepth) {
                    fail(error, "push nested too deep", itemStart);
                    return std::nullopt;
                }
                pushed.push_back(global);
                break;
            case kGlobalPop:
                if (pushed.empty()) {
                    fail(error, "pop without push", itemStart);
                    return std::nullopt;
                }
                global = pushed.back();
                pushed.pop_back();
                break;
            default:
                break;
            }
        }
        // Local items and the reserved item type do not change sizes.
    }

    if (openCollections != 0) {
        fail(error, "collection not closed", descriptor.size());
        return std::nullopt;
    }

    ReportDescriptorInfo info;
    info.usesReportIds = usesReportIds;
    const std::uint64_t idBytes = usesReportIds ? 1 : 0;
    for (const auto& [key, bits] : bitsPerReport) {
        const std::uint64_t bytes = saturatingAdd(bits / 8 + (bits % 8 != 0 ? 1 : 0), idBytes);
        info.reports.push_back({key.first, key.second,
                                static_cast<std::uint32_t>(std::min<std::uint64_t>(
                                    bytes, std::numeric_limits<std::uint32_t>::max()))});
    }
    return info;
}

} // namespace tarvik::hid
