// The three page-layout tables as shipped: their text form, the complete key list in its order, and
// the values that decide what the window shows for each language.

#include "core/text/LayoutConfig.h"
#include "resources/Resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using tarvik::core::LayoutColor;
using tarvik::core::LayoutConfig;

// Every key of a page-layout table, in the order of the shipped tables.
constexpr std::string_view kKeys[] = {
    "Size_A",
    "Color_A_R",
    "Color_A_G",
    "Color_A_B",
    "Btn_A2_Enable",
    "Btn_A2_X",
    "Btn_A2_Y",
    "Btn_A3_Enable",
    "Btn_A3_X",
    "Btn_A3_Y",
    "Btn_A4_Enable",
    "Btn_A4_X",
    "Btn_A4_Y",
    "Size_B",
    "Color_B_R",
    "Color_B_G",
    "Color_B_B",
    "Btn_Space_F",
    "Btn_Space_B",
    "Btn_B1_Enable",
    "Btn_B1_X",
    "Btn_B1_Y",
    "Btn_B2_Enable",
    "Btn_B2_X",
    "Btn_B2_Y",
    "Btn_B3_Enable",
    "Btn_B3_X",
    "Btn_B3_Y",
    "Btn_B4_Enable",
    "Btn_B4_X",
    "Btn_B4_Y",
    "Btn_B5_Enable",
    "Btn_B5_X",
    "Btn_B5_Y",
    "Btn_B11_Enable",
    "Btn_B11_X",
    "Btn_B11_Y",
    "Btn_B12_Enable",
    "Btn_B12_X",
    "Btn_B12_Y",
    "Btn_B6_Enable",
    "Btn_B6_X",
    "Btn_B6_Y",
    "Btn_B7_Enable",
    "Btn_B7_X",
    "Btn_B7_Y",
    "Btn_B8_Enable",
    "Btn_B8_X",
    "Btn_B8_Y",
    "Btn_B9_Enable",
    "Btn_B9_X",
    "Btn_B9_Y",
    "Btn_B10_Enable",
    "Btn_B10_X",
    "Btn_B10_Y",
    "Size_C",
    "Color_C_R",
    "Color_C_G",
    "Color_C_B",
    "P1_X",
    "P1_Y",
    "Key1_Enable",
    "Key1_X",
    "Key1_Y",
    "Key2_Enable",
    "Key2_X",
    "Key2_Y",
    "Key3_Enable",
    "Key3_X",
    "Key3_Y",
    "Key4_Enable",
    "Key4_X",
    "Key4_Y",
    "Key5_Enable",
    "Key5_X",
    "Key5_Y",
    "Key6_Enable",
    "Key6_X",
    "Key6_Y",
    "Key7_Enable",
    "Key7_X",
    "Key7_Y",
    "Key8_Enable",
    "Key8_X",
    "Key8_Y",
    "Key9_Enable",
    "Key9_X",
    "Key9_Y",
    "Key10_Enable",
    "Key10_X",
    "Key10_Y",
    "Key11_Enable",
    "Key11_X",
    "Key11_Y",
    "Key12_Enable",
    "Key12_X",
    "Key12_Y",
    "Disable_X",
    "Disable_Y",
    "Disable_H",
    "Disable_W",
    "Size_G",
    "Color_G_R",
    "Color_G_G",
    "Color_G_B",
    "Color_G_Back_R",
    "Color_G_Back_G",
    "Color_G_Back_B",
    "Color_G_Border_R",
    "Color_G_Border_G",
    "Color_G_Border_B",
    "Color_G_SF_R",
    "Color_G_SF_G",
    "Color_G_SF_B",
    "Color_G_SP_R",
    "Color_G_SP_G",
    "Color_G_SP_B",
    "M_L_W",
    "SP_L_W",
    "O_L_W",
    "Size_D",
    "Color_D_Selected_R",
    "Color_D_Selected_G",
    "Color_D_Selected_B",
    "Color_D_notSelected_R",
    "Color_D_notSelected_G",
    "Color_D_notSelected_B",
    "Color_D_Back_R",
    "Color_D_Back_G",
    "Color_D_Back_B",
    "Color_D_Border_R",
    "Color_D_Border_G",
    "Color_D_Border_B",
    "P2_X",
    "P2_Y",
    "FK1Cnt_X",
    "FK1Cnt_Y",
    "FK1Delay_X",
    "FK1Delay_Y",
    "FK1Continue_X",
    "FK1Continue_Y",
    "FK2Cnt_X",
    "FK2Cnt_Y",
    "FK2Delay_X",
    "FK2Delay_Y",
    "FK2Continue_X",
    "FK2Continue_Y",
    "FK3Cnt_X",
    "FK3Cnt_Y",
    "FK3Delay_X",
    "FK3Delay_Y",
    "FK3Continue_X",
    "FK3Continue_Y",
    "Rep1_X",
    "Rep1_Y",
    "Rep2_X",
    "Rep2_Y",
    "Rep3_X",
    "Rep3_Y",
    "Rep4_X",
    "Rep4_Y",
    "Spd_X",
    "Spd_Y",
    "IsControl_X",
    "IsControl_Y",
    "DbSpd_X",
    "DbSpd_Y",
    "ScrSpd_X",
    "ScrSpd_Y",
    "IsScreen_X",
    "IsScreen_Y",
    "DPI_Orientation",
    "DPI1_Color_X",
    "DPI1_Color_Y",
    "DPI1_Check_X",
    "DPI1_Check_Y",
    "DPI1_X",
    "DPI1_Y",
    "DPI1_Value_X",
    "DPI1_Value_Y",
    "DPI1_Steps_X",
    "DPI1_Steps_Y",
    "DPI2_Color_X",
    "DPI2_Color_Y",
    "DPI2_Check_X",
    "DPI2_Check_Y",
    "DPI2_X",
    "DPI2_Y",
    "DPI2_Value_X",
    "DPI2_Value_Y",
    "DPI2_Steps_X",
    "DPI2_Steps_Y",
    "DPI3_Color_X",
    "DPI3_Color_Y",
    "DPI3_Check_X",
    "DPI3_Check_Y",
    "DPI3_X",
    "DPI3_Y",
    "DPI3_Value_X",
    "DPI3_Value_Y",
    "DPI3_Steps_X",
    "DPI3_Steps_Y",
    "DPI4_Color_X",
    "DPI4_Color_Y",
    "DPI4_Check_X",
    "DPI4_Check_Y",
    "DPI4_X",
    "DPI4_Y",
    "DPI4_Value_X",
    "DPI4_Value_Y",
    "DPI4_Steps_X",
    "DPI4_Steps_Y",
    "DPI5_Color_X",
    "DPI5_Color_Y",
    "DPI5_Check_X",
    "DPI5_Check_Y",
    "DPI5_X",
    "DPI5_Y",
    "DPI5_Value_X",
    "DPI5_Value_Y",
    "DPI5_Steps_X",
    "DPI5_Steps_Y",
    "DPI6_Color_X",
    "DPI6_Color_Y",
    "DPI6_Check_X",
    "DPI6_Check_Y",
    "DPI6_X",
    "DPI6_Y",
    "DPI6_Value_X",
    "DPI6_Value_Y",
    "DPI6_Steps_X",
    "DPI6_Steps_Y",
    "DPI7_Color_X",
    "DPI7_Color_Y",
    "DPI7_Check_X",
    "DPI7_Check_Y",
    "DPI7_X",
    "DPI7_Y",
    "DPI7_Value_X",
    "DPI7_Value_Y",
    "DPI7_Steps_X",
    "DPI7_Steps_Y",
    "DPI8_Color_X",
    "DPI8_Color_Y",
    "DPI8_Check_X",
    "DPI8_Check_Y",
    "DPI8_X",
    "DPI8_Y",
    "DPI8_Value_X",
    "DPI8_Value_Y",
    "DPI8_Steps_X",
    "DPI8_Steps_Y",
    "AIMDPI_X",
    "AIMDPI_Y",
    "AIMDPI_Value_X",
    "AIMDPI_Value_Y",
    "AIMDPI_Steps_X",
    "AIMDPI_Steps_Y",
    "Size_E",
    "Color_E_R",
    "Color_E_G",
    "Color_E_B",
    "P3_X",
    "P3_Y",
    "StepTime_X",
    "StepTime_Y",
    "LEDOff_X",
    "LEDOff_Y",
    "LEDMode1_X",
    "LEDMode1_Y",
    "LEDMode2_X",
    "LEDMode2_Y",
    "LEDMode3_X",
    "LEDMode3_Y",
    "LEDMode4_X",
    "LEDMode4_Y",
    "LEDMode5_X",
    "LEDMode5_Y",
    "LEDColor1_X",
    "LEDColor1_Y",
    "LEDColor2_X",
    "LEDColor2_Y",
    "LEDColor3_X",
    "LEDColor3_Y",
    "LEDColor4_X",
    "LEDColor4_Y",
    "LEDColor5_X",
    "LEDColor5_Y",
    "LEDColor6_X",
    "LEDColor6_Y",
    "LEDColor7_X",
    "LEDColor7_Y",
    "LEDColor8_X",
    "LEDColor8_Y",
    "LEDColor9_X",
    "LEDColor9_Y",
    "LEDColor10_X",
    "LEDColor10_Y",
    "Size_F",
    "Color_F_R",
    "Color_F_G",
    "Color_F_B",
    "Color_F_LBack_R",
    "Color_F_LBack_G",
    "Color_F_LBack_B",
    "Color_F_LBorder_R",
    "Color_F_LBorder_G",
    "Color_F_LBorder_B",
    "Color_F_Font_R",
    "Color_F_Font_G",
    "Color_F_Font_B",
    "Color_F_Back_R",
    "Color_F_Back_G",
    "Color_F_Back_B",
    "P4_X",
    "P4_Y",
    "PCMacroName_X",
    "PCMacroName_Y",
    "PCMacroName_H",
    "MseMacroName_X",
    "MseMacroName_Y",
    "MacroNameHeight",
    "MacroContent_X",
    "MacroContent_Y",
    "BtnNew_X",
    "BtnNew_Y",
    "BtnStart_X",
    "BtnStart_Y",
    "DelayTime_X",
    "DelayTime_Y",
    "RecDelay_X",
    "RecDelay_Y",
    "RecDelay_H",
    "DelayEdit_X",
    "DelayEdit_Y",
    "Insert_X",
    "Insert_Y",
    "InsertList_X",
    "InsertList_Y",
    "InsertRecDelay_X",
    "InsertRecDelay_Y",
    "InsertRecDelay_H",
    "InsertDelayEdit_X",
    "InsertDelayEdit_Y",
    "InsertAxisEdit_X",
    "InsertAxisEdit_Y",
    "InsertBtnStart_X",
    "InsertBtnStart_Y",
    "InsertBtnOK_X",
    "InsertBtnOK_Y",
    "InsertBtnCancel_X",
    "InsertBtnCancel_Y",
    "Size_I",
    "Color_I_R",
    "Color_I_G",
    "Color_I_B",
    "P5_X",
    "P5_Y",
    "lbl_BINPath_X",
    "lbl_BINPath_Y",
    "lbl_LoadBin_X",
    "lbl_LoadBin_Y",
    "Btn_LoadBin_X",
    "Btn_LoadBin_Y",
    "Btn_Program_X",
    "Btn_Program_Y",
    "Size_J",
    "Color_J_R",
    "Color_J_G",
    "Color_J_B",
    "Color_J_Font_R",
    "Color_J_Font_G",
    "Color_J_Font_B",
    "Color_J_Back_R",
    "Color_J_Back_G",
    "Color_J_Back_B",
    "Color_J_Border_R",
    "Color_J_Border_G",
    "Color_J_Border_B",
    "P6_X",
    "P6_Y",
    "Fire1_X",
    "Fire1_Y",
    "Fire2_X",
    "Fire2_Y",
    "Fire3_X",
    "Fire3_Y",
    "Fire4_X",
    "Fire4_Y",
    "Fire5_X",
    "Fire5_Y",
    "Fire6_X",
    "Fire6_Y",
    "Fire7_X",
    "Fire7_Y",
    "GunMode1_X",
    "GunMode1_Y",
    "GunMode2_X",
    "GunMode2_Y",
    "GunMode3_X",
    "GunMode3_Y",
    "GunMode4_X",
    "GunMode4_Y",
    "GunMode5_X",
    "GunMode5_Y",
    "IsHasLK_X",
    "IsHasLK_Y",
    "FireCnt1_X",
    "FireCnt1_Y",
    "FireCnt2_X",
    "FireCnt2_Y",
    "FireCnt3_X",
    "FireCnt3_Y",
    "FireX1_X",
    "FireX1_Y",
    "FireX2_X",
    "FireX2_Y",
    "FireX3_X",
    "FireX3_Y",
    "FireX1_Offset_X",
    "FireX1_Offset_Y",
    "FireX2_Offset_X",
    "FireX2_Offset_Y",
    "FireX3_Offset_X",
    "FireX3_Offset_Y",
    "FireY1_X",
    "FireY1_Y",
    "FireY2_X",
    "FireY2_Y",
    "FireY3_X",
    "FireY3_Y",
    "FireY1_Offset_X",
    "FireY1_Offset_Y",
    "FireY2_Offset_X",
    "FireY2_Offset_Y",
    "FireY3_Offset_X",
    "FireY3_Offset_Y",
    "FireTime1_X",
    "FireTime1_Y",
    "FireTime2_X",
    "FireTime2_Y",
    "FireTime3_X",
    "FireTime3_Y",
    "FireColor1_X",
    "FireColor1_Y",
    "FireColor2_X",
    "FireColor2_Y",
    "FireColor3_X",
    "FireColor3_Y",
    "FireConfirm_X",
    "FireConfirm_Y",
    "FireCancel_X",
    "FireCancel_Y",
    "Size_K",
    "Color_K_R",
    "Color_K_G",
    "Color_K_B",
    "Color_K_AK_R",
    "Color_K_AK_G",
    "Color_K_AK_B",
    "AKT_X",
    "AKT_Y",
    "AKC_X",
    "AKC_Y",
    "AKC_W",
    "MK_C_X",
    "MK_C_Y",
    "MK_S_X",
    "MK_S_Y",
    "MK_A_X",
    "MK_A_Y",
    "MK_W_X",
    "MK_W_Y",
    "AK_Cfm_X",
    "AK_Cfm_Y",
    "AK_Clear_X",
    "AK_Clear_Y",
    "AK_Close_X",
    "AK_Close_Y",
    "Size_L",
    "Color_L_R",
    "Color_L_G",
    "Color_L_B",
    "Color_L_MN_R",
    "Color_L_MN_G",
    "Color_L_MN_B",
    "MNT_X",
    "MNT_Y",
    "MNC_X",
    "MNC_Y",
    "MNC_W",
    "MN_Cfm_X",
    "MN_Cfm_Y",
    "MN_Clear_X",
    "MN_Clear_Y",
    "MN_Close_X",
    "MN_Close_Y",
};
static_assert(std::size(kKeys) == 497);

