#pragma once
// The user's macro library kept on the computer: 100 slots of a name and a 256-byte body. Slots in
// use are always slots 0 .. count()-1, so row i of the library list is slot i.

#include "core/macros/MacroCodec.h"
#include "core/macros/MacroTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik::core {

inline constexpr std::size_t kLibrarySlotCount = 100;
inline constexpr std::size_t kLibraryRecordSize = kMacroNameFieldSize + kMacroBodySize; // 272
inline constexpr std::size_t kLibraryFileSize = kLibrarySlotCount * kLibraryRecordSize; // 27200

struct LibrarySlot {
    MacroNameField name{}; // bytes 0 and 1 both 0: free slot
    MacroBody body{};
    std::uint16_t length = 0; // body bytes in use, end byte included

    bool inUse() const { return name[0] != 0 || name[1] != 0; }
};

// Single-macro file (Export One / Import One): one record, the name then the body.
using SingleMacroRecord = std::array<Byte, kLibraryRecordSize>;

class MacroLibrary {
public:
    enum class Result {
        Done,
        Duplicate,   // a macro of this name exists ("Str106")
        Full,        // no room for another macro
        EmptyName,   // nothing to name the macro with
        InvalidFile, // a single-macro file without a name
        NoSuchSlot,
    };

    // The library of a MacroLibraryFile image. Bytes missing from a short image read as 0; a longer
    // image is read up to its 100 records. Slots in use are moved together in their order, so that
    // a gap in the image does not make list rows name the wrong slot.
    static MacroLibrary fromBytes(std::span<const Byte> bytes);

    // The MacroLibraryFile image: 100 records, the name then the body, in slot order.
    std::vector<Byte> toBytes() const;

    std::size_t count() const;
    bool full() const { return count() >= kLibrarySlotCount; }
    // New Macro is offered only while the library is not full.
    bool canAddNew() const { return !full(); }
    // Import One needs room for one more beyond the last row, as the list allows it only under 99.
    bool canImportOne() const { return count() + 1 < kLibrarySlotCount; }

    // The names of slots 0 .. count()-1, the rows of the library list.
    std::vector<std::string> names() const;

    // Precondition: slot < kLibrarySlotCount.
    const LibrarySlot& slot(std::size_t index) const { return m_slots.at(index); }

    // New Macro: a slot named `name` after the last one. The new slot keeps the body its slot holds.
    // Refused when the name is empty or already a row's text, or the library is full.
    Result addNew(std::string_view name, std::size_t* newSlot = nullptr);

    // Rename: refused when the name is empty or any row (this one included) already has it.
    Result rename(std::size_t index, std::string_view name);

    // Delete: later slots move down one; slot 99 becomes empty.
    Result remove(std::size_t index);

    // EncodeMacro into a slot in use; the slot is unchanged when the text does not fit its body.
    EncodeResult encode(std::size_t index, const MacroText& text);

    // What the event list shows for a slot: the slot's length is taken from its body (StoredLength)
    // and nothing is shown for an empty macro.
    struct View {
        std::string hex;
        DecodedMacro decoded;
    };
    std::optional<View> view(std::size_t index);

    // Import One from a single-macro file image (the first 16 bytes the name, the next 256 the body;
    // missing bytes read as 0). Refused when the name bytes equal those of a macro in use, when the
    // file has no name, or when the library has no room.
    Result importOne(std::span<const Byte> fileBytes, std::size_t* newSlot = nullptr);

    // Import All: the records a library file holds replace the slots they cover; a shorter file
    // leaves the slots past its end as they were. Slots in use are then moved together.
    void importAll(std::span<const Byte> fileBytes);

    // Export One: the 272-byte single-macro record of a slot.
    std::optional<SingleMacroRecord> exportOne(std::size_t index) const;

private:
    void compact();
    bool hasName(std::string_view name) const;

    std::array<LibrarySlot, kLibrarySlotCount> m_slots{};
};

} // namespace tarvik::core
