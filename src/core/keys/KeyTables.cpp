#include "core/keys/KeyTables.h"

#include <array>

namespace tarvik::core {

namespace {

struct HookKeyRow {
    int virtualKey; // -1: no virtual key maps here
    const char* name;
    DeviceKeyCode deviceKey;
};

// Indexed by HookKey.
constexpr std::array<HookKeyRow, kHookKeyCount> kHookKeyRows{{
    {-1, "None", 0x00},                      // kh_None
    {-1, "Demo", 0x00},                      // kh_Demo
    {0xFF, "255", 0x00},                     // kh_255
    {0x08, "Backspace", 0x2A},               // kh_Back
    {0x09, "Tab", 0x2B},                     // kh_Tab
    {0x0C, "Clear", 0x9C},                   // kh_Clear
    {0x0D, "Enter", 0x28},                   // kh_Return
    {0x10, "Shift", 0xE1},                   // kh_Shift
    {0x11, "Ctrl", 0xE0},                    // kh_Control
    {0x12, "Alt", 0xE2},                     // kh_Alt
    {0x13, "Pause", 0x48},                   // kh_Pause
    {0x14, "Caps Lock", 0x39},               // kh_Capital
    {0x1B, "Esc", 0x29},                     // kh_Escape
    {0x20, "Space bar", 0x2C},               // kh_Space
    {0x21, "Page Up", 0x4B},                 // kh_Prior
    {0x22, "Page Down", 0x4E},               // kh_Next
    {0x23, "End", 0x4D},                     // kh_End
    {0x24, "Home", 0x4A},                    // kh_Home
    {0x25, "Left Arrow", 0x50},              // kh_Left
    {0x26, "Up Arrow", 0x52},                // kh_Up
    {0x27, "Right Arrow", 0x4F},             // kh_Right
    {0x28, "Down Arrow", 0x51},              // kh_Down
    {0x29, "Select", 0x77},                  // kh_Select
    {0x2C, "Print Screen", 0x46},            // kh_Snapshot
    {0x2D, "Insert", 0x49},                  // kh_Insert
    {0x2E, "Delete", 0x4C},                  // kh_Delete
    {0x2F, "Help", 0x75},                    // kh_Help
    {0x5B, "Left Windows", 0xE3},            // kh_LWIN
    {0x5C, "Right Windows", 0xE7},           // kh_RWIN
    {0x5D, "Applications", 0x65},            // kh_APPS
    {0x60, "0 (numeric pad)", 0x62},         // kh_Numpad0
    {0x61, "1 (numeric pad)", 0x59},         // kh_Numpad1
    {0x62, "2 (numeric pad)", 0x5A},         // kh_Numpad2
    {0x63, "3 (numeric pad)", 0x5B},         // kh_Numpad3
    {0x64, "4 (numeric pad)", 0x5C},         // kh_Numpad4
    {0x65, "5 (numeric pad)", 0x5D},         // kh_Numpad5
    {0x66, "6 (numeric pad)", 0x5E},         // kh_Numpad6
    {0x67, "7 (numeric pad)", 0x5F},         // kh_Numpad7
    {0x68, "8 (numeric pad)", 0x60},         // kh_Numpad8
    {0x69, "9 (numeric pad)", 0x61},         // kh_Numpad9
    {0x6A, "Multiply (numeric pad)", 0x55},  // kh_Multiply
    {0x6B, "Add (numeric pad)", 0x57},       // kh_Add
    {0x6C, "Separator (numeric pad)", 0x58}, // kh_Separator
    {0x6D, "Subtract (numeric pad)", 0x56},  // kh_Subtract
    {0x6E, "Decimal (numeric pad)", 0x63},   // kh_Decimal
    {0x6F, "Divide (numeric pad)", 0x54},    // kh_Divide
    {0x70, "F1", 0x3A},                      // kh_F1
    {0x71, "F2", 0x3B},                      // kh_F2
    {0x72, "F3", 0x3C},                      // kh_F3
    {0x73, "F4", 0x3D},                      // kh_F4
    {0x74, "F5", 0x3E},                      // kh_F5
    {0x75, "F6", 0x3F},                      // kh_F6
    {0x76, "F7", 0x40},                      // kh_F7
    {0x77, "F8", 0x41},                      // kh_F8
    {0x78, "F9", 0x42},                      // kh_F9
    {0x79, "F10", 0x43},                     // kh_F10
    {0x7A, "F11", 0x44},                     // kh_F11
    {0x7B, "F12", 0x45},                     // kh_F12
    {0x7C, "F13", 0x68},                     // kh_F13
    {0x7D, "F14", 0x69},                     // kh_F14
    {0x7E, "F15", 0x6A},                     // kh_F15
    {0x7F, "F16", 0x6B},                     // kh_F16
    {0x80, "F17", 0x6C},                     // kh_F17
    {0x81, "F18", 0x6D},                     // kh_F18
    {0x82, "F19", 0x6E},                     // kh_F19
    {0x83, "F20", 0x6F},                     // kh_F20
    {0x84, "F21", 0x70},                     // kh_F21
    {0x85, "F22", 0x71},                     // kh_F22
    {0x86, "F23", 0x72},                     // kh_F23
    {0x87, "F24", 0x73},                     // kh_F24
    {0x90, "Num Lock", 0x53},                // kh_Numlock
    {0x91, "Scroll Lock", 0x47},             // kh_Scroll
    {0xA0, "Left Shift", 0xE1},              // kh_LShift
    {0xA1, "Right Shift", 0xE5},             // kh_RShift
    {0xA2, "Left Ctrl", 0xE0},               // kh_LControl
    {0xA3, "Right Ctrl", 0xE4},              // kh_RControl
    {0xA4, "Left Alt", 0xE2},                // kh_LAlt
    {0xA5, "Right Alt", 0xE6},               // kh_RAlt
    {0x41, "A", 0x04},                       // kh_A
    {0x42, "B", 0x05},                       // kh_B
    {0x43, "C", 0x06},                       // kh_C
    {0x44, "D", 0x07},                       // kh_D
    {0x45, "E", 0x08},                       // kh_E
    {0x46, "F", 0x09},                       // kh_F
    {0x47, "G", 0x0A},                       // kh_G
    {0x48, "H", 0x0B},                       // kh_H
    {0x49, "I", 0x0C},                       // kh_I
    {0x4A, "J", 0x0D},                       // kh_J
    {0x4B, "K", 0x0E},                       // kh_K
    {0x4C, "L", 0x0F},                       // kh_L
    {0x4D, "M", 0x10},                       // kh_M
    {0x4E, "N", 0x11},                       // kh_N
    {0x4F, "O", 0x12},                       // kh_O
    {0x50, "P", 0x13},                       // kh_P
    {0x51, "Q", 0x14},                       // kh_Q
    {0x52, "R", 0x15},                       // kh_R
    {0x53, "S", 0x16},                       // kh_S
    {0x54, "T", 0x17},                       // kh_T
    {0x55, "U", 0x18},                       // kh_U
    {0x56, "V", 0x19},                       // kh_V
    {0x57, "W", 0x1A},                       // kh_W
    {0x58, "X", 0x1B},                       // kh_X
    {0x59, "Y", 0x1C},                       // kh_Y
    {0x5A, "Z", 0x1D},                       // kh_Z
    {0x30, "0", 0x27},                       // kh_0
    {0x31, "1", 0x1E},                       // kh_1
    {0x32, "2", 0x1F},                       // kh_2
    {0x33, "3", 0x20},                       // kh_3
    {0x34, "4", 0x21},                       // kh_4
    {0x35, "5", 0x22},                       // kh_5
    {0x36, "6", 0x23},                       // kh_6
    {0x37, "7", 0x24},                       // kh_7
    {0x38, "8", 0x25},                       // kh_8
    {0x39, "9", 0x26},                       // kh_9
    {0xBA, "OEM_1", 0x33},                   // kh_OEM_1
    {0xBF, "OEM_2", 0x38},                   // kh_OEM_2
    {0xC0, "OEM_3", 0x35},                   // kh_OEM_3
    {0xDB, "OEM_4", 0x2F},                   // kh_OEM_4
    {0xDC, "OEM_5", 0x31},                   // kh_OEM_5
    {0xDD, "OEM_6", 0x30},                   // kh_OEM_6
    {0xDE, "OEM_7", 0x34},                   // kh_OEM_7
    {0xDF, "OEM_8", 0x00},                   // kh_OEM_8
    {0xBB, "OEM_Plus", 0x2E},                // kh_OEM_Plus
    {0xBC, "OEM_Comma", 0x36},               // kh_OEM_Comma
    {0xBD, "OEM_Minus", 0x2D},               // kh_OEM_Minus
    {0xBE, "OEM_Period", 0x37},              // kh_OEM_Period
    {0xA6, "Browser_Back", 0xCA},            // kh_Browser_Back
    {0xA7, "Browser_Forward", 0xCB},         // kh_Browser_Forward
    {0xA8, "Browser_Refresh", 0xCD},         // kh_Browser_Refresh
    {0xA9, "Browser_Stop", 0xCC},            // kh_Browser_Stop
    {0xAA, "Browser_Search", 0xC8},          // kh_Browser_Search
    {0xAB, "Browser_Favorites", 0xCE},       // kh_Browser_Favorites
    {0xAC, "Browser_Home", 0xC9},            // kh_Browser_Home
    {0xAD, "Volume_Mute", 0xC4},             // kh_Volume_Mute
    {0xAE, "Volume_Down", 0xC6},             // kh_Volume_Down
    {0xAF, "Volume_Up", 0xC5},               // kh_Volume_Up
    {0xB0, "Media_Next_Track", 0xC0},        // kh_Media_Next_Track
    {0xB1, "Media_Prev_Track", 0xC1},        // kh_Media_Prev_Track
    {0xB2, "Media_Stop", 0xC2},              // kh_Media_Stop
    {0xB3, "Media_Play_Pause", 0xC3},        // kh_Media_Play_Pause
    {0xB4, "Launch_Mail", 0xC7},             // kh_Launch_Mail
    {0xB5, "Launch_Media_Select", 0xD1},     // kh_Launch_Media_Select
    {0xB6, "Launch_App1", 0x00},             // kh_Launch_App1
    {0xB7, "Launch_App2", 0x00},             // kh_Launch_App2
    {-1, "", 0x00},                          // kh_Return_KP
    {0xE2, "OEM_102", 0x64},                 // kh_OEM_102
}};

struct VirtualKeyIndex {
    std::array<HookKey, 256> keys{};

