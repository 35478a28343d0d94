// What a drawn configuration and the mouse's DPI buttons leave in the DPI state.

#include "core/settings/DpiState.h"

#include <gtest/gtest.h>

using namespace tarvik::core;

namespace {
ConfigImage fourLevels() {
    ConfigImage image;
    image.setEnabledDpiLevels(4);
    for (int n = 1; n <= 8; ++n)
        image.setDpiLevel(n, n <= 4 ? std::optional<int>(n + 4) : std::nullopt);
    image.setReportRateCode(3);
    image.setCurrentDpi(2);
    return image;
}
} // namespace

TEST(DpiState, TakesTheLevelsTheImageHolds) {
    DpiState state;
    state.rateResetPending = true;
    state.takeImage(fourLevels());
    EXPECT_EQ(state.enabledLevels, 4);
    EXPECT_EQ(state.stepIndex[0], 5);
    EXPECT_EQ(state.stepIndex[3], 8);
    EXPECT_TRUE(state.stepKnown[3]);
    EXPECT_FALSE(state.stepKnown[4]); // nibble 15: no step yet
    EXPECT_EQ(state.knownReportRate, 1000);
    EXPECT_FALSE(state.rateResetPending);
    EXPECT_EQ(state.currentIndex, 2);
}

TEST(DpiState, KeepsWhatAnImageCannotSay) {
    DpiState state;
    state.takeImage(fourLevels());

    ConfigImage odd = fourLevels();
    odd.setByteAt(image::kDpiLevelCount, 8); // no level count
    odd.setDpiLevel(2, std::nullopt);        // 15: no step
    // 12, which is never written, is no step either.
    odd.setByteAt(image::kDpiLevels, static_cast<Byte>((odd.dpiLevelPairByte(1) & 0xF0) | 0x0C));
    odd.setCurrentDpi(0xFF); // a failed read
    state.takeImage(odd);
    EXPECT_EQ(state.enabledLevels, 4);
    EXPECT_EQ(state.stepIndex[0], 5);
    EXPECT_EQ(state.stepIndex[1], 6);
    EXPECT_EQ(state.currentIndex, 2);
}

TEST(DpiState, CurrentLevelFromTheMouseStaysWithinTheEnabledLevels) {
    DpiState state;
    state.takeImage(fourLevels());
    EXPECT_TRUE(state.takeCurrentFromMouse(3));
    EXPECT_EQ(state.currentIndex, 3);
    for (int odd : {4, 7, 0xFF, -1}) {
        EXPECT_FALSE(state.takeCurrentFromMouse(odd)) << odd;
        EXPECT_EQ(state.currentIndex, 3) << odd;
    }
}

TEST(DpiState, ForgettingTheReportRate) {
    DpiState state;
    state.takeImage(fourLevels());
    state.rateResetPending = true;
    state.forgetReportRate();
    EXPECT_EQ(state.knownReportRate, 0);
    EXPECT_FALSE(state.rateResetPending);
}
