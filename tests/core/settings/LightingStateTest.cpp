// Which lighting effects each kind offers, the step-time level of a stored FallTime, and what a
// drawn configuration leaves in the lighting state.

#include "core/settings/LightingState.h"

#include <gtest/gtest.h>

using namespace tarvik::core;

TEST(LightingState, FallLevelBands) {
    const std::pair<int, int> cases[] = {{0, 1},  {5, 1},  {6, 2},  {10, 2},  {11, 3},  {12, 3},
                                         {40, 8}, {41, 9}, {45, 9}, {46, 10}, {50, 10}, {255, 10}};
    for (const auto& [fallTime, level] : cases)
        EXPECT_EQ(fallLevelForTime(fallTime), level) << fallTime;
}

TEST(LightingState, ModesOfferedPerKind) {
    // off, 1..5 as each kind shows them; 6 is no effect at all.
    struct Case {
        LightingKind kind;
        std::array<bool, 7> offered;
    };
    const Case cases[] = {
        {LightingKind::RGB, {true, true, true, true, true, true, false}},
        {LightingKind::Sync, {true, true, true, false, false, false, false}},
        {LightingKind::NT, {true, true, true, false, true, true, false}},
        {LightingKind::None, {true, true, true, true, true, true, false}},
    };
    for (const Case& c : cases)
        for (int mode = 0; mode <= 6; ++mode)
            EXPECT_EQ(lightingOffersMode(c.kind, mode), c.offered[static_cast<std::size_t>(mode)])
                << static_cast<int>(c.kind) << "/" << mode;
}

TEST(LightingState, TakesWhatTheKindAllows) {
    ConfigImage image;
    for (int c = 1; c <= 10; ++c)
        image.setLedColor(c, {static_cast<Byte>(c), 0, 0});
    image.setFallTime(12);
    image.setLedMode(0x82); // "NT", effect 2

    LightingState state;
    state.takeImage(image);
    EXPECT_EQ(state.kind, LightingKind::NT);
    EXPECT_EQ(state.mode, 2);
    EXPECT_EQ(state.fallLevel, 3);
    EXPECT_EQ(state.colour(10).red, 10);

    // An effect the kind does not offer keeps the one shown; "Sync" has no colours to take.
    image.setLedMode(0x43); // "Sync", effect 3
    image.setLedColor(1, {99, 99, 99});
    state.takeImage(image);
    EXPECT_EQ(state.kind, LightingKind::Sync);
    EXPECT_EQ(state.mode, 2);
    EXPECT_EQ(state.colour(1).red, 1);
}
