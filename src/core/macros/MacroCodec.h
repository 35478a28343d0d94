#pragma once
// The two conversions between the editor's MacroText and the stored MacroBytes, and the rule that
// finds where a stored body ends when its length is not stored with it.

#include "core/macros/MacroTypes.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarvik::core {

// The bytes of a text: the events of lines 1.. (line 0, the header, is not encoded) and the end
// byte. Press and release lines give their bytes after "CODE:" (one byte for a button), "0 n" a
// delay (a text that is not a number is 0, a number above 65535 is 65535), "3"-"6" lines their last
// six hexadecimal digits, "7" lines their last four, "8" lines their last two. Lines of any other
// kind, and lines whose digits are not hexadecimal, add nothing. Never empty: a text with no events
// gives the single end byte.
std::vector<Byte> encodeMacro(const MacroText& text);

struct EncodeResult {
    bool fits = false;      // false: the text needs more than the body holds and the body is unchanged
    std::size_t length = 0; // bytes of the encoding, end byte included (also when it does not fit)
    std::string hex;        // the encoding as hexadecimal digits, for the diagnostic view
};

// EncodeMacro into a body: the body is zero-filled and the encoding written from its start. A text
// whose encoding is longer than the body is refused (fits = false) and the body is left as it was,
// so a stored macro is never cut in the middle of an event or written past its slot.
EncodeResult encodeMacroInto(const MacroText& text, std::span<Byte> body);

struct DecodedMacro {
    MacroText text; // settled header, then one line per event
    DelayMode delayMode = DelayMode::NoDelay;
    std::uint16_t defaultDelay = 0; // the common gap when delayMode is DefaultDelay
    bool complete = true;           // false: decoding stopped at a byte that is no event
};

// DecodeMacro: the lines of the first `length` bytes of a body (the last of them, the end byte, is not
// decoded, and may lie just past the body). Decoding stops at a byte that is no event code, at a modifier
// byte that is not one of the five modifier bits, and where an event's parameters would lie beyond the body.
// The header is settled from the first four delays (a missing one counts 0): all 0 gives "00" (NoDelay), all
// equal gives "01" + the value (DefaultDelay), anything else "10" (RecordDelay).
DecodedMacro decodeMacro(std::span<const Byte> body, std::size_t length);

// StoredLength: the first position i at which bytes i, i+1 and i+2 are all 0 gives i + 1 (bytes past
// the end of the body count as 0, so an end byte in the last place is found). A body whose first
// three bytes are 0 has length 1, the empty macro. Nothing when the body holds no such place; callers
// then keep the length they knew.
std::optional<std::size_t> storedLength(std::span<const Byte> body);

// The DelayModeHeader line of a mode: "10", "01" + the delay in decimal, "00".
std::string delayModeHeader(DelayMode mode, std::uint16_t defaultDelay = 0);

} // namespace tarvik::core
