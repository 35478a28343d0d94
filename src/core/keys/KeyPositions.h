#pragma once
// Keys by where they sit on the keyboard. The mouse plays a key as a USB keyboard would, by its
// place (its HID usage), and the computer's layout gives it its meaning; so a key the user presses
// is taken by its place too, never by the character the user's layout prints on it. Places are
// named by the Linux input code (what the kernel and Wayland report, and X11 as its key code
// minus 8), and each stands for the key table's entry at that place on the US reference keyboard.

#include "core/keys/KeyTables.h"

#include <optional>
#include <string>

namespace tarvik::core {

struct KeyPosition {
    HookKey key;         // the key table's entry
    int virtualKey;      // its virtual-key code
    DeviceKeyCode usage; // the code the mouse plays for it
};

// The key table's entry at that place; nothing for places the table names no key at.
std::optional<KeyPosition> keyAtPosition(int inputCode);

// The virtual-key code a keyboard capture reports for the key at that place: the entry's own code,
// except that both Shift, both Ctrl and both Alt keys report the generic Shift, Ctrl and Alt, as a
// captured keyboard does (the recorder writes modifier steps for those). 0 when the place has no
// key in the table.
int virtualKeyFromPosition(int inputCode);

// The Linux input code of a native X11 or Wayland key code (both add 8); nothing when the number
// cannot be one (synthetic events carry 0).
std::optional<int> inputCodeFromXkbKeycode(unsigned xkbKeycode);

// The character the key prints on the US reference keyboard without Shift, upper-cased for
// letters ("A", ";", "1"); empty for keys that print nothing or are no typing key (the keypad,
// Enter, Space) and for the ISO key, which that keyboard lacks.
std::string referenceCharacter(HookKey key);

// The key's name for the user: the table's name, and beside it the character the user's layout
// prints on that key when it is another than the US one ("Y (Z)" on a German layout, "OEM_1 (Ö)").
// `printed` is that character as the layout gives it, in UTF-8 and upper case; empty when unknown.
std::string keyNameWithPrinted(HookKey key, const std::string& printed);

namespace inputcode {
// From linux/input-event-codes.h; the table test checks them against the header.
inline constexpr int kEsc = 1, k1 = 2, k0 = 11, kMinus = 12, kEqual = 13, kBackspace = 14, kTab = 15, kQ = 16,
                     kLeftBrace = 26, kRightBrace = 27, kEnter = 28, kLeftCtrl = 29, kA = 30, kSemicolon = 39,
                     kApostrophe = 40, kGrave = 41, kLeftShift = 42, kBackslash = 43, kZ = 44, kComma = 51,
                     kDot = 52, kSlash = 53, kRightShift = 54, kKpAsterisk = 55, kLeftAlt = 56, kSpace = 57,
                     kCapsLock = 58, kF1 = 59, kF10 = 68, kNumLock = 69, kScrollLock = 70, kKp7 = 71,
                     kKp8 = 72, kKp9 = 73, kKpMinus = 74, kKp4 = 75, kKp5 = 76, kKp6 = 77, kKpPlus = 78,
                     kKp1 = 79, kKp2 = 80, kKp3 = 81, kKp0 = 82, kKpDot = 83, k102nd = 86, kF11 = 87,
                     kF12 = 88, kKpEnter = 96, kRightCtrl = 97, kKpSlash = 98, kSysRq = 99, kRightAlt = 100,
                     kHome = 102, kUp = 103, kPageUp = 104, kLeft = 105, kRight = 106, kEnd = 107,
                     kDown = 108, kPageDown = 109, kInsert = 110, kDelete = 111, kMute = 113,
                     kVolumeDown = 114, kVolumeUp = 115, kPause = 119, kLeftMeta = 125, kRightMeta = 126,
                     kCompose = 127, kStop = 128, kHelp = 138, kCalc = 140, kMail = 155, kBookmarks = 156,
                     kComputer = 157, kBack = 158, kForward = 159, kNextSong = 163, kPlayPause = 164,
                     kPreviousSong = 165, kStopCd = 166, kHomePage = 172, kRefresh = 173, kF13 = 183,
                     kF24 = 194, kSearch = 217, kMedia = 226, kSelect = 0x161, kClear = 0x163;
} // namespace inputcode

} // namespace tarvik::core
