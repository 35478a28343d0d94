// Keys by their place on the keyboard: every place is checked against the kernel's input codes and
// the HID keyboard usage of that place, both written out here from their own tables.
#include "core/keys/KeyPositions.h"

#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <algorithm>
#include <map>

using namespace tarvik::core;

namespace {

// Places of the keyboard page: input code and the HID usage a USB keyboard sends for that key.
struct Place {
    int code;
    int usage;
};
const Place kKeyboardPlaces[] = {
    {KEY_ESC, 0x29},        {KEY_1, 0x1E},          {KEY_2, 0x1F},        {KEY_9, 0x26},
    {KEY_0, 0x27},          {KEY_MINUS, 0x2D},      {KEY_EQUAL, 0x2E},    {KEY_BACKSPACE, 0x2A},
    {KEY_TAB, 0x2B},        {KEY_Q, 0x14},          {KEY_W, 0x1A},        {KEY_E, 0x08},
    {KEY_R, 0x15},          {KEY_T, 0x17},          {KEY_Y, 0x1C},        {KEY_U, 0x18},
    {KEY_I, 0x0C},          {KEY_O, 0x12},          {KEY_P, 0x13},        {KEY_LEFTBRACE, 0x2F},
    {KEY_RIGHTBRACE, 0x30}, {KEY_ENTER, 0x28},      {KEY_LEFTCTRL, 0xE0}, {KEY_A, 0x04},
    {KEY_S, 0x16},          {KEY_D, 0x07},          {KEY_F, 0x09},        {KEY_G, 0x0A},
    {KEY_H, 0x0B},          {KEY_J, 0x0D},          {KEY_K, 0x0E},        {KEY_L, 0x0F},
    {KEY_SEMICOLON, 0x33},  {KEY_APOSTROPHE, 0x34}, {KEY_GRAVE, 0x35},    {KEY_LEFTSHIFT, 0xE1},
    {KEY_BACKSLASH, 0x31},  {KEY_Z, 0x1D},          {KEY_X, 0x1B},        {KEY_C, 0x06},
    {KEY_V, 0x19},          {KEY_B, 0x05},          {KEY_N, 0x11},        {KEY_M, 0x10},
    {KEY_COMMA, 0x36},      {KEY_DOT, 0x37},        {KEY_SLASH, 0x38},    {KEY_RIGHTSHIFT, 0xE5},
    {KEY_KPASTERISK, 0x55}, {KEY_LEFTALT, 0xE2},    {KEY_SPACE, 0x2C},    {KEY_CAPSLOCK, 0x39},
    {KEY_F1, 0x3A},         {KEY_F10, 0x43},        {KEY_NUMLOCK, 0x53},  {KEY_SCROLLLOCK, 0x47},
    {KEY_KP7, 0x5F},        {KEY_KP8, 0x60},        {KEY_KP9, 0x61},      {KEY_KPMINUS, 0x56},
    {KEY_KP4, 0x5C},        {KEY_KP5, 0x5D},        {KEY_KP6, 0x5E},      {KEY_KPPLUS, 0x57},
    {KEY_KP1, 0x59},        {KEY_KP2, 0x5A},        {KEY_KP3, 0x5B},      {KEY_KP0, 0x62},
    {KEY_KPDOT, 0x63},      {KEY_102ND, 0x64},      {KEY_F11, 0x44},      {KEY_F12, 0x45},
    {KEY_RIGHTCTRL, 0xE4},  {KEY_KPSLASH, 0x54},    {KEY_SYSRQ, 0x46},    {KEY_RIGHTALT, 0xE6},
    {KEY_HOME, 0x4A},       {KEY_UP, 0x52},         {KEY_PAGEUP, 0x4B},   {KEY_LEFT, 0x50},
    {KEY_RIGHT, 0x4F},      {KEY_END, 0x4D},        {KEY_DOWN, 0x51},     {KEY_PAGEDOWN, 0x4E},
    {KEY_INSERT, 0x49},     {KEY_DELETE, 0x4C},     {KEY_PAUSE, 0x48},    {KEY_LEFTMETA, 0xE3},
    {KEY_RIGHTMETA, 0xE7},  {KEY_COMPOSE, 0x65},    {KEY_HELP, 0x75},     {KEY_F13, 0x68},
    {KEY_F24, 0x73},        {KEY_SELECT, 0x77},     {KEY_CLEAR, 0x9C},
};

// Places of consumer keys, which the mouse plays with codes of its own: checked by the key's name.
const std::pair<int, const char*> kConsumerPlaces[] = {
    {KEY_MUTE, "Volume_Mute"},
    {KEY_VOLUMEDOWN, "Volume_Down"},
    {KEY_VOLUMEUP, "Volume_Up"},
    {KEY_NEXTSONG, "Media_Next_Track"},
    {KEY_PREVIOUSSONG, "Media_Prev_Track"},
    {KEY_STOPCD, "Media_Stop"},
    {KEY_PLAYPAUSE, "Media_Play_Pause"},
    {KEY_BACK, "Browser_Back"},
    {KEY_FORWARD, "Browser_Forward"},
    {KEY_REFRESH, "Browser_Refresh"},
    {KEY_STOP, "Browser_Stop"},
    {KEY_SEARCH, "Browser_Search"},
    {KEY_BOOKMARKS, "Browser_Favorites"},
    {KEY_HOMEPAGE, "Browser_Home"},
    {KEY_MAIL, "Launch_Mail"},
    {KEY_MEDIA, "Launch_Media_Select"},
    {KEY_COMPUTER, "Launch_App1"},
    {KEY_CALC, "Launch_App2"},
};

} // namespace

