#include <gtest/gtest.h>

#include <stdexcept>

#include "core/cycle/ButtonCodeTable.h"

using namespace tarvik::core;

namespace {

struct EntryCase {
    int mode;
    int button;
    int entry;
    std::size_t offset; // of the code's first byte in the image
    const char* code;
};

// Corners of every profile section: first and last button of each work mode.
constexpr EntryCase kCases[] = {
    {1, 1, 1, 192, "0300E900"},   {1, 12, 12, 236, "01020000"}, {2, 1, 13, 241, "0B100102"},
    {2, 5, 17, 257, "0B110102"},  {2, 12, 24, 285, "10021300"}, {3, 1, 25, 290, "0617003C"},
    {3, 12, 36, 334, "0300EA00"},
};

TEST(ButtonCodeTable, SettingAnEntryWritesItsFourBytesIntoItsProfileSection) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.code);
        ConfigImage image;
        ButtonCodeTable table(image);
        table.rebuild();
        const ConfigImage before = image;

        ASSERT_EQ(ButtonCodeTable::entryOf(c.mode, c.button), c.entry);
        const auto code = KeyFunctionCode::fromText(c.code);
        ASSERT_TRUE(code);
        table.set(c.entry, *code);

        EXPECT_EQ(table.text(c.mode, c.button), c.code);
        EXPECT_EQ(table.text(c.entry), c.code);
        for (std::size_t i = 0; i < image::kImageSize; ++i) {
            const bool inCode = i >= c.offset && i < c.offset + 4;
            const Byte expected = inCode ? code->bytes[i - c.offset] : before.byteAt(i);
            ASSERT_EQ(image.byteAt(i), expected) << "offset " << i;
        }
        EXPECT_TRUE(table.inStep());
    }
}

TEST(ButtonCodeTable, RebuildTakesEveryTextFromTheImageBytes) {
    ConfigImage image;
    ButtonCodeTable table(image);
    table.rebuild();
    for (const auto& c : kCases) {
        image.setKeyCode(c.mode, c.button, KeyFunctionCode::fromText(c.code)->bytes);
    }
    EXPECT_FALSE(table.inStep());
    EXPECT_EQ(table.text(2, 5), "00000000");

    table.rebuild();
    EXPECT_TRUE(table.inStep());
    for (const auto& c : kCases) {
        EXPECT_EQ(table.text(c.entry), c.code);
        EXPECT_EQ(table.codes()[static_cast<std::size_t>(c.entry - 1)].text(), c.code);
    }
}

TEST(ButtonCodeTable, RebuildEntryTouchesOnlyThatEntry) {
    ConfigImage image;
    ButtonCodeTable table(image);
    table.rebuild();
    image.setKeyCode(3, 4, {0x06, 0x11, 0x00, 0x14});
    image.setKeyCode(3, 5, {0x06, 0x11, 0x00, 0x14});
    table.rebuildEntry(3, 4);
    EXPECT_EQ(table.text(3, 4), "06110014");
    EXPECT_EQ(table.text(3, 5), "00000000");
}

TEST(ButtonCodeTable, ClearEmptiesTheTextsButLeavesTheImage) {
    ConfigImage image;
    ButtonCodeTable table(image);
    table.set(1, 1, "01010000");
    table.clear();
    EXPECT_EQ(table.text(1), "");
    EXPECT_EQ(table.code(1, 1).text(), "01010000");
    EXPECT_FALSE(table.inStep());
}

TEST(ButtonCodeTable, RefusesTextsThatAreNoCodeAndIndexesOutOfRange) {
    ConfigImage image;
    ButtonCodeTable table(image);
    table.rebuild();
    const ConfigImage before = image;
    EXPECT_FALSE(table.set(1, 2, "0300E9"));
    EXPECT_FALSE(table.set(1, 2, "0300E9ZZ"));
    EXPECT_EQ(image, before);
    EXPECT_EQ(table.text(1, 2), "00000000");

    EXPECT_TRUE(table.set(1, 2, "0300e900"));
    EXPECT_EQ(table.text(1, 2), "0300E900");

    EXPECT_THROW(ButtonCodeTable::entryOf(0, 1), std::out_of_range);
    EXPECT_THROW(ButtonCodeTable::entryOf(4, 1), std::out_of_range);
    EXPECT_THROW(ButtonCodeTable::entryOf(1, 13), std::out_of_range);
    EXPECT_THROW(table.text(0), std::out_of_range);
    EXPECT_THROW(table.text(37), std::out_of_range);
    EXPECT_THROW(table.set(37, KeyFunctionCode{}), std::out_of_range);
}

} // namespace
