#include "core/settings/PointerTables.h"

#include <algorithm>
#include <array>

namespace tarvik::core {

namespace {

using Table = std::array<int, kPointerLevels>;

constexpr Table kSpeeds = {1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20};
constexpr Table kDoubleClicks = {900, 830, 760, 690, 620, 550, 480, 410, 340, 270, 200};
constexpr Table kWheelLines = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

std::optional<int> valueOf(const Table& table, int level) {
    if (level < 1 || level > kPointerLevels)
        return std::nullopt;
    return table[static_cast<std::size_t>(level - 1)];
}

std::optional<int> levelOf(const Table& table, int value) {
    const auto it = std::find(table.begin(), table.end(), value);
    if (it == table.end())
        return std::nullopt;
    return static_cast<int>(it - table.begin()) + 1;
}

} // namespace

std::optional<int> pointerSpeedOfLevel(int level) {
    return valueOf(kSpeeds, level);
}
std::optional<int> pointerSpeedLevel(int speed) {
    return levelOf(kSpeeds, speed);
}
std::optional<int> doubleClickMsOfLevel(int level) {
    return valueOf(kDoubleClicks, level);
}
std::optional<int> doubleClickLevel(int ms) {
    return levelOf(kDoubleClicks, ms);
}
std::optional<int> wheelLinesOfLevel(int level) {
    return valueOf(kWheelLines, level);
}
std::optional<int> wheelLevel(int lines) {
    return levelOf(kWheelLines, lines);
}

} // namespace tarvik::core
