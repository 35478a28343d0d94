#include "core/macros/MacroEditing.h"

#include <gtest/gtest.h>

using namespace tarvik::core;

namespace {

const MacroText kKeystroke = {"00", "1 A CODE:8204", "0 30", "2 A CODE:0204"};

} // namespace

TEST(MacroEditingTest, DeleteTakesThePartnerAlong) {
    struct Case {
        MacroText text;
        int row;
        MacroText expected;
        std::optional<int> select;
    };
    const Case cases[] = {
        {kKeystroke, 0, {"00", "0 30"}, 0},                                    // the press
        {kKeystroke, 2, {"00", "0 30"}, 0},                                    // the release
        {kKeystroke, 1, {"00", "1 A CODE:8204", "2 A CODE:0204"}, 0},          // a delay goes alone
        {{"00", "3 04FF7F", "8 FC"}, 1, {"00", "3 04FF7F"}, 0},                // Rep-Stop
        {{"00", "7 FD0A", "8 FC"}, 0, {"00", "7 FD0A", "8 FC"}, std::nullopt}, // Rep-Start stays
        // The release just before the press belongs to an earlier keystroke: the press goes with the
        // release after it, so the earlier keystroke keeps its length.
        {{"00", "1 A CODE:8204", "0 10", "2 A CODE:0204", "1 A CODE:8204", "0 30", "2 A CODE:0204"},
         3,
         {"00", "1 A CODE:8204", "0 10", "2 A CODE:0204", "0 30"},
         2},
        // A release pairs with the nearest press before it.
        {{"00", "1 A CODE:8204", "2 A CODE:0204", "1 A CODE:8204", "0 5", "2 A CODE:0204"},
         4,
         {"00", "1 A CODE:8204", "2 A CODE:0204", "0 5"},
         2},
    };
    for (const Case& c : cases) {
        MacroText text = c.text;
        const MacroTextEdit r = deleteRow(text, c.row);
        EXPECT_EQ(text, c.expected) << "row " << c.row;
        EXPECT_FALSE(r.contentError);
        EXPECT_EQ(r.selectRow, c.select) << "row " << c.row;
    }
}

TEST(MacroEditingTest, DeleteWithoutPartnerIsAContentErrorAndChangesNothing) {
    const MacroText cases[] = {
        {"00", "1 A CODE:8204", "0 30"},                 // the search runs to the end
        {"00", "0 30", "2 A CODE:0204"},                 // back to the header
        {"00", "2 A CODE:0204", "1 A CODE:8204", "0 1"}, // a press after is no partner of a release
        {"10", "1 B CODE:8205", "0 5", "2 A CODE:0204"}, // other key names
    };
    for (const MacroText& original : cases) {
        for (int row = 0; row + 1 < static_cast<int>(original.size()); ++row) {
            const char kind = original[static_cast<std::size_t>(row) + 1][0];
            if (kind != '1' && kind != '2')
                continue;
            MacroText text = original;
            const MacroTextEdit r = deleteRow(text, row);
            EXPECT_TRUE(r.contentError) << original[static_cast<std::size_t>(row) + 1];
            EXPECT_FALSE(r.changed);
            EXPECT_EQ(text, original);
        }
    }
}

TEST(MacroEditingTest, InsertPanelLines) {
    struct Case {
        InsertChoice choice;
        InsertValues values;
        int row;
        MacroText expected;
        int select;
    };
    const MacroText base = {"10", "1 A CODE:8204", "2 A CODE:0204"};
    const Case cases[] = {
        {InsertChoice::DelayFront, {}, 0, {"10", "0 50", "1 A CODE:8204", "2 A CODE:0204"}, 0},
        {InsertChoice::DelayBack,
         {.delay = 70000},
         1,
         {"10", "1 A CODE:8204", "2 A CODE:0204", "0 65535"},
         2},
        {InsertChoice::MoveFront,
         {.x = -1, .y = 127},
         1,
         {"10", "1 A CODE:8204", "3 04FF7F", "2 A CODE:0204"},
         1},
        {InsertChoice::MoveBack,
         {.x = -300, .y = 0},
         0,
         {"10", "1 A CODE:8204", "3 048100", "2 A CODE:0204"},
         1},
        {InsertChoice::RepeatStart,
         {.repeat = 300},
         0,
         {"10", "7 FDFF", "1 A CODE:8204", "2 A CODE:0204"},
         0},
        {InsertChoice::RepeatStop, {}, 1, {"10", "1 A CODE:8204", "2 A CODE:0204", "8 FC"}, 2},
    };
    for (const Case& c : cases) {
        MacroText text = base;
        const MacroTextEdit r = insertLine(text, c.row, c.choice, c.values);
        EXPECT_EQ(text, c.expected) << static_cast<int>(c.choice);
        EXPECT_EQ(r.selectRow, c.select) << static_cast<int>(c.choice);
    }
    MacroText text = base;
    EXPECT_FALSE(insertLine(text, 2, InsertChoice::DelayFront, {}).changed); // no such row
    EXPECT_FALSE(insertLine(text, 0, InsertChoice::KeyBack, {}).changed);    // recorded, not typed
    EXPECT_EQ(text, base);
}

