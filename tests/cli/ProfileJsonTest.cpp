// The JSON form of profile files in process: both default images go there and back unchanged, a
// name alone becomes the code the window would build, and what cannot be read says where.

#include "cli/ProfileJson.h"
#include "cli/FunctionNames.h"
#include "core/image/ConfigImage.h"
#include "core/image/ProfileFile.h"
#include "core/text/LanguageTables.h"
#include "resources/Resources.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include <string>
#include <variant>
#include <vector>

using namespace tarvik;
using ::testing::HasSubstr;

namespace {

const core::LanguageTable& english() {
    return core::LanguageTables::builtIn().table(1);
}

std::vector<core::Byte> defaultImage(int n) {
    const auto bytes = resources::find(n == 1 ? "images/TarvikData_Cfg1.bin" : "images/TarvikData_Cfg2.bin");
    return bytes ? std::vector<core::Byte>(bytes->begin(), bytes->end()) : std::vector<core::Byte>{};
}

TEST(ProfileJson, DefaultImagesGoThereAndBackUnchanged) {
    for (int n : {1, 2}) {
        const std::vector<core::Byte> image = defaultImage(n);
        ASSERT_EQ(image.size(), 2048u);
        const auto back = cli::profileFromJson(cli::profileToJson(image, english()), english());
        ASSERT_TRUE(std::holds_alternative<cli::JsonProfile>(back))
            << std::get<cli::JsonRefusal>(back).text();
        EXPECT_EQ(std::get<cli::JsonProfile>(back).profileFile, image) << "default image " << n;
        EXPECT_EQ(std::get<cli::JsonProfile>(back).kind, core::StorageKind::I2C);
    }
}

TEST(ProfileJson, ANameAloneBecomesTheCodeTheWindowBuilds) {
    std::string json = cli::profileToJson(defaultImage(1), english());
    // Office Mode button 2 carries Backward with the parameter byte 02; named alone, it keeps it,
    // as assigning Backward again in the window does.
    const std::string backward = "\"function\": \"Backward\",\n        \"code\": \"01080002\"";
    const auto at = json.find(backward);
    ASSERT_NE(at, std::string::npos);
    json.replace(at, backward.size(), "\"function\": \"Forward\"");
    const auto back = cli::profileFromJson(json, english());
    ASSERT_TRUE(std::holds_alternative<cli::JsonProfile>(back)) << std::get<cli::JsonRefusal>(back).text();
    const auto& file = std::get<cli::JsonProfile>(back).profileFile;
    EXPECT_EQ(std::vector<core::Byte>(file.begin() + 196, file.begin() + 200),
              (std::vector<core::Byte>{0x01, 0x10, 0x00, 0x00}));
}

TEST(ProfileJson, CombinationsReadAsTheirCaptionsAreWritten) {
    const struct {
        const char* text;
        std::optional<core::KeyFunctionCode> code;
    } cases[] = {
        {"Ctrl+Shift+A+B", core::KeyFunctionCode(0x02, 0x03, 0x04, 0x05)},
        {"B", core::KeyFunctionCode(0x02, 0x00, 0x05, 0x00)},
        {"ctrl+alt+a", core::KeyFunctionCode(0x02, 0x05, 0x04, 0x00)},
        {"Ctrl+Shift", core::KeyFunctionCode(0x02, 0x03, 0x00, 0x00)},
        {"Ctrl+", std::nullopt},
        {"Ctrl+Shift+", std::nullopt},
        {"++", std::nullopt},
        {"Ctrl+Nothing", std::nullopt},
        {"A+B+C", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cli::parseCombination(c.text), c.code) << c.text;
    }
}

TEST(ProfileJson, BrokenDocumentsSayWhere) {
    const std::string json = cli::profileToJson(defaultImage(1), english());
    const struct {
        std::string document;
        std::string says;
    } cases[] = {
        {json.substr(0, json.size() / 2), "parse error at line"},
        {"[1, 2]", ": expected an object"},
        {"{\n  \"format\": \"something else\"\n}", "line 2: format: expected \"tarvik-config profile\""},
        {"{\n  \"format\": \"tarvik-config profile\",\n  \"version\": 2\n}", "line 3: version: version 2"},
    };
    for (const auto& c : cases) {
        const auto back = cli::profileFromJson(c.document, english());
        ASSERT_TRUE(std::holds_alternative<cli::JsonRefusal>(back)) << c.says;
        EXPECT_THAT(std::get<cli::JsonRefusal>(back).text(), HasSubstr(c.says));
    }
}

// The document with the first value of `key` replaced, and the line that value stands on.
std::pair<std::string, int> withValue(std::string json, const std::string& key, const std::string& value) {
    const std::string field = "\"" + key + "\": ";
    const auto at = json.find(field);
    EXPECT_NE(at, std::string::npos) << key;
    if (at == std::string::npos)
        return {json, 0};
    const auto start = at + field.size();
    const auto end = json.find_first_of(",\n}", start);
    json.replace(start, end - start, value);
    return {json, 1 + static_cast<int>(std::count(json.begin(), json.begin() + static_cast<long>(at), '\n'))};
}

// Each value just outside what the window lets a user choose is refused, naming field, line and range.
TEST(ProfileJson, ValuesJustOutsideTheirRangeAreRefusedWithFieldLineAndRange) {
    const std::string json = cli::profileToJson(defaultImage(1), english());
    const struct {
        const char* key;
        const char* value;
        const char* says; // after "line N: "
    } cases[] = {
        {"count", "0", "fireKeys[0].count: 0 is out of range 1-15"},
        {"count", "16", "fireKeys[0].count: 16 is out of range 1-15"},
        {"delay", "0", "fireKeys[0].delay: 0 is out of range 1-4094"},
        {"delay", "4095", "fireKeys[0].delay: 4095 is out of range 1-4094"},
        {"stepTime", "12", "lighting.stepTime: 12 is not one of 5, 10, ... 50"},
        {"stepTime", "55", "lighting.stepTime: 55 is not one of 5, 10, ... 50"},
        {"enabledLevels", "0", "dpi.enabledLevels: 0 is out of range 1-8"},
        {"enabledLevels", "9", "dpi.enabledLevels: 9 is out of range 1-8"},
        {"currentLevel", "9", "dpi.currentLevel: 9 is out of range 1-8"},
        {"effect", "16", "lighting.effect: 16 is out of range 0-15"},
        {"effect", "6", "lighting.effect: 6 is out of range 0-5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " = " + c.value);
        const auto [document, line] = withValue(json, c.key, c.value);
        const auto back = cli::profileFromJson(document, english());
        ASSERT_TRUE(std::holds_alternative<cli::JsonRefusal>(back));
        EXPECT_EQ(std::get<cli::JsonRefusal>(back).text(), "line " + std::to_string(line) + ": " + c.says);
    }

    // A current level beyond the enabled ones, which the window never offers.
    const auto [fewer, fewerLine] = withValue(json, "enabledLevels", "2");
    const auto [above, aboveLine] = withValue(fewer, "currentLevel", "3");
    const auto back = cli::profileFromJson(above, english());
    ASSERT_TRUE(std::holds_alternative<cli::JsonRefusal>(back));
    EXPECT_EQ(std::get<cli::JsonRefusal>(back).text(),
              "line " + std::to_string(aboveLine) +
                  ": dpi.currentLevel: 3 is out of range 1-2 (the enabled levels)");
}

// A fire key count beyond what the Advanced page lets a user type, held by the profile already (a
// file written by other means), goes there and back as it is: only a changed value is refused.
TEST(ProfileJson, AFireKeyCountTheProfileHoldsIsKeptEvenOutsideTheFieldsRange) {
    std::vector<core::Byte> image = defaultImage(1);
    ASSERT_EQ(image.size(), 2048u);
    const std::size_t countByte = core::profile_file::kFireKeyBlock +
                                  (core::image::kFireKeySettings - core::image::kFireKeyBlock.offset);
    image[countByte] = 19; // a count of 20
    const std::string json = cli::profileToJson(image, english());
    EXPECT_THAT(json, HasSubstr("\"count\": 20"));
    const auto back = cli::profileFromJson(json, english());
    ASSERT_TRUE(std::holds_alternative<cli::JsonProfile>(back)) << std::get<cli::JsonRefusal>(back).text();
    EXPECT_EQ(std::get<cli::JsonProfile>(back).profileFile, image);

    const auto [changed, line] = withValue(json, "count", "21");
    const auto refused = cli::profileFromJson(changed, english());
    ASSERT_TRUE(std::holds_alternative<cli::JsonRefusal>(refused));
    EXPECT_EQ(std::get<cli::JsonRefusal>(refused).text(),
              "line " + std::to_string(line) + ": fireKeys[0].count: 21 is out of range 1-15");
}

TEST(ProfileJson, OfficeModeWithoutALeftKeyIsRefused) {
    std::string json = cli::profileToJson(defaultImage(1), english());
    const auto office = json.find("\"Office Mode\": {");
    ASSERT_NE(office, std::string::npos);
    const std::string left = "\"function\": \"Left Key\"";
    const auto at = json.find(left, office);
    ASSERT_NE(at, std::string::npos);
    // The code beside the name goes too, so that only the name says what the button does.
    const auto codeEnd = json.find('\n', json.find("\"code\"", at));
    json.replace(at, codeEnd - at, "\"function\": \"Volume +\"");
    const auto back = cli::profileFromJson(json, english());
    ASSERT_TRUE(std::holds_alternative<cli::JsonRefusal>(back));
    const int line =
        1 + static_cast<int>(std::count(json.begin(), json.begin() + static_cast<long>(office), '\n'));
    EXPECT_EQ(std::get<cli::JsonRefusal>(back).text(),
              "line " + std::to_string(line) +
                  ": buttons.Office Mode: Office Mode keeps one button with Left Key");
}

TEST(ProfileJson, DuplicateKeysAndDeepNestingAreRefused) {
    const std::string json = cli::profileToJson(defaultImage(1), english());
    const auto at = json.find("\"reportRate\": ");
    ASSERT_NE(at, std::string::npos);
    std::string twice = json;
    twice.insert(at, "\"reportRate\": 125,\n  ");
    auto back = cli::profileFromJson(twice, english());
    ASSERT_TRUE(std::holds_alternative<cli::JsonRefusal>(back));
    EXPECT_THAT(std::get<cli::JsonRefusal>(back).text(), HasSubstr("reportRate\" appears twice"));

    const std::string deep = std::string(20000, '[') + std::string(20000, ']');
    back = cli::profileFromJson(deep, english());
    ASSERT_TRUE(std::holds_alternative<cli::JsonRefusal>(back));
    EXPECT_THAT(std::get<cli::JsonRefusal>(back).text(), HasSubstr("nested deeper than 16"));
}

// Line numbers cost one pass over the text: a document of a megabyte is read in well under a
// second (counting from the start for every value took minutes).
TEST(ProfileJson, AMegabyteArrayIsReadQuickly) {
    std::string big =
        "{\n\"format\": \"tarvik-config profile\",\n\"version\": 1,\n\"memory\": {\"profileFile\": [\n";
    while (big.size() < (1u << 20))
        big += "\"00\",\n";
    big += "\"00\"]},\n\"unknownAtTheEnd\": 1\n}\n";
    const auto started = std::chrono::steady_clock::now();
    const auto back = cli::profileFromJson(big, english());
    const auto took = std::chrono::steady_clock::now() - started;
    ASSERT_TRUE(std::holds_alternative<cli::JsonRefusal>(back));
    EXPECT_LT(took, std::chrono::seconds(3));
}

// A function written as a long run of keys joined by "+" is tried at every "+": each try must not
// cost the whole text again.
TEST(ProfileJson, ALongTextIsNoCombinationPromptly) {
    std::string text;
    while (text.size() < 400000)
        text += "A+";
    text += "A";
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(cli::parseCombination(text), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
}

} // namespace
