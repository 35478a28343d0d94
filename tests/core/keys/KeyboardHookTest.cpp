#include "core/keys/KeyboardHook.h"

#include <gtest/gtest.h>

using namespace tarvik::core;

namespace {

constexpr std::uint16_t kA = 0x41, kB = 0x42, kC = 0x43, kShift = 0x10, kCtrl = 0x11, kAlt = 0x12;

struct Received {
    std::uint16_t key;
    KeyboardHookState state;
    int count;
    bool operator==(const Received&) const = default;
};

struct Combination {
    KeyCombination keys;
    KeyboardHookShiftState shift;
};

class KeyboardHookTest : public ::testing::Test {
protected:
    KeyboardHookTest() {
        hook.setEnabled(true);
        hook.setOnReceive([this](std::uint16_t key, KeyboardHookState state, int count) {
            received.push_back({key, state, count});
        });
        hook.setOnKeyCombination([this](const KeyCombination& keys, const KeyboardHookShiftState& shift) {
            combinations.push_back({keys, shift});
        });
    }

    KeyboardHook hook;
    std::vector<Received> received;
    std::vector<Combination> combinations;
};

} // namespace

TEST_F(KeyboardHookTest, HeldKeyRepeatsAndReleaseReportsOff) {
    for (int i = 0; i < 4; ++i)
        hook.keyDown(kA);
    hook.keyUp(kA);
    const std::vector<Received> expected = {{kA, KeyboardHookState::kh_On, 1},
                                            {kA, KeyboardHookState::kh_Repeat, 2},
                                            {kA, KeyboardHookState::kh_Repeat, 3},
                                            {kA, KeyboardHookState::kh_Repeat, 4},
                                            {kA, KeyboardHookState::kh_Off, 0}};
    EXPECT_EQ(received, expected);
    EXPECT_EQ(hook.keyDownCount(), 0);
}

TEST_F(KeyboardHookTest, CountRunsOverAllKeysUntilAnyRelease) {
    hook.keyDown(kA);
    hook.keyDown(kB);
    hook.keyUp(kA);
    hook.keyDown(kC);
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[1], (Received{kB, KeyboardHookState::kh_Repeat, 2}));
    EXPECT_EQ(received[2], (Received{kA, KeyboardHookState::kh_Off, 0}));
    EXPECT_EQ(received[3], (Received{kC, KeyboardHookState::kh_On, 1}));
}

TEST_F(KeyboardHookTest, CombinationFiresOnceAfterTheLastRelease) {
    hook.keyDown(kA);
    hook.keyDown(kA);
    hook.keyDown(kB);
    hook.keyUp(kA);
    EXPECT_TRUE(combinations.empty());
    hook.keyUp(kB);
    ASSERT_EQ(combinations.size(), 1u);
    EXPECT_EQ(combinations[0].keys, (KeyCombination{HookKey::kh_A, HookKey::kh_B}));
    EXPECT_TRUE(combinations[0].shift.empty());
    EXPECT_TRUE(hook.heldKeys().empty());

    hook.keyDown(kC);
    hook.keyUp(kC);
    ASSERT_EQ(combinations.size(), 2u);
    EXPECT_EQ(combinations[1].keys, (KeyCombination{HookKey::kh_C}));
}

TEST_F(KeyboardHookTest, ModifiersGoToTheShiftState) {
    hook.keyDown(kCtrl);
    EXPECT_EQ(hook.shiftState(), (KeyboardHookShiftState{HookKey::kh_Control}));
    hook.keyDown(kAlt);
    hook.keyDown(kA);
    EXPECT_EQ(hook.shiftState(), (KeyboardHookShiftState{HookKey::kh_Control, HookKey::kh_Alt}));
    hook.keyUp(kA);
    hook.keyUp(kAlt);
    EXPECT_EQ(hook.shiftState(), (KeyboardHookShiftState{HookKey::kh_Control}));
    hook.keyUp(kCtrl);
    ASSERT_EQ(combinations.size(), 1u);
    EXPECT_EQ(combinations[0].keys, (KeyCombination{HookKey::kh_A}));
    EXPECT_EQ(combinations[0].shift, (KeyboardHookShiftState{HookKey::kh_Control, HookKey::kh_Alt}));

    hook.keyDown(kShift);
    hook.keyUp(kShift);
    ASSERT_EQ(combinations.size(), 2u);
    EXPECT_TRUE(combinations[1].keys.empty());
    EXPECT_EQ(combinations[1].shift, (KeyboardHookShiftState{HookKey::kh_Shift}));
}

TEST_F(KeyboardHookTest, KeyPressedAgainWhileAnotherIsHeldKeepsTheCombinationOpen) {
    hook.keyDown(kA);
    hook.keyDown(kB);
    hook.keyUp(kA);
    hook.keyDown(kA); // A is down again
    hook.keyUp(kB);
    EXPECT_TRUE(combinations.empty());
    hook.keyUp(kA);
    ASSERT_EQ(combinations.size(), 1u);
    EXPECT_EQ(combinations[0].keys, (KeyCombination{HookKey::kh_A, HookKey::kh_B}));
}

TEST_F(KeyboardHookTest, UnlistedKeysAreHeldAsNone) {
    hook.keyDown(0x07);
    hook.keyUp(0x07);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], (Received{0x07, KeyboardHookState::kh_On, 1}));
    ASSERT_EQ(combinations.size(), 1u);
    EXPECT_EQ(combinations[0].keys, (KeyCombination{HookKey::kh_None}));
}

TEST_F(KeyboardHookTest, ReleaseWithoutPressFiresNoCombination) {
    hook.keyUp(kA);
    EXPECT_EQ(received, (std::vector<Received>{{kA, KeyboardHookState::kh_Off, 0}}));
    EXPECT_TRUE(combinations.empty());
}

TEST_F(KeyboardHookTest, DisabledHookReportsNothingAndLeavesNoStaleKeys) {
    hook.setEnabled(false);
    hook.keyDown(kA);
    hook.keyDown(kA);
    hook.keyUp(kA);
    hook.keyDown(kB);
    EXPECT_TRUE(received.empty());
    EXPECT_TRUE(combinations.empty());
    EXPECT_EQ(hook.keyDownCount(), 1);

    hook.setEnabled(true);
    hook.keyDown(kB);
    hook.keyUp(kB);
    EXPECT_EQ(received.front(), (Received{kB, KeyboardHookState::kh_Repeat, 2}));
    ASSERT_EQ(combinations.size(), 1u);
    EXPECT_EQ(combinations[0].keys, (KeyCombination{HookKey::kh_B}));
}

TEST(KeyboardHookMessages, TransitionsFromWindowsMessages) {
    EXPECT_EQ(keyTransitionFromMessage(0x100), KeyTransition::Down);
    EXPECT_EQ(keyTransitionFromMessage(0x104), KeyTransition::Down);
    EXPECT_EQ(keyTransitionFromMessage(0x101), KeyTransition::Up);
    EXPECT_EQ(keyTransitionFromMessage(0x105), KeyTransition::Up);
    EXPECT_EQ(keyTransitionFromMessage(0x102), std::nullopt);
    EXPECT_EQ(keyTransitionFromMessage(0x00FF), std::nullopt);
}
