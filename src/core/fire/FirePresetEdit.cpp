#include "core/fire/FirePresetEdit.h"

#include "core/edit/FieldRanges.h"

#include <algorithm>
#include <charconv>

namespace tarvik::core {

namespace {
FieldRange rangeOf(FireField field) {
    switch (field) {
    case FireField::Count:
        return fields::kFireStepCount;
    case FireField::XOffset:
    case FireField::YOffset:
        return fields::kFireOffset;
    case FireField::X:
    case FireField::Y:
        return fields::kFireStepMove;
    case FireField::Time:
        return fields::kFireStepTime;
    }
    return {};
}
} // namespace

FireFieldText correctFireField(FireField field, std::string_view typed) {
    if (typed.empty())
        return {"0", 0};
    long long number = 0;
    const auto [end, error] = std::from_chars(typed.data(), typed.data() + typed.size(), number);
    if (error == std::errc::result_out_of_range) {
        // Only digits reach the field, so a number too long for any type is far beyond its limit.
        const FieldRange r = rangeOf(field);
        const int limit = typed.front() == '-' ? r.min : r.max;
        return {std::to_string(limit), limit};
    }
    if (error != std::errc() || end != typed.data() + typed.size())
        return {std::string(typed), std::nullopt};
    const long long held = rangeOf(field).clamp(number);
    if (held != number)
        return {std::to_string(held), static_cast<int>(held)};
    return {std::string(typed), static_cast<int>(number)};
}

bool writeFireField(FireMacroSlots& slots, ConfigImage& image, int slot, const FireSegmentView& view,
                    FireField field, int value) {
    if (slot < 0 || slot >= static_cast<int>(FireMacroStore::kSlots))
        return false;
    auto& body = slots.bodies[static_cast<std::size_t>(slot)];
    const auto put = [&](const std::optional<std::size_t>& at, std::size_t bytes) {
        if (!at || *at + bytes > body.size())
            return false;
        if (bytes == 2) {
            body[*at] = static_cast<Byte>((value >> 8) & 0xFF);
            body[*at + 1] = static_cast<Byte>(value & 0xFF);
        } else {
            body[*at] = static_cast<Byte>(value & 0xFF);
        }
        return true;
    };
    switch (field) {
    case FireField::Count:
        return put(view.countAt, 1);
    case FireField::X:
        return put(view.xAt, 1);
    case FireField::Y:
        return put(view.yAt, 1);
    case FireField::Time:
        return put(view.timeAt, 2);
    case FireField::XOffset:
        image.setFireOffsetX(slot, static_cast<std::int8_t>(static_cast<Byte>(value)));
        return true;
    case FireField::YOffset:
        image.setFireOffsetY(slot, static_cast<std::int8_t>(static_cast<Byte>(value)));
        return true;
    }
    return false;
}

} // namespace tarvik::core
