#pragma once
// What one mouse button does in one work mode: four bytes, byte 0 the function type. The profile
// sections hold the bytes; the button code table and every comparison use the text form, eight
// upper-case hexadecimal digits, byte 0 first ("0300CD00").

#include "core/image/ConfigImage.h"

#include <algorithm>
#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarvik::core {

// Two upper-case hexadecimal digits.
std::string hexByte(Byte value);

namespace code_type {
inline constexpr Byte kNone = 0x00;
inline constexpr Byte kMouseButton = 0x01;
inline constexpr Byte kKeyCombination = 0x02;
inline constexpr Byte kConsumer = 0x03;
inline constexpr Byte kPower = 0x04;
inline constexpr Byte kAim = 0x05;
inline constexpr Byte kFireKey = 0x06;
inline constexpr Byte kWorkModeSwitch = 0x07;
inline constexpr Byte kLighting = 0x08;
inline constexpr Byte kDpi = 0x09;
inline constexpr Byte kAdjustXY = 0x0A;
inline constexpr Byte kFireMacroControl = 0x0B;
inline constexpr Byte kReportRate = 0x0C;
inline constexpr Byte kLedMode = 0x0E;
inline constexpr Byte kMacro = 0x10;
} // namespace code_type

struct KeyFunctionCode {
    std::array<Byte, 4> bytes{};

    constexpr KeyFunctionCode() = default;
    constexpr KeyFunctionCode(Byte b0, Byte b1, Byte b2, Byte b3) : bytes{b0, b1, b2, b3} {}
    explicit constexpr KeyFunctionCode(std::span<const Byte, 4> from)
        : bytes{from[0], from[1], from[2], from[3]} {}

    // Exactly eight hexadecimal digits, either letter case; anything else is not a code.
    static std::optional<KeyFunctionCode> fromText(std::string_view text);

    // The text form: eight upper-case hexadecimal digits.
    std::string text() const;

    void writeTo(std::span<Byte, 4> to) const { std::copy(bytes.begin(), bytes.end(), to.begin()); }

    constexpr Byte type() const { return bytes[0]; }
    constexpr Byte operator[](std::size_t i) const { return bytes[i]; }
    // Bytes 2-3 as a big-endian number (the fire key delay, the macro address is bytes 1-2).
    constexpr std::uint16_t word23() const { return static_cast<std::uint16_t>(bytes[2] << 8 | bytes[3]); }

    friend constexpr bool operator==(const KeyFunctionCode&, const KeyFunctionCode&) = default;
};

// The fire key settings as edited on the Advanced page and stored in the fire key block.
struct FireKeySetting {
    int count = 1;           // shots per press, 1-15 as edited (the block stores count - 1)
    std::uint16_t delay = 0; // interval between shots
    bool continuous = false; // fire for as long as the button is held
};

// 06, 0x10 + count - 1 (bit 7 when continuous), delay big-endian. The count is reduced to the low
// four bits the mouse reads, so an out-of-range count can never spill into the continuous bit or
// the type nibble.
KeyFunctionCode fireKeyCode(const FireKeySetting& setting);

// The fire key settings kept in a configuration image's fire key block (continuous is not stored
// there: it lives in the codes of the buttons).
std::array<FireKeySetting, 3> fireKeySettingsFromImage(std::span<const Byte, image::kImageSize> image);

} // namespace tarvik::core
