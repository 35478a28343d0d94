#include "platform/linux/KdeConfigText.h"

#include <gtest/gtest.h>

namespace tarvik::platform::linux_desktop {
namespace {

struct FindCase {
    const char* name;
    const char* text;
    std::optional<std::string> value;
    bool immutable = false;
};

TEST(KdeConfigText, FindsTheEntryKdeWouldRead) {
    const FindCase cases[] = {
        {"plain", "[KDE]\nWheelScrollLines=5\n", "5"},
        {"spaces around key and value", "[KDE]\n  WheelScrollLines = 7 \r\n", "7"},
        {"last one wins", "[KDE]\nWheelScrollLines=5\n[General]\nx=1\n[KDE]\nWheelScrollLines=8\n", "8"},
        {"an immutable one stays", "[KDE]\nWheelScrollLines[$i]=5\nWheelScrollLines=8\n", "5", true},
        {"immutable group", "[KDE][$i]\nWheelScrollLines=4\n", "4", true},
        {"immutable file", "[$i]\n[KDE]\nWheelScrollLines=4\n", "4", true},
        {"localised entry is another", "[KDE]\nWheelScrollLines[de]=9\n", std::nullopt},
        {"nested group is another", "[KDE][Sub]\nWheelScrollLines=9\n", std::nullopt},
        {"other group", "[General]\nWheelScrollLines=9\n", std::nullopt},
        {"before any group", "WheelScrollLines=9\n[KDE]\n", std::nullopt},
        {"comment", "[KDE]\n# WheelScrollLines=9\n", std::nullopt},
        {"unclosed header keeps the group", "[KDE]\n[Broken\nWheelScrollLines=6", "6"},
        {"key that only starts alike", "[KDE]\nWheelScrollLinesX=6\n", std::nullopt},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<KdeEntry> found = findKdeEntry(c.text, "KDE", "WheelScrollLines");
        ASSERT_EQ(found.has_value(), c.value.has_value());
        if (found) {
            EXPECT_EQ(found->value, *c.value);
            EXPECT_EQ(found->immutable, c.immutable);
        }
    }
}

struct SetCase {
    const char* name;
    const char* text;
    std::optional<std::string> result;
};

TEST(KdeConfigText, SetsTheEntryAndKeepsEveryOtherLine) {
    const SetCase cases[] = {
        {"empty file", "", "[KDE]\nWheelScrollLines=7\n"},
        {"rewritten in place", "# top\n[KDE]\nSingleClick=false\nWheelScrollLines=3\nZ=1\n[General]\nx=y\n",
         "# top\n[KDE]\nSingleClick=false\nWheelScrollLines=7\nZ=1\n[General]\nx=y\n"},
        {"options on the old entry go", "[KDE]\nWheelScrollLines[$e]=3\n", "[KDE]\nWheelScrollLines=7\n"},
        {"every copy rewritten", "[KDE]\nWheelScrollLines=3\n[A]\n[KDE]\nWheelScrollLines=4\n",
         "[KDE]\nWheelScrollLines=7\n[A]\n[KDE]\nWheelScrollLines=7\n"},
        {"added at the end of the group, before the next group's comment",
         "[KDE]\nSingleClick=false\n\n# colours\n[Colors:View]\nA=1\n",
         "[KDE]\nSingleClick=false\nWheelScrollLines=7\n\n# colours\n[Colors:View]\nA=1\n"},
        {"added to the group's last part", "[KDE]\nA=1\n[B]\nc=2\n[KDE]\nD=4\n",
         "[KDE]\nA=1\n[B]\nc=2\n[KDE]\nD=4\nWheelScrollLines=7\n"},
        {"new group after the others", "[General]\nx=y", "[General]\nx=y\n\n[KDE]\nWheelScrollLines=7\n"},
        {"localised and nested entries stay",
         "[KDE][Sub]\nWheelScrollLines=1\n[KDE]\nWheelScrollLines[de]=2\n",
         "[KDE][Sub]\nWheelScrollLines=1\n[KDE]\nWheelScrollLines[de]=2\nWheelScrollLines=7\n"},
        {"line ends of the file kept", "[KDE]\r\nWheelScrollLines=3\r\n", "[KDE]\r\nWheelScrollLines=7\r\n"},
        {"immutable entry", "[KDE]\nWheelScrollLines[$i]=3\n", std::nullopt},
        {"immutable group", "[KDE][$i]\nA=1\n", std::nullopt},
        {"immutable file", "[$i]\n[General]\nx=1\n", std::nullopt},
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(setKdeEntry(c.text, "KDE", "WheelScrollLines", "7"), c.result);
    }
}

TEST(KdeConfigText, WritesANestedGroupWithItsBrackets) {
    const std::string group = std::string("Libinput") + kKdeGroupSeparator + "1133" + kKdeGroupSeparator +
                              "49291" + kKdeGroupSeparator + "G Mouse";
    const std::string written = "[Libinput][1133][49291][G Mouse]\nPointerAcceleration=0.2\n";
    EXPECT_EQ(setKdeEntry("", group, "PointerAcceleration", "0.2"), written);
    EXPECT_EQ(setKdeEntry("[Libinput][1133][49291][G Mouse]\nPointerAcceleration=-1\n", group,
                          "PointerAcceleration", "0.2"),
              written);
    EXPECT_EQ(findKdeEntry(written, group, "PointerAcceleration")->value, "0.2");
}

} // namespace
} // namespace tarvik::platform::linux_desktop
