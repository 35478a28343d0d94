#include "core/macros/MacroName.h"

#include "core/text/TextEncoding.h"

namespace tarvik::core {

namespace {

bool isHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}

} // namespace

MacroNameField nameToField(std::string_view name) {
    const std::u16string units = utf8ToUtf16(name);
    MacroNameField field{};
    std::size_t n = 0;
    while (n < units.size() && n < kMacroNameMaxUnits && units[n] != 0)
        ++n;
    // A pair cut by the limit would leave half a character behind.
    if (n == kMacroNameMaxUnits && n < units.size() && isHighSurrogate(units[n - 1]))
        --n;
    for (std::size_t i = 0; i < n; ++i) {
        field[2 * i] = static_cast<Byte>(units[i] >> 8);
        field[2 * i + 1] = static_cast<Byte>(units[i] & 0xFF);
    }
    return field;
}

std::string fieldToName(std::span<const Byte, kMacroNameFieldSize> field) {
    std::u16string units;
    for (std::size_t i = 0; i < kMacroNameMaxUnits; ++i) {
        const auto u = static_cast<char16_t>((field[2 * i] << 8) | field[2 * i + 1]);
        if (u == 0)
            break;
        units.push_back(u);
    }
    return utf16ToUtf8(units);
}

std::size_t nameLengthInUnits(std::string_view name) {
    return utf8ToUtf16(name).size();
}

} // namespace tarvik::core
