#pragma once
// Stored macro names (MacroNameField): the same 16-byte form in device macros, library slots, fire
// macros and macro files.

#include "core/macros/MacroTypes.h"

#include <span>
#include <string>
#include <string_view>

namespace tarvik::core {

// The field of a UTF-8 name: its UTF-16 code units high byte first, zero-padded. The field ends at a
// U+0000 in the name and holds at most eight code units; a character that would not fit whole (a
// surrogate pair at unit 8) is left out together with everything after it, so a field never holds
// half a character. Invalid UTF-8 becomes U+FFFD.
MacroNameField nameToField(std::string_view name);

// The UTF-8 name of a field: eight UTF-16 code units high byte first, ending at the first zero unit.
// An unpaired surrogate reads as U+FFFD.
std::string fieldToName(std::span<const Byte, kMacroNameFieldSize> field);

// How many UTF-16 code units a UTF-8 name has (the name dialog limits names to eight).
std::size_t nameLengthInUnits(std::string_view name);

} // namespace tarvik::core
