#include "core/text/LayoutConfig.h"
#include "core/text/GeneralLayout.h"
#include "resources/Resources.h"

#include <gtest/gtest.h>

#include <climits>

using namespace tarvik::core;

namespace {

TEST(LayoutConfig, ReadsSectionsAndKeysWithoutRegardToCase) {
    const LayoutConfig config = LayoutConfig::parse("\xEF\xBB\xBF"
                                                    "Size_A=1\r\n"
                                                    "[ ORG1 ]\r\n"
                                                    "  M_L_W = 190  \r\n"
                                                    "Path=C:\\Users\\Public\\Documents\\   \r\n"
                                                    "; Size_B=2\r\n"
                                                    "  // Size_C=3\r\n"
                                                    "//*************************\r\n"
                                                    "a line without a separator\r\n"
                                                    "Empty=\r\n"
                                                    "Twice=1\n"
                                                    "twice=2\r"
                                                    "[other]\r\n"
                                                    "Size_A=5\r\n"
                                                    "[Org1]\r\n"
                                                    "Later=7");
    EXPECT_TRUE(config.hasSection("org1"));
    EXPECT_TRUE(config.hasSection("OTHER"));
    EXPECT_FALSE(config.hasSection("org"));

    EXPECT_EQ(config.readInteger("org1", "m_l_w", 0), 190);
    EXPECT_EQ(config.readString("Org1", "PATH"), "C:\\Users\\Public\\Documents\\");
    EXPECT_EQ(config.readInteger("org1", "Twice", 0), 2);
    EXPECT_EQ(config.readInteger("org1", "Later", 0), 7); // a section opened twice keeps both parts
    EXPECT_TRUE(config.contains("org1", "Empty"));
    EXPECT_EQ(config.readString("org1", "Empty", "x"), "");

    for (const char* absent : {"Size_A", "Size_B", "Size_C", "// Size_C", "a line without a separator"})
        EXPECT_FALSE(config.contains("org1", absent)) << absent;
    EXPECT_EQ(config.readInteger("other", "Size_A", 0), 5);
    EXPECT_FALSE(config.contains("missing", "Size_A"));
    EXPECT_EQ(config.readString("org1", "Missing"), "");
    EXPECT_EQ(config.readString("org1", "Missing", "fallback"), "fallback");
}

TEST(LayoutConfig, IntegersAreStrictlyDecimal) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"190", 190},
        {"-5", -5},
        {"+7", 7},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", -1},
        {"99999999999999999999", -1},
        {"", -1},
        {"-", -1},
        {"+", -1},
        {"12a", -1},
        {"1 2", -1},
        {"0x10", -1},
        {"$10", -1},
        {"+-1", -1},
        {"1.5", -1},
    };
    for (const auto& [value, expected] : cases) {
        const LayoutConfig config = LayoutConfig::parse("[org1]\nKey=" + value + "\n");
        EXPECT_EQ(config.readInteger("org1", "Key", -1), expected) << '"' << value << '"';
    }
    EXPECT_EQ(LayoutConfig::parse("[org1]\n").readInteger("org1", "Key", 42), 42);
}

TEST(LayoutConfig, SwitchesAreOnOnlyForOne) {
    const LayoutConfig config = LayoutConfig::parse("[org]\nA=1\nB=0\nC=2\nD=on\nE=\nF= 1 \n");
    EXPECT_TRUE(config.readSwitch("org", "A"));
    EXPECT_FALSE(config.readSwitch("org", "B", true));
    EXPECT_FALSE(config.readSwitch("org", "C", true));
    EXPECT_FALSE(config.readSwitch("org", "D", true));
    EXPECT_FALSE(config.readSwitch("org", "E", true));
    EXPECT_TRUE(config.readSwitch("org", "F"));
    EXPECT_TRUE(config.readSwitch("org", "Absent", true));
    EXPECT_FALSE(config.readSwitch("org", "Absent"));
}

TEST(LayoutConfig, ColoursClampEachComponent) {
    const LayoutConfig config =
        LayoutConfig::parse("[org1]\nColor_D_Selected_R=255\nColor_D_Selected_G=0\nColor_D_Selected_B=0\n"
                            "Color_A_R=300\nColor_A_G=-1\nColor_A_B=x\n");
    EXPECT_EQ(config.readColor("org1", "Color_D_Selected"), (LayoutColor{255, 0, 0}));
    EXPECT_EQ(config.readColor("org1", "Color_A", {1, 2, 3}), (LayoutColor{255, 0, 3}));
    EXPECT_EQ(config.readColor("org1", "Color_Z", {1, 2, 3}), (LayoutColor{1, 2, 3}));
}

TEST(GeneralLayout, BuiltInTableHasTheShippedValues) {
    const auto bytes = tarvik::resources::find("layout/org.ini");
    ASSERT_TRUE(bytes.has_value());
    const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        ASSERT_LT(static_cast<unsigned char>(text[i]), 0x80) << "non-ASCII byte at " << i;
        if (text[i] == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
        }
    }

    const LayoutConfig config = LayoutConfig::parse(text);
    for (const char* key : {"Web_Enable", "Web", "Web_X", "Web_Y", "Rev_Manu_ID", "Rev_Pro_ID", "Path",
                            "TR_Enable", "BE_Enable"})
        EXPECT_TRUE(config.contains("org", key)) << key;

    const GeneralLayout layout = GeneralLayout::loadBuiltIn();
    EXPECT_FALSE(layout.webEnabled);
    EXPECT_EQ(layout.web, "https://example.com/");
    EXPECT_EQ(layout.webX, 370);
    EXPECT_EQ(layout.webY, 5);
    EXPECT_EQ(layout.revManuId, 0);
    EXPECT_EQ(layout.revProId, 0);
    EXPECT_EQ(layout.macroPath, "");
    EXPECT_TRUE(layout.textRolling);
    EXPECT_TRUE(layout.buttonEffect);
}

TEST(GeneralLayout, ReadsItsKeysAndKeepsShippedValuesForMissingOnes) {
    const GeneralLayout changed =
        GeneralLayout::read(LayoutConfig::parse("[ORG]\r\n"
                                                "web_enable=1\r\n"
                                                "Web = https://example.org/a b \r\n"
                                                "Web_X=10\r\nWeb_Y=abc\r\n"
                                                "Rev_Manu_ID=18\r\nRev_Pro_ID=52\r\n"
                                                "Path=/srv/macros/   \r\n"
                                                "TR_Enable=0\r\nBE_Enable=2\r\n"));
    EXPECT_TRUE(changed.webEnabled);
    EXPECT_EQ(changed.web, "https://example.org/a b");
    EXPECT_EQ(changed.webX, 10);
    EXPECT_EQ(changed.webY, 5);
    EXPECT_EQ(changed.revManuId, 18);
    EXPECT_EQ(changed.revProId, 52);
    EXPECT_EQ(changed.macroPath, "/srv/macros/");
    EXPECT_FALSE(changed.textRolling);
    EXPECT_FALSE(changed.buttonEffect);

    const GeneralLayout empty = GeneralLayout::read(LayoutConfig::parse("[org1]\nWeb_X=1\n"));
    EXPECT_FALSE(empty.webEnabled);
    EXPECT_EQ(empty.webX, 370);
    EXPECT_TRUE(empty.textRolling);
    EXPECT_TRUE(empty.buttonEffect);
}

} // namespace
