#include "core/keys/KeyPositions.h"

#include <array>
#include <utility>

namespace tarvik::core {

namespace {

using K = HookKey;
using namespace inputcode;

// The letter rows of the reference keyboard, left to right; each row's input codes run in step.
constexpr std::pair<int, const char*> kLetterRows[] = {
    {kQ, "QWERTYUIOP"}, {kA, "ASDFGHJKL"}, {kZ, "ZXCVBNM"}};

// Every other place, with the entry it stands for. Keypad Enter stays Enter, as keyboards report
// it and as recordings have always stored it.
constexpr std::pair<int, K> kPlaces[] = {
    {kEsc, K::kh_Escape},
    {k0, K::kh_0},
    {kMinus, K::kh_OEM_Minus},
    {kEqual, K::kh_OEM_Plus},
    {kBackspace, K::kh_Back},
    {kTab, K::kh_Tab},
    {kLeftBrace, K::kh_OEM_4},
    {kRightBrace, K::kh_OEM_6},
    {kEnter, K::kh_Return},
    {kLeftCtrl, K::kh_LControl},
    {kSemicolon, K::kh_OEM_1},
    {kApostrophe, K::kh_OEM_7},
    {kGrave, K::kh_OEM_3},
    {kLeftShift, K::kh_LShift},
    {kBackslash, K::kh_OEM_5},
    {kComma, K::kh_OEM_Comma},
    {kDot, K::kh_OEM_Period},
    {kSlash, K::kh_OEM_2},
    {kRightShift, K::kh_RShift},
    {kKpAsterisk, K::kh_Multiply},
    {kLeftAlt, K::kh_LAlt},
    {kSpace, K::kh_Space},
    {kCapsLock, K::kh_Capital},
    {kNumLock, K::kh_Numlock},
    {kScrollLock, K::kh_Scroll},
    {kKp7, K::kh_Numpad7},
    {kKp8, K::kh_Numpad8},
    {kKp9, K::kh_Numpad9},
    {kKpMinus, K::kh_Subtract},
    {kKp4, K::kh_Numpad4},
    {kKp5, K::kh_Numpad5},
    {kKp6, K::kh_Numpad6},
    {kKpPlus, K::kh_Add},
    {kKp1, K::kh_Numpad1},
    {kKp2, K::kh_Numpad2},
    {kKp3, K::kh_Numpad3},
    {kKp0, K::kh_Numpad0},
    {kKpDot, K::kh_Decimal},
    {k102nd, K::kh_OEM_102},
    {kF11, K::kh_F11},
    {kF12, K::kh_F12},
    {kKpEnter, K::kh_Return},
    {kRightCtrl, K::kh_RControl},
    {kKpSlash, K::kh_Divide},
    {kSysRq, K::kh_Snapshot},
    {kRightAlt, K::kh_RAlt},
    {kHome, K::kh_Home},
    {kUp, K::kh_Up},
    {kPageUp, K::kh_Prior},
    {kLeft, K::kh_Left},
    {kRight, K::kh_Right},
    {kEnd, K::kh_End},
    {kDown, K::kh_Down},
    {kPageDown, K::kh_Next},
    {kInsert, K::kh_Insert},
    {kDelete, K::kh_Delete},
    {kMute, K::kh_Volume_Mute},
    {kVolumeDown, K::kh_Volume_Down},
    {kVolumeUp, K::kh_Volume_Up},
    {kPause, K::kh_Pause},
    {kLeftMeta, K::kh_LWIN},
    {kRightMeta, K::kh_RWIN},
    {kCompose, K::kh_APPS},
    {kStop, K::kh_Browser_Stop},
    {kHelp, K::kh_Help},
    {kCalc, K::kh_Launch_App2},
    {kMail, K::kh_Launch_Mail},
    {kBookmarks, K::kh_Browser_Favorites},
    {kComputer, K::kh_Launch_App1},
    {kBack, K::kh_Browser_Back},
    {kForward, K::kh_Browser_Forward},
    {kNextSong, K::kh_Media_Next_Track},
    {kPlayPause, K::kh_Media_Play_Pause},
    {kPreviousSong, K::kh_Media_Prev_Track},
    {kStopCd, K::kh_Media_Stop},
    {kHomePage, K::kh_Browser_Home},
    {kRefresh, K::kh_Browser_Refresh},
    {kSearch, K::kh_Browser_Search},
    {kMedia, K::kh_Launch_Media_Select},
    {kSelect, K::kh_Select},
    {kClear, K::kh_Clear},
};

constexpr int kPlaceCount = 0x200;

struct PlaceIndex {
    std::array<K, kPlaceCount> keys{};