TEST(KeyPositionsTest, EachPlaceGivesTheKeyOfItsHidUsage) {
    for (const Place& p : kKeyboardPlaces) {
        SCOPED_TRACE(p.code);
        const auto position = keyAtPosition(p.code);
        ASSERT_TRUE(position);
        EXPECT_EQ(position->usage, p.usage);
        EXPECT_EQ(hookKeyToDeviceKey(position->key), p.usage);
        EXPECT_EQ(position->virtualKey, hookKeyVirtualKey(position->key));
    }
    for (const auto& [code, name] : kConsumerPlaces) {
        SCOPED_TRACE(code);
        const auto position = keyAtPosition(code);
        ASSERT_TRUE(position);
        EXPECT_EQ(hookKeyName(position->key), name);
        EXPECT_EQ(position->usage, hookKeyToDeviceKey(position->key));
    }
    // Keypad Enter stays Enter, as it has always been recorded.
    EXPECT_EQ(keyAtPosition(KEY_KPENTER)->key, HookKey::kh_Return);
}

TEST(KeyPositionsTest, EveryKeyWithAPlaceIsReachedFromExactlyOnePlace) {
    std::map<HookKey, int> reached;
    for (int code = -1; code < 0x300; ++code)
        if (const auto position = keyAtPosition(code))
            ++reached[position->key];
    // Entries without a place of their own: the generic modifiers (either hand's key stands for
    // them), the ones no key produces, Separator (its usage is keypad Enter's) and OEM_8, which the
    // reference keyboard lacks.
    const HookKey placeless[] = {HookKey::kh_None,      HookKey::kh_Demo,    HookKey::kh_255,
                                 HookKey::kh_Shift,     HookKey::kh_Control, HookKey::kh_Alt,
                                 HookKey::kh_Separator, HookKey::kh_OEM_8,   HookKey::kh_Return_KP};
    for (int value = 0; value < static_cast<int>(kHookKeyCount); ++value) {
        const auto key = static_cast<HookKey>(value);
        SCOPED_TRACE(hookKeyName(key) + " / " + std::to_string(value));
        const bool hasPlace =
            std::find(std::begin(placeless), std::end(placeless), key) == std::end(placeless);
        const int expected = key == HookKey::kh_Return ? 2 : (hasPlace ? 1 : 0);
        EXPECT_EQ(reached[key], expected);
    }
}

