#include "core/keys/ButtonAssignment.h"

#include <algorithm>

namespace tarvik::core {

MenuPoint mainMenuPosition(const MenuRect& button, int panelWidth, int panelHeight, int windowWidth,
                           int windowHeight) {
    const int centreX = button.left + button.width / 2;
    const int centreY = button.top + button.height / 2;
    MenuPoint at;
    at.left = button.left + button.width + panelWidth < windowWidth ? centreX : centreX - panelWidth;
    at.top = button.top + button.height + panelHeight < windowHeight ? centreY : centreY - panelHeight;
    return at;
}

MenuPoint subMenuPosition(int tag, const MenuRect& holder, const MenuRect& entry, int panelWidth,
                          int panelHeight, const CascadeExtent& extent, int windowWidth, int windowHeight) {
    const int base = extent.mainLeft + extent.mainHeight + extent.specialHeight;
    const bool right =
        tag <= 6 ? base + extent.fireKeyHeight < windowWidth : base + panelHeight < windowWidth;
    MenuPoint at;
    at.left = right ? holder.left + entry.left + entry.width + 2 : holder.left - panelWidth;
    at.top = entry.top + holder.top + panelHeight < windowHeight
                 ? holder.top + entry.top
                 : holder.top + entry.top + entry.height - panelHeight;
    return at;
}

int leftKeyCount(std::span<const KeyFunctionCode> codes, int counted) {
    const auto end = codes.begin() + std::clamp<std::ptrdiff_t>(counted, 0, std::ssize(codes));
    return static_cast<int>(std::count(codes.begin(), end, kLeftKeyCode));
}

bool leavesNoLeftKey(std::span<const KeyFunctionCode> codes, int button, const KeyFunctionCode& code) {
    if (code == kLeftKeyCode)
        return false;
    int others = leftKeyCount(codes, static_cast<int>(codes.size()));
    if (button >= 1 && button <= std::ssize(codes) && codes[button - 1] == kLeftKeyCode)
        --others;
    return others == 0;
}

bool takesLastLeftKey(std::span<const KeyFunctionCode> codes, int button, int counted) {
    if (button < 1 || button > std::ssize(codes) || codes[button - 1] != kLeftKeyCode)
        return false;
    return leftKeyCount(codes, counted) == 1;
}

} // namespace tarvik::core
