#include "hid/HidapiTransport.h"

#include "OrdinaryUser.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace tarvik::hid {
namespace {

namespace fs = std::filesystem;
using core::HidOpenError;
using test::TempDir;

// No mouse is attached to the test machines and there may be no HID device at all; what must hold is
// that enumeration works and lists each node once with lengths it could stand behind.
TEST(HidapiTransport, EnumeratesThisMachineEachNodeOnce) {
    HidapiTransport transport;
    const std::vector<core::HidInterfaceInfo> interfaces = transport.enumerate();
    std::set<std::string> paths;
    for (const core::HidInterfaceInfo& info : interfaces) {
        EXPECT_FALSE(info.path.empty());
        EXPECT_TRUE(paths.insert(info.path).second) << info.path << " listed twice";
    }
    EXPECT_EQ(transport.enumerate().size(), interfaces.size());
}

TEST(HidapiTransport, OpenOfAMissingNodeIsNotFound) {
    TempDir dir;
    HidapiTransport transport;
    HidOpenError error = HidOpenError::None;
    EXPECT_EQ(transport.open((dir.path() / "hidraw9").string(), &error), nullptr);
    EXPECT_EQ(error, HidOpenError::NotFound);
    EXPECT_EQ(transport.open((dir.path() / "hidraw9").string()), nullptr); // no error wanted
}

// Paths anybody may open that are no HID node (hidapi 0.13 itself would crash on them); not a
// permission problem either.
TEST(HidapiTransport, OpenOfSomethingThatIsNoHidNodeIsOther) {
    TempDir dir;
    const fs::path file = dir.path() / "hidraw2";
    std::ofstream(file) << "not a device";
    HidapiTransport transport;
    for (const std::string& path : {file.string(), std::string("/dev/null")}) {
        HidOpenError error = HidOpenError::None;
        EXPECT_EQ(transport.open(path, &error), nullptr) << path;
        EXPECT_EQ(error, HidOpenError::Other) << path;
    }
}

TEST(HidapiTransport, OpenOfANodeThisUserMayNotUseIsPermissionDenied) {
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const fs::path node = dir.path() / "hidraw1";
    std::ofstream(node) << "";
    fs::permissions(node, fs::perms::none);
    const int result = test::runAsOrdinaryUser([&] {
        HidapiTransport transport;
        HidOpenError error = HidOpenError::None;
        const bool opened = transport.open(node.string(), &error) != nullptr;
        return opened ? 99 : static_cast<int>(error);
    });
    if (result == test::kCannotDropRoot) {
        GTEST_SKIP() << "cannot become an ordinary user here";
    }
    EXPECT_EQ(result, static_cast<int>(HidOpenError::PermissionDenied));
}

} // namespace
} // namespace tarvik::hid
