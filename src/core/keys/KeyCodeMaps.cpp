#include "core/keys/KeyCodeMaps.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tarvik::core {

namespace {

// Virtual-key codes of the key table.
constexpr int kVkBack = 0x08, kVkTab = 0x09, kVkClear = 0x0C, kVkReturn = 0x0D, kVkShift = 0x10,
              kVkControl = 0x11, kVkAlt = 0x12, kVkPause = 0x13, kVkCapital = 0x14, kVkEscape = 0x1B,
              kVkSpace = 0x20, kVkPrior = 0x21, kVkNext = 0x22, kVkEnd = 0x23, kVkHome = 0x24, kVkLeft = 0x25,
              kVkUp = 0x26, kVkRight = 0x27, kVkDown = 0x28, kVkSelect = 0x29, kVkSnapshot = 0x2C,
              kVkInsert = 0x2D, kVkDelete = 0x2E, kVkHelp = 0x2F, kVkLWin = 0x5B, kVkRWin = 0x5C,
              kVkApps = 0x5D, kVkNumpad0 = 0x60, kVkMultiply = 0x6A, kVkAdd = 0x6B, kVkSeparator = 0x6C,
              kVkSubtract = 0x6D, kVkDecimal = 0x6E, kVkDivide = 0x6F, kVkF1 = 0x70, kVkNumLock = 0x90,
              kVkScroll = 0x91, kVkOem1 = 0xBA, kVkOemPlus = 0xBB, kVkOemComma = 0xBC, kVkOemMinus = 0xBD,
              kVkOemPeriod = 0xBE, kVkOem2 = 0xBF, kVkOem3 = 0xC0, kVkOem4 = 0xDB, kVkOem5 = 0xDC,
              kVkOem6 = 0xDD, kVkOem7 = 0xDE;
constexpr int kVkBrowserBack = 0xA6, kVkBrowserForward = 0xA7, kVkBrowserRefresh = 0xA8,
              kVkBrowserStop = 0xA9, kVkBrowserSearch = 0xAA, kVkBrowserFavorites = 0xAB,
              kVkBrowserHome = 0xAC, kVkVolumeMute = 0xAD, kVkVolumeDown = 0xAE, kVkVolumeUp = 0xAF,
              kVkMediaNext = 0xB0, kVkMediaPrev = 0xB1, kVkMediaStop = 0xB2, kVkMediaPlayPause = 0xB3,
              kVkLaunchMail = 0xB4, kVkLaunchMediaSelect = 0xB5, kVkLaunchApp1 = 0xB6, kVkLaunchApp2 = 0xB7;

// The punctuation keys of a US layout, unshifted and shifted, as Latin-1 codes (keysyms and Qt keys
// share them).
constexpr std::pair<int, int> kPunctuation[] = {
    {';', kVkOem1},     {':', kVkOem1},     {'=', kVkOemPlus},  {'+', kVkOemPlus},   {',', kVkOemComma},
    {'<', kVkOemComma}, {'-', kVkOemMinus}, {'_', kVkOemMinus}, {'.', kVkOemPeriod}, {'>', kVkOemPeriod},
    {'/', kVkOem2},     {'?', kVkOem2},     {'`', kVkOem3},     {'~', kVkOem3},      {'[', kVkOem4},
    {'{', kVkOem4},     {'\\', kVkOem5},    {'|', kVkOem5},     {']', kVkOem6},      {'}', kVkOem6},
    {'\'', kVkOem7},    {'"', kVkOem7},
};

// Latin-1 codes common to keysyms and Qt keys: space, digits, letters of either case, punctuation.
int virtualKeyFromLatin1(int code) {
    if (code == ' ')
        return kVkSpace;
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z'))
        return code;
    if (code >= 'a' && code <= 'z')
        return code - 'a' + 'A';
    for (const auto& [from, to] : kPunctuation)
        if (from == code)
            return to;
    return 0;
}

template <typename Key, std::size_t N> int lookUp(const std::array<std::pair<Key, int>, N>& table, Key key) {
    const auto it = std::find_if(table.begin(), table.end(), [key](const auto& p) { return p.first == key; });
    return it == table.end() ? 0 : it->second;
}

using namespace keysym;

constexpr std::array<std::pair<std::uint32_t, int>, 70> kKeysyms = {{
    {kBackSpace, kVkBack},
    {kTab, kVkTab},
    {kClear, kVkClear},
    {kReturn, kVkReturn},
    {kPause, kVkPause},
    {kScrollLock, kVkScroll},
    {kEscape, kVkEscape},
    {kDelete, kVkDelete},
    {kHome, kVkHome},
    {kLeft, kVkLeft},
    {kUp, kVkUp},
    {kRight, kVkRight},
    {kDown, kVkDown},
    {kPrior, kVkPrior},
    {kNext, kVkNext},
    {kEnd, kVkEnd},
    {kSelect, kVkSelect},
    {kPrint, kVkSnapshot},
    {kInsert, kVkInsert},
    {kMenu, kVkApps},
    {kHelp, kVkHelp},
    {kNumLock, kVkNumLock},
    {kKP_Enter, kVkReturn},
    {kKP_Insert, kVkNumpad0},
    {kKP_End, kVkNumpad0 + 1},
    {kKP_Down, kVkNumpad0 + 2},
    {kKP_Next, kVkNumpad0 + 3},
    {kKP_Left, kVkNumpad0 + 4},
    {kKP_Begin, kVkNumpad0 + 5},
    {kKP_Right, kVkNumpad0 + 6},
    {kKP_Home, kVkNumpad0 + 7},
    {kKP_Up, kVkNumpad0 + 8},
    {kKP_Prior, kVkNumpad0 + 9},
    {kKP_Delete, kVkDecimal},
    {kKP_Multiply, kVkMultiply},
    {kKP_Add, kVkAdd},
    {kKP_Separator, kVkSeparator},
    {kKP_Subtract, kVkSubtract},
    {kKP_Decimal, kVkDecimal},
    {kKP_Divide, kVkDivide},
    {kShift_L, kVkShift},
    {kShift_R, kVkShift},
    {kControl_L, kVkControl},
    {kControl_R, kVkControl},
    {kCaps_Lock, kVkCapital},
    {kMeta_L, kVkLWin},
    {kMeta_R, kVkRWin},
    {kAlt_L, kVkAlt},
    {kAlt_R, kVkAlt},
    {kISO_Level3_Shift, kVkAlt},
    {kSuper_L, kVkLWin},
    {kSuper_R, kVkRWin},
    {kXF86AudioLowerVolume, kVkVolumeDown},
    {kXF86AudioMute, kVkVolumeMute},
    {kXF86AudioRaiseVolume, kVkVolumeUp},
    {kXF86AudioPlay, kVkMediaPlayPause},
    {kXF86AudioPause, kVkMediaPlayPause},
    {kXF86AudioStop, kVkMediaStop},
    {kXF86AudioPrev, kVkMediaPrev},
    {kXF86AudioNext, kVkMediaNext},
    {kXF86HomePage, kVkBrowserHome},
    {kXF86Mail, kVkLaunchMail},
    {kXF86Search, kVkBrowserSearch},
    {kXF86Back, kVkBrowserBack},
    {kXF86Forward, kVkBrowserForward},
    {kXF86Stop, kVkBrowserStop},
    {kXF86Refresh, kVkBrowserRefresh},
    {kXF86Favorites, kVkBrowserFavorites},
    {kXF86AudioMedia, kVkLaunchMediaSelect},
    {kXF86MyComputer, kVkLaunchApp1},
}};

constexpr std::array<std::pair<int, int>, 49> kQtKeys = {{
    {qtkey::kEscape, kVkEscape},
    {qtkey::kTab, kVkTab},
    {qtkey::kBacktab, kVkTab},
    {qtkey::kBackspace, kVkBack},
    {qtkey::kReturn, kVkReturn},
    {qtkey::kEnter, kVkReturn},
    {qtkey::kInsert, kVkInsert},
    {qtkey::kDelete, kVkDelete},
    {qtkey::kPause, kVkPause},
    {qtkey::kPrint, kVkSnapshot},
    {qtkey::kSysReq, kVkSnapshot},
    {qtkey::kClear, kVkClear},
    {qtkey::kHome, kVkHome},
    {qtkey::kEnd, kVkEnd},
    {qtkey::kLeft, kVkLeft},
    {qtkey::kUp, kVkUp},
    {qtkey::kRight, kVkRight},
    {qtkey::kDown, kVkDown},
    {qtkey::kPageUp, kVkPrior},
    {qtkey::kPageDown, kVkNext},
    {qtkey::kShift, kVkShift},
    {qtkey::kControl, kVkControl},
    {qtkey::kMeta, kVkLWin},
    {qtkey::kAlt, kVkAlt},
    {qtkey::kAltGr, kVkAlt},
    {qtkey::kCapsLock, kVkCapital},
    {qtkey::kNumLock, kVkNumLock},
    {qtkey::kScrollLock, kVkScroll},
    {qtkey::kSuper_L, kVkLWin},
    {qtkey::kSuper_R, kVkRWin},
    {qtkey::kMenu, kVkApps},
    {qtkey::kHelp, kVkHelp},
    {qtkey::kSelect, kVkSelect},
    {qtkey::kBack, kVkBrowserBack},
    {qtkey::kForward, kVkBrowserForward},
    {qtkey::kStop, kVkBrowserStop},
    {qtkey::kRefresh, kVkBrowserRefresh},
    {qtkey::kVolumeDown, kVkVolumeDown},
    {qtkey::kVolumeMute, kVkVolumeMute},
    {qtkey::kVolumeUp, kVkVolumeUp},
    {qtkey::kMediaPlay, kVkMediaPlayPause},
    {qtkey::kMediaPause, kVkMediaPlayPause},
    {qtkey::kMediaTogglePlayPause, kVkMediaPlayPause},
    {qtkey::kMediaStop, kVkMediaStop},
    {qtkey::kMediaPrevious, kVkMediaPrev},
    {qtkey::kMediaNext, kVkMediaNext},
    {qtkey::kHomePage, kVkBrowserHome},
    {qtkey::kFavorites, kVkBrowserFavorites},
    {qtkey::kSearch, kVkBrowserSearch},
}};

constexpr std::array<std::pair<int, int>, 4> kQtLaunchKeys = {{
    {qtkey::kLaunchMail, kVkLaunchMail},
    {qtkey::kLaunchMedia, kVkLaunchMediaSelect},
    {qtkey::kLaunch0, kVkLaunchApp1},
    {qtkey::kCalculator, kVkLaunchApp2},
}};

// Keys of the numeric pad as Qt names them: the digits with Num Lock on, the movement keys with it
// off, and the operators.
constexpr std::array<std::pair<int, int>, 17> kQtKeypad = {{
    {qtkey::kInsert, kVkNumpad0},
    {qtkey::kEnd, kVkNumpad0 + 1},
    {qtkey::kDown, kVkNumpad0 + 2},
    {qtkey::kPageDown, kVkNumpad0 + 3},
    {qtkey::kLeft, kVkNumpad0 + 4},
    {qtkey::kClear, kVkNumpad0 + 5},
    {qtkey::kRight, kVkNumpad0 + 6},
    {qtkey::kHome, kVkNumpad0 + 7},
    {qtkey::kUp, kVkNumpad0 + 8},
    {qtkey::kPageUp, kVkNumpad0 + 9},
    {qtkey::kDelete, kVkDecimal},
    {'*', kVkMultiply},
    {'+', kVkAdd},
    {'-', kVkSubtract},
    {'/', kVkDivide},
    {'.', kVkDecimal},
    {',', kVkDecimal},
}};

// The shifted digits of a US layout, which Qt reports as their symbols.
constexpr std::pair<int, int> kShiftedDigits[] = {{'!', '1'}, {'@', '2'}, {'#', '3'}, {'$', '4'}, {'%', '5'},
                                                  {'^', '6'}, {'&', '7'}, {'*', '8'}, {'(', '9'}, {')', '0'}};

} // namespace

