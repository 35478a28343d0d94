#pragma once
// The "I2C" device macro store: up to 15 macros packed one after another into 512 bytes, each a
// 16-byte name, the events and an end byte. The area is written to the mouse as two 256-byte
// blocks, and an event that starts with a delay, modifier or key code must not begin in the last
// byte of the first block: such an event is pushed to offset 256 and offset 255 gets a 0xFC.

#include "core/macros/DeviceMacroEntry.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tarvik::core {

inline constexpr std::size_t kEepromMacroAreaSize = 512;
inline constexpr std::size_t kEepromMacroCount = 15;
inline constexpr std::uint16_t kEepromMacroAreaAddress = 496;
inline constexpr std::uint16_t kEepromFirstMacroAddress = 0x0200; // 496 + the first name
inline constexpr std::size_t kEepromPageBoundary = 256;
inline constexpr std::size_t kEepromEmptyMacroLength = kMacroNameFieldSize + 1;

using EepromMacroArea = std::array<Byte, kEepromMacroAreaSize>;
using EepromMacroEntries = std::array<DeviceMacroEntry, kEepromMacroCount>;

// The entries an area image holds (the reading half of UnpackEepromMacros). The area carries no
// lengths: a body ends at the first 0x00 found where an event would start, the events being walked
// by their sizes, so parameter bytes of 0x00 stay in the body. Reading stops at a name that starts with 00 00
// or holds 0xFF in its first two bytes, and at a macro whose end does not lie within the area and a 256-byte
// body; every later entry stays unused.
EepromMacroEntries readEepromMacros(std::span<const Byte, kEepromMacroAreaSize> area);

// Bytes a body takes in the area, its end byte included: its events walked by their sizes up to the
// first 0x00 where an event would start. Nothing when no end byte lies within the body.
std::optional<std::size_t> eepromBodyLength(std::span<const Byte> body);

struct EepromPackResult {
    EepromMacroArea area{};     // the image; never holds more than its 512 bytes
    std::size_t usedBytes = 0;  // UsedMacroBytes: the sum of the lengths, filler bytes included
    std::size_t packedSize = 0; // bytes the macros need, which may exceed the area
    bool fits() const { return packedSize <= kEepromMacroAreaSize; }
};

// PackEepromMacros: the image of the entries in use, in index order. Lengths grow by the filler byte
// where the page-boundary rule adds one, and addresses are recomputed. When the macros need more
// than 512 bytes the image holds what fits and fits() is false.
EepromPackResult packEepromMacros(EepromMacroEntries& entries);

} // namespace tarvik::core
