#pragma once
// The seven weapon presets of the Fire Macro page: which fire macro slots each plays (one segment
// per slot) and which gun-mode pictures it shows. Their codes are built by weaponPresetCode
// (core/keys/FunctionCodeCatalogue.h), which naming shares.

#include <vector>

namespace tarvik::core {

inline constexpr int kFirePresets = 7;
inline constexpr int kFireGunModes = 5;

// The fire macro slots (0..9) of preset 1..7, in segment order. Throws std::out_of_range for
// another preset.
std::vector<int> firePresetSlots(int preset);

// The gun-mode pictures (1..5) preset 1..7 shows: 1 and 2 for preset 6, 3 to 5 for preset 7.
std::vector<int> firePresetGunModes(int preset);

} // namespace tarvik::core
