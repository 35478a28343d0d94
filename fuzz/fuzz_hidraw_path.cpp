// Interface paths come from the system's device enumeration and are joined into sysfs paths: only a
// plain hidraw node name ever comes out, whatever the path holds.

#include "FuzzCheck.h"
#include "hid/HidrawNode.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using fuzzcheck::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view path(reinterpret_cast<const char*>(data), size);
    const auto name = tarvik::hid::hidrawNodeName(path);
    if (!name) {
        return 0;
    }
    constexpr std::string_view kPrefix = "hidraw";
    require(name->size() > kPrefix.size() && name->compare(0, kPrefix.size(), kPrefix) == 0);
    require(name->find_first_not_of("0123456789", kPrefix.size()) == std::string::npos);
    require(path.size() >= name->size() && path.substr(path.size() - name->size()) == *name);
    // A name taken from a path is a path of its own that gives itself.
    require(tarvik::hid::hidrawNodeName(*name) == name);
    return 0;
}
