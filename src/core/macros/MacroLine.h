#pragma once
// Builders of the editor's MacroLines, shared by the decoder, the recorder and the editor so that
// every line of one kind is spelt the same way.

#include "core/keys/KeyTables.h"
#include "core/macros/MacroTypes.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarvik::core {

// "LeftKey", "RightKey", "MiddleKey", "Forward", "Backward"; empty for any other bit.
std::string buttonName(Byte buttonBit);

// The key name of a keyboard modifier bit (0x01 Ctrl, 0x02 Shift, 0x04 Alt, 0x08 left Windows,
// 0x80 right Windows); empty for any other value.
std::string modifierName(Byte modifierBit);

// "1 LeftKey CODE:00A1" / "2 LeftKey CODE:0021"; empty for a bit that is not a button.
std::string buttonLine(bool press, Byte buttonBit);

// "1 Ctrl CODE:8101" / "2 Ctrl CODE:0101"; empty for a bit that is not one of the five modifiers.
std::string modifierLine(bool press, Byte modifierBit);

// "1 A CODE:8204" / "2 A CODE:0204": the given name with the device key code.
std::string keyLine(bool press, std::string_view name, DeviceKeyCode key);

// "0 50".
std::string delayLine(std::uint16_t milliseconds);

// "3 04FB0A": both components as two's-complement bytes; they are clamped to fields::kEventMove.
std::string moveLine(int x, int y);

// "7 FD0A"; the count is clamped to fields::kEventRepeat.
std::string repeatStartLine(int count);

// "8 FC".
std::string repeatEndLine();

// Two upper-case hexadecimal digits per byte, nothing between them.
std::string hexString(std::span<const Byte> bytes);

} // namespace tarvik::core
