// The writes the Advanced and Breathing Light pages decide for a click, and what they change in the
// run-time settings and the WorkingImage.

#include "core/settings/SettingWrites.h"
#include "core/settings/PointerState.h"

#include <gtest/gtest.h>

using namespace tarvik::core;

namespace {
LiveWrite byteAt(int offset, int value) {
    return {static_cast<Byte>(offset), {static_cast<Byte>(value), 0, 0}, 1};
}
} // namespace

TEST(DpiWrites, StepSendsThePairByteOfTheLevelAndItsPartner) {
    struct Case {
        const char* what;
        int level;
        int step;
        LiveWrite expected;
    };
    const Case cases[] = {
        {"level 3 cell 12 beside level 4 at index 5", 3, 12, byteAt(45, 0x5B)},
        {"level 4 cell 1 beside level 3 at index 2", 4, 1, byteAt(45, 0x02)},
        {"level 1 is the low nibble of 44", 1, 7, byteAt(44, 0x76)},
        {"level 8 is the high nibble of 47", 8, 12, byteAt(47, 0xB0)},
    };
    for (const Case& c : cases) {
        DpiState dpi;
        dpi.stepIndex = {3, 7, 2, 5, 0, 0, 0, 0};
        const auto write = selectDpiStep(dpi, c.level, c.step);
        ASSERT_TRUE(write) << c.what;
        EXPECT_EQ(*write, c.expected) << c.what;
        EXPECT_EQ(dpi.stepIndex[c.level - 1], c.step - 1) << c.what;
        EXPECT_TRUE(dpi.stepKnown[c.level - 1]) << c.what;
    }
}

TEST(DpiWrites, LevelsBeyondTheCountAndBadCellsSendNothing) {
    DpiState dpi;
    dpi.enabledLevels = 4;
    dpi.currentIndex = 1;
    EXPECT_FALSE(selectDpiStep(dpi, 5, 3));
    EXPECT_FALSE(selectDpiStep(dpi, 1, 13));
    EXPECT_FALSE(selectDpiStep(dpi, 1, 0));
    EXPECT_EQ(dpi.stepIndex[4], 0);
    EXPECT_FALSE(selectCurrentDpi(dpi, 5));
    EXPECT_EQ(dpi.currentIndex, 1);
    EXPECT_EQ(selectCurrentDpi(dpi, 4), byteAt(166, 3));
    EXPECT_EQ(dpi.currentIndex, 3);
}

TEST(DpiWrites, ColoursGoToTheirThreeBytes) {
    EXPECT_EQ(dpiColourWrite(1, {1, 2, 3}), (LiveWrite{87, {1, 2, 3}, 3}));
    EXPECT_EQ(dpiColourWrite(8, {255, 0, 9}), (LiveWrite{108, {255, 0, 9}, 3}));
    EXPECT_EQ(ledColourWrite(1, {4, 5, 6}), (LiveWrite{57, {4, 5, 6}, 3}));
    EXPECT_EQ(ledColourWrite(10, {4, 5, 6}), (LiveWrite{84, {4, 5, 6}, 3}));
}

TEST(DpiWrites, ReportRateKeepsTheOtherBitsAndResetsOnlyForANewRate) {
    ConfigImage working;
    working.bytes()[4] = 0xC5; // rate bits 00 (125 Hz), the other bits belong to other settings
    DpiState dpi;
    dpi.knownReportRate = 125;

    const RateChoice same = selectReportRate(dpi, working, 0);
    EXPECT_EQ(same.write, byteAt(4, 0xC5));
    EXPECT_FALSE(same.reset);

    const RateChoice faster = selectReportRate(dpi, working, 3);
    EXPECT_EQ(faster.write, byteAt(4, 0xF5));
    EXPECT_TRUE(faster.reset);
    EXPECT_EQ(working.bytes()[4], 0xF5);
    EXPECT_EQ(dpi.knownReportRate, 1000);
    EXPECT_FALSE(dpi.rateResetPending);

    EXPECT_FALSE(selectReportRate(dpi, working, 3).reset); // now in force

    DpiState unknown; // no rate known yet (a fresh start): any rate restarts the mouse
    EXPECT_TRUE(selectReportRate(unknown, working, 3).reset);
}