TEST(MacroEditingTest, ItemsOfBothInsertLists) {
    EXPECT_EQ(insertChoiceOfItem(3, false), InsertChoice::KeyBack);
    EXPECT_EQ(insertChoiceOfItem(7, false), InsertChoice::RepeatStop);
    EXPECT_EQ(insertChoiceOfItem(8, false), std::nullopt);
    EXPECT_EQ(insertChoiceOfItem(1, true), InsertChoice::DelayBack);
    EXPECT_EQ(insertChoiceOfItem(2, true), InsertChoice::MoveFront);
    EXPECT_EQ(insertChoiceOfItem(5, true), InsertChoice::RepeatStop);
    EXPECT_EQ(insertChoiceOfItem(6, true), std::nullopt);
    EXPECT_EQ(insertChoiceOfItem(-1, true), std::nullopt);
}

TEST(MacroEditingTest, ReplaceLinesOfTheirOwnKindOnly) {
    MacroText text = kKeystroke;
    EXPECT_TRUE(replaceKeyLine(text, 0, EditKind::Press, "B", "B CODE:8205").changed);
    EXPECT_EQ(text[1], "1 B CODE:8205");
    EXPECT_EQ(text[3], "2 A CODE:0204"); // the partner is left as it is
    EXPECT_FALSE(replaceKeyLine(text, 2, EditKind::Press, "B", "B CODE:8205").changed);
    EXPECT_FALSE(replaceKeyLine(text, 2, EditKind::Release, "", "B CODE:0205").changed);
    EXPECT_FALSE(replaceKeyLine(text, 1, EditKind::Release, "B", "B CODE:0205").changed);

    EXPECT_TRUE(replaceDelayLine(text, 1, "250").changed);
    EXPECT_EQ(text[2], "0 250");
    EXPECT_TRUE(replaceDelayLine(text, 1, "99999").changed);
    EXPECT_EQ(text[2], "0 65535");
    EXPECT_FALSE(replaceDelayLine(text, 1, "").changed);
    EXPECT_FALSE(replaceDelayLine(text, 1, "12a").changed);
    EXPECT_FALSE(replaceDelayLine(text, 0, "5").changed);
    EXPECT_EQ(text, (MacroText{"00", "1 B CODE:8205", "0 65535", "2 A CODE:0204"}));

    EXPECT_EQ(editKindOfRow(text, 1), EditKind::Delay);
    EXPECT_EQ(editKindOfRow(text, 2), EditKind::Release);
    EXPECT_EQ(editKindOfRow(text, 3), std::nullopt);
}

TEST(MacroEditingTest, FieldGuards) {
    struct Case {
        const char* text;
        int min, max;
        bool emptyBecomesMin;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"300", 1, 255, false, "255"},
        {"0", 1, 255, false, "1"},
        {"-128", -127, 127, false, "-127"},
        {"128", -127, 127, false, "127"},
        {"-", -127, 127, false, {}},
        {"12", -127, 127, false, {}},
        {"", 1, 65535, true, "1"},
        {"0", 1, 65535, true, "1"},
        {"99999999999999999999", 1, 65535, true, "65535"},
        {"", 1, 255, false, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(guardedFieldText(c.text, c.min, c.max, c.emptyBecomesMin), c.expected) << c.text;
    EXPECT_TRUE(acceptsFieldKey('7'));
    EXPECT_TRUE(acceptsFieldKey('-'));
    EXPECT_TRUE(acceptsFieldKey('\b'));
    EXPECT_FALSE(acceptsFieldKey('e'));
}
