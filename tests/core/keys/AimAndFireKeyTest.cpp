// The AIM key of a profile (the step it shows, and the codes that carry a new step) and the fire-key
// rows a work mode's codes show.

#include "core/keys/AimKey.h"
#include "core/keys/FireKeyDisplay.h"

#include <gtest/gtest.h>

using namespace tarvik::core;

namespace {
ConfigImage withCodes(std::initializer_list<std::tuple<int, int, KeyCodeBytes>> codes) {
    ConfigImage image;
    for (const auto& [mode, button, code] : codes)
        image.setKeyCode(mode, button, code);
    return image;
}
} // namespace

TEST(AimKey, StepShownForAProfile) {
    struct Case {
        const char* what;
        ConfigImage image;
        int mode;
        int shown;
        int expected;
    };
    const Case cases[] = {
        {"no AIM key", withCodes({}), 1, 7, 1},
        {"byte 1 is step index", withCodes({{1, 4, {0x05, 0x0B, 0, 0}}}), 1, 1, 12},
        {"the last in button order wins", withCodes({{1, 2, {0x05, 0x02, 0, 0}}, {1, 8, {0x05, 0x04, 0, 0}}}),
         1, 1, 5},
        {"255 keeps what was shown", withCodes({{2, 3, {0x05, 0xFF, 0, 0}}}), 2, 9, 9},
        {"a later 255 keeps the earlier step",
         withCodes({{1, 1, {0x05, 0x03, 0, 0}}, {1, 2, {0x05, 0xFF, 0, 0}}}), 1, 9, 4},
        {"button 12 counts in work mode 1", withCodes({{1, 12, {0x05, 0x05, 0, 0}}}), 1, 1, 6},
        {"buttons 10-12 do not count in work mode 2", withCodes({{2, 10, {0x05, 0x05, 0, 0}}}), 2, 4, 1},
        {"another mode's AIM key does not count", withCodes({{3, 1, {0x05, 0x05, 0, 0}}}), 1, 4, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(aimStepOfProfile(c.image, c.mode, c.shown), c.expected) << c.what;
}

TEST(AimKey, RewritesEveryAimKeyOfTheThreeModes) {
    const ConfigImage image = withCodes(
        {{1, 12, {0x05, 0x00, 0, 0}}, {3, 10, {0x05, 0xFF, 0, 0}}, {2, 1, {0x06, 0x10, 0x00, 0x3C}}});
    const std::vector<KeyCodeRewrite> expected = {{1, 12, KeyFunctionCode(0x05, 0x06, 0, 0)},
                                                  {3, 10, KeyFunctionCode(0x05, 0x06, 0, 0)}};
    EXPECT_EQ(aimKeyRewrites(image, 7), expected);
    EXPECT_TRUE(aimKeyRewrites(withCodes({}), 7).empty());
    EXPECT_THROW(aimKeyRewrites(image, 0), std::out_of_range);
    EXPECT_THROW(aimKeyRewrites(image, 13), std::out_of_range);
}

TEST(FireKeyDisplay, RowsShownForTheCodesOfAWorkMode) {
    const std::array<FireKeySetting, 3> settings = {{{3, 60}, {5, 60}, {8, 60}}};
    const ConfigImage image = withCodes({{2, 1, {0x06, 0x94, 0x00, 0x3C}},   // fire key 2, continuous
                                         {2, 7, {0x06, 0x12, 0x00, 0x3C}},   // fire key 1
                                         {2, 9, {0x06, 0x12, 0x00, 0x3D}},   // no setting has delay 61
                                         {2, 12, {0x06, 0x17, 0x00, 0x3C}},  // fire key 3
                                         {1, 1, {0x06, 0x97, 0x00, 0x3C}}}); // another mode
    const std::vector<FireKeyDisplay> expected = {{2, 5, 60, true}, {1, 3, 60, false}, {3, 8, 60, false}};
    EXPECT_EQ(fireKeyDisplays(image, 2, settings), expected);
    EXPECT_TRUE(fireKeyDisplays(image, 3, settings).empty());
}