TEST(KeyPositionsTest, CapturedCodesFoldTheTwoHandsOfAModifier) {
    const std::pair<int, int> cases[] = {
        {KEY_LEFTSHIFT, 0x10},
        {KEY_RIGHTSHIFT, 0x10},
        {KEY_LEFTCTRL, 0x11},
        {KEY_RIGHTCTRL, 0x11},
        {KEY_LEFTALT, 0x12},
        {KEY_RIGHTALT, 0x12},
        {KEY_LEFTMETA, 0x5B},
        {KEY_RIGHTMETA, 0x5C},
        {KEY_Z, 0x5A},
        {KEY_Y, 0x59},
        {KEY_SEMICOLON, 0xBA},
        {KEY_102ND, 0xE2},
        {KEY_COMPOSE, 0x5D},
        {KEY_KP1, 0x61},
        {KEY_KPENTER, 0x0D},
        // No key of the table at these places.
        {KEY_RESERVED, 0},
        {KEY_HANGEUL, 0},
        {KEY_RO, 0},
        {KEY_POWER, 0},
        {-5, 0},
        {0x1000, 0},
    };
    for (const auto& [code, vk] : cases) {
        SCOPED_TRACE(code);
        EXPECT_EQ(virtualKeyFromPosition(code), vk);
    }
}

TEST(KeyPositionsTest, NativeKeyCodesAreInputCodesPlusEight) {
    EXPECT_EQ(inputCodeFromXkbKeycode(38), KEY_A);
    EXPECT_EQ(inputCodeFromXkbKeycode(135), KEY_COMPOSE);
    EXPECT_EQ(inputCodeFromXkbKeycode(8), KEY_RESERVED);
    EXPECT_EQ(inputCodeFromXkbKeycode(0), std::nullopt); // synthetic events
    EXPECT_EQ(inputCodeFromXkbKeycode(7), std::nullopt);
}

