#pragma once
// Conversions between the UTF-8 text used throughout the core and the UTF-16 found in the language
// tables, macro names and the operating system. Malformed input never fails: each broken sequence
// becomes U+FFFD, so a damaged table or macro name still shows what is readable.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik::core {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// UTF-8 to UTF-16. Invalid bytes, overlong forms, surrogate code points and values above U+10FFFF
// each become one U+FFFD.
std::u16string utf8ToUtf16(std::string_view utf8);

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view utf16);

// Little-endian UTF-16 bytes (no byte-order mark expected) to UTF-8. A trailing odd byte is ignored.
std::string utf16LeToUtf8(std::span<const std::uint8_t> bytes);

// UTF-8 to little-endian UTF-16 bytes, without a byte-order mark.
std::vector<std::uint8_t> utf8ToUtf16Le(std::string_view utf8);

} // namespace tarvik::core
