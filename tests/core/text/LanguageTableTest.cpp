#include "core/text/LanguageTable.h"
#include "core/text/LanguageTables.h"
#include "core/text/LanguageTokenizer.h"
#include "core/text/TextEncoding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace tarvik::core;
using testing::ElementsAre;

namespace {

std::vector<std::uint8_t> tableFile(std::string_view utf8) {
    std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
    const auto body = utf8ToUtf16Le(utf8);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

TEST(LanguageTokenizer, QuotingRules) {
    struct Case {
        std::string text;
        std::vector<std::string> tokens;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {" \t\r\n ", {}},
        {"a b", {"a", "b"}},
        {"  \"Str001=Default Setting 1\"  ", {"Str001=Default Setting 1"}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"\"\"\"\"", {"\""}},
        {"\"\" x", {"", "x"}},
        {"\"abc\"def", {"abc", "def"}}, // a closing quote ends the token by itself
        {"x\"y z\"", {"x\"y", "z\""}},  // quotes inside a bare token are plain characters
        {"\"never closed  here", {"never closed  here"}},
        {"a\tb\r\nc\x01"
         "d\x1F"
         "e",
         {"a", "b", "c", "d", "e"}},
        {std::string("a\0b c", 5), {std::string("a\0b", 3), "c"}}, // only codes 1..32 separate
        {"\xE7\xB9\x81\xE9\xAB\x94 \xE4\xB8\xAD", {"\xE7\xB9\x81\xE9\xAB\x94", "\xE4\xB8\xAD"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tokenizeLanguageText(c.text), c.tokens) << testing::PrintToString(c.text);
}

TEST(LanguageTable, ReadsTheEntriesOfItsOwnSection) {
    const LanguageTable table = LanguageTable::fromText("\"Str001=before any section\"\r\n"
                                                        "[lang2]\r\n\"Str001=other table\"\r\n"
                                                        "[LANG1]\r\n"
                                                        "; a comment\r\n"
                                                        "\";Str009=quoted comment\"\r\n"
                                                        "\"FontName=MS Sans Serif\"\r\n"
                                                        "\"  Str002 =  Two words  \"\r\n"
                                                        "Str003=Cut at the blank\r\n"
                                                        "\"Str004=a=b\"\r\n"
                                                        "\"no equals sign\"\r\n"
                                                        "\"Str005=\"\r\n"
                                                        "\"[ other ]\" \"Str006=not ours\"\r\n",
                                                        "lang1");
    EXPECT_EQ(table.keys(), (std::vector<std::string>{"FontName", "Str002", "Str003", "Str004", "Str005"}));
    EXPECT_EQ(table.text("FontName"), "MS Sans Serif");
    EXPECT_EQ(table.text("Str002"), "Two words");
    EXPECT_EQ(table.text("Str003"), "Cut");
    EXPECT_EQ(table.text("Str004"), "a=b");
    EXPECT_TRUE(table.contains("Str005"));
    EXPECT_EQ(table.text("Str005"), "");
    EXPECT_FALSE(table.contains("Str001"));
    EXPECT_FALSE(table.contains("Str006"));
    EXPECT_FALSE(table.contains("Str009"));
}

TEST(LanguageTable, LaterDuplicateWinsAndKeysIgnoreCase) {
    const LanguageTable table = LanguageTable::fromText(
        "[lang1] \"Str001=first\" \"STR001=second\" \"Str002=x\" \"str001=third\"", "Lang1");
    EXPECT_EQ(table.size(), 2u);
    EXPECT_EQ(table.text("Str001"), "third");
    EXPECT_EQ(table.text("sTR001"), "third");
    EXPECT_EQ(table.keys().front(), "Str001");

    LanguageTable edited = table;
    edited.set("STR002", "y");
    EXPECT_EQ(edited.size(), 2u);
    EXPECT_EQ(edited.text("Str002"), "y");
}

TEST(LanguageTable, AbsentKeyReadsEmpty) {
    const LanguageTable table = LanguageTable::fromText("[lang1] \"Str001=x\"", "lang1");
    EXPECT_EQ(table.text("Str999"), "");
    EXPECT_EQ(table.text(""), "");
    EXPECT_EQ(LanguageTable::fromText("[lang2] \"Str001=x\"", "lang1").size(), 0u);
}

TEST(LanguageTable, FileNeedsTheLittleEndianByteOrderMark) {
    const auto good = tableFile("[lang1]\r\n\"Str001=Default Setting 1\"\r\n");
    ASSERT_TRUE(LanguageTable::fromUtf16Le(good, "lang1").has_value());
    EXPECT_EQ(LanguageTable::fromUtf16Le(good, "lang1")->text("Str001"), "Default Setting 1");

    std::vector<std::uint8_t> bigEndian = good;
    std::swap(bigEndian[0], bigEndian[1]);
    EXPECT_FALSE(LanguageTable::fromUtf16Le(bigEndian, "lang1").has_value());
    const std::vector<std::uint8_t> withoutMark(good.begin() + 2, good.end());
    EXPECT_FALSE(LanguageTable::fromUtf16Le(withoutMark, "lang1").has_value());
    EXPECT_FALSE(LanguageTable::fromUtf16Le({}, "lang1").has_value());
}

// Texts stay Unicode from the file to the caller, whatever the system's code page.
TEST(LanguageTable, KeepsChineseAndCharactersBeyondTheBasicPlane) {
    const auto file =
        tableFile("[lang2]\r\n\"FontName=微软雅黑\"\r\n\"Str012=繁體中文\"\r\n\"Str013=𠀀 ok\"\r\n");
    const auto table = LanguageTable::fromUtf16Le(file, "lang2");
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(table->text("FontName"), "微软雅黑");
    EXPECT_EQ(table->text("Str012"), "繁體中文");
    EXPECT_EQ(table->text("Str013"), "𠀀 ok");
    EXPECT_EQ(utf8ToUtf16(table->text("Str012")), u"繁體中文");
}

LanguageTable tableOf(std::initializer_list<std::pair<const char*, const char*>> entries) {
    LanguageTable table;
    for (const auto& [key, value] : entries)
        table.set(key, value);
    return table;
}

TEST(TranslateCaption, LastMatchOverAllThreeTablesWins) {
    const LanguageTables tables({tableOf({{"Str150", "X"},
                                          {"Str050", "Low"},
                                          {"Str004", "Low"},
                                          {"STR130", "Case"},
                                          {"Str0131", "Zero"}}),
                                 tableOf({{"Str120", "X"}, {"Str120x", "Y"}, {"Str7", "Seven"}}),
                                 tableOf({{"Str700", "Top"}, {"Str701", "Beyond"}, {"Str1000", "Beyond"}})});
    EXPECT_EQ(tables.translateCaption("X"), "Str120"); // table 2 is searched after table 1
    EXPECT_EQ(tables.translateCaption("Low"), "");     // "Str050" is not "Str" + 50
    EXPECT_EQ(tables.translateCaption("Y"), "");
    EXPECT_EQ(tables.translateCaption("Top"), "Str700");
    EXPECT_EQ(tables.translateCaption("Beyond"), "");
    EXPECT_EQ(tables.translateCaption("x"), ""); // texts compare exactly
}

TEST(TranslateCaption, BuiltInTables) {
    const LanguageTables& tables = LanguageTables::builtIn();
    EXPECT_EQ(tables.translateCaption("Stop"), "Str401");
    EXPECT_EQ(tables.carryCaption("Stop", 2), tables.table(2).text("Str401"));
    EXPECT_EQ(tables.carryCaption("Stop", 2), "停止");

    EXPECT_EQ(tables.translateCaption("Office Mode"), "Str251");
    EXPECT_EQ(tables.carryCaption("Office Mode", 2), "辦公模式");
    EXPECT_EQ(tables.carryCaption("辦公模式", 1), "Office Mode");
    EXPECT_EQ(tables.carryCaption("音量 +", 3), "Volume +");
    EXPECT_EQ(tables.carryCaption("M16 Fire", 1), "M16A4 Fire");
    EXPECT_EQ(tables.carryCaption("AIM Key", 2), "瞄準鍵");

    for (const char* kept : {"My Macro", "Ctrl+Alt+", "Win+D", "", "stop"}) {
        EXPECT_EQ(tables.translateCaption(kept), "") << kept;
        for (int language = 1; language <= 3; ++language)
            EXPECT_EQ(tables.carryCaption(kept, language), kept) << kept;
    }
}

// Every function name a button can show must come back as the same function in any other language;
// a text shared by two keys of one table would otherwise turn a button into another function.
TEST(TranslateCaption, EveryButtonFunctionSurvivesEveryLanguageSwitch) {
    std::vector<std::string> buttonNameKeys;
    for (int n : {210, 211, 212, 213, 214, 221, 222, 223, 231, 232, 233, 241, 242, 243, 251, 252, 253, 254,
                  260, 261, 262, 263, 264, 265, 266, 268, 269, 270, 271, 272, 273, 274, 275, 276, 277, 280,
                  281, 282, 283, 284, 285, 286, 290, 291, 292, 293, 600, 601, 602, 603, 604, 605, 606})
        buttonNameKeys.push_back("Str" + std::to_string(n));

    const LanguageTables& tables = LanguageTables::builtIn();
    for (const std::string& key : buttonNameKeys) {
        for (int from = 1; from <= 3; ++from) {
            for (int to = 1; to <= 3; ++to) {
                const std::string caption = tables.table(from).text(key);
                ASSERT_FALSE(caption.empty()) << key << " in table " << from;
                EXPECT_EQ(tables.carryCaption(caption, to), tables.table(to).text(key))
                    << key << " from table " << from << " to table " << to;
            }
        }
    }
}

} // namespace
