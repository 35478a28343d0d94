#include "core/keys/AssemblyKeyLogic.h"
#include "core/keys/InputOneKeyLogic.h"

#include <gtest/gtest.h>

using namespace tarvik::core;
using Modifier = AssemblyKeyLogic::Modifier;

namespace {

constexpr int kA = 0x41, kB = 0x42, kC = 0x43, kD = 0x44;

// A key typed with no modifier held.
void type(AssemblyKeyLogic& logic, int vk) {
    logic.keyPressed(vk, false, false, false);
}

} // namespace

TEST(AssemblyKey, ModifiersThenTwoKeys) {
    AssemblyKeyLogic logic;
    logic.setModifier(Modifier::Ctrl, true);
    EXPECT_EQ(logic.editText(), "Ctrl");
    logic.setModifier(Modifier::Alt, true);
    EXPECT_EQ(logic.editText(), "Ctrl+Alt");
    type(logic, kA);
    EXPECT_EQ(logic.editText(), "Ctrl+Alt+A");
    type(logic, kB);
    EXPECT_EQ(logic.editText(), "Ctrl+Alt+A+B");
    const auto result = logic.confirm();
    EXPECT_EQ(result.caption, "Ctrl+Alt+A+B");
    EXPECT_EQ(result.code, "02050405");
}

TEST(AssemblyKey, BoxesCheckedAfterTheKeysComeFirstInBoxOrder) {
    AssemblyKeyLogic logic;
    type(logic, kA);
    logic.setModifier(Modifier::Win, true);
    EXPECT_EQ(logic.editText(), "Win+A");
    logic.setModifier(Modifier::Shift, true);
    EXPECT_EQ(logic.editText(), "Shift+Win+A");
    EXPECT_EQ(logic.confirm().code, "020A0400");
}

TEST(AssemblyKey, ThirdKeyReplacesBoth) {
    AssemblyKeyLogic logic;
    logic.setModifier(Modifier::Ctrl, true);
    type(logic, kA);
    type(logic, kB);
    type(logic, kC);
    EXPECT_EQ(logic.editText(), "Ctrl+C");
    EXPECT_EQ(logic.keysTaken(), 1);
    EXPECT_EQ(logic.confirm().code, "02010600");
    type(logic, kD);
    EXPECT_EQ(logic.confirm().code, "02010607");
}

TEST(AssemblyKey, KeysWithAModifierHeldAndWindowsKeysAreIgnored) {
    AssemblyKeyLogic logic;
    EXPECT_FALSE(logic.keyPressed(kA, true, false, false));
    EXPECT_FALSE(logic.keyPressed(kA, false, true, false));
    EXPECT_FALSE(logic.keyPressed(kA, false, false, true));
    for (int vk : {0x5B, 0x5C, 0x10, 0x11, 0x12, 0xA0, 0xA5})
        EXPECT_FALSE(logic.keyPressed(vk, false, false, false)) << vk;
    EXPECT_EQ(logic.editText(), "");
    EXPECT_EQ(logic.keysTaken(), 0);
    EXPECT_EQ(logic.confirm().code, "02000000");
    EXPECT_EQ(logic.confirm().caption, "");
}

TEST(AssemblyKey, ShiftAloneAfterTwoKeysFallsBackToTheModifiers) {
    AssemblyKeyLogic logic;
    logic.setModifier(Modifier::Alt, true);
    type(logic, kA);
    type(logic, kB);
    EXPECT_FALSE(logic.keyPressed(0x10, true, false, false));
    EXPECT_EQ(logic.editText(), "Alt");
    EXPECT_EQ(logic.keysTaken(), 0);
    EXPECT_EQ(logic.confirm().code, "02040000");
}

