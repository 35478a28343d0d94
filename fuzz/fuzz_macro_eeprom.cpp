// "I2C" device macro areas as read from the mouse or a profile file: unpacking any 512 bytes, then
// showing, adding and deleting macros, must keep the area whole and the table consistent.

#include "core/macros/DeviceMacroTable.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tarvik::core;

namespace {

void check(const DeviceMacroTable& table) {
    if (table.count() > kEepromMacroCount || table.names().size() != table.count())
        std::abort();
    const MacroAddressTable addresses = table.addressTable();
    std::size_t expected = kEepromFirstMacroAddress;
    for (std::size_t row = 0; row < table.count(); ++row) {
        const DeviceMacroEntry& e = table.entry(row);
        if (e.length < kEepromEmptyMacroLength || e.length > kMacroNameFieldSize + kMacroBodySize + 1)
            std::abort();
        if (addresses.address(row) != expected)
            std::abort();
        expected += e.length;
        (void)table.view(row);
    }
    if (table.usedBytes() != expected - kEepromFirstMacroAddress)
        std::abort();
    const auto writes = table.memoryWrites();
    if (writes.size() != 2 || writes[0].bytes.size() != 256 || writes[1].bytes.size() != 256)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    EepromMacroArea area{};
    std::copy_n(data, std::min(size, area.size()), area.begin());
    DeviceMacroTable table;
    table.loadEeprom(area);
    check(table);

    // The rest of the input drives Add to Mouse and Delete.
    std::size_t pos = area.size();
    while (pos + 1 < size) {
        const std::uint8_t op = data[pos++];
        if (op & 1) {
            const std::size_t before = table.count();
            MacroNameField name{};
            MacroBody body{};
            const std::size_t n = std::min<std::size_t>(size - pos, (op >> 1) + 2u);
            std::copy_n(data + pos, std::min(n, name.size()), name.begin());
            if (n > name.size())
                std::copy_n(data + pos + name.size(), n - name.size(), body.begin());
            pos += n;
            const EepromMacroArea previous = table.eepromArea();
            const DeviceMacroTable::Result r = table.add(name, body);
            if (r == DeviceMacroTable::Result::Done ? table.count() != before + 1
                                                    : table.eepromArea() != previous)
                std::abort();
        } else if (table.count() > 0) {
            const std::size_t before = table.count();
            const EepromMacroArea previous = table.eepromArea();
            const DeviceMacroTable::Result r = table.remove((op >> 1) % table.count());
            if (r == DeviceMacroTable::Result::Done ? table.count() != before - 1
                                                    : table.eepromArea() != previous)
                std::abort();
        }
        check(table);
    }
    return 0;
}
