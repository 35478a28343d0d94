#include "core/keys/FunctionCodeCatalogue.h"
#include "core/keys/FunctionCodeName.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace tarvik::core;

namespace {

// The English texts the naming needs, written out here rather than taken from the catalogue.
LanguageTable englishTable() {
    static const std::pair<const char*, const char*> kTexts[] = {
        {"Str210", "Left Key"},
        {"Str211", "Right Key"},
        {"Str212", "Middle Key"},
        {"Str213", "Backward"},
        {"Str214", "Forward"},
        {"Str221", "CPI Loop"},
        {"Str222", "CPI +"},
        {"Str223", "CPI -"},
        {"Str231", "Fire Key1"},
        {"Str232", "Fire Key2"},
        {"Str233", "Fire Key3"},
        {"Str241", "Power Down"},
        {"Str242", "Sleep"},
        {"Str243", "Wake Up"},
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
        {"Str600", "AKM Fire"},
        {"Str601", "M16A4 Fire"},
        {"Str602", "M416 Fire"},
        {"Str603", "UMP9 Fire"},
        {"Str604", "SCAR-L Fire"},
        {"Str605", "5.56mm Fire"},
        {"Str606", "7.62mm Fire"},
    };
    LanguageTable table;
    for (auto [key, text] : kTexts)
        table.set(key, text);
    return table;
}

// The codes of default image 1, work modes 1-3, buttons 1-12.
const std::vector<std::string> kDefaultImageCodes = {
    "01010000", "01080002", "0300E900", "01020000", "01100000", "0300EA00", "01040000", "09000000",
    "00000000", "00000000", "00000000", "00000000", "1006A0FF", "0B170302", "05020000", "01020000",
    "0B150202", "09000000", "01040000", "0A000000", "00000000", "00000000", "00000000", "00000000",
    "01010000", "01080002", "0617003C", "01020000", "01100000", "02080700", "01040000", "09000000",
    "08000000", "0E000000", "0300E900", "0300EA00",
};

class FunctionCodeTest : public ::testing::Test {
protected:
    FunctionCodeTest() {
        context.language = &language;
        context.storageKind = StorageKind::I2C;
        context.fireKeys = {FireKeySetting{3, 60}, FireKeySetting{5, 60}, FireKeySetting{8, 60}};
        context.macroNameAt = [this](std::uint16_t address) -> std::optional<std::string> {
            auto it = macros.find(address);
            if (it == macros.end())
                return std::nullopt;
            return it->second;
        };
    }

    std::string name(std::string_view code) const { return functionCodeName(code, context); }

    LanguageTable language = englishTable();
    std::map<std::uint16_t, std::string> macros;
    FunctionCodeContext context;
};

} // namespace

TEST(KeyFunctionCodeForms, TextAndBytesConvert) {
    const auto code = KeyFunctionCode::fromText("0300cd00");
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, (KeyFunctionCode{0x03, 0x00, 0xCD, 0x00}));
    EXPECT_EQ(code->text(), "0300CD00");
    EXPECT_EQ((KeyFunctionCode{0x0B, 0xAF, 0x10, 0xFF}).text(), "0BAF10FF");

    for (int b = 0; b < 256; ++b) {
        const KeyFunctionCode c{static_cast<Byte>(b), static_cast<Byte>(255 - b), static_cast<Byte>(b ^ 0x5A),
                                0};
        EXPECT_EQ(KeyFunctionCode::fromText(c.text()), c);
    }
    for (const char* bad : {"", "0300CD0", "0300CD000", "0300CD0G", " 300CD00", "0x00CD00", "+1000000"})
        EXPECT_FALSE(KeyFunctionCode::fromText(bad)) << bad;
}

