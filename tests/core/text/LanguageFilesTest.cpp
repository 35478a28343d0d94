// Checks of the built-in language tables as they are embedded in the program.

#include "core/text/LanguageTable.h"
#include "core/text/TextEncoding.h"
#include "resources/Resources.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

using namespace tarvik::core;

namespace {

std::span<const std::uint8_t> builtInFile(int index) {
    const auto bytes = tarvik::resources::find("lang/lang" + std::to_string(index) + ".ini");
    return bytes ? *bytes : std::span<const std::uint8_t>();
}

LanguageTable builtInTable(int index) {
    auto table = LanguageTable::loadBuiltIn(index);
    EXPECT_TRUE(table.has_value()) << "table " << index;
    return table.value_or(LanguageTable());
}

std::vector<std::string> keyRange(int first, int last) {
    std::vector<std::string> keys;
    for (int n = first; n <= last; ++n) {
        std::ostringstream key;
        key << "Str" << (n < 100 ? "0" : "") << (n < 10 ? "0" : "") << n;
        keys.push_back(key.str());
    }
    return keys;
}

// Table 1 in the order the program uses its texts.
std::vector<std::string> table1Keys() {
    std::vector<std::string> keys = {"FontName", "Title"};
    const auto add = [&](std::vector<std::string> more) {
        keys.insert(keys.end(), more.begin(), more.end());
    };
    add(keyRange(1, 15));
    add(keyRange(20, 22));
    add({"Str100"});
    add(keyRange(102, 107));
    add(keyRange(720, 736));
    add(keyRange(120, 129));
    add(keyRange(200, 208));
    add(keyRange(210, 214));
    add(keyRange(220, 223));
    add(keyRange(230, 233));
    add(keyRange(240, 243));
    add(keyRange(250, 254));
    add(keyRange(260, 269));
    add(keyRange(270, 277));
    add(keyRange(280, 286));
    add(keyRange(290, 293));
    add(keyRange(300, 311));
    add({"Str400", "Str401", "Str402"});
    add(keyRange(404, 409));
    add(keyRange(432, 436));
    add(keyRange(410, 413));
    add({"Str450", "Str451", "Str456", "Str457"});
    add(keyRange(414, 418));
    add({"Str454", "Str455", "Str458"});
    add({"Str420", "Str421", "Str422", "Str430"});
    add(keyRange(440, 442));
    add({"Str500", "Str501", "Str502", "Str510", "Str511", "Str512", "Str520", "Str521"});
    add(keyRange(600, 606));
    add(keyRange(610, 614));
    add({"Str620", "Str621"});
    add(keyRange(800, 830));
    return keys;
}

TEST(LanguageFiles, AreLittleEndianUtf16WithMarkCrLfAndTheirSection) {
    for (int index = 1; index <= 3; ++index) {
        SCOPED_TRACE("table " + std::to_string(index));
        const auto bytes = builtInFile(index);
        ASSERT_GE(bytes.size(), 2u);
        EXPECT_EQ(bytes[0], 0xFF);
        EXPECT_EQ(bytes[1], 0xFE);
        EXPECT_EQ(bytes.size() % 2, 0u);

        const std::string text = utf16LeToUtf8(bytes.subspan(2));
        EXPECT_TRUE(text.starts_with("[lang" + std::to_string(index) + "]\r\n"));
        EXPECT_TRUE(text.ends_with("\r\n"));
        EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos) << "broken UTF-16";
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n') {
                ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
            }
            if (text[i] == '\r') {
                ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at " << i;
            }
        }
    }
}

// The committed tables are generated from tools/lang; a hand edit of either side shows up here.
TEST(LanguageFiles, MatchTheirSources) {
    for (int index = 1; index <= 3; ++index) {
        const std::string path =
            std::string(TARVIK_SOURCE_DIR) + "/tools/lang/lang" + std::to_string(index) + ".txt";
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << path;
        const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string withCrLf;
        for (char c : source) {
            if (c == '\n')
                withCrLf += '\r';
            withCrLf += c;
        }
        std::vector<std::uint8_t> expected = {0xFF, 0xFE};
        const auto body = utf8ToUtf16Le(withCrLf);
        expected.insert(expected.end(), body.begin(), body.end());
        const auto actual = builtInFile(index);
        EXPECT_TRUE(std::ranges::equal(actual, expected)) << "lang" << index << ".ini differs from " << path;
    }
}

