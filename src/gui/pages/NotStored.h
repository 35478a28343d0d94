#pragma once
// The language keys that tell the user which action's writes the mouse did not take, for
// Shell::reportNotStored. One per kind of action, so that the user learns what to look at again.

namespace tarvik::gui::notstored {

inline constexpr const char* kWorkMode = "Str120";     // a work-mode switch
inline constexpr const char* kKeys = "Str121";         // a button assignment (key-block commit)
inline constexpr const char* kDefaults = "Str122";     // Default Setting 1 or 2
inline constexpr const char* kProfile = "Str123";      // a loaded profile file
inline constexpr const char* kPatch = "Str124";        // Program: a report was refused
inline constexpr const char* kPatchDiffers = "Str125"; // Program: the patch read back differs
inline constexpr const char* kSetting = "Str126";      // a live setting (DPI, colour, lighting, rate)
inline constexpr const char* kMacros = "Str127";       // the macros written to the mouse
inline constexpr const char* kFireKeys = "Str128";     // the fire page's Confirm

} // namespace tarvik::gui::notstored