TEST(KeyPositionsTest, TheLayoutsCharacterStandsBesideTheNameWhenItDiffers) {
    struct Case {
        HookKey key;
        const char* printed;
        const char* shown;
    };
    const Case cases[] = {
        {HookKey::kh_Y, "Z", "Y (Z)"},                       // German
        {HookKey::kh_A, "Q", "A (Q)"},                       // French
        {HookKey::kh_OEM_1, "\xC3\x96", "OEM_1 (\xC3\x96)"}, // German O umlaut
        {HookKey::kh_1, "&", "1 (&)"},                       // French digit row
        {HookKey::kh_OEM_102, "<", "OEM_102 (<)"},           // the US keyboard has no such key
        {HookKey::kh_A, "A", "A"},
        {HookKey::kh_OEM_1, ";", "OEM_1"},
        {HookKey::kh_OEM_5, "\\", "OEM_5"},
        {HookKey::kh_Y, "", "Y"},                      // layout unknown
        {HookKey::kh_Numpad1, "1", "1 (numeric pad)"}, // no typing key: never decorated
        {HookKey::kh_Return, "\r", "Enter"},
        {HookKey::kh_APPS, "", "Applications"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        EXPECT_EQ(keyNameWithPrinted(c.key, c.printed), c.shown);
    }
}

TEST(KeyPositionsTest, InputCodeConstantsAreTheKernels) {
    using namespace inputcode;
    const std::pair<int, int> pairs[] = {
        {kEsc, KEY_ESC},
        {k1, KEY_1},
        {k0, KEY_0},
        {kMinus, KEY_MINUS},
        {kEqual, KEY_EQUAL},
        {kBackspace, KEY_BACKSPACE},
        {kTab, KEY_TAB},
        {kQ, KEY_Q},
        {kLeftBrace, KEY_LEFTBRACE},
        {kRightBrace, KEY_RIGHTBRACE},
        {kEnter, KEY_ENTER},
        {kLeftCtrl, KEY_LEFTCTRL},
        {kA, KEY_A},
        {kSemicolon, KEY_SEMICOLON},
        {kApostrophe, KEY_APOSTROPHE},
        {kGrave, KEY_GRAVE},
        {kLeftShift, KEY_LEFTSHIFT},
        {kBackslash, KEY_BACKSLASH},
        {kZ, KEY_Z},
        {kComma, KEY_COMMA},
        {kDot, KEY_DOT},
        {kSlash, KEY_SLASH},
        {kRightShift, KEY_RIGHTSHIFT},
        {kKpAsterisk, KEY_KPASTERISK},
        {kLeftAlt, KEY_LEFTALT},
        {kSpace, KEY_SPACE},
        {kCapsLock, KEY_CAPSLOCK},
        {kF1, KEY_F1},
        {kF10, KEY_F10},
        {kNumLock, KEY_NUMLOCK},
        {kScrollLock, KEY_SCROLLLOCK},
        {kKp7, KEY_KP7},
        {kKp8, KEY_KP8},
        {kKp9, KEY_KP9},
        {kKpMinus, KEY_KPMINUS},
        {kKp4, KEY_KP4},
        {kKp5, KEY_KP5},
        {kKp6, KEY_KP6},
        {kKpPlus, KEY_KPPLUS},
        {kKp1, KEY_KP1},
        {kKp2, KEY_KP2},
        {kKp3, KEY_KP3},
        {kKp0, KEY_KP0},
        {kKpDot, KEY_KPDOT},
        {k102nd, KEY_102ND},
        {kF11, KEY_F11},
        {kF12, KEY_F12},
        {kKpEnter, KEY_KPENTER},
        {kRightCtrl, KEY_RIGHTCTRL},
        {kKpSlash, KEY_KPSLASH},
        {kSysRq, KEY_SYSRQ},
        {kRightAlt, KEY_RIGHTALT},
        {kHome, KEY_HOME},
        {kUp, KEY_UP},
        {kPageUp, KEY_PAGEUP},
        {kLeft, KEY_LEFT},
        {kRight, KEY_RIGHT},
        {kEnd, KEY_END},
        {kDown, KEY_DOWN},
        {kPageDown, KEY_PAGEDOWN},
        {kInsert, KEY_INSERT},
        {kDelete, KEY_DELETE},
        {kMute, KEY_MUTE},
        {kVolumeDown, KEY_VOLUMEDOWN},
        {kVolumeUp, KEY_VOLUMEUP},
        {kPause, KEY_PAUSE},
        {kLeftMeta, KEY_LEFTMETA},
        {kRightMeta, KEY_RIGHTMETA},
        {kCompose, KEY_COMPOSE},
        {kStop, KEY_STOP},
        {kHelp, KEY_HELP},
        {kCalc, KEY_CALC},
        {kMail, KEY_MAIL},
        {kBookmarks, KEY_BOOKMARKS},
        {kComputer, KEY_COMPUTER},
        {kBack, KEY_BACK},
        {kForward, KEY_FORWARD},
        {kNextSong, KEY_NEXTSONG},
        {kPlayPause, KEY_PLAYPAUSE},
        {kPreviousSong, KEY_PREVIOUSSONG},
        {kStopCd, KEY_STOPCD},
        {kHomePage, KEY_HOMEPAGE},
        {kRefresh, KEY_REFRESH},
        {kF13, KEY_F13},
        {kF24, KEY_F24},
        {kSearch, KEY_SEARCH},
        {kMedia, KEY_MEDIA},
        {kSelect, KEY_SELECT},
        {kClear, KEY_CLEAR},
    };
    for (const auto& [ours, kernels] : pairs)
        EXPECT_EQ(ours, kernels);
}
