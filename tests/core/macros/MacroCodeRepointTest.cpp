#include "core/macros/MacroCodeRepoint.h"

#include "core/macros/DeviceMacroTable.h"
#include "core/macros/MacroName.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace tarvik::core {
namespace {

KeyFunctionCode code(const char* text) {
    return *KeyFunctionCode::fromText(text);
}

std::array<KeyFunctionCode, 36> leftClicks() {
    std::array<KeyFunctionCode, 36> codes{};
    codes.fill(code("01010000"));
    return codes;
}

std::string describe(const std::vector<ButtonCodeChange>& changes) {
    std::string out;
    for (const auto& c : changes)
        out += std::to_string(c.mode) + "/" + std::to_string(c.button) + "=" + c.code.text() + " ";
    return out;
}

TEST(MacroAddressMoves, RowsAfterTheDeletedOneMoveUp) {
    const MacroAddressTable before({0x0200, 0x0213, 0x0230});
    const MacroAddressTable after({0x0200, 0x021D});
    const auto moves = macroAddressMoves(before, 1, after);
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(moves[0].to, 0x0200);
    EXPECT_FALSE(moves[1].to.has_value());
    EXPECT_EQ(moves[2].from, 0x0230);
    EXPECT_EQ(moves[2].to, 0x021D);
    // Nothing deleted (a macro added at the end): every row keeps its place.
    const auto added =
        macroAddressMoves(MacroAddressTable({0x4000}), std::nullopt, MacroAddressTable({0x4000, 0x4100}));
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].to, 0x4000);
}

// Which buttons are re-coded is decided by the address each code holds, in every work mode.
TEST(RepointMacroCodes, MovedMacrosAreFollowedAndDeletedOnesFallBack) {
    const FunctionCodeContext context;
    const std::vector<MacroAddressMove> moves = {{0x0200, std::nullopt}, {0x0213, 0x0200}, {0x0230, 0x021D}};
    struct Case {
        const char* what;
        int entry; // 0-based, 12(mode-1) + button-1
        const char* before;
        const char* expected; // "" = unchanged
    };
    const Case cases[] = {
        {"moved macro in Office Mode", 0, "10021300", "10020000"},
        {"moved macro in Game Mode", 12 + 2, "10021300", "10020000"},
        {"moved macro in Third Mode", 24 + 4, "10023000", "10021D00"},
        {"deleted macro, button 1 falls back to Left Key", 1 - 1, "10020000", "01010000"},
        {"deleted macro, button 8 falls back to Win+D", 12 + 7, "10020000", "02080700"},
        {"deleted macro, button 11 falls back to LED Switch", 24 + 10, "10020000", "08000000"},
        {"deleted macro, button 4 falls back to WWW Home", 3, "10020000", "03022300"},
        {"address no macro started at", 5, "10025500", ""},
        {"not a macro code that happens to hold the bytes", 6, "02021300", ""},
    };
    for (const Case& c : cases) {
        auto codes = leftClicks();
        codes[static_cast<std::size_t>(c.entry)] = code(c.before);
        const auto changes = repointMacroCodes(codes, moves, context);
        if (*c.expected == '\0') {
            EXPECT_TRUE(changes.empty()) << c.what << ": " << describe(changes);
            continue;
        }
        ASSERT_EQ(changes.size(), 1u) << c.what << ": " << describe(changes);
        EXPECT_EQ(changes[0].mode, c.entry / 12 + 1) << c.what;
        EXPECT_EQ(changes[0].button, c.entry % 12 + 1) << c.what;
        EXPECT_EQ(changes[0].code.text(), c.expected) << c.what;
    }
}

// Two macros of the same name: only the button that played the deleted one falls back.
TEST(RepointMacroCodes, SameNameDoesNotConfuseTwoMacros) {
    DeviceMacroTable table;
    table.loadEeprom(EepromMacroArea{});
    MacroBody body{};
    body[0] = 0xA1;
    body[1] = 0x21;
    ASSERT_EQ(table.add(nameToField("Same"), body), DeviceMacroTable::Result::Done);
    ASSERT_EQ(table.add(nameToField("Same"), body), DeviceMacroTable::Result::Done);
    const MacroAddressTable before = table.addressTable();
    ASSERT_EQ(table.remove(0), DeviceMacroTable::Result::Done);
    const auto moves = macroAddressMoves(before, 0, table.addressTable());

    auto codes = leftClicks();
    codes[0] = code("10021300");  // the second macro, Office Mode
    codes[12] = code("10020000"); // the first, Game Mode
    const auto changes = repointMacroCodes(codes, moves, FunctionCodeContext{});
    EXPECT_EQ(describe(changes), "1/1=10020000 2/1=01010000 ");
}

} // namespace
} // namespace tarvik::core
