#include "core/macros/DeviceMacroTable.h"

#include "core/macros/MacroLine.h"
#include "core/macros/MacroName.h"

#include <algorithm>

namespace tarvik::core {

namespace {

bool flashNameUnused(const MacroNameField& name) {
    return (name[0] == 0x00 && name[1] == 0x00) || (name[0] == 0xFF && name[1] == 0xFF);
}

EepromMacroEntries toArray(const std::vector<DeviceMacroEntry>& entries) {
    EepromMacroEntries out{};
    std::copy_n(entries.begin(), std::min(entries.size(), out.size()), out.begin());
    return out;
}

// True when the packed area reads back as the macros it was packed from. The area holds no lengths
// and a name the reader takes for the end of the macros loses it and every later one.
bool readsBackAs(const EepromPackResult& packed, const EepromMacroEntries& entries) {
    if (!packed.fits())
        return false;
    const EepromMacroEntries readBack = readEepromMacros(packed.area);
    auto inUseOf = [](const EepromMacroEntries& all) {
        std::vector<const DeviceMacroEntry*> out;
        for (const DeviceMacroEntry& e : all) {
            if (e.length != 0)
                out.push_back(&e);
        }
        return out;
    };
    const auto expected = inUseOf(entries);
    const auto actual = inUseOf(readBack);
    if (expected.size() != actual.size())
        return false;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i]->name != actual[i]->name || expected[i]->length != actual[i]->length)
            return false;
    }
    return true;
}

} // namespace

std::size_t DeviceMacroTable::capacity() const {
    switch (m_kind) {
    case StorageKind::I2C:
        return kEepromMacroCount;
    case StorageKind::Flash:
        return kFlashMacroCount;
    case StorageKind::None:
        break;
    }
    return 0;
}

void DeviceMacroTable::loadEeprom(std::span<const Byte, kEepromMacroAreaSize> area) {
    m_kind = StorageKind::I2C;
    const EepromMacroEntries read = readEepromMacros(area);
    EepromMacroEntries entries = read;
    const EepromPackResult packed = packEepromMacros(entries);
    if (readsBackAs(packed, entries)) {
        m_entries.assign(entries.begin(), entries.end());
        m_area = packed.area;
        m_usedBytes = packed.usedBytes;
    } else {
        // An area written by other means can hold a delay or key code at offset 255 with no room
        // left for the filler, or a full body that the filler would make too long to read back.
        // It is kept as the mouse holds it rather than cut.
        m_entries.assign(read.begin(), read.end());
        std::copy(area.begin(), area.end(), m_area.begin());
        m_usedBytes = 0;
        for (const DeviceMacroEntry& e : read)
            m_usedBytes += e.length;
    }
    m_rows.clear();
    for (std::size_t k = 0; k < m_entries.size(); ++k) {
        if (m_entries[k].length != 0)
            m_rows.push_back(k);
    }
}

void DeviceMacroTable::loadFlash(std::span<const MacroNameField, kFlashMacroCount> names,
                                 std::span<const MacroBody, kFlashMacroCount> bodies) {
    m_kind = StorageKind::Flash;
    m_entries.assign(kFlashMacroCount, DeviceMacroEntry{});
    for (std::size_t i = 0; i < kFlashMacroCount; ++i) {
        DeviceMacroEntry& e = m_entries[i];
        e.name = names[i];
        e.body = bodies[i];
        e.length = static_cast<std::uint16_t>(storedLength(e.body).value_or(kMacroBodySize));
    }
    m_area = {};
    m_usedBytes = 0;
    listFlash();
}

void DeviceMacroTable::loadFlash(std::span<const Byte, kFlashMacroNamesSize> names,
                                 std::span<const Byte, kFlashMacroBodiesSize> bodies) {
    std::array<MacroNameField, kFlashMacroCount> nameFields{};
    std::array<MacroBody, kFlashMacroCount> bodyBlocks{};
    for (std::size_t i = 0; i < kFlashMacroCount; ++i) {
        std::copy_n(names.begin() + static_cast<std::ptrdiff_t>(i * kMacroNameFieldSize), kMacroNameFieldSize,
                    nameFields[i].begin());
        std::copy_n(bodies.begin() + static_cast<std::ptrdiff_t>(i * kMacroBodySize), kMacroBodySize,
                    bodyBlocks[i].begin());
    }
    loadFlash(nameFields, bodyBlocks);
}

void DeviceMacroTable::listFlash() {
    m_rows.clear();
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        m_entries[i].address = static_cast<std::uint16_t>(kFlashMacroBodiesAddress + i * kMacroBodySize);
        if (!flashNameUnused(m_entries[i].name))
            m_rows.push_back(i);
    }
}

std::vector<std::string> DeviceMacroTable::names() const {
    std::vector<std::string> out;
    for (std::size_t k : m_rows)
        out.push_back(fieldToName(m_entries[k].name));
    return out;
}

MacroAddressTable DeviceMacroTable::addressTable() const {
    std::vector<std::uint16_t> addresses;
    for (std::size_t k : m_rows)
        addresses.push_back(m_entries[k].address);
    return MacroAddressTable(std::move(addresses));
}

std::optional<std::string> DeviceMacroTable::nameAt(std::uint16_t address) const {
    for (std::size_t k : m_rows) {
        if (m_entries[k].address == address)
            return fieldToName(m_entries[k].name);
    }
    return std::nullopt;
}

