#include "core/keys/KeyCodeMaps.h"

#include "core/keys/KeyTables.h"

#include <gtest/gtest.h>

using namespace tarvik::core;

namespace {

// The key a number stands for, by its name in the key table, so that a wrong code shows as a
// readable key.
std::string keyOf(int virtualKey) {
    return hookKeyName(virtualKeyToHookKey(virtualKey));
}

} // namespace

TEST(KeyCodeMapsTest, KeysymsToKeys) {
    struct Case {
        std::uint32_t keysym;
        const char* key;
    };
    const Case cases[] = {
        {'a', "A"},
        {'Z', "Z"},
        {'0', "0"},
        {' ', "Space bar"},
        {';', "OEM_1"},
        {'\'', "OEM_7"},
        {'`', "OEM_3"},
        {'/', "OEM_2"},
        {keysym::kReturn, "Enter"},
        {keysym::kKP_Enter, "Enter"},
        {keysym::kEscape, "Esc"},
        {keysym::kBackSpace, "Backspace"},
        {keysym::kPrint, "Print Screen"},
        {keysym::kShift_L, "Shift"},
        {keysym::kShift_R, "Shift"},
        {keysym::kControl_R, "Ctrl"},
        {keysym::kAlt_L, "Alt"},
        {keysym::kSuper_L, "Left Windows"},
        {keysym::kSuper_R, "Right Windows"},
        {keysym::kMenu, "Applications"},
        {keysym::kCaps_Lock, "Caps Lock"},
        {keysym::kF1, "F1"},
        {keysym::kF1 + 12, "F13"},
        {keysym::kF24, "F24"},
        {keysym::kKP_0, "0 (numeric pad)"},
        {keysym::kKP_9, "9 (numeric pad)"},
        {keysym::kKP_End, "1 (numeric pad)"}, // Num Lock off: the same physical key
        {keysym::kKP_Delete, "Decimal (numeric pad)"},
        {keysym::kKP_Divide, "Divide (numeric pad)"},
        {keysym::kPrior, "Page Up"},
        {keysym::kDelete, "Delete"},
        {keysym::kXF86AudioRaiseVolume, "Volume_Up"},
        {keysym::kXF86AudioPlay, "Media_Play_Pause"},
        {keysym::kXF86Back, "Browser_Back"},
        {keysym::kXF86Mail, "Launch_Mail"},
        {0xe9, "None"},       // eacute: no key of its own in the table
        {0xfe52, "None"},     // dead_circumflex
        {0x1008ff2a, "None"}, // XF86PowerOff
    };
    for (const Case& c : cases)
        EXPECT_EQ(keyOf(virtualKeyFromKeysym(c.keysym)), c.key) << std::hex << c.keysym;
}

TEST(KeyCodeMapsTest, QtKeysToKeys) {
    struct Case {
        int qtKey;
        bool keypad;
        const char* key;
    };
    const Case cases[] = {
        {'A', false, "A"},
        {'7', false, "7"},
        {'&', false, "7"}, // Shift+7
        {'7', true, "7 (numeric pad)"},
        {'*', false, "8"},
        {'*', true, "Multiply (numeric pad)"},
        {'+', false, "OEM_Plus"},
        {'+', true, "Add (numeric pad)"},
        {qtkey::kHome, false, "Home"},
        {qtkey::kHome, true, "7 (numeric pad)"},
        {qtkey::kEnter, true, "Enter"},
        {qtkey::kReturn, false, "Enter"},
        {qtkey::kBacktab, false, "Tab"},
        {qtkey::kControl, false, "Ctrl"},
        {qtkey::kAltGr, false, "Alt"},
        {qtkey::kMeta, false, "Left Windows"},
        {qtkey::kSuper_R, false, "Right Windows"},
        {qtkey::kF1, false, "F1"},
        {qtkey::kF24, false, "F24"},
        {qtkey::kSelect, false, "Select"},
        {qtkey::kVolumeMute, false, "Volume_Mute"},
        {qtkey::kMediaTogglePlayPause, false, "Media_Play_Pause"},
        {qtkey::kLaunch0, false, "Launch_App1"},
        {qtkey::kCalculator, false, "Launch_App2"},
        {0xe9, false, "None"},
        {0x01000100, false, "None"}, // Qt::Key_MediaLast... beyond the table
    };
    for (const Case& c : cases)
        EXPECT_EQ(keyOf(virtualKeyFromQtKey(c.qtKey, c.keypad)), c.key) << std::hex << c.qtKey;
}

TEST(KeyCodeMapsTest, X11ButtonsToMacroButtons) {
    EXPECT_EQ(mouseButtonFromX11(1), MouseButton::Left);
    EXPECT_EQ(mouseButtonFromX11(2), MouseButton::Middle);
    EXPECT_EQ(mouseButtonFromX11(3), MouseButton::Right);
    EXPECT_EQ(mouseButtonFromX11(8), MouseButton::Backward);
    EXPECT_EQ(mouseButtonFromX11(9), MouseButton::Forward);
    for (unsigned wheel : {4u, 5u, 6u, 7u, 10u, 0u})
        EXPECT_EQ(mouseButtonFromX11(wheel), std::nullopt);
}
