#pragma once
// The shapes every macro store shares: the 16-byte name, the 256-byte body and the editor's text.

#include "core/image/ConfigImage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvik::core {

inline constexpr std::size_t kMacroNameFieldSize = 16;
inline constexpr std::size_t kMacroNameMaxUnits = kMacroNameFieldSize / 2;
inline constexpr std::size_t kMacroBodySize = 256;

// Up to eight UTF-16 code units, each high byte first, zero-padded.
using MacroNameField = std::array<Byte, kMacroNameFieldSize>;

// Events plus the end byte 0x00, zero-filled to the body size.
using MacroBody = std::array<Byte, kMacroBodySize>;

// The editor's form: line 0 is the DelayModeHeader ("10", "01" + n or "00"), then one MacroLine
// per event ("1 LeftKey CODE:00A1", "0 50", "3 04FB0A", ...).
using MacroText = std::vector<std::string>;

enum class DelayMode { RecordDelay, DefaultDelay, NoDelay };

// Event code bytes of MacroBytes.
namespace macro {
inline constexpr Byte kEnd = 0x00;
inline constexpr Byte kModifierDown = 0x81;
inline constexpr Byte kModifierUp = 0x01;
inline constexpr Byte kKeyDown = 0x82;
inline constexpr Byte kKeyUp = 0x02;
inline constexpr Byte kButtonDown = 0xA0; // OR a button bit
inline constexpr Byte kButtonUp = 0x20;   // OR a button bit
inline constexpr Byte kMove = 0x04;
inline constexpr Byte kDelay = 0xFE;
inline constexpr Byte kRepeatStart = 0xFD;
inline constexpr Byte kRepeatEnd = 0xFC;

inline constexpr Byte kLeftButton = 0x01;
inline constexpr Byte kRightButton = 0x02;
inline constexpr Byte kMiddleButton = 0x04;
inline constexpr Byte kForwardButton = 0x08;
inline constexpr Byte kBackwardButton = 0x10;

// Size in bytes of the event that starts with this code (the end byte counts 1). Codes that are not
// events also count 1, so that a walk over damaged bytes always moves on.
std::size_t eventSize(Byte code);

// True for the ten button press and release codes.
bool isButtonCode(Byte code);
} // namespace macro

} // namespace tarvik::core
