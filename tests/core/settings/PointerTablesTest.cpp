// The pointer-setting bars: each level's value, and back from a value to its level.

#include "core/settings/PointerTables.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tarvik::core;

namespace {
struct Table {
    const char* name;
    std::function<std::optional<int>(int)> valueOf;
    std::function<std::optional<int>(int)> levelOf;
    std::array<int, kPointerLevels> values;
};
} // namespace

TEST(PointerTables, BothDirectionsOfEveryBar) {
    const Table tables[] = {
        {"speed", pointerSpeedOfLevel, pointerSpeedLevel, {1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20}},
        {"double-click",
         doubleClickMsOfLevel,
         doubleClickLevel,
         {900, 830, 760, 690, 620, 550, 480, 410, 340, 270, 200}},
        {"wheel", wheelLinesOfLevel, wheelLevel, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
    };
    for (const Table& t : tables) {
        for (int level = 1; level <= kPointerLevels; ++level) {
            const int value = t.values[static_cast<std::size_t>(level - 1)];
            EXPECT_EQ(t.valueOf(level), value) << t.name << " " << level;
            EXPECT_EQ(t.levelOf(value), level) << t.name << " " << value;
        }
        EXPECT_EQ(t.valueOf(0), std::nullopt) << t.name;
        EXPECT_EQ(t.valueOf(12), std::nullopt) << t.name;
    }
}

TEST(PointerTables, ValuesOffTheTableHaveNoLevel) {
    EXPECT_EQ(pointerSpeedLevel(3), std::nullopt);
    EXPECT_EQ(pointerSpeedLevel(0), std::nullopt);
    EXPECT_EQ(doubleClickLevel(950), std::nullopt);
    EXPECT_EQ(doubleClickLevel(333), std::nullopt);
    EXPECT_EQ(wheelLevel(-1), std::nullopt); // one screen per notch
    EXPECT_EQ(wheelLevel(12), std::nullopt);
}