struct Entry {
    std::string key;
    std::string value;
};

// The table read line by line, the way a person reads it: what a loose map-based reader cannot tell
// (order, repeats, line ends, stray lines) is kept here.
struct TableText {
    bool crlfOnly = true;
    bool printableAscii = true;
    std::vector<std::string> sections;
    bool entryBeforeSection = false;
    std::vector<std::string> strayLines; // inside the section: neither entry, "//" comment nor blank
    std::vector<Entry> entries;
};

std::string_view trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    return s;
}

TableText readTable(std::string_view text) {
    TableText t;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n' && (i == 0 || text[i - 1] != '\r')) {
            t.crlfOnly = false;
        }
        if (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
            t.crlfOnly = false;
        }
        if (c != '\r' && c != '\n' && (c < 0x20 || c > 0x7E)) {
            t.printableAscii = false;
        }
    }
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        line = trim(line);
        if (line.empty() || line.starts_with(';') || line.starts_with("//")) {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            t.sections.emplace_back(trim(line.substr(1, line.size() - 2)));
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            if (!t.sections.empty()) {
                t.strayLines.emplace_back(line);
            }
            continue;
        }
        if (t.sections.empty()) {
            t.entryBeforeSection = true;
        }
        t.entries.push_back({std::string(trim(line.substr(0, eq))), std::string(trim(line.substr(eq + 1)))});
    }
    return t;
}

