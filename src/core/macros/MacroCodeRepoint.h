#pragma once
// Button codes that play device macros name them by address, and the addresses move when a macro
// is deleted (and, for "I2C", may move when the area is packed again). Which macro a code plays is
// decided by the address it holds before the change, never by the caption a button shows: two
// macros may share a name, and a caption is that of the current work mode only.

#include "core/keys/FunctionCodeContext.h"
#include "core/keys/KeyFunctionCode.h"
#include "core/macros/MacroAddressTable.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tarvik::core {

// Where the macro that started at `from` starts after the change; nothing when it was deleted.
struct MacroAddressMove {
    std::uint16_t from = 0;
    std::optional<std::uint16_t> to;
};

// The moves of a change of the device macro table: row r before becomes row r after, except that
// the deleted row (if any) goes and the rows after it move up by one.
std::vector<MacroAddressMove> macroAddressMoves(const MacroAddressTable& before,
                                                std::optional<std::size_t> deletedRow,
                                                const MacroAddressTable& after);

// FallbackFunction: what button 1..12 does once the macro it carried is gone.
KeyFunctionCode fallbackFunction(int button, const FunctionCodeContext& context);

struct ButtonCodeChange {
    int mode = 0;   // 1..3
    int button = 0; // 1..12
    KeyFunctionCode code;
};

// InitKeysParameters and RefreshKeysParameters in one: every button of every work mode whose code
// plays a macro that moved gets that macro's new address; one whose macro was deleted falls back.
// `codes` are the 36 codes in entry order (work mode 1 buttons 1-12, then modes 2 and 3). Codes of
// macros that did not move, and codes naming an address no macro started at, are left alone.
std::vector<ButtonCodeChange> repointMacroCodes(std::span<const KeyFunctionCode> codes,
                                                std::span<const MacroAddressMove> moves,
                                                const FunctionCodeContext& context);

} // namespace tarvik::core