TEST(LightingWrites, ModeKeepsTheKindAndOnlyOfferedModesAreSent) {
    struct Case {
        Byte ledMode;
        int mode;
        std::optional<LiveWrite> expected;
    };
    const Case cases[] = {
        {0x82, 4, byteAt(165, 0x84)}, {0x82, 0, byteAt(165, 0x80)}, {0x82, 3, std::nullopt},
        {0x41, 2, byteAt(165, 0x42)}, {0x41, 3, std::nullopt},      {0x05, 5, byteAt(165, 0x05)},
    };
    for (const Case& c : cases) {
        ConfigImage working;
        working.setLedMode(c.ledMode);
        LightingState lighting;
        lighting.takeImage(working);
        EXPECT_EQ(selectLightingMode(lighting, working, c.mode), c.expected)
            << int(c.ledMode) << " mode " << c.mode;
        EXPECT_EQ(working.ledMode(), c.ledMode); // the image keeps the byte last read
        if (c.expected) {
            EXPECT_EQ(lighting.mode, c.mode);
        }
    }
}

TEST(LightingWrites, StepTimeIsStoredAndSent) {
    ConfigImage working;
    working.setFallTime(12);
    LightingState lighting;
    lighting.takeImage(working);
    EXPECT_EQ(lighting.fallLevel, 3);
    EXPECT_EQ(selectFallLevel(lighting, working, 3), byteAt(56, 15));
    EXPECT_EQ(working.fallTime(), 15);
    EXPECT_EQ(selectFallLevel(lighting, working, 10), byteAt(56, 50));
    EXPECT_FALSE(selectFallLevel(lighting, working, 11));
    EXPECT_EQ(working.fallTime(), 50);
}

TEST(FireKeyEdits, TextsAreCorrected) {
    const std::pair<const char*, const char*> counts[] = {
        {"20", "15"}, {"", "2"},   {"15", "15"}, {"1", "1"},
        {"0", "1"},   {"-4", "1"}, {"-", "1"},   {"99999999999999999999", "15"},
        {"07", "7"},
    };
    for (const auto& [typed, shown] : counts)
        EXPECT_EQ(correctFireCount(typed), shown) << "count " << typed;
    const std::pair<const char*, const char*> intervals[] = {
        {"5000", "4094"}, {"0", "1"}, {"", "1"}, {"-7", "1"}, {"4094", "4094"}, {"60", "60"},
    };
    for (const auto& [typed, shown] : intervals)
        EXPECT_EQ(correctFireInterval(typed), shown) << "interval " << typed;
}

TEST(PointerLevels, ReadValuesAreDrawnAtTheirLevelOrTheNearest) {
    struct Case {
        PointerValuesRead read;
        int speed, doubleClick, wheel, saved;
    };
    const Case cases[] = {
        {{4, true, 500, 3}, 3, 7, 3, 3},      {{20, false, 900, -1}, 11, 1, -1, 1},
        {{3, false, 950, 40}, 2, 1, 11, 11}, // 3 lies between 2 and 4: the lower level
        {{1, false, 50, 0}, 1, 11, 1, 1},     {{10, false, 830, 11}, 6, 2, 11, 11},
        {{10, false, 829, 11}, 6, 3, 11, 11},
    };
    for (const Case& c : cases) {
        PointerState state;
        state.takeRead(c.read);
        EXPECT_EQ(state.speedLevel, c.speed) << *c.read.speed;
        EXPECT_EQ(state.doubleClickLevel, c.doubleClick) << *c.read.doubleClickMs;
        EXPECT_EQ(state.wheelLevel, c.wheel) << *c.read.wheelLines;
        EXPECT_EQ(state.savedWheelLevel, c.saved) << *c.read.wheelLines;
    }
}

TEST(PointerLevels, OneScreenRestoresTheWheelLevelChosenBefore) {
    PointerState state;
    state.takeRead({std::nullopt, std::nullopt, std::nullopt, -1});
    state.chooseWheelLevel(6);
    state.setOneScreen(true);
    EXPECT_EQ(state.values().wheelLines, -1);
    state.setOneScreen(false);
    EXPECT_EQ(state.values().wheelLines, 6);
    // Nothing read, nothing chosen: no value to apply for that bar.
    EXPECT_FALSE(PointerState{}.values().speed);
    state.speedLevel = 3;
    state.doubleClickLevel = 7;
    EXPECT_EQ(state.values().speed, 4);
    EXPECT_EQ(state.values().doubleClickMs, 480);
}
