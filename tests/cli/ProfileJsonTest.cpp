// The JSON form of profile files in process: both default images go there and back unchanged, a
// name alone becomes the code the window would build, and what cannot be read says where.

#include "cli/ProfileJson.h"
#include "cli/FunctionNames.h"
#include "core/text/LanguageTables.h"
#include "resources/Resources.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

} // namespace