TEST(LanguageFiles, Table1HasEveryKeyInOrder) {
    const LanguageTable table = builtInTable(1);
    EXPECT_EQ(table.keys(), table1Keys());
    EXPECT_EQ(table.size(), 216u);
    for (const std::string& key : table.keys())
        EXPECT_FALSE(table.text(key).empty()) << key;
}

TEST(LanguageFiles, Tables2And3HaveTable1KeysPlusTwoUnshownOnes) {
    const std::vector<std::string> keys1 = table1Keys();
    std::set<std::string> expected(keys1.begin(), keys1.end());
    expected.insert({"Str101", "Str234"});
    for (int index : {2, 3}) {
        const LanguageTable table = builtInTable(index);
        const auto keys = table.keys();
        EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()), expected) << "table " << index;
        for (const std::string& key : keys)
            EXPECT_FALSE(table.text(key).empty()) << key << " in table " << index;
    }
}

// Menu headings and every catalogue entry the menus and button names read.
TEST(LanguageFiles, CatalogueTextsArePresentInEveryTable) {
    const std::vector<std::pair<std::string, std::string>> catalogue = {
        {"Str201", "Standard Mouse Key"},
        {"Str202", "Special Key"},
        {"Str203", "Media Fn"},
        {"Str204", "WWW Fn"},
        {"Str205", "User-defined"},
        {"Str206", "Base Macro"},
        {"Str207", "PC Fn"},
        {"Str208", "Fire Macro"},
        {"Str210", "Left Key"},
        {"Str211", "Right Key"},
        {"Str212", "Middle Key"},
        {"Str213", "Backward"},
        {"Str214", "Forward"},
        {"Str220", "CPI Key"},
        {"Str221", "CPI Loop"},
        {"Str222", "CPI +"},
        {"Str223", "CPI -"},
        {"Str230", "Fire Key"},
        {"Str231", "Fire Key1"},
        {"Str232", "Fire Key2"},
        {"Str233", "Fire Key3"},
        {"Str240", "ACPI Key"},
        {"Str241", "Power Down"},
        {"Str242", "Sleep"},
        {"Str243", "Wake Up"},
        {"Str250", "KB Switch Key"},
        {"Str251", "Office Mode"},
        {"Str252", "Game Mode"},
        {"Str253", "Third Mode"},
        {"Str254", "KB Switch Loop"},
        {"Str260", "AIM Key"},
        {"Str261", "LED Mode"},
        {"Str262", "LED Switch"},
        {"Str263", "Button Effect Switch"},
        {"Str264", "Report Rate"},
        {"Str265", "Fire Macro Key"},
        {"Str266", "Fire Macro Off"},
        {"Str267", "Adjust XY Key"},
        {"Str268", "Adjust XY Fn"},
        {"Str269", "Adjust XY Switch"},
        {"Str270", "Play/Pause"},
        {"Str271", "Stop"},
        {"Str272", "Previous Track"},
        {"Str273", "Next Track"},
        {"Str274", "Volume +"},
        {"Str275", "Volume -"},
        {"Str276", "Mute"},
        {"Str277", "Key Off"},
        {"Str280", "WWW Home"},
        {"Str281", "WWW Search"},
        {"Str282", "WWW Back"},
        {"Str283", "WWW Forward"},
        {"Str284", "WWW Stop"},
        {"Str285", "WWW Refresh"},
        {"Str286", "WWW Favorites"},
        {"Str290", "My Computer"},
        {"Str291", "Calculator"},
        {"Str292", "E-Mail"},
        {"Str293", "Desktop"},
    };
    const LanguageTable english = builtInTable(1);
    const LanguageTable chinese = builtInTable(2);
    const LanguageTable third = builtInTable(3);
    for (const auto& [key, text] : catalogue) {
        EXPECT_EQ(english.text(key), text);
        EXPECT_EQ(third.text(key), text);
        EXPECT_FALSE(chinese.text(key).empty()) << key;
    }
}