std::string builtInText(const std::string& name) {
    const auto bytes = tarvik::resources::find("layout/" + name + ".ini");
    if (!bytes) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size());
}

bool isDecimal(const std::string& value) {
    if (value.empty()) {
        return false;
    }
    int parsed = 0;
    const char* first = value.data();
    const char* last = value.data() + value.size();
    const auto [ptr, ec] = std::from_chars(first, last, parsed);
    return ec == std::errc() && ptr == last && value.front() != '+';
}

std::map<std::string, std::string> asMap(const TableText& t) {
    std::map<std::string, std::string> m;
    for (const Entry& e : t.entries) {
        m[e.key] = e.value;
    }
    return m;
}

class PageLayoutTable : public ::testing::TestWithParam<std::string> {};

TEST_P(PageLayoutTable, IsCrLfTextWithItsOneSectionFirst) {
    const std::string text = builtInText(GetParam());
    ASSERT_FALSE(text.empty()) << "layout/" << GetParam() << ".ini is not built in";
    const TableText t = readTable(text);
    EXPECT_TRUE(t.crlfOnly) << "every line must end in CR LF";
    EXPECT_TRUE(t.printableAscii) << "a byte outside printable ASCII (a byte-order mark?)";
    ASSERT_EQ(t.sections.size(), 1u);
    EXPECT_EQ(t.sections.front(), GetParam());
    EXPECT_FALSE(t.entryBeforeSection);
    EXPECT_TRUE(t.strayLines.empty()) << "first stray line: " << t.strayLines.front();
}

