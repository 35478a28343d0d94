#pragma once
// The rules of the assignment menus that do not depend on widgets: where the cascade opens and when
// the left key may not be taken from a button. The left key is known by its function code, never by
// a caption: a macro may well be named like the left key in some language.

#include "core/keys/KeyFunctionCode.h"

#include <span>

namespace tarvik::core {

// A rectangle in window coordinates (or, for an entry, in its panel's coordinates).
struct MenuRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct MenuPoint {
    int left = 0;
    int top = 0;
    friend bool operator==(const MenuPoint&, const MenuPoint&) = default;
};

// Where Pnl_Main opens for the clicked button: at the button's centre, to the right and below when
// the panel fits beside and below the whole button, else to the left or above that centre.
MenuPoint mainMenuPosition(const MenuRect& button, int panelWidth, int panelHeight, int windowWidth,
                           int windowHeight);

// What the horizontal test of a sub-menu looks at: Pnl_Main's left edge and the heights of Pnl_Main,
// Pnl_Special and Pnl_FireKey. The test adds heights, not widths, as the menus always have.
struct CascadeExtent {
    int mainLeft = 0;
    int mainHeight = 0;
    int specialHeight = 0;
    int fireKeyHeight = 0;
};

// Where the sub-menu of group entry `entry` (tag 1-6 level 2, 7-12 level 3) opens: `holder` is the
// panel holding the entry, `entry` is relative to it, `panel` is the sub-menu's size.
MenuPoint subMenuPosition(int tag, const MenuRect& holder, const MenuRect& entry, int panelWidth,
                          int panelHeight, const CascadeExtent& extent, int windowWidth, int windowHeight);

// The Left Key function: the mouse's primary button.
inline constexpr KeyFunctionCode kLeftKeyCode{code_type::kMouseButton, 0x01, 0x00, 0x00};

// `codes` below are the codes of one work mode's buttons, button 1 first.

// How many of the first `counted` buttons carry the left key.
int leftKeyCount(std::span<const KeyFunctionCode> codes, int counted);

// The catalogue guard (Office Mode only): true when giving button `button` (1-12) the code `code`
// would leave no button with the left key.
bool leavesNoLeftKey(std::span<const KeyFunctionCode> codes, int button, const KeyFunctionCode& code);

// The guard of macros and combinations: true when button `button` (1-12) carries the left key and
// it is the only one of the first `counted` buttons that does.
bool takesLastLeftKey(std::span<const KeyFunctionCode> codes, int button, int counted);

} // namespace tarvik::core