    constexpr VirtualKeyIndex() {
        for (auto& k : keys)
            k = HookKey::kh_None;
        for (std::size_t i = 0; i < kHookKeyRows.size(); ++i) {
            const int vk = kHookKeyRows[i].virtualKey;
            if (vk >= 0)
                keys[static_cast<std::size_t>(vk)] = static_cast<HookKey>(i);
        }
    }
};

constexpr VirtualKeyIndex kVirtualKeyIndex;

const HookKeyRow& rowOf(HookKey key) {
    const auto index = static_cast<std::size_t>(key);
    return kHookKeyRows[index < kHookKeyRows.size() ? index : 0];
}

struct DeviceKeyNames {
    std::array<const char*, 256> names{};

    constexpr DeviceKeyNames() {
        for (auto& n : names)
            n = "";
        // The first key in table order that produces a code names it; the generic modifiers come
        // before their left-hand keys, so those codes are renamed below.
        for (std::size_t i = kHookKeyRows.size(); i-- > 0;) {
            const DeviceKeyCode code = kHookKeyRows[i].deviceKey;
            if (code != 0)
                names[code] = kHookKeyRows[i].name;
        }
        names[0xE0] = "Left Ctrl";
        names[0xE1] = "Left Shift";
        names[0xE2] = "Left Alt";
        names[0xE3] = "Win";
        names[0xE7] = "Win";
    }
};

constexpr DeviceKeyNames kDeviceKeyNames;

} // namespace

HookKey virtualKeyToHookKey(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 0xFF)
        return HookKey::kh_None;
    return kVirtualKeyIndex.keys[static_cast<std::size_t>(virtualKey)];
}

std::string hookKeyName(HookKey key) {
    return rowOf(key).name;
}

DeviceKeyCode hookKeyToDeviceKey(HookKey key) {
    return rowOf(key).deviceKey;
}

std::string deviceKeyName(DeviceKeyCode deviceKey) {
    return kDeviceKeyNames.names[deviceKey];
}

std::optional<int> hookKeyVirtualKey(HookKey key) {
    const int vk = rowOf(key).virtualKey;
    if (vk < 0)
        return std::nullopt;
    return vk;
}

} // namespace tarvik::core