TEST(AssemblyKey, UncheckingRemovesTheWord) {
    struct Case {
        std::vector<Modifier> checked;
        std::vector<int> keys;
        Modifier unchecked;
        const char* expected;
    };
    const Case kCases[] = {
        {{Modifier::Ctrl}, {}, Modifier::Ctrl, ""},
        {{Modifier::Ctrl}, {kA}, Modifier::Ctrl, "A"},
        {{Modifier::Ctrl, Modifier::Alt}, {kA}, Modifier::Alt, "Ctrl+A"},
        {{Modifier::Ctrl, Modifier::Shift, Modifier::Win}, {kA, kB}, Modifier::Win, "Ctrl+Shift+A+B"},
        {{Modifier::Shift}, {kA}, Modifier::Ctrl, "Shift+A"},
        {{}, {kA}, Modifier::Alt, "A"},
    };
    for (const Case& c : kCases) {
        AssemblyKeyLogic logic;
        for (Modifier m : c.checked)
            logic.setModifier(m, true);
        for (int k : c.keys)
            type(logic, k);
        logic.setModifier(c.unchecked, false);
        EXPECT_EQ(logic.editText(), c.expected);
        EXPECT_FALSE(logic.modifierChecked(c.unchecked));
    }
}

TEST(AssemblyKey, MaskComesFromTheBoxesAtConfirm) {
    AssemblyKeyLogic logic;
    logic.setModifier(Modifier::Ctrl, true);
    logic.setModifier(Modifier::Shift, true);
    type(logic, 0x1B); // Esc
    logic.setModifier(Modifier::Ctrl, false);
    EXPECT_EQ(logic.confirm().code, "02022900");
    EXPECT_EQ(logic.confirm().caption, "Shift+Esc");
}

TEST(AssemblyKey, UnknownKeyTakesNoCode) {
    AssemblyKeyLogic logic;
    type(logic, 0x07);
    type(logic, kA);
    EXPECT_EQ(logic.editText(), "None+A");
    EXPECT_EQ(logic.confirm().code, "02000004");
}

TEST(AssemblyKey, ClearEmptiesEverything) {
    AssemblyKeyLogic logic;
    logic.setModifier(Modifier::Ctrl, true);
    logic.setModifier(Modifier::Win, true);
    type(logic, kA);
    logic.clear();
    EXPECT_EQ(logic.editText(), "");
    EXPECT_EQ(logic.keysTaken(), 0);
    EXPECT_FALSE(logic.modifierChecked(Modifier::Ctrl));
    EXPECT_FALSE(logic.modifierChecked(Modifier::Win));
    EXPECT_EQ(logic.confirm().code, "02000000");
    type(logic, kB);
    EXPECT_EQ(logic.editText(), "B");
    EXPECT_EQ(logic.confirm().code, "02000500");
}

TEST(InputOneKey, TakesEveryKeyAndBuildsTheStep) {
    InputOneKeyLogic press(1);
    press.keyPressed(0x5B);
    EXPECT_EQ(press.editText(), "Left Windows");
    EXPECT_EQ(press.deviceKey(), 0xE3);
    EXPECT_EQ(press.stepText(), "Left Windows CODE:82E3");

    press.keyPressed(0x41);
    EXPECT_EQ(press.editText(), "A");
    EXPECT_EQ(press.confirm().keyName, "A");
    EXPECT_EQ(press.confirm().stepText, "A CODE:8204");

    InputOneKeyLogic release(2);
    release.keyPressed(0x11);
    EXPECT_EQ(release.confirm().keyName, "Ctrl");
    EXPECT_EQ(release.confirm().stepText, "Ctrl CODE:02E0");
}

TEST(InputOneKey, OtherKindsLeaveTheStepAlone) {
    InputOneKeyLogic logic(1);
    logic.keyPressed(0x41);
    logic.setStepKind(3);
    logic.keyPressed(0x42);
    EXPECT_EQ(logic.editText(), "B");
    EXPECT_EQ(logic.stepText(), "A CODE:8204");
}

TEST(InputOneKey, ClearEmptiesOnlyTheEdit) {
    InputOneKeyLogic logic(2);
    logic.keyPressed(0x70);
    logic.clear();
    EXPECT_EQ(logic.editText(), "");
    EXPECT_TRUE(logic.keyTaken());
    EXPECT_EQ(logic.confirm().keyName, ""); // nothing to replace
    EXPECT_EQ(logic.confirm().stepText, "F1 CODE:023A");
    logic.keyPressed(0x07);
    EXPECT_EQ(logic.confirm().stepText, "None CODE:0200");
}
