#include "hid/HidAccess.h"

#include "OrdinaryUser.h"
#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

namespace tarvik::hid {
namespace {

namespace fs = std::filesystem;
using core::HidOpenError;
using test::kCannotDropRoot;
using test::TempDir;
using ::testing::HasSubstr;

int classifyAsOrdinaryUser(const std::string& path) {
    return test::runAsOrdinaryUser([&] { return static_cast<int>(classifyOpenFailure(path)); });
}

int checkAsOrdinaryUser(const std::string& path) {
    return test::runAsOrdinaryUser([&] { return static_cast<int>(checkHidrawNode(path)); });
}

TEST(HidAccess, TellsMissingFromForbiddenFromOpenable) {
    TempDir dir;
    ASSERT_FALSE(dir.path().empty());
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    const fs::path forbidden = dir.path() / "hidraw1";
    const fs::path open = dir.path() / "hidraw2";
    const fs::path lockedDir = dir.path() / "locked";
    std::ofstream(forbidden) << "";
    std::ofstream(open) << "";
    fs::create_directory(lockedDir);
    std::ofstream(lockedDir / "hidraw3") << "";
    fs::permissions(forbidden, fs::perms::none);
    fs::permissions(open, fs::perms::all);
    fs::permissions(lockedDir, fs::perms::none);

    if (classifyAsOrdinaryUser(forbidden.string()) == kCannotDropRoot) {
        GTEST_SKIP() << "cannot become an ordinary user here";
    }
    struct Case {
        fs::path path;
        HidOpenError expected;
    };
    const Case cases[] = {{forbidden, HidOpenError::PermissionDenied},
                          {lockedDir / "hidraw3", HidOpenError::PermissionDenied},
                          {dir.path() / "hidraw9", HidOpenError::NotFound},
                          {open / "hidraw4", HidOpenError::NotFound},
                          {open, HidOpenError::Other}};
    for (const Case& c : cases) {
        EXPECT_EQ(classifyAsOrdinaryUser(c.path.string()), static_cast<int>(c.expected)) << c.path;
        // Opening it for real tells the same, except that what opens is no hidraw node either.
        EXPECT_EQ(checkAsOrdinaryUser(c.path.string()), static_cast<int>(c.expected)) << c.path;
    }
    fs::permissions(lockedDir, fs::perms::owner_all); // so that the folder can be removed
}

TEST(HidAccess, CharacterDeviceThatIsNoHidrawNodeIsOther) {
    EXPECT_EQ(checkHidrawNode("/dev/null"), HidOpenError::Other);
}

TEST(HidAccess, AdviceNamesTheNodeTheRuleAndTheCommands) {
    const std::string advice = permissionAdvice("/dev/hidraw4");
    EXPECT_THAT(advice, HasSubstr("/dev/hidraw4"));
    EXPECT_THAT(advice, HasSubstr("sudo cp 70-tarvik-mouse.rules /etc/udev/rules.d/"));
    EXPECT_THAT(advice, HasSubstr("udevadm control --reload-rules && sudo udevadm trigger"));
    EXPECT_THAT(advice, HasSubstr("tee /etc/udev/rules.d/70-tarvik-mouse.rules"));
    EXPECT_THAT(advice, HasSubstr(std::string(kUdevRuleLine)));
    EXPECT_THAT(advice, HasSubstr("plug it in again"));
}

// The advice offers the rule line itself, so it must be exactly the rule that ships.
TEST(HidAccess, ShippedRuleIsTheAdvisedOneAndGrantsNoWorldAccess) {
    std::ifstream file(std::string(TARVIK_SOURCE_DIR) + "/packaging/linux/" + std::string(kUdevRuleFileName));
    ASSERT_TRUE(file);
    std::vector<std::string> rules;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line[0] != '#') {
            rules.push_back(line);
        }
    }
    EXPECT_EQ(rules, std::vector<std::string>{std::string(kUdevRuleLine)});
    EXPECT_THAT(std::string(kUdevRuleLine), ::testing::Not(HasSubstr("MODE")));
}

} // namespace
} // namespace tarvik::hid
