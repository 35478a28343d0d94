// Where the assignment cascade opens and when the left key may not leave a button.

#include "core/keys/ButtonAssignment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tarvik::core;

namespace {

constexpr int kWidth = 1030;
constexpr int kHeight = 662;

constexpr KeyFunctionCode kRight{0x01, 0x02, 0x00, 0x00};

// One work mode's codes: the right key everywhere but on `buttons`.
std::vector<KeyFunctionCode> leftOn(std::initializer_list<int> buttons) {
    std::vector<KeyFunctionCode> codes(12, kRight);
    for (int b : buttons)
        codes[b - 1] = kLeftKeyCode;
    return codes;
}

} // namespace

TEST(ButtonAssignment, MainMenuOpensAtTheButtonCentreAwayFromTheEdges) {
    struct Case {
        MenuRect button;
        MenuPoint expected;
    };
    const Case cases[] = {
        {{100, 100, 80, 30}, {140, 115}}, // room right and below
        {{900, 100, 80, 30}, {770, 115}}, // 900+80+170 >= 1030: left of the centre
        {{100, 500, 80, 30}, {140, 321}}, // 500+30+194 >= 662: above the centre
        {{900, 500, 80, 30}, {770, 321}}, // both
    };
    for (const Case& c : cases)
        EXPECT_EQ(mainMenuPosition(c.button, 170, 194, kWidth, kHeight), c.expected)
            << c.button.left << "," << c.button.top;
    // The edge itself does not fit: the test is strictly less.
    EXPECT_EQ(mainMenuPosition({780, 100, 80, 30}, 170, 194, kWidth, kHeight).left, 820 - 170);
    EXPECT_EQ(mainMenuPosition({779, 100, 80, 30}, 170, 194, kWidth, kHeight).left, 819);
}

TEST(ButtonAssignment, SubMenusTestTheSumOfPanelHeightsAgainstTheWidth) {
    const MenuRect main{300, 200, 170, 194};
    const MenuRect special{472, 224, 170, 314};
    const MenuRect entryInMain{2, 25, 166, 24};
    // 300 + 194 + 314 + 74 = 882 < 1030: a level-2 menu opens to the right of its entry.
    CascadeExtent extent{300, 194, 314, 74};
    EXPECT_EQ(subMenuPosition(2, main, entryInMain, 170, 314, extent, kWidth, kHeight).left,
              300 + 2 + 166 + 2);
    // The same menu far enough right that the sum reaches the width, although its width would fit.
    extent.mainLeft = 600;
    EXPECT_EQ(subMenuPosition(2, main, entryInMain, 170, 314, extent, kWidth, kHeight).left, 300 - 170);
    // A level-3 menu adds its own height instead of the fire key menu's.
    extent.mainLeft = 400; // 400 + 194 + 314 + 98 = 1006 < 1030, but + 130 would not be
    EXPECT_EQ(subMenuPosition(10, special, {2, 73, 166, 24}, 170, 98, extent, kWidth, kHeight).left,
              472 + 170);
    EXPECT_EQ(subMenuPosition(10, special, {2, 73, 166, 24}, 170, 130, extent, kWidth, kHeight).left,
              472 - 170);
}

TEST(ButtonAssignment, SubMenusOpenUpwardsAtTheBottom) {
    const CascadeExtent extent{100, 194, 314, 74};
    const MenuRect main{100, 300, 170, 194};
    // 25 + 300 + 314 = 639 < 662: top aligned with the entry.
    EXPECT_EQ(subMenuPosition(2, main, {2, 25, 166, 24}, 170, 314, extent, kWidth, kHeight).top, 325);
    // 49 + 300 + 314 >= 662: bottom aligned with the entry's bottom.
    EXPECT_EQ(subMenuPosition(2, main, {2, 49, 166, 24}, 170, 314, extent, kWidth, kHeight).top,
              300 + 49 + 24 - 314);
}

TEST(ButtonAssignment, LeftKeyGuards) {
    // The catalogue guard looks at every button as the change would leave them.
    EXPECT_TRUE(leavesNoLeftKey(leftOn({4}), 4, kRight));
    EXPECT_FALSE(leavesNoLeftKey(leftOn({4}), 4, kLeftKeyCode));
    EXPECT_FALSE(leavesNoLeftKey(leftOn({4, 12}), 4, kRight));
    EXPECT_FALSE(leavesNoLeftKey(leftOn({4}), 5, kRight));
    // A code that only resembles the left key (another parameter byte) is not the left key.
    std::vector<KeyFunctionCode> lookalike = leftOn({});
    lookalike[2] = KeyFunctionCode{0x01, 0x01, 0x00, 0x07};
    EXPECT_EQ(leftKeyCount(lookalike, 12), 0);

    struct Case {
        std::vector<KeyFunctionCode> codes;
        int button;
        int counted;
        bool refused;
    };
    const Case cases[] = {
        {leftOn({1}), 1, 12, true},     // the only left key
        {leftOn({1, 3}), 1, 12, false}, // another button keeps it
        {leftOn({1}), 2, 12, false},    // the button does not carry it
        {leftOn({1, 10}), 1, 9, true},  // buttons 10-12 are not counted for combinations
        {leftOn({1, 10}), 1, 12, false}, {leftOn({1, 5}), 5, 9, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(takesLastLeftKey(c.codes, c.button, c.counted), c.refused)
            << "button " << c.button << " counting " << c.counted;
}
