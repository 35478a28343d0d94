#pragma once
// What other key numberings stand for in the key table: X keysyms (the X11 capture) and Qt key codes
// (the window's own key events, the key-entry dialogs). Both end as virtual-key codes, the numbering
// the rest of core speaks.
//
// Core has no Qt and no X11, so the numbers it needs from both are copied here as constants; a test
// that sees the real headers checks every one of them.

#include "core/keys/InputEvent.h"

#include <cstdint>
#include <optional>

namespace tarvik::core {

// The virtual-key code of a keysym; 0 when the key table has no key for it. Letters map alike in
// both cases, and the keypad maps to the numeric-pad keys whether Num Lock is on or off (the mouse
// replays the physical key, so the two are the same key to it). Left and right modifiers map to the
// generic Shift, Ctrl and Alt codes, as a keyboard capture reports them.
int virtualKeyFromKeysym(std::uint32_t keysym);

// The virtual-key code of a Qt key code; 0 when there is none. `keypad` is set when the event came
// from the numeric pad (Qt::KeypadModifier), which Qt tells only by that flag. The shifted symbols of
// the punctuation and digit keys map to their key as on a US layout.
int virtualKeyFromQtKey(int qtKey, bool keypad);

// The macro button of an X pointer button: 1 left, 2 middle, 3 right, 8 backward, 9 forward. The
// wheel (4-7) and anything else is no button here.
std::optional<MouseButton> mouseButtonFromX11(unsigned button);

namespace keysym {
// From X11/keysymdef.h and X11/XF86keysym.h.
inline constexpr std::uint32_t kBackSpace = 0xff08, kTab = 0xff09, kClear = 0xff0b, kReturn = 0xff0d,
                               kPause = 0xff13, kScrollLock = 0xff14, kEscape = 0xff1b, kDelete = 0xffff;
inline constexpr std::uint32_t kHome = 0xff50, kLeft = 0xff51, kUp = 0xff52, kRight = 0xff53, kDown = 0xff54,
                               kPrior = 0xff55, kNext = 0xff56, kEnd = 0xff57;
inline constexpr std::uint32_t kSelect = 0xff60, kPrint = 0xff61, kInsert = 0xff63, kMenu = 0xff67,
                               kHelp = 0xff6a, kNumLock = 0xff7f;
inline constexpr std::uint32_t kKP_Enter = 0xff8d, kKP_Home = 0xff95, kKP_Left = 0xff96, kKP_Up = 0xff97,
                               kKP_Right = 0xff98, kKP_Down = 0xff99, kKP_Prior = 0xff9a, kKP_Next = 0xff9b,
                               kKP_End = 0xff9c, kKP_Begin = 0xff9d, kKP_Insert = 0xff9e, kKP_Delete = 0xff9f;
inline constexpr std::uint32_t kKP_Multiply = 0xffaa, kKP_Add = 0xffab, kKP_Separator = 0xffac,
                               kKP_Subtract = 0xffad, kKP_Decimal = 0xffae, kKP_Divide = 0xffaf,
                               kKP_0 = 0xffb0, kKP_9 = 0xffb9;
inline constexpr std::uint32_t kF1 = 0xffbe, kF24 = 0xffd5;
inline constexpr std::uint32_t kShift_L = 0xffe1, kShift_R = 0xffe2, kControl_L = 0xffe3, kControl_R = 0xffe4,
                               kCaps_Lock = 0xffe5, kMeta_L = 0xffe7, kMeta_R = 0xffe8, kAlt_L = 0xffe9,
                               kAlt_R = 0xffea, kSuper_L = 0xffeb, kSuper_R = 0xffec,
                               kISO_Level3_Shift = 0xfe03;
// Latin-1 keysyms are their character codes: space 0x20, '0'-'9', 'A'-'Z', 'a'-'z' and punctuation.
inline constexpr std::uint32_t kXF86AudioLowerVolume = 0x1008ff11, kXF86AudioMute = 0x1008ff12,
                               kXF86AudioRaiseVolume = 0x1008ff13, kXF86AudioPlay = 0x1008ff14,
                               kXF86AudioStop = 0x1008ff15, kXF86AudioPrev = 0x1008ff16,
                               kXF86AudioNext = 0x1008ff17, kXF86HomePage = 0x1008ff18,
                               kXF86Mail = 0x1008ff19, kXF86Search = 0x1008ff1b, kXF86Calculator = 0x1008ff1d,
                               kXF86Back = 0x1008ff26, kXF86Forward = 0x1008ff27, kXF86Stop = 0x1008ff28,
                               kXF86Refresh = 0x1008ff29, kXF86Favorites = 0x1008ff30,
                               kXF86AudioPause = 0x1008ff31, kXF86AudioMedia = 0x1008ff32,
                               kXF86MyComputer = 0x1008ff33;
} // namespace keysym

namespace qtkey {
// The values of Qt::Key (qnamespace.h). Latin-1 keys are their character codes, as in Qt.
inline constexpr int kEscape = 0x01000000, kTab = 0x01000001, kBacktab = 0x01000002, kBackspace = 0x01000003,
                     kReturn = 0x01000004, kEnter = 0x01000005, kInsert = 0x01000006, kDelete = 0x01000007,
                     kPause = 0x01000008, kPrint = 0x01000009, kSysReq = 0x0100000a, kClear = 0x0100000b;
inline constexpr int kHome = 0x01000010, kEnd = 0x01000011, kLeft = 0x01000012, kUp = 0x01000013,
                     kRight = 0x01000014, kDown = 0x01000015, kPageUp = 0x01000016, kPageDown = 0x01000017;
inline constexpr int kShift = 0x01000020, kControl = 0x01000021, kMeta = 0x01000022, kAlt = 0x01000023,
                     kCapsLock = 0x01000024, kNumLock = 0x01000025, kScrollLock = 0x01000026;
inline constexpr int kF1 = 0x01000030, kF24 = 0x01000047;
inline constexpr int kSuper_L = 0x01000053, kSuper_R = 0x01000054, kMenu = 0x01000055, kHelp = 0x01000058,
                     kAltGr = 0x01001103;
inline constexpr int kBack = 0x01000061, kForward = 0x01000062, kStop = 0x01000063, kRefresh = 0x01000064,
                     kVolumeDown = 0x01000070, kVolumeMute = 0x01000071, kVolumeUp = 0x01000072,
                     kMediaPlay = 0x01000080, kMediaStop = 0x01000081, kMediaPrevious = 0x01000082,
                     kMediaNext = 0x01000083, kMediaPause = 0x01000085, kMediaTogglePlayPause = 0x01000086,
                     kHomePage = 0x01000090, kFavorites = 0x01000091, kSearch = 0x01000092,
                     kLaunchMail = 0x010000a0, kLaunchMedia = 0x010000a1, kLaunch0 = 0x010000a2,
                     kCalculator = 0x010000cb, kSelect = 0x01010000;
} // namespace qtkey

} // namespace tarvik::core
