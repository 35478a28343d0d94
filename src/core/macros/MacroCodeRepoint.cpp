#include "core/macros/MacroCodeRepoint.h"

#include "core/keys/FunctionCodeCatalogue.h"

#include <array>
#include <stdexcept>

namespace tarvik::core {

std::vector<MacroAddressMove> macroAddressMoves(const MacroAddressTable& before,
                                                std::optional<std::size_t> deletedRow,
                                                const MacroAddressTable& after) {
    std::vector<MacroAddressMove> moves;
    moves.reserve(before.size());
    for (std::size_t row = 0; row < before.size(); ++row) {
        MacroAddressMove move{before.address(row), std::nullopt};
        if (deletedRow && row == *deletedRow) {
            moves.push_back(move);
            continue;
        }
        const std::size_t newRow = deletedRow && row > *deletedRow ? row - 1 : row;
        if (newRow < after.size())
            move.to = after.address(newRow);
        moves.push_back(move);
    }
    return moves;
}

KeyFunctionCode fallbackFunction(int button, const FunctionCodeContext& context) {
    // Catalogue tags: Left Key, Backward, CPI +, WWW Home, Right Key, Forward, CPI -, (Win+D),
    // Middle Key, CPI Loop, LED Switch, LED Switch.
    static constexpr std::array<int, 12> kTags = {900,  903, 2001, 1200, 901,  904,
                                                  2002, 0,   902,  2000, 1002, 1002};
    if (button < 1 || button > 12)
        throw std::out_of_range("fallbackFunction: button 1..12");
    if (button == 8)
        return KeyFunctionCode(0x02, 0x08, 0x07, 0x00); // Win+D
    return *KeyFunctionCode::fromText(
        functionCodeForEntry(kTags[static_cast<std::size_t>(button - 1)], context));
}

std::vector<ButtonCodeChange> repointMacroCodes(std::span<const KeyFunctionCode> codes,
                                                std::span<const MacroAddressMove> moves,
                                                const FunctionCodeContext& context) {
    std::vector<ButtonCodeChange> changes;
    for (std::size_t entry = 0; entry < codes.size(); ++entry) {
        const KeyFunctionCode& code = codes[entry];
        if (code.type() != code_type::kMacro)
            continue;
        const auto address = static_cast<std::uint16_t>(code[1] << 8 | code[2]);
        // When two entries started at the same address, the last names the macro (as naming does).
        const MacroAddressMove* found = nullptr;
        for (const MacroAddressMove& move : moves)
            if (move.from == address)
                found = &move;
        if (!found || found->to == address)
            continue;
        const int mode = static_cast<int>(entry / 12) + 1;
        const int button = static_cast<int>(entry % 12) + 1;
        const KeyFunctionCode next = found->to ? *KeyFunctionCode::fromText(macroFunctionCode(*found->to))
                                               : fallbackFunction(button, context);
        changes.push_back({mode, button, next});
    }
    return changes;
}

} // namespace tarvik::core
