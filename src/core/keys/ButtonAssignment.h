#pragma once
// The rules of the assignment menus that do not depend on widgets: where the cascade opens and when
// the left key may not be taken from a button. Captions are compared as the window shows them, so
// callers pass the captions of Key1..Key12 and the left-key text of the current language.

#include <span>
#include <string>
#include <string_view>

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

// How many of the first `counted` captions are the left-key text.
int leftKeyCount(std::span<const std::string> captions, std::string_view leftText, int counted);

// The catalogue guard (Office Mode only), on the captions after the change: true when no button
// would show the left key any more, so the change must be undone.
bool catalogueLeavesNoLeftKey(std::span<const std::string> captions, std::string_view leftText);

// The guard of macros and combinations: true when button `button` (1-12) shows the left key and it
// is the only one of the first `counted` buttons that does.
bool takesLastLeftKey(std::span<const std::string> captions, int button, std::string_view leftText,
                      int counted);

} // namespace tarvik::core
