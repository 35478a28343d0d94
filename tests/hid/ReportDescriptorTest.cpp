#include "hid/ReportDescriptor.h"

#include "HexFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>

namespace tarvik::hid {

void PrintTo(const ReportLength& report, std::ostream* os) {
    static const char* const kTypes[] = {"Input", "Output", "Feature"};
    *os << kTypes[static_cast<int>(report.type)] << " id " << int{report.id} << ": " << report.bytes
        << " bytes";
}

namespace {

using test::loadHexFixture;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

constexpr ReportType kIn = ReportType::Input;
constexpr ReportType kOut = ReportType::Output;
constexpr ReportType kFeature = ReportType::Feature;

struct FixtureCase {
    const char* file;
    bool usesReportIds;
    std::uint32_t maxInput;
    std::uint32_t maxOutput;
    std::uint32_t maxFeature;
    std::vector<ReportLength> reports;
};

class DescriptorFixtures : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(DescriptorFixtures, GivesEveryReportLengthAndTheLongestOfEachType) {
    const FixtureCase& c = GetParam();
    const std::vector<std::uint8_t> bytes = loadHexFixture(c.file);
    ASSERT_FALSE(bytes.empty());
    std::string error;
    const std::optional<ReportDescriptorInfo> info = parseReportDescriptor(bytes, &error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->usesReportIds, c.usesReportIds);
    EXPECT_THAT(info->reports, ElementsAreArray(c.reports));
    EXPECT_EQ(info->maxLength(kIn), c.maxInput);
    EXPECT_EQ(info->maxLength(kOut), c.maxOutput);
    EXPECT_EQ(info->maxLength(kFeature), c.maxFeature);
}

INSTANTIATE_TEST_SUITE_P(
    RealDevices, DescriptorFixtures,
    ::testing::Values(
        // No report ids: lengths are the data bytes alone.
        FixtureCase{"boot_mouse.hex", false, 3, 0, 0, {{kIn, 0, 3}}},
        FixtureCase{
            "keyboard_report_ids.hex", true, 9, 2, 0, {{kIn, 1, 9}, {kIn, 2, 3}, {kIn, 3, 2}, {kOut, 1, 2}}},
        FixtureCase{"vendor_command_interface.hex",
                    true,
                    8,
                    0,
                    8,
                    {{kIn, 0x42, 8}, {kFeature, 0x40, 8}, {kFeature, 0x41, 8}}},
        // Mouse fields split by push/pop and a feature report sharing the mouse's id.
        FixtureCase{"gaming_mouse.hex",
                    true,
                    16,
                    0,
                    64,
                    {{kIn, 1, 9},
                     {kIn, 2, 7},
                     {kIn, 3, 3},
                     {kIn, 6, 16},
                     {kFeature, 1, 2},
                     {kFeature, 4, 64},
                     {kFeature, 5, 8}}}),
    [](const auto& testParam) {
        std::string name = testParam.param.file;
        return name.substr(0, name.find('.'));
    });

TEST(ReportDescriptor, LengthOfOneReportAndOfAMissingOne) {
    const std::optional<ReportDescriptorInfo> info =
        parseReportDescriptor(loadHexFixture("vendor_command_interface.hex"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->length(kFeature, 0x41), 8u);
    EXPECT_EQ(info->length(kIn, 0x41), 0u);
    EXPECT_EQ(info->length(kFeature, 0x43), 0u);
}

struct ItemCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::vector<ReportLength> reports;
};

class DescriptorItems : public ::testing::TestWithParam<ItemCase> {};

TEST_P(DescriptorItems, SizeReportsAsTheKernelDoes) {
    const ItemCase& c = GetParam();
    std::string error;
    const std::optional<ReportDescriptorInfo> info = parseReportDescriptor(c.bytes, &error);
    ASSERT_TRUE(info) << error;
    EXPECT_THAT(info->reports, ElementsAreArray(c.reports));
}

constexpr std::uint32_t kSaturated = 0xFFFFFFFF;

INSTANTIATE_TEST_SUITE_P(
    Items, DescriptorItems,
    ::testing::Values(
        // The long item's data looks like Report ID 5 and an Input item; none of it may count.
        ItemCase{"LongItemSkippedWhole",
                 {0xFE, 0x04, 0x10, 0x85, 0x05, 0x81, 0x02, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02},
                 {{kIn, 0, 2}}},
        ItemCase{"FourByteItemData",
                 {0x77, 0x08, 0x00, 0x00, 0x00, 0x97, 0x03, 0x00, 0x00, 0x00, 0x81, 0x02},
                 {{kIn, 0, 3}}},
        ItemCase{
            "PopRestoresReportIdSizeAndCount",
            {0x85, 0x01, 0x75, 0x08, 0x95, 0x01, 0xA4, 0x85, 0x02, 0x95, 0x04, 0xB1, 0x02, 0xB4, 0x81, 0x02},
            {{kIn, 1, 2}, {kFeature, 2, 5}}},
        ItemCase{"BitsRoundUpToWholeBytes", {0x75, 0x01, 0x95, 0x09, 0x81, 0x02}, {{kIn, 0, 2}}},
        ItemCase{"MainItemWithoutData", {0x75, 0x08, 0x95, 0x01, 0x80}, {{kIn, 0, 1}}},
        ItemCase{"ReservedItemTypeIgnored", {0x75, 0x08, 0x0C, 0x95, 0x01, 0x81, 0x02}, {{kIn, 0, 1}}},
        ItemCase{
            "HugeSizesSaturate",
            {0x85, 0x01, 0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02, 0x81, 0x02},
            {{kIn, 1, kSaturated}}}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

struct BadCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* error;
};

class MalformedDescriptors : public ::testing::TestWithParam<BadCase> {};

TEST_P(MalformedDescriptors, AreRefusedWithReasonAndOffset) {
    const BadCase& c = GetParam();
    std::string error;
    EXPECT_FALSE(parseReportDescriptor(c.bytes, &error));
    EXPECT_THAT(error, HasSubstr(c.error));
}

INSTANTIATE_TEST_SUITE_P(
    Items, MalformedDescriptors,
    ::testing::Values(
        BadCase{"Empty", {}, "empty descriptor"},
        BadCase{"PrefixWithoutData", {0x75}, "item data cut off at offset 0"},
        BadCase{"TwoByteDataHalfThere", {0x75, 0x08, 0x26, 0xFF}, "item data cut off at offset 2"},
        BadCase{"FourByteDataHalfThere", {0x97, 0x01, 0x00}, "item data cut off at offset 0"},
        BadCase{"LongItemHeaderCut", {0xA1, 0x01, 0xFE, 0x02}, "long item header cut off at offset 2"},
        BadCase{"LongItemDataCut", {0xFE, 0x05, 0x00, 0x01, 0x02}, "long item data cut off at offset 0"},
        BadCase{"ReportIdZero", {0x85, 0x00}, "report id 0 out of range at offset 0"},
        BadCase{"ReportIdAbove255", {0x75, 0x08, 0x86, 0x00, 0x01}, "report id 256 out of range at offset 2"},
        BadCase{"PopWithoutPush", {0xA4, 0xB4, 0xB4}, "pop without push at offset 2"},
        BadCase{"PushWithoutEnd", std::vector<std::uint8_t>(33, 0xA4), "push nested too deep at offset 32"},
        BadCase{"EndCollectionFirst", {0xC0}, "end collection without collection at offset 0"},
        BadCase{"CollectionNotClosed", {0xA1, 0x01, 0xA1, 0x00, 0xC0}, "collection not closed"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

TEST(ReportDescriptor, BrokenFixturesAreRefused) {
    std::string error;
    EXPECT_FALSE(parseReportDescriptor(loadHexFixture("truncated_keyboard.hex"), &error));
    EXPECT_THAT(error, HasSubstr("item data cut off"));
    EXPECT_FALSE(parseReportDescriptor(loadHexFixture("unclosed_collection.hex"), &error));
    EXPECT_THAT(error, HasSubstr("collection not closed"));
}

} // namespace
} // namespace tarvik::hid