TEST_P(PageLayoutTable, HoldsEveryKeyOnceInOrderWithADecimalValue) {
    const TableText t = readTable(builtInText(GetParam()));
    ASSERT_EQ(t.entries.size(), std::size(kKeys));
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        ASSERT_EQ(t.entries[i].key, kKeys[i]) << "entry " << i;
        EXPECT_TRUE(isDecimal(t.entries[i].value)) << kKeys[i] << "=" << t.entries[i].value;
    }
}

TEST_P(PageLayoutTable, ReadsTheSameThroughTheProgramsLayoutReader) {
    const auto config = LayoutConfig::loadBuiltIn(GetParam());
    ASSERT_TRUE(config.has_value());
    ASSERT_TRUE(config->hasSection(GetParam()));
    for (const Entry& e : readTable(builtInText(GetParam())).entries) {
        EXPECT_EQ(config->readInteger(GetParam(), e.key, INT_MIN), std::stoi(e.value)) << e.key;
    }
}

INSTANTIATE_TEST_SUITE_P(Tables, PageLayoutTable, ::testing::Values("org1", "org2", "org3"),
                         [](const auto& tableName) { return tableName.param; });

class ShippedValues : public ::testing::Test {
protected:
    static int value(const std::string& table, const std::string& key) {
        const auto config = LayoutConfig::loadBuiltIn(table);
        return config ? config->readInteger(table, key, INT_MIN) : INT_MIN;
    }
    static LayoutColor color(const std::string& table, const std::string& prefix) {
        const auto config = LayoutConfig::loadBuiltIn(table);
        return config ? config->readColor(table, prefix, {1, 2, 3}) : LayoutColor{1, 2, 3};
    }
    static std::set<int> enabledKeys(const std::string& table) {
        std::set<int> on;
        for (int n = 1; n <= 12; ++n) {
            if (value(table, "Key" + std::to_string(n) + "_Enable") == 1) {
                on.insert(n);
            }
        }
        return on;
    }
};