TEST(KeyFunctionCodeForms, BytesGoToAndComeFromAProfileSlot) {
    std::array<Byte, 6> buffer{0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    KeyFunctionCode{0x06, 0x17, 0x00, 0x3C}.writeTo(std::span<Byte, 4>(buffer.data() + 1, 4));
    EXPECT_EQ(buffer, (std::array<Byte, 6>{0xEE, 0x06, 0x17, 0x00, 0x3C, 0xEE}));
    EXPECT_EQ(KeyFunctionCode(std::span<const Byte, 4>(buffer.data() + 1, 4)).text(), "0617003C");
}

TEST(KeyFunctionCodeForms, FireKeyCode) {
    EXPECT_EQ(fireKeyCode({2, 16, false}).text(), "06110010");
    EXPECT_EQ(fireKeyCode({8, 60, false}).text(), "0617003C");
    EXPECT_EQ(fireKeyCode({3, 60, true}).text(), "0692003C");
    EXPECT_EQ(fireKeyCode({1, 65535, false}).text(), "0610FFFF");
    EXPECT_EQ(fireKeyCode({15, 4094, true}).text(), "069E0FFE");
    // A count past what the code can carry must not turn on continuous firing or change the type.
    const KeyFunctionCode big = fireKeyCode({200, 1, false});
    EXPECT_EQ(big[0], 0x06);
    EXPECT_EQ(big[1] & 0xF0, 0x10);
}

TEST(KeyFunctionCodeForms, FireKeySettingsFromTheFireKeyBlock) {
    ConfigImageBytes image{};
    const Byte block[] = {0x02, 0x00, 0x3C, 0x04, 0x01, 0x2C, 0x07, 0xFF, 0xFF};
    std::copy(std::begin(block), std::end(block), image.begin() + 341);
    const auto settings = fireKeySettingsFromImage(image);
    EXPECT_EQ(settings[0].count, 3);
    EXPECT_EQ(settings[0].delay, 60);
    EXPECT_EQ(settings[1].count, 5);
    EXPECT_EQ(settings[1].delay, 300);
    EXPECT_EQ(settings[2].count, 8);
    EXPECT_EQ(settings[2].delay, 65535);
}

TEST_F(FunctionCodeTest, CatalogueIsConsistentAndEveryEntryNamesItself) {
    std::set<int> tags;
    std::set<std::string> objects, keys;
    const auto entries = functionCatalogue();
    EXPECT_EQ(entries.size(), 46u);
    for (const CatalogueEntry& e : entries) {
        SCOPED_TRACE(e.objectName);
        EXPECT_TRUE(tags.insert(e.entryTag).second);
        EXPECT_TRUE(objects.insert(e.objectName).second);
        EXPECT_TRUE(keys.insert(e.languageKey).second);
        EXPECT_EQ(catalogueEntryForTag(e.entryTag), &e);
        const std::string code = functionCodeForEntry(e.entryTag, context);
        ASSERT_TRUE(KeyFunctionCode::fromText(code));
        EXPECT_EQ(KeyFunctionCode::fromText(code)->text(), code);
        if (*e.fixedCode) {
            EXPECT_EQ(code, e.fixedCode);
        }
        const FunctionCodeNaming naming = nameFunctionCode(code, context);
        EXPECT_EQ(naming.languageKey, e.languageKey);
        EXPECT_EQ(naming.name, e.englishName);
    }
}

TEST_F(FunctionCodeTest, EntryCodes) {
    const std::pair<int, const char*> kCases[] = {
        {0, "00000000"},    {900, "01010000"},  {901, "01020000"},  {902, "01040000"},  {903, "01080000"},
        {904, "01100000"},  {1001, "0E000000"}, {1005, "1006A0FF"}, {1006, "0B8F0000"}, {1007, "00000000"},
        {2000, "09000000"}, {2002, "09020000"}, {2100, "0612003C"}, {2101, "0614003C"}, {2102, "0617003C"},
        {2202, "04030000"}, {2303, "07000000"}, {2401, "0A010000"}, {1100, "0300CD00"}, {1206, "03022A00"},
        {1302, "03018A00"}, {1303, "02080700"},
    };
    for (auto [tag, code] : kCases)
        EXPECT_EQ(functionCodeForEntry(tag, context), code) << tag;
    for (int tag : {-1, 1, 12, 899, 905, 1008, 1107, 2003, 2103, 2304, 2402, 9999})
        EXPECT_EQ(functionCodeForEntry(tag, context), "") << tag;
}

TEST_F(FunctionCodeTest, EntryCodesFollowTheSettingsAtCallTime) {
    context.aimDpiStep = 3;
    EXPECT_EQ(functionCodeForEntry(1000, context), "05020000");
    context.aimDpiStep = 12;
    EXPECT_EQ(functionCodeForEntry(1000, context), "050B0000");
    context.aimDpiStep = 0; // never a step below the first
    EXPECT_EQ(functionCodeForEntry(1000, context), "05000000");

    context.storageKind = StorageKind::Flash;
    EXPECT_EQ(functionCodeForEntry(1005, context), "1070A0FF");

    context.fireKeys[1] = {2, 16, true};
    EXPECT_EQ(functionCodeForEntry(2101, context), "06910010");

    context.suffixes.middle = 0x08;
    context.suffixes.backward = 0x02;
    context.suffixes.cpiPlus = 0x08;
    EXPECT_EQ(functionCodeForEntry(902, context), "01040008");
    EXPECT_EQ(functionCodeForEntry(903, context), "01080002");
    EXPECT_EQ(functionCodeForEntry(904, context), "01100000");
    EXPECT_EQ(functionCodeForEntry(2001, context), "09010008");
}

TEST_F(FunctionCodeTest, Names) {
    macros[0x0120] = "Reload";
    const std::pair<const char*, const char*> kCases[] = {
        {"00000000", "Key Off"},
        {"01010000", "Left Key"},
        {"01010008", ""}, // whole-code rules: a parameter byte makes it no Left Key
        {"01020002", ""},
        {"01040008", "Middle Key"},
        {"0104FFFF", "Middle Key"},
        {"01080002", "Backward"},
        {"01100000", "Forward"},
        {"01200000", ""},
        {"05020000", "AIM Key"},
        {"05FF1234", "AIM Key"},
        {"0E000000", "LED Mode"},
        {"0E000001", ""},
        {"08010000", "Button Effect Switch"},
        {"0C000000", "Report Rate"},
        {"1006A0FF", "Fire Macro Key"},
        {"1070A0FF", "Fire Macro Key"}, // also on this I2C mouse
        {"09000008", "CPI Loop"},
        {"09010000", "CPI +"},
        {"09020008", "CPI -"},
        {"09030000", ""},
        {"04020000", "Sleep"},
        {"04040000", ""},
        {"04010001", ""},
        {"07000000", "KB Switch Loop"},
        {"07800000", "Office Mode"},
        {"07810000", "Game Mode"},
        {"07C20000", "Third Mode"}, // only bits 7 and 0-2 count
        {"07830000", ""},
        {"07010000", ""},
        {"0300CD00", "Play/Pause"},
        {"0300E200", "Mute"},
        {"0300cd00", "Play/Pause"},
        {"03022A00", "WWW Favorites"},
        {"03018A00", "E-Mail"},
        {"0300CD01", ""},
        {"0300CC00", ""},
        {"02080700", "Desktop"},
        {"02080000", "Win+"},
        {"0B000100", "AKM Fire"},
        {"0B100102", "AKM Fire"},
        {"0B170302", "7.62mm Fire"},
        {"0B1502FF", "5.56mm Fire"},
        {"0B050100", ""}, // a 5.56mm first slot with the wrong slot count
        {"0B060100", ""},
        {"0A000000", "Adjust XY Fn"},
        {"0A010000", "Adjust XY Switch"},
        {"0B8F0000", "Fire Macro Off"},
        {"02030405", "Ctrl+Shift+A+B"},
        {"02000005", "B"},
        {"02010000", "Ctrl+"},
        {"02050000", "Ctrl+Alt+"},
        {"020F0429", "Ctrl+Shift+Alt+Win+A+Esc"},
        {"020004E3", "A+Win"},
        {"0200E0E1", "Left Ctrl+Left Shift"},
        {"02000300", ""}, // no key produces 03
        {"10012000", "Reload"},
        {"100120FF", "Reload"}, // byte 3 is not looked at
        {"10013000", ""},       // the macro at that address is gone
        {"0D000000", ""},
        {"FFFFFFFF", ""},
        {"0300CD0", ""},
        {"XYZ00000", ""},
    };
    for (auto [code, expected] : kCases)
        EXPECT_EQ(name(code), expected) << code;
}

// The work-mode keys are named by bits 7 and 0-2 of the second byte: any other bit is ignored, and
// bit 2 set makes a mode that has no name.
TEST_F(FunctionCodeTest, WorkModeNamesLookAtBitSevenAndTheLowThreeBits) {
    const std::pair<const char*, const char*> kCases[] = {
        {"07000000", "KB Switch Loop"},
        {"07800000", "Office Mode"},
        {"07810000", "Game Mode"},
        {"07820000", "Third Mode"},
        {"07C00000", "Office Mode"},
        {"07C20000", "Third Mode"},
        {"07F90000", "Game Mode"},
        {"07830000", ""},
        {"07840000", ""},
        {"07850000", ""},
        {"07860000", ""},
        {"07870000", ""},
        {"07010000", ""},
        {"07020000", ""},
    };
    for (auto [code, expected] : kCases)
        EXPECT_EQ(name(code), expected) << code;
}

TEST_F(FunctionCodeTest, FireKeysAreNamedAgainstTheCurrentSettings) {
    context.fireKeys = {FireKeySetting{2, 16}, FireKeySetting{5, 60}, FireKeySetting{8, 60}};
    EXPECT_EQ(name("06110010"), "Fire Key1");
    EXPECT_EQ(name("06140010"), "");
    EXPECT_EQ(name("0614003C"), "Fire Key2");
    EXPECT_EQ(name("0697003C"), "Fire Key3");

    const FunctionCodeNaming continuous = nameFunctionCode("0697003C", context);
    ASSERT_TRUE(continuous.fireKey);
    EXPECT_EQ(continuous.fireKey->fireKey, 3);
    EXPECT_TRUE(continuous.fireKey->continuous);
    const FunctionCodeNaming single = nameFunctionCode("06110010", context);
    ASSERT_TRUE(single.fireKey);
    EXPECT_EQ(single.fireKey->fireKey, 1);
    EXPECT_FALSE(single.fireKey->continuous);
    EXPECT_FALSE(nameFunctionCode("06140010", context).fireKey);
    EXPECT_FALSE(nameFunctionCode("01040000", context).fireKey);

    context.fireKeys[0] = {2, 20};
    EXPECT_EQ(name("06110010"), "");
    EXPECT_EQ(name("06110014"), "Fire Key1");

    // Equal settings: the first key wins.
    context.fireKeys[1] = {2, 20};
    EXPECT_EQ(name("06110014"), "Fire Key1");
    EXPECT_EQ(name("06910014"), "Fire Key1");
}

TEST_F(FunctionCodeTest, NamesComeFromTheTableOfTheMoment) {
    LanguageTable other;
    other.set("Str212", "Mittlere Taste");
    EXPECT_EQ(name("01040000"), "Middle Key");
    context.language = &other;
    EXPECT_EQ(name("01040000"), "Mittlere Taste");
    EXPECT_EQ(name("01080002"), ""); // the table lacks the key
    EXPECT_EQ(name("02010004"), "Ctrl+A");
    context.language = nullptr;
    EXPECT_EQ(name("01040000"), "");
    EXPECT_EQ(nameFunctionCode("01040000", context).languageKey, "Str212");
}

TEST_F(FunctionCodeTest, MacroNamesNeedTheMacroTables) {
    macros[0x0000] = "First";
    EXPECT_EQ(name("10000000"), "First");
    EXPECT_EQ(combinationOrMacroName("10000000", context), "First");
    EXPECT_EQ(combinationOrMacroName("01040000", context), "");
    context.macroNameAt = nullptr;
    EXPECT_EQ(name("10000000"), "");
}

TEST_F(FunctionCodeTest, SuffixesAfterReadingTheDefaults) {
    context.suffixes.middle = 0x08; // stale values from an earlier read are dropped
    const CodeSuffixes s = refreshFireFun(kDefaultImageCodes, context);
    EXPECT_EQ(s.middle, 0x00);
    EXPECT_EQ(s.backward, 0x02);
    EXPECT_EQ(s.forward, 0x00);
    EXPECT_EQ(s.cpiLoop, 0x00);
    EXPECT_EQ(s.weapon, 0x02);
    context.suffixes = s;
    EXPECT_EQ(functionCodeForEntry(903, context), "01080002");
    EXPECT_EQ(functionCodeForEntry(904, context), "01100000");
}

TEST_F(FunctionCodeTest, SuffixesTakeOnlyTheKnownParameterValues) {
    const std::vector<std::string> codes = {"01040008", "01100002", "09000008", "09010007", "09020008",
                                            "01080001", "0B000105", "0B170300", "garbage!"};
    const CodeSuffixes s = refreshFireFun(codes, context);
    EXPECT_EQ(s.middle, 0x08);
    EXPECT_EQ(s.forward, 0x02);
    EXPECT_EQ(s.backward, 0x00);
    EXPECT_EQ(s.cpiLoop, 0x08);
    EXPECT_EQ(s.cpiPlus, 0x00);
    EXPECT_EQ(s.cpiMinus, 0x08);
    EXPECT_EQ(s.weapon, 0x00); // the later preset wins, even with 00
}

TEST_F(FunctionCodeTest, AMacroNamedLikeAPresetLeavesTheWeaponSuffixAlone) {
    macros[0x0100] = "AKM Fire";
    const std::vector<std::string> codes = {"0B100102", "10010000"};
    EXPECT_EQ(name("10010000"), "AKM Fire");
    EXPECT_EQ(refreshFireFun(codes, context).weapon, 0x02);
}

TEST(WeaponPresets, Codes) {
    const char* kWithout[] = {"0B000100", "0B010100", "0B020100", "0B030100",
                              "0B040100", "0B050200", "0B070300"};
    const char* kWith[] = {"0B100102", "0B110102", "0B120102", "0B130102",
                           "0B140102", "0B150202", "0B170302"};
    for (int p = 0; p < 7; ++p) {
        EXPECT_EQ(weaponPresetCode(p, false, 0x00)->text(), kWithout[p]);
        EXPECT_EQ(weaponPresetCode(p, true, 0x02)->text(), kWith[p]);
    }
    EXPECT_FALSE(weaponPresetCode(7, false, 0));
    EXPECT_FALSE(weaponPresetCode(-1, false, 0));
}