    constexpr PlaceIndex() {
        for (auto& k : keys)
            k = K::kh_None;
        for (const auto& [code, key] : kPlaces)
            keys[static_cast<std::size_t>(code)] = key;
        for (const auto& [first, letters] : kLetterRows)
            for (int i = 0; letters[i] != '\0'; ++i)
                keys[static_cast<std::size_t>(first + i)] =
                    static_cast<K>(static_cast<int>(K::kh_A) + (letters[i] - 'A'));
        // 1 to 9 run in step from the key after Esc; 0 follows them.
        for (int i = 0; i < 9; ++i)
            keys[static_cast<std::size_t>(k1 + i)] = static_cast<K>(static_cast<int>(K::kh_1) + i);
        for (int i = 0; i <= kF10 - kF1; ++i)
            keys[static_cast<std::size_t>(kF1 + i)] = static_cast<K>(static_cast<int>(K::kh_F1) + i);
        for (int i = 0; i <= kF24 - kF13; ++i)
            keys[static_cast<std::size_t>(kF13 + i)] = static_cast<K>(static_cast<int>(K::kh_F13) + i);
    }
};

constexpr PlaceIndex kPlaceIndex;

// The unshifted US characters of the punctuation keys.
constexpr std::pair<K, const char*> kPunctuation[] = {
    {K::kh_OEM_1, ";"},     {K::kh_OEM_2, "/"},     {K::kh_OEM_3, "`"},      {K::kh_OEM_4, "["},
    {K::kh_OEM_5, "\\"},    {K::kh_OEM_6, "]"},     {K::kh_OEM_7, "'"},      {K::kh_OEM_Plus, "="},
    {K::kh_OEM_Comma, ","}, {K::kh_OEM_Minus, "-"}, {K::kh_OEM_Period, "."},
};

} // namespace

std::optional<KeyPosition> keyAtPosition(int inputCode) {
    if (inputCode <= 0 || inputCode >= kPlaceCount)
        return std::nullopt;
    const K key = kPlaceIndex.keys[static_cast<std::size_t>(inputCode)];
    if (key == K::kh_None)
        return std::nullopt;
    return KeyPosition{key, hookKeyVirtualKey(key).value_or(0), hookKeyToDeviceKey(key)};
}

int virtualKeyFromPosition(int inputCode) {
    const auto position = keyAtPosition(inputCode);
    if (!position)
        return 0;
    switch (position->key) {
    case K::kh_LShift:
    case K::kh_RShift:
        return *hookKeyVirtualKey(K::kh_Shift);
    case K::kh_LControl:
    case K::kh_RControl:
        return *hookKeyVirtualKey(K::kh_Control);
    case K::kh_LAlt:
    case K::kh_RAlt:
        return *hookKeyVirtualKey(K::kh_Alt);
    default:
        return position->virtualKey;
    }
}

std::optional<int> inputCodeFromXkbKeycode(unsigned xkbKeycode) {
    if (xkbKeycode < 8 || xkbKeycode >= kPlaceCount + 8)
        return std::nullopt;
    return static_cast<int>(xkbKeycode) - 8;
}

std::string referenceCharacter(HookKey key) {
    const auto value = static_cast<int>(key);
    if (value >= static_cast<int>(K::kh_A) && value <= static_cast<int>(K::kh_9))
        return hookKeyName(key); // the letters and digits are named by their character
    for (const auto& [k, text] : kPunctuation)
        if (k == key)
            return text;
    return {};
}

std::string keyNameWithPrinted(HookKey key, const std::string& printed) {
    const std::string name = hookKeyName(key);
    const bool typingKey = !referenceCharacter(key).empty() || key == K::kh_OEM_102;
    if (!typingKey || printed.empty() || printed == referenceCharacter(key))
        return name;
    return name + " (" + printed + ")";
}

} // namespace tarvik::core
