#pragma once
// The key vocabulary: Windows virtual-key codes as the keyboard reports them, the program's own key
// enumeration, and the one-byte device key codes the mouse stores in key combinations and macros.
//
// Virtual-key codes are the Windows numbering on every platform; the platform layer translates its
// own key events into them before they reach core.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tarvik::core {

// One byte as the mouse stores it: HID keyboard usage IDs (0xE0-0xE7 the modifiers), 0xC0-0xD1 for
// the consumer keys the mouse accepts in a key position, 0x00 for "no key".
using DeviceKeyCode = std::uint8_t;

// The program's key enumeration. The numbers are part of the contract (they are the order of the
// name and code tables), so new keys may only be added at the end.
enum class HookKey : std::uint8_t {
    kh_None = 0,
    kh_Demo,
    kh_255,
    kh_Back,
    kh_Tab,
    kh_Clear,
    kh_Return,
    kh_Shift,
    kh_Control,
    kh_Alt,
    kh_Pause,
    kh_Capital,
    kh_Escape,
    kh_Space,
    kh_Prior,
    kh_Next,
    kh_End,
    kh_Home,
    kh_Left,
    kh_Up,
    kh_Right,
    kh_Down,
    kh_Select,
    kh_Snapshot,
    kh_Insert,
    kh_Delete,
    kh_Help,
    kh_LWIN,
    kh_RWIN,
    kh_APPS,
    kh_Numpad0,
    kh_Numpad1,
    kh_Numpad2,
    kh_Numpad3,
    kh_Numpad4,
    kh_Numpad5,
    kh_Numpad6,
    kh_Numpad7,
    kh_Numpad8,
    kh_Numpad9,
    kh_Multiply,
    kh_Add,
    kh_Separator,
    kh_Subtract,
    kh_Decimal,
    kh_Divide,
    kh_F1,
    kh_F2,
    kh_F3,
    kh_F4,
    kh_F5,
    kh_F6,
    kh_F7,
    kh_F8,
    kh_F9,
    kh_F10,
    kh_F11,
    kh_F12,
    kh_F13,
    kh_F14,
    kh_F15,
    kh_F16,
    kh_F17,
    kh_F18,
    kh_F19,
    kh_F20,
    kh_F21,
    kh_F22,
    kh_F23,
    kh_F24,
    kh_Numlock,
    kh_Scroll,
    kh_LShift,
    kh_RShift,
    kh_LControl,
    kh_RControl,
    kh_LAlt,
    kh_RAlt,
    kh_A,
    kh_B,
    kh_C,
    kh_D,
    kh_E,
    kh_F,
    kh_G,
    kh_H,
    kh_I,
    kh_J,
    kh_K,
    kh_L,
    kh_M,
    kh_N,
    kh_O,
    kh_P,
    kh_Q,
    kh_R,
    kh_S,
    kh_T,
    kh_U,
    kh_V,
    kh_W,
    kh_X,
    kh_Y,
    kh_Z,
    kh_0,
    kh_1,
    kh_2,
    kh_3,
    kh_4,
    kh_5,
    kh_6,
    kh_7,
    kh_8,
    kh_9,
    kh_OEM_1,
    kh_OEM_2,
    kh_OEM_3,
    kh_OEM_4,
    kh_OEM_5,
    kh_OEM_6,
    kh_OEM_7,
    kh_OEM_8,
    kh_OEM_Plus,
    kh_OEM_Comma,
    kh_OEM_Minus,
    kh_OEM_Period,
    kh_Browser_Back,
    kh_Browser_Forward,
    kh_Browser_Refresh,
    kh_Browser_Stop,
    kh_Browser_Search,
    kh_Browser_Favorites,
    kh_Browser_Home,
    kh_Volume_Mute,
    kh_Volume_Down,
    kh_Volume_Up,
    kh_Media_Next_Track,
    kh_Media_Prev_Track,
    kh_Media_Stop,
    kh_Media_Play_Pause,
    kh_Launch_Mail,
    kh_Launch_Media_Select,
    kh_Launch_App1,
    kh_Launch_App2,
    kh_Return_KP,
    // The extra key beside left Shift on ISO keyboards ("<>" on German, backslash on British). Without
    // it that key could be neither assigned nor recorded on the keyboards of most of Europe.
    kh_OEM_102,
};

inline constexpr std::size_t kHookKeyCount = 146;
static_assert(static_cast<std::size_t>(HookKey::kh_OEM_102) + 1 == kHookKeyCount);

// The key a virtual-key code stands for; kh_None for every code the table does not list
// (including anything outside 0..255).
HookKey virtualKeyToHookKey(int virtualKey);

// The key's display name ("Ctrl", "Left Windows", "F13"); kh_Return_KP has an empty name, a value
// outside the enumeration is named like kh_None.
std::string hookKeyName(HookKey key);

// The device code the key produces; 0x00 for keys the mouse has no code for.
DeviceKeyCode hookKeyToDeviceKey(HookKey key);

// The name of a device code as shown in combination captions and macro text. It is the name of the
// key that produces the code, except that the generic and left modifiers both read "Left Ctrl",
// "Left Shift", "Left Alt" and both Windows keys read "Win". Codes no key produces, and 0x00, have
// an empty name.
std::string deviceKeyName(DeviceKeyCode deviceKey);

// The virtual-key code that maps to the key, when there is one (kh_None, kh_Demo and kh_Return_KP
// have none). Platform layers and tests use it to feed keys by enumeration.
std::optional<int> hookKeyVirtualKey(HookKey key);

} // namespace tarvik::core