TEST_F(ShippedValues, Language1ShowsItsEntriesButtonsAndFourDpiLevels) {
    // Navigation bar entries: Third Mode, Update, Language2 and Language3 hidden.
    const std::map<int, int> navigation = {{1, 1}, {2, 1}, {3, 0}, {4, 1},  {5, 1},  {6, 1},
                                           {7, 1}, {8, 1}, {9, 0}, {10, 0}, {11, 1}, {12, 0}};
    for (const auto& [n, enabled] : navigation) {
        EXPECT_EQ(value("org1", "Btn_B" + std::to_string(n) + "_Enable"), enabled) << "Btn_B" << n;
    }
    EXPECT_EQ(enabledKeys("org1"), (std::set<int>{1, 2, 3, 4, 5, 6}));
    for (int n = 1; n <= 8; ++n) {
        const std::string level = "DPI" + std::to_string(n);
        for (const char* part : {"_Color_X", "_Check_X", "_X", "_Value_X", "_Steps_X"}) {
            const int x = value("org1", level + part);
            if (n <= 4) {
                EXPECT_LT(x, 1030) << level << part << " must be on the window";
            } else {
                EXPECT_GT(x, 2500) << level << part << " must be parked off the window";
            }
        }
    }
    EXPECT_EQ(value("org1", "DPI_Orientation"), 1);
    EXPECT_EQ(color("org1", "Color_D_Selected"), (LayoutColor{255, 255, 255}));
}