DeviceMacroTable::Result DeviceMacroTable::commitEeprom(EepromMacroEntries entries) {
    const EepromPackResult packed = packEepromMacros(entries);
    if (!packed.fits())
        return Result::TooLong;
    if (!readsBackAs(packed, entries))
        return Result::Unreadable;
    loadEeprom(packed.area);
    return Result::Done;
}

DeviceMacroTable::Result DeviceMacroTable::add(const MacroNameField& name,
                                               std::span<const Byte, kMacroBodySize> body) {
    if (m_kind == StorageKind::None || full())
        return Result::TableFull;

    DeviceMacroEntry added;
    added.name = name;
    std::copy(body.begin(), body.end(), added.body.begin());

    if (m_kind == StorageKind::Flash) {
        const auto freeEntry =
            std::find_if(m_entries.begin(), m_entries.end(),
                         [](const DeviceMacroEntry& e) { return flashNameUnused(e.name); });
        added.length = static_cast<std::uint16_t>(storedLength(added.body).value_or(kMacroBodySize));
        *freeEntry = added;
        listFlash();
        return Result::Done;
    }

    // "I2C": the fit is decided on the packed image, filler byte included. The length is walked
    // event by event: a body whose last event is a delay of whole 256 ms ends in 00 00 00, and
    // counting up to the first three zeros would leave out its end byte, so that the mouse would
    // play on into the next macro's name.
    const auto length = eepromBodyLength(added.body);
    if (!length)
        return Result::TooLong;
    added.length = static_cast<std::uint16_t>(*length + kMacroNameFieldSize);
    EepromMacroEntries entries = toArray(m_entries);
    entries[count()] = added;
    return commitEeprom(entries);
}

DeviceMacroTable::Result DeviceMacroTable::remove(std::size_t row) {
    if (row >= count())
        return Result::NoSuchRow;
    const std::size_t k = m_rows[row];
    if (m_kind == StorageKind::Flash) {
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(k));
        m_entries.push_back(DeviceMacroEntry{});
        listFlash();
        return Result::Done;
    }
    EepromMacroEntries entries = toArray(m_entries);
    entries[k] = DeviceMacroEntry{};
    return commitEeprom(entries);
}

std::optional<DeviceMacroView> DeviceMacroTable::view(std::size_t row) const {
    if (row >= count())
        return std::nullopt;
    const DeviceMacroEntry& e = entry(row);
    std::size_t n = 0;
    if (m_kind == StorageKind::I2C)
        n = e.length > kMacroNameFieldSize ? e.length - kMacroNameFieldSize : 0;
    else
        n = storedLength(e.body).value_or(e.length);
    if (n <= 1)
        return std::nullopt;
    // A body that took the filler byte can hold 256 events; its end byte is then implied.
    std::vector<Byte> bytes(e.body.begin(),
                            e.body.begin() + static_cast<std::ptrdiff_t>(std::min(n, e.body.size())));
    bytes.resize(n, Byte{0});
    return DeviceMacroView{hexString(bytes), decodeMacro(e.body, n)};
}

std::array<MacroNameField, kFlashMacroCount> DeviceMacroTable::flashNames() const {
    std::array<MacroNameField, kFlashMacroCount> out{};
    if (m_kind == StorageKind::Flash) {
        for (std::size_t i = 0; i < kFlashMacroCount; ++i)
            out[i] = m_entries[i].name;
    }
    return out;
}

std::array<MacroBody, kFlashMacroCount> DeviceMacroTable::flashBodies() const {
    std::array<MacroBody, kFlashMacroCount> out{};
    if (m_kind == StorageKind::Flash) {
        for (std::size_t i = 0; i < kFlashMacroCount; ++i)
            out[i] = m_entries[i].body;
    }
    return out;
}

std::vector<Byte> DeviceMacroTable::exportFile() const {
    switch (m_kind) {
    case StorageKind::I2C:
        return {m_area.begin(), m_area.end()};
    case StorageKind::Flash: {
        std::vector<Byte> out;
        out.reserve(kFlashMacroExportSize);
        for (const DeviceMacroEntry& e : m_entries)
            out.insert(out.end(), e.name.begin(), e.name.end());
        for (const DeviceMacroEntry& e : m_entries)
            out.insert(out.end(), e.body.begin(), e.body.end());
        return out;
    }
    case StorageKind::None:
        break;
    }
    return {};
}

std::vector<MacroMemoryWrite> DeviceMacroTable::memoryWrites() const {
    std::vector<MacroMemoryWrite> writes;
    if (m_kind == StorageKind::I2C) {
        const auto half = static_cast<std::ptrdiff_t>(kEepromPageBoundary);
        writes.push_back({kEepromMacroAreaAddress, {m_area.begin(), m_area.begin() + half}});
        writes.push_back({static_cast<std::uint16_t>(kEepromMacroAreaAddress + kEepromPageBoundary),
                          {m_area.begin() + half, m_area.end()}});
    } else if (m_kind == StorageKind::Flash) {
        std::vector<Byte> names;
        for (const DeviceMacroEntry& e : m_entries)
            names.insert(names.end(), e.name.begin(), e.name.end());
        writes.push_back({kFlashMacroNamesAddress, std::move(names)});
        for (const DeviceMacroEntry& e : m_entries)
            writes.push_back({e.address, {e.body.begin(), e.body.end()}});
    }
    return writes;
}

FileResult exportDeviceMacros(const DeviceMacroTable& table, const std::filesystem::path& chosen) {
    const std::vector<Byte> bytes = table.exportFile();
    if (bytes.empty())
        return {"No device macros to export"};
    return writeFileReplacing(exportFilePath(chosen), bytes);
}

} // namespace tarvik::core
