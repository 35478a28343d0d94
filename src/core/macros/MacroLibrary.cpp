#include "core/macros/MacroLibrary.h"

#include "core/macros/MacroLine.h"
#include "core/macros/MacroName.h"

#include <algorithm>

namespace tarvik::core {

namespace {

void readRecord(std::span<const Byte> record, LibrarySlot& slot) {
    std::copy_n(record.begin(), kMacroNameFieldSize, slot.name.begin());
    std::copy_n(record.begin() + kMacroNameFieldSize, kMacroBodySize, slot.body.begin());
    slot.length = static_cast<std::uint16_t>(storedLength(slot.body).value_or(kMacroBodySize));
}

// A name as it will be stored: at most eight UTF-16 units, so a longer text compares as it will read.
std::string storedName(std::string_view name) {
    return fieldToName(nameToField(name));
}

} // namespace

MacroLibrary MacroLibrary::fromBytes(std::span<const Byte> bytes) {
    std::vector<Byte> image(kLibraryFileSize, 0);
    std::copy_n(bytes.begin(), std::min(bytes.size(), image.size()), image.begin());
    MacroLibrary library;
    for (std::size_t i = 0; i < kLibrarySlotCount; ++i)
        readRecord(std::span<const Byte>(image).subspan(i * kLibraryRecordSize, kLibraryRecordSize),
                   library.m_slots[i]);
    library.compact();
    return library;
}

std::vector<Byte> MacroLibrary::toBytes() const {
    std::vector<Byte> out;
    out.reserve(kLibraryFileSize);
    for (const LibrarySlot& s : m_slots) {
        out.insert(out.end(), s.name.begin(), s.name.end());
        out.insert(out.end(), s.body.begin(), s.body.end());
    }
    return out;
}

void MacroLibrary::compact() {
    std::stable_partition(m_slots.begin(), m_slots.end(), [](const LibrarySlot& s) { return s.inUse(); });
}

std::size_t MacroLibrary::count() const {
    return static_cast<std::size_t>(
        std::count_if(m_slots.begin(), m_slots.end(), [](const LibrarySlot& s) { return s.inUse(); }));
}

std::vector<std::string> MacroLibrary::names() const {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < count(); ++i)
        out.push_back(fieldToName(m_slots[i].name));
    return out;
}

bool MacroLibrary::hasName(std::string_view name) const {
    const std::vector<std::string> rows = names();
    return std::find(rows.begin(), rows.end(), name) != rows.end();
}

MacroLibrary::Result MacroLibrary::addNew(std::string_view name, std::size_t* newSlot) {
    const std::string stored = storedName(name);
    if (stored.empty())
        return Result::EmptyName;
    if (full())
        return Result::Full;
    if (hasName(stored))
        return Result::Duplicate;
    const std::size_t n = count();
    m_slots[n].name = nameToField(stored);
    if (newSlot)
        *newSlot = n;
    return Result::Done;
}

MacroLibrary::Result MacroLibrary::rename(std::size_t index, std::string_view name) {
    if (index >= count())
        return Result::NoSuchSlot;
    const std::string stored = storedName(name);
    if (stored.empty())
        return Result::EmptyName;
    if (hasName(stored))
        return Result::Duplicate;
    m_slots[index].name = nameToField(stored);
    return Result::Done;
}

MacroLibrary::Result MacroLibrary::remove(std::size_t index) {
    if (index >= kLibrarySlotCount || !m_slots[index].inUse())
        return Result::NoSuchSlot;
    std::move(m_slots.begin() + static_cast<std::ptrdiff_t>(index) + 1, m_slots.end(),
              m_slots.begin() + static_cast<std::ptrdiff_t>(index));
    m_slots.back() = LibrarySlot{};
    return Result::Done;
}

EncodeResult MacroLibrary::encode(std::size_t index, const MacroText& text) {
    if (index >= kLibrarySlotCount)
        return {};
    LibrarySlot& s = m_slots[index];
    EncodeResult result = encodeMacroInto(text, s.body);
    if (result.fits)
        s.length = static_cast<std::uint16_t>(result.length);
    return result;
}

std::optional<MacroLibrary::View> MacroLibrary::view(std::size_t index) {
    if (index >= kLibrarySlotCount)
        return std::nullopt;
    LibrarySlot& s = m_slots[index];
    s.length = static_cast<std::uint16_t>(storedLength(s.body).value_or(s.length));
    const std::size_t n = std::min<std::size_t>(s.length, kMacroBodySize);
    if (n <= 1)
        return std::nullopt;
    return View{hexString(std::span<const Byte>(s.body.data(), n)), decodeMacro(s.body, n)};
}

MacroLibrary::Result MacroLibrary::importOne(std::span<const Byte> fileBytes, std::size_t* newSlot) {
    if (!canImportOne())
        return Result::Full;
    SingleMacroRecord record{};
    std::copy_n(fileBytes.begin(), std::min(fileBytes.size(), record.size()), record.begin());
    LibrarySlot imported;
    readRecord(record, imported);
    if (!imported.inUse())
        return Result::InvalidFile;
    const std::size_t n = count();
    for (std::size_t i = 0; i < n; ++i) {
        if (m_slots[i].name == imported.name)
            return Result::Duplicate;
    }
    m_slots[n] = imported;
    if (newSlot)
        *newSlot = n;
    return Result::Done;
}

void MacroLibrary::importAll(std::span<const Byte> fileBytes) {
    std::vector<Byte> image = toBytes();
    std::copy_n(fileBytes.begin(), std::min(fileBytes.size(), image.size()), image.begin());
    *this = fromBytes(image);
}

std::optional<SingleMacroRecord> MacroLibrary::exportOne(std::size_t index) const {
    if (index >= kLibrarySlotCount || !m_slots[index].inUse())
        return std::nullopt;
    SingleMacroRecord record{};
    std::copy(m_slots[index].name.begin(), m_slots[index].name.end(), record.begin());
    std::copy(m_slots[index].body.begin(), m_slots[index].body.end(), record.begin() + kMacroNameFieldSize);
    return record;
}

} // namespace tarvik::core