TEST_F(ShippedValues, Languages2And3DifferFromLanguage1OnlyWhereIntended) {
    const auto one = asMap(readTable(builtInText("org1")));
    const auto two = asMap(readTable(builtInText("org2")));
    const auto three = asMap(readTable(builtInText("org3")));
    EXPECT_EQ(two, three) << "the tables of languages 2 and 3 differ only in their section name";

    auto allowed = [](const std::string& key) {
        return key.starts_with("Key") || key.starts_with("P1_") || key.starts_with("GunMode") ||
               key.starts_with("FireCancel_") || key.starts_with("Color_D_Selected_") ||
               key == "Btn_B6_Enable" || key == "Btn_B7_Enable" || key == "Btn_B8_Enable";
    };
    bool gunModeMoved = false;
    bool cancelMoved = false;
    for (const auto& [key, v] : one) {
        if (two.at(key) == v) {
            continue;
        }
        EXPECT_TRUE(allowed(key)) << key << " differs: " << v << " / " << two.at(key);
        gunModeMoved = gunModeMoved || key.starts_with("GunMode");
        cancelMoved = cancelMoved || key.starts_with("FireCancel_");
    }
    EXPECT_TRUE(gunModeMoved);
    EXPECT_TRUE(cancelMoved);

    for (const char* entry :
         {"Btn_B6_Enable", "Btn_B7_Enable", "Btn_B8_Enable", "Btn_B9_Enable", "Btn_B10_Enable"}) {
        EXPECT_EQ(value("org2", entry), 0) << entry << ": no profile or language button in layout 2";
    }
    EXPECT_EQ(value("org2", "P1_X"), 100);
    for (int n = 1; n <= 12; ++n) {
        const int x = value("org2", "Key" + std::to_string(n) + "_X");
        EXPECT_TRUE(x == 160 || x == 190) << "Key" << n << "_X=" << x;
    }
    EXPECT_EQ(enabledKeys("org2"), (std::set<int>{1, 2, 3, 4, 5, 6, 7, 9}));
    EXPECT_EQ(color("org2", "Color_D_Selected"), (LayoutColor{255, 0, 0}));
}

} // namespace
