#include "core/keys/KeyTables.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace tarvik::core;

namespace {

HookKey key(int value) {
    return static_cast<HookKey>(value);
}

struct Row {
    int value;
    int virtualKey; // -1: none
    const char* name;
    int deviceKey;
};

// Rows picked from every block and every range end of the key table, written out independently of
// the implementation's table.
const Row kRows[] = {
    {0, -1, "None", 0x00},
    {1, -1, "Demo", 0x00},
    {2, 0xFF, "255", 0x00},
    {3, 0x08, "Backspace", 0x2A},
    {5, 0x0C, "Clear", 0x9C},
    {6, 0x0D, "Enter", 0x28},
    {7, 0x10, "Shift", 0xE1},
    {8, 0x11, "Ctrl", 0xE0},
    {9, 0x12, "Alt", 0xE2},
    {11, 0x14, "Caps Lock", 0x39},
    {13, 0x20, "Space bar", 0x2C},
    {21, 0x28, "Down Arrow", 0x51},
    {23, 0x2C, "Print Screen", 0x46},
    {26, 0x2F, "Help", 0x75},
    {27, 0x5B, "Left Windows", 0xE3},
    {28, 0x5C, "Right Windows", 0xE7},
    {29, 0x5D, "Applications", 0x65},
    {30, 0x60, "0 (numeric pad)", 0x62},
    {31, 0x61, "1 (numeric pad)", 0x59},
    {39, 0x69, "9 (numeric pad)", 0x61},
    {42, 0x6C, "Separator (numeric pad)", 0x58},
    {45, 0x6F, "Divide (numeric pad)", 0x54},
    {46, 0x70, "F1", 0x3A},
    {57, 0x7B, "F12", 0x45},
    {58, 0x7C, "F13", 0x68},
    {69, 0x87, "F24", 0x73},
    {70, 0x90, "Num Lock", 0x53},
    {72, 0xA0, "Left Shift", 0xE1},
    {73, 0xA1, "Right Shift", 0xE5},
    {75, 0xA3, "Right Ctrl", 0xE4},
    {77, 0xA5, "Right Alt", 0xE6},
    {78, 0x41, "A", 0x04},
    {79, 0x42, "B", 0x05},
    {103, 0x5A, "Z", 0x1D},
    {104, 0x30, "0", 0x27},
    {105, 0x31, "1", 0x1E},
    {113, 0x39, "9", 0x26},
    {114, 0xBA, "OEM_1", 0x33},
    {121, 0xDF, "OEM_8", 0x00},
    {122, 0xBB, "OEM_Plus", 0x2E},
    {125, 0xBE, "OEM_Period", 0x37},
    {126, 0xA6, "Browser_Back", 0xCA},
    {132, 0xAC, "Browser_Home", 0xC9},
    {135, 0xAF, "Volume_Up", 0xC5},
    {139, 0xB3, "Media_Play_Pause", 0xC3},
    {141, 0xB5, "Launch_Media_Select", 0xD1},
    {143, 0xB7, "Launch_App2", 0x00},
    {144, -1, "", 0x00},
    {145, 0xE2, "OEM_102", 0x64},
};

} // namespace

TEST(KeyTables, RowsMatchTheKeyTable) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(hookKeyName(key(row.value)), row.name);
        EXPECT_EQ(hookKeyToDeviceKey(key(row.value)), row.deviceKey);
        if (row.virtualKey >= 0) {
            EXPECT_EQ(virtualKeyToHookKey(row.virtualKey), key(row.value));
            EXPECT_EQ(hookKeyVirtualKey(key(row.value)), row.virtualKey);
        } else {
            EXPECT_EQ(hookKeyVirtualKey(key(row.value)), std::nullopt);
        }
    }
}

TEST(KeyTables, EveryValueRoundTripsThroughItsVirtualKey) {
    std::set<int> seenVirtualKeys;
    int withoutVirtualKey = 0;
    for (int value = 0; value < static_cast<int>(kHookKeyCount); ++value) {
        SCOPED_TRACE(value);
        const auto vk = hookKeyVirtualKey(key(value));
        if (!vk) {
            ++withoutVirtualKey;
            continue;
        }
        EXPECT_TRUE(seenVirtualKeys.insert(*vk).second) << "virtual key used twice";
        EXPECT_EQ(virtualKeyToHookKey(*vk), key(value));
        EXPECT_FALSE(hookKeyName(key(value)).empty());
    }
    EXPECT_EQ(withoutVirtualKey, 3); // kh_None, kh_Demo, kh_Return_KP
}

TEST(KeyTables, UnlistedVirtualKeysAreNoneWithoutCode) {
    for (int vk : {0x00, 0x01, 0x07, 0x0A, 0x15, 0x2A, 0x3A, 0x40, 0x5E, 0x88, 0x92, 0xB8, 0xC1, 0xE0, 0xFE,
                   0x100, 0x141, -1, 0x7FFFFFFF}) {
        SCOPED_TRACE(vk);
        EXPECT_EQ(virtualKeyToHookKey(vk), HookKey::kh_None);
        EXPECT_EQ(hookKeyName(virtualKeyToHookKey(vk)), "None");
        EXPECT_EQ(hookKeyToDeviceKey(virtualKeyToHookKey(vk)), 0x00);
    }
}

TEST(KeyTables, ValueOutsideTheEnumerationIsTreatedAsNone) {
    EXPECT_EQ(hookKeyName(key(146)), "None");
    EXPECT_EQ(hookKeyName(key(255)), "None");
    EXPECT_EQ(hookKeyToDeviceKey(key(200)), 0x00);
}

TEST(KeyTables, DeviceKeyNameIsTheProducingKeysNameApartFromTheModifiers) {
    const std::map<int, std::string> differences = {
        {0xE0, "Left Ctrl"}, {0xE1, "Left Shift"}, {0xE2, "Left Alt"}, {0xE3, "Win"}, {0xE7, "Win"}};
    std::set<int> produced;
    for (int value = 0; value < static_cast<int>(kHookKeyCount); ++value) {
        const DeviceKeyCode code = hookKeyToDeviceKey(key(value));
        if (code == 0)
            continue;
        SCOPED_TRACE(value);
        produced.insert(code);
        auto diff = differences.find(code);
        EXPECT_EQ(deviceKeyName(code), diff != differences.end() ? diff->second : hookKeyName(key(value)));
    }
    for (int code = 0; code < 256; ++code) {
        if (!produced.contains(code)) {
            SCOPED_TRACE(code);
            EXPECT_EQ(deviceKeyName(static_cast<DeviceKeyCode>(code)), "");
        }
    }
    // Spot values the captions depend on.
    EXPECT_EQ(deviceKeyName(0x04), "A");
    EXPECT_EQ(deviceKeyName(0x07), "D");
    EXPECT_EQ(deviceKeyName(0xE4), "Right Ctrl");
    EXPECT_EQ(deviceKeyName(0xC0), "Media_Next_Track");
    EXPECT_EQ(deviceKeyName(0x00), "");
    EXPECT_EQ(deviceKeyName(0x03), "");
}

TEST(KeyTables, OnlyTheModifierPairsShareADeviceCode) {
    std::map<int, int> users;
    for (int value = 0; value < static_cast<int>(kHookKeyCount); ++value)
        if (const int code = hookKeyToDeviceKey(key(value)))
            ++users[code];
    for (auto [code, count] : users) {
        SCOPED_TRACE(code);
        EXPECT_EQ(count, (code == 0xE0 || code == 0xE1 || code == 0xE2) ? 2 : 1);
    }
}
