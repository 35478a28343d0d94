#include "hid/HidrawNode.h"

#include "HexFixture.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tarvik::hid {
namespace {

namespace fs = std::filesystem;
using test::loadHexFixture;
using test::TempDir;

struct NameCase {
    const char* path;
    std::optional<std::string> node;
};

class HidrawNodeName : public ::testing::TestWithParam<NameCase> {};

TEST_P(HidrawNodeName, TakesOnlyAHidrawNameFromTheLastComponent) {
    EXPECT_EQ(hidrawNodeName(GetParam().path), GetParam().node);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, HidrawNodeName,
    ::testing::Values(NameCase{"/dev/hidraw0", "hidraw0"}, NameCase{"/dev/hidraw12", "hidraw12"},
                      NameCase{"hidraw7", "hidraw7"}, NameCase{"/dev/hidraw", std::nullopt},
                      NameCase{"/dev/hidrawX", std::nullopt}, NameCase{"/dev/hidraw-1", std::nullopt},
                      NameCase{"/dev/hidraw1/", std::nullopt}, NameCase{"/dev/usb/hiddev0", std::nullopt},
                      NameCase{"/dev/hidraw1/../../etc/passwd", std::nullopt}, NameCase{"", std::nullopt}));

// A sysfs tree laid out as the kernel does it: class/hidraw/<node> is a link into devices/, and the
// node's "device" link leads back up to the HID device that holds report_descriptor.
class FakeSysfs : public ::testing::Test {
protected:
    void addNode(const std::string& node, const std::vector<std::uint8_t>& descriptor) {
        const fs::path hidDevice = m_dir.path() / "sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.1" /
                                   ("0003:1209:0001." + node.substr(6));
        fs::create_directories(hidDevice / "hidraw" / node);
        std::ofstream(hidDevice / "report_descriptor", std::ios::binary)
            .write(reinterpret_cast<const char*>(descriptor.data()),
                   static_cast<std::streamsize>(descriptor.size()));
        fs::create_directory_symlink("../..", hidDevice / "hidraw" / node / "device");
        fs::create_directories(sysfs() / "class/hidraw");
        fs::create_directory_symlink(fs::relative(hidDevice / "hidraw" / node, sysfs() / "class/hidraw"),
                                     sysfs() / "class/hidraw" / node);
    }
    fs::path sysfs() const { return m_dir.path() / "sys"; }
    // Device nodes live in the temp folder too, so a machine's real /dev/hidrawN never answers for them.
    std::string devNode(const std::string& node) const { return (m_dir.path() / "dev" / node).string(); }

    TempDir m_dir;
};

TEST_F(FakeSysfs, LengthsComeFromTheNodesOwnDescriptor) {
    addNode("hidraw0", loadHexFixture("boot_mouse.hex"));
    addNode("hidraw3", loadHexFixture("vendor_command_interface.hex"));
    addNode("hidraw11", loadHexFixture("gaming_mouse.hex"));

    const InterfaceReportLengths mouse = interfaceReportLengths(sysfs(), devNode("hidraw0"));
    EXPECT_EQ(mouse.feature, 0);
    EXPECT_EQ(mouse.input, 3);
    const InterfaceReportLengths vendor = interfaceReportLengths(sysfs(), devNode("hidraw3"));
    EXPECT_EQ(vendor.feature, 8);
    EXPECT_EQ(vendor.input, 8);
    const InterfaceReportLengths gaming = interfaceReportLengths(sysfs(), devNode("hidraw11"));
    EXPECT_EQ(gaming.feature, 64);
    EXPECT_EQ(gaming.input, 16);
}

TEST_F(FakeSysfs, UnknownWhenTheDescriptorIsMissingOrBroken) {
    addNode("hidraw5", loadHexFixture("truncated_keyboard.hex"));
    addNode("hidraw6", {});
    for (const char* node : {"hidraw5", "hidraw6", "hidraw9"}) {
        const InterfaceReportLengths lengths = interfaceReportLengths(sysfs(), devNode(node));
        EXPECT_EQ(lengths.feature, 0) << node;
        EXPECT_EQ(lengths.input, 0) << node;
    }
}

TEST_F(FakeSysfs, ReadsTheDescriptorBytesUnchangedAndOnlyForAHidrawName) {
    const std::vector<std::uint8_t> descriptor = loadHexFixture("gaming_mouse.hex");
    addNode("hidraw2", descriptor);
    EXPECT_EQ(readSysfsReportDescriptor(sysfs(), "hidraw2"), descriptor);
    EXPECT_EQ(readSysfsReportDescriptor(sysfs(), "../hidraw/hidraw2"), std::nullopt);
    EXPECT_EQ(readSysfsReportDescriptor(sysfs(), "hidraw2/.."), std::nullopt);
    EXPECT_EQ(readSysfsReportDescriptor(sysfs(), "hidraw4"), std::nullopt);
}

TEST_F(FakeSysfs, RefusesAFileFarLargerThanAnyDescriptor) {
    addNode("hidraw1", std::vector<std::uint8_t>(70 * 1024, 0x80));
    EXPECT_EQ(readSysfsReportDescriptor(sysfs(), "hidraw1"), std::nullopt);
}

TEST_F(FakeSysfs, NodeThatIsNotHidrawGivesNoDescriptor) {
    fs::create_directories(m_dir.path() / "dev");
    std::ofstream(devNode("hidraw4")) << "not a device";
    EXPECT_EQ(readNodeReportDescriptor(devNode("hidraw4")), std::nullopt);
    EXPECT_EQ(readNodeReportDescriptor(devNode("hidraw8")), std::nullopt);
}

} // namespace
} // namespace tarvik::hid