// Button functions are told apart by their names: within one table no two may read alike.
TEST(LanguageFiles, FunctionNamesAreDistinctWithinEachTable) {
    std::vector<std::string> keys = keyRange(210, 214);
    for (auto range : {std::pair{221, 223},
                       {231, 233},
                       {241, 243},
                       {251, 254},
                       {260, 266},
                       {268, 277},
                       {280, 286},
                       {290, 293},
                       {600, 606}}) {
        const auto more = keyRange(range.first, range.second);
        keys.insert(keys.end(), more.begin(), more.end());
    }
    for (int index = 1; index <= 3; ++index) {
        const LanguageTable table = builtInTable(index);
        std::set<std::string> seen;
        for (const std::string& key : keys)
            EXPECT_TRUE(seen.insert(table.text(key)).second) << key << " repeats a name in table " << index;
    }
}

TEST(LanguageFiles, SpotChecks) {
    struct Spot {
        int table;
        const char* key;
        const char* text;
    };
    const std::vector<Spot> spots = {
        {1, "FontName", "MS Sans Serif"},
        {1, "Title", "Gaming Mouse"},
        {1, "Str001", "Default Setting 1"},
        {1, "Str013", "Chinese"},
        {1, "Str020",
         "Please select the keyboard mode switch button to take effect after the key definition "
         "interface"},
        {1, "Str022", "Is finding the specified device"},
        {1, "Str107", "The mouse manufacturer or product id error"},
        {1, "Str200", "*"},
        {1, "Str311", "6400"},
        {1, "Str401", "Stop"},
        {1, "Str433", "Delect Macro"},
        {1, "Str450", "Insert X/Y axis Front"},
        {1, "Str606", "7.62mm Fire"},
        {1, "Str621", "Cancel"},
        {2, "FontName", "微软雅黑"},
        {2, "Str011", "簡體中文"},
        {2, "Str012", "繁體中文"},
        {2, "Str013", "英文"},
        {2, "Str420", "插入"},
        {2, "Str421", "儲存"},
        {2, "Str300", "200"},
        {2, "Str305", "1200"},
        {2, "Str311", "6400"},
        {2, "Str401", "停止"},
        {2, "Str274", "音量 +"},
        {3, "Title", "Orvane Gaming Mouse"},
        {3, "Str001", "Confirm 1"},
        {3, "Str002", "Confirm 2"},
        {3, "Str011", "Language1"},
        {3, "Str012", "Language2"},
        {3, "Str013", "Language3"},
        {3, "Str022", "Not find the specified device"},
        {3, "Str100", "No Device Found"},
        {3, "Str101", "Please check your device is attached to USB port"},
        {3, "Str234", "AIM Key"},
        {3, "Str601", "M16 Fire"},
        {3, "Str602", "M4 Fire"},
        {3, "Str605", "TOMPSON Fire"},
        {3, "Str606", "UZI Fire"},
    };
    const LanguageTable tables[] = {builtInTable(1), builtInTable(2), builtInTable(3)};
    for (const Spot& spot : spots)
        EXPECT_EQ(tables[spot.table - 1].text(spot.key), spot.text) << spot.key << " in table " << spot.table;
    EXPECT_THAT(tables[1].text("Title"), testing::StartsWith("Orvane"));
    EXPECT_GT(tables[1].text("Title").size(), std::string("Orvane").size());
}

TEST(LanguageFiles, Table3DiffersFromTable1OnlyWhereIntended) {
    const std::set<std::string> changed = {"Title",  "Str001", "Str002", "Str011", "Str013", "Str022",
                                           "Str100", "Str601", "Str602", "Str605", "Str606"};
    const LanguageTable english = builtInTable(1);
    const LanguageTable third = builtInTable(3);
    for (const std::string& key : english.keys()) {
        if (changed.contains(key))
            EXPECT_NE(third.text(key), english.text(key)) << key;
        else
            EXPECT_EQ(third.text(key), english.text(key)) << key;
    }
}

bool hasCjk(std::string_view utf8) {
    for (char16_t c : utf8ToUtf16(utf8))
        if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF))
            return true;
    return false;
}

// Every text of table 2 is Chinese, except the ones that read the same in any language.
TEST(LanguageFiles, Table2IsTranslated) {
    std::set<std::string> universal = {"Str200", "Str222", "Str223"};
    for (const std::string& key : keyRange(300, 311))
        universal.insert(key);
    const LanguageTable chinese = builtInTable(2);
    for (const std::string& key : chinese.keys()) {
        if (universal.contains(key))
            EXPECT_FALSE(hasCjk(chinese.text(key))) << key;
        else
            EXPECT_TRUE(hasCjk(chinese.text(key))) << key << ": " << chinese.text(key);
    }
}

} // namespace