int virtualKeyFromKeysym(std::uint32_t sym) {
    if (sym >= kKP_0 && sym <= kKP_9)
        return kVkNumpad0 + static_cast<int>(sym - kKP_0);
    if (sym >= kF1 && sym <= kF24)
        return kVkF1 + static_cast<int>(sym - kF1);
    if (sym < 0x100)
        return virtualKeyFromLatin1(static_cast<int>(sym));
    return lookUp(kKeysyms, sym);
}

int virtualKeyFromQtKey(int qtKey, bool keypad) {
    if (keypad) {
        if (qtKey >= '0' && qtKey <= '9')
            return kVkNumpad0 + (qtKey - '0');
        if (qtKey == qtkey::kEnter || qtKey == qtkey::kReturn)
            return kVkReturn;
        if (const int vk = lookUp(kQtKeypad, qtKey))
            return vk;
    }
    if (qtKey >= qtkey::kF1 && qtKey <= qtkey::kF24)
        return kVkF1 + (qtKey - qtkey::kF1);
    if (qtKey >= 0 && qtKey < 0x100) {
        for (const auto& [symbol, digit] : kShiftedDigits)
            if (symbol == qtKey)
                return digit;
        return virtualKeyFromLatin1(qtKey);
    }
    if (const int vk = lookUp(kQtKeys, qtKey))
        return vk;
    return lookUp(kQtLaunchKeys, qtKey);
}

std::optional<MouseButton> mouseButtonFromX11(unsigned button) {
    switch (button) {
    case 1:
        return MouseButton::Left;
    case 2:
        return MouseButton::Middle;
    case 3:
        return MouseButton::Right;
    case 8:
        return MouseButton::Backward;
    case 9:
        return MouseButton::Forward;
    default:
        return std::nullopt;
    }
}

} // namespace tarvik::core
