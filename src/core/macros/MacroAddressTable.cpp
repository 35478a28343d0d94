#include "core/macros/MacroAddressTable.h"

#include "core/macros/MacroLine.h"

#include <algorithm>
#include <array>

namespace tarvik::core {

std::string macroFunctionCode(std::uint16_t address) {
    const std::array<Byte, 2> bytes{static_cast<Byte>(address >> 8), static_cast<Byte>(address & 0xFF)};
    return "10" + hexString(bytes) + "00";
}

std::optional<std::size_t> MacroAddressTable::rowOf(std::uint16_t address) const {
    const auto it = std::find(m_addresses.begin(), m_addresses.end(), address);
    if (it == m_addresses.end())
        return std::nullopt;
    return static_cast<std::size_t>(it - m_addresses.begin());
}

} // namespace tarvik::core
