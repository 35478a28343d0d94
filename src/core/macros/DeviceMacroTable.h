#pragma once
// The program's copy of the macros stored in the mouse (DeviceMacroTable), for either storage kind:
// "I2C" keeps up to 15 macros packed into the 512-byte EepromMacroArea, "Flash" up to 32 in fixed
// 256-byte blocks with their names in a separate 512-byte block. Row r of the device macro list is
// the r-th macro in use.

#include "core/macros/DeviceMacroEntry.h"
#include "core/macros/EepromMacroArea.h"
#include "core/macros/MacroAddressTable.h"
#include "core/macros/MacroCodec.h"
#include "core/macros/MacroFiles.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarvik::core {

inline constexpr std::size_t kFlashMacroCount = 32;
inline constexpr std::uint16_t kFlashMacroNamesAddress = 0x3000;
inline constexpr std::uint16_t kFlashMacroBodiesAddress = 0x4000;
inline constexpr std::size_t kFlashMacroNamesSize = kFlashMacroCount * kMacroNameFieldSize;        // 512
inline constexpr std::size_t kFlashMacroBodiesSize = kFlashMacroCount * kMacroBodySize;            // 8192
inline constexpr std::size_t kFlashMacroExportSize = kFlashMacroNamesSize + kFlashMacroBodiesSize; // 8704

// One block the mouse must be sent to hold the table (WriteMemory address and bytes).
struct MacroMemoryWrite {
    std::uint16_t address = 0;
    std::vector<Byte> bytes;
};

// What the event list shows for a device macro: its bytes in hexadecimal and its lines.
struct DeviceMacroView {
    std::string hex;
    DecodedMacro decoded;
};

// The language keys of the two refusals of an "I2C" add: no room, and a name the mouse's store cannot
// keep in front of its macros.
inline constexpr const char* kMacroNoRoomMessage = "Str103";
inline constexpr const char* kMacroNameRefusedMessage = "Str129";

class DeviceMacroTable {
public:
    enum class Result {
        Done,
        NoSuchRow,
        TableFull, // 15 ("I2C") or 32 ("Flash") macros already
        TooLong,   // "I2C": the macros would need more than the 512 bytes (show "Str103")
        // "I2C": the packed area would not read back as the same macros: a name whose first two
        // bytes are 00 00 or hold 0xFF reads as the end of the macros, so it and every later macro
        // would be lost at the next read. Not a matter of room: "Str103" is not the message for it.
        Unreadable,
    };

    DeviceMacroTable() = default;

    // UnpackEepromMacros: the table of an "I2C" area image; the image is packed again from the table
    // (page-boundary rule applied). An area that would not survive that (more than 512 bytes once
    // packed, or macros that would no longer read back alike) is kept as it was read.
    void loadEeprom(std::span<const Byte, kEepromMacroAreaSize> area);

    // The "Flash" listing: names (32 x 16 bytes) and bodies (32 x 256 bytes) as read. A name whose
    // first two bytes are 00 00 or FF FF marks an unused entry.
    void loadFlash(std::span<const MacroNameField, kFlashMacroCount> names,
                   std::span<const MacroBody, kFlashMacroCount> bodies);
    // The same from the flat blocks of a profile file or export file: 512 name bytes, 8192 body bytes.
    void loadFlash(std::span<const Byte, kFlashMacroNamesSize> names,
                   std::span<const Byte, kFlashMacroBodiesSize> bodies);

    StorageKind kind() const { return m_kind; }

    // Macros in use, which are the rows of the device macro lists.
    std::size_t count() const { return m_rows.size(); }
    std::size_t capacity() const;
    bool full() const { return count() >= capacity(); }
    std::vector<std::string> names() const;
    // Precondition: row < count().
    const DeviceMacroEntry& entry(std::size_t row) const { return m_entries.at(m_rows.at(row)); }

    // UsedMacroBytes: "I2C" the sum of the macro lengths; "Flash" 0.
    std::size_t usedBytes() const { return m_usedBytes; }

    // Body addresses by row, for the macro function codes.
    MacroAddressTable addressTable() const;

    // The name of the macro in use whose body starts at the address (how a type 0x10 code is named).
    std::optional<std::string> nameAt(std::uint16_t address) const;

    // Add to Mouse: appends a library macro (its name and 256-byte body). The table is unchanged
    // unless the result is Done.
    Result add(const MacroNameField& name, std::span<const Byte, kMacroBodySize> body);

    // Deletes the macro of a row; later macros move down (and, for "I2C", get new addresses). The
    // table is unchanged unless the result is Done.
    Result remove(std::size_t row);

    // The lines of a device macro; nothing for an empty macro or a row that does not exist.
    std::optional<DeviceMacroView> view(std::size_t row) const;

    // The 512-byte area image ("I2C") as the table packs it.
    const EepromMacroArea& eepromArea() const { return m_area; }
    // "Flash": the 32 names and the 32 bodies as the table holds them (zero when no "Flash" table).
    std::array<MacroNameField, kFlashMacroCount> flashNames() const;
    std::array<MacroBody, kFlashMacroCount> flashBodies() const;

    // The device macro export file: "I2C" the 512-byte area, "Flash" the names then the bodies
    // (8704 bytes). Empty when no table is loaded.
    std::vector<Byte> exportFile() const;

    // The macro blocks of a write-back, in order: "I2C" 256 bytes at 496 and at 752; "Flash" the
    // names at 0x3000, then each of the 32 bodies at its address. The key sections that point at
    // the macros are written by the caller first.
    std::vector<MacroMemoryWrite> memoryWrites() const;

private:
    void listFlash();
    Result commitEeprom(EepromMacroEntries entries);

    StorageKind m_kind = StorageKind::None;
    std::vector<DeviceMacroEntry> m_entries; // 15 or 32
    std::vector<std::size_t> m_rows;         // entry index of each row
    EepromMacroArea m_area{};
    std::size_t m_usedBytes = 0;
};

// Export All of the device menu: the export file under the chosen name with ".bin" appended.
FileResult exportDeviceMacros(const DeviceMacroTable& table, const std::filesystem::path& chosen);

} // namespace tarvik::core
