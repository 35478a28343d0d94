// The desktop's configuration files are written by other programs and by hand: any text is read
// without harm, and an edit sets exactly the entry asked for, or nothing where the file forbids it.

#include "FuzzCheck.h"
#include "platform/linux/KdeConfigText.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using namespace tarvik::platform::linux_desktop;
using fuzzcheck::require;

namespace {

bool sameEntry(const std::optional<KdeEntry>& a, const std::optional<KdeEntry>& b) {
    return a.has_value() == b.has_value() && (!a || (a->value == b->value && a->immutable == b->immutable));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    // First byte: which of the entries the program keeps is set, and whether in a group of its own.
    static constexpr std::string_view kKeys[2] = {"WheelScrollLines", "DoubleClickInterval"};
    static constexpr std::string_view kGroups[2] = {"KDE", "Mouse"};
    const std::string_view key = kKeys[data[0] & 1];
    const std::string_view other = kKeys[(data[0] & 1) ^ 1];
    const std::string_view group = kGroups[(data[0] >> 1) & 1];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::optional<KdeEntry> before = findKdeEntry(text, group, key);
    const std::optional<KdeEntry> otherBefore = findKdeEntry(text, group, other);
    const std::optional<std::string> edited = setKdeEntry(text, group, key, "7");
    if (!edited) {
        return 0;
    }
    // An entry nobody may change is never changed.
    require(!before || !before->immutable);
    // The entry reads back as set, the other one as it was, and setting it again changes nothing.
    require(sameEntry(findKdeEntry(*edited, group, key), KdeEntry{"7", false}));
    require(sameEntry(findKdeEntry(*edited, group, other), otherBefore));
    require(setKdeEntry(*edited, group, key, "7") == edited);
    return 0;
}
