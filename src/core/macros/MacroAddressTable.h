#pragma once
// Where each device macro's body starts, by row of the device macro list. A button plays a macro
// through the KeyFunctionCode "10" + that address + "00".

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvik::core {

// "10" + the four upper-case hexadecimal digits of the address + "00" ("10020000" for 0x0200).
std::string macroFunctionCode(std::uint16_t address);

class MacroAddressTable {
public:
    MacroAddressTable() = default;
    explicit MacroAddressTable(std::vector<std::uint16_t> addresses) : m_addresses(std::move(addresses)) {}

    // Macros in use; row r of the device macro list is entry r.
    std::size_t size() const { return m_addresses.size(); }
    bool empty() const { return m_addresses.empty(); }

    // Precondition: row < size().
    std::uint16_t address(std::size_t row) const { return m_addresses.at(row); }
    std::string functionCode(std::size_t row) const { return macroFunctionCode(address(row)); }

    // The row of the macro whose body starts at the address, if any.
    std::optional<std::size_t> rowOf(std::uint16_t address) const;

    const std::vector<std::uint16_t>& addresses() const { return m_addresses; }

private:
    std::vector<std::uint16_t> m_addresses;
};

} // namespace tarvik::core
