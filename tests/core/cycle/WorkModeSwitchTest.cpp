#include <gtest/gtest.h>

#include "core/cycle/WorkModeSwitch.h"

namespace tarvik::core {
namespace {

struct ModeCase {
    int mode;
    bool buttonEffect;
    std::array<Byte, 5> values; // for offsets 167, 168, 169, 170, 164
};

class WorkModeWrites : public ::testing::TestWithParam<ModeCase> {};

TEST_P(WorkModeWrites, GoToModeParamsThenCurrentProfile) {
    const ModeCase& c = GetParam();
    const auto writes = workModeWrites(c.mode, c.buttonEffect);
    const Byte offsets[5] = {167, 168, 169, 170, 164};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(writes[i], (SettingWrite{offsets[i], c.values[i]})) << "write " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Modes, WorkModeWrites,
    ::testing::Values(ModeCase{1, true, {1, 0, 0, 0, 0x00}}, ModeCase{1, false, {0, 0, 0, 0, 0x00}},
                      ModeCase{2, true, {4, 15, 0, 32, 0xF1}}, ModeCase{2, false, {4, 15, 0, 32, 0xF1}},
                      ModeCase{3, true, {1, 0, 0, 0, 0x02}}, ModeCase{3, false, {0, 0, 0, 0, 0x02}}));

TEST(WorkModeSwitch, RefusesModesOutsideOneToThree) {
    EXPECT_THROW(workModeWrites(0, true), std::out_of_range);
    EXPECT_THROW(workModeWrites(4, true), std::out_of_range);
}

TEST(WorkModeSwitch, StatusByteSelectsByItsLowNibbleOnly) {
    EXPECT_EQ(workModeFromStatus(0xF0), 1);
    EXPECT_EQ(workModeFromStatus(0x31), 2);
    EXPECT_EQ(workModeFromStatus(0x02), 3);
    EXPECT_EQ(workModeFromStatus(0x03), std::nullopt);
    EXPECT_EQ(workModeFromStatus(0xFF), std::nullopt); // nothing read
}

} // namespace
} // namespace tarvik::core
