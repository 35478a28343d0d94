// SettingFireKey's decision: which buttons carry a fire key under the settings their codes were
// built from, and the codes they get from the new settings.

#include "core/keys/FireKeyRewrites.h"

#include <gtest/gtest.h>

using namespace tarvik::core;

TEST(FireKeyRewrites, EveryButtonOfTheChangedKeyIsRecodedInAllModes) {
    ConfigImage image;
    const KeyCodeBytes key1 = {0x06, 0x11, 0x00, 0x10};  // fire key 1: count 2, interval 16
    const KeyCodeBytes key2 = {0x06, 0x94, 0x00, 0x3C};  // fire key 2: count 5, interval 60, continuous
    const KeyCodeBytes stray = {0x06, 0x11, 0x00, 0x99}; // built from settings no key has now
    image.setKeyCode(1, 1, key1);
    image.setKeyCode(2, 12, key1);
    image.setKeyCode(3, 5, key1);
    image.setKeyCode(2, 3, key2);
    image.setKeyCode(1, 7, stray);
    image.setKeyCode(1, 2, {0x05, 0x03, 0, 0});

    FunctionCodeContext before;
    before.fireKeys = {{{2, 16, false}, {5, 60, true}, {8, 60, false}}};
    std::array<FireKeySetting, 3> after = before.fireKeys;
    after[0].delay = 20;

    const KeyFunctionCode recoded(0x06, 0x11, 0x00, 0x14);
    const KeyFunctionCode key2Again(0x06, 0x94, 0x00, 0x3C);
    const std::vector<KeyCodeRewrite> expected = {
        {1, 1, recoded}, {2, 3, key2Again}, {2, 12, recoded}, {3, 5, recoded}};
    EXPECT_EQ(fireKeyRewrites(image, before, after), expected);

    // Named under the new settings, the old codes are no fire key any more: the order matters.
    FunctionCodeContext late = before;
    late.fireKeys = after;
    const auto wrong = fireKeyRewrites(image, late, after);
    EXPECT_EQ(wrong.size(), 1u); // only fire key 2 is still recognised
}

TEST(FireKeyRewrites, CountAndContinuousAreCoded) {
    ConfigImage image;
    image.setKeyCode(1, 4, {0x06, 0x12, 0x00, 0x3C}); // fire key 3: count 3, interval 60
    FunctionCodeContext before;
    before.fireKeys = {{{1, 1, false}, {2, 2, false}, {3, 60, false}}};
    std::array<FireKeySetting, 3> after = before.fireKeys;
    after[2] = {15, 4094, true};
    const auto rewrites = fireKeyRewrites(image, before, after);
    ASSERT_EQ(rewrites.size(), 1u);
    EXPECT_EQ(rewrites[0].code, KeyFunctionCode(0x06, 0x9E, 0x0F, 0xFE));
}

TEST(FireKeyRewrites, SettingsGoIntoTheBlock) {
    ConfigImage image;
    storeFireKeySettings(image, {{{2, 20, true}, {15, 4094, false}, {1, 1, false}}});
    EXPECT_EQ(image.fireKey(1), (StoredFireKey{2, 20}));
    EXPECT_EQ(image.fireKey(2), (StoredFireKey{15, 4094}));
    const auto bytes = image.bytes();
    EXPECT_EQ(bytes[341], 1);
    EXPECT_EQ(bytes[342], 0);
    EXPECT_EQ(bytes[343], 20);
    EXPECT_EQ(bytes[347], 0);
}
