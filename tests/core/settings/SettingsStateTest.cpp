// What drawing a configuration leaves in the shared settings: fire keys as the codes show them and
// the AIM step of the work mode's profile.

#include "core/settings/SettingsState.h"

#include <gtest/gtest.h>

using namespace tarvik::core;

namespace {
ConfigImage withFireKeys() {
    ConfigImage image;
    const int counts[3] = {3, 5, 8};
    for (int k = 1; k <= 3; ++k)
        image.setFireKey(k, {counts[k - 1], 60});
    image.setWorkMode(2);
    return image;
}
} // namespace

TEST(SettingsState, FireKeysFollowTheBlockAndTheCodesOfTheWorkMode) {
    ConfigImage image = withFireKeys();
    image.setKeyCode(2, 4, {0x06, 0x94, 0x00, 0x3C}); // fire key 2 (count 5, 60), continuous
    image.setKeyCode(1, 5, {0x06, 0x92, 0x00, 0x3C}); // fire key 1, but not in the work mode shown

    SettingsState state;
    state.fireKeys[0].continuous = true; // from an earlier drawing
    state.takeImage(image);
    EXPECT_EQ(state.fireKeys[0].count, 3);
    EXPECT_EQ(state.fireKeys[2].count, 8);
    EXPECT_EQ(state.fireKeys[1].delay, 60);
    EXPECT_TRUE(state.fireKeys[1].continuous);
    // A key that no button of the mode carries keeps its option: the block does not store it.
    EXPECT_TRUE(state.fireKeys[0].continuous);
    EXPECT_FALSE(state.fireKeys[2].continuous);

    image.setKeyCode(2, 4, {0x06, 0x14, 0x00, 0x3C});
    state.takeImage(image);
    EXPECT_FALSE(state.fireKeys[1].continuous);

    // Showing another mode's keys (a mode switch) takes the fire keys that mode carries.
    state.fireKeys[0].continuous = false;
    state.takeProfile(image, 1);
    EXPECT_TRUE(state.fireKeys[0].continuous);
    EXPECT_EQ(state.fireKeys[0].count, 3);
}

TEST(SettingsState, AimStepFollowsTheProfileShown) {
    ConfigImage image = withFireKeys();
    image.setKeyCode(1, 3, {0x05, 0x06, 0x00, 0x00});
    image.setKeyCode(2, 2, {0x05, 0x09, 0x00, 0x00});

    SettingsState state;
    state.takeImage(image); // work mode 2
    EXPECT_EQ(state.dpi.aimStep, 10);
    state.takeProfile(image, 1);
    EXPECT_EQ(state.dpi.aimStep, 7);
    state.takeProfile(image, 3); // no AIM key
    EXPECT_EQ(state.dpi.aimStep, 1);
}
