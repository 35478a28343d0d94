#pragma once
// Switching the mouse's work mode: the four ModeParams bytes, then CurrentProfile, each as a single
// live-settings write, in that order. The edit that sends them is core/edit's switchWorkMode.

#include "core/image/ConfigImage.h"

#include <array>
#include <optional>

namespace tarvik::core {

struct SettingWrite {
    Byte offset;
    Byte value;
    friend bool operator==(const SettingWrite&, const SettingWrite&) = default;
};

// The five writes that select work mode 1..3 (Office, Game, Third). buttonEffect is the general
// table's BE_Enable: the first ModeParams byte of Office and Third Mode. Throws std::out_of_range for
// another mode.
std::array<SettingWrite, 5> workModeWrites(int mode, bool buttonEffect);

// The work mode 1..3 that a CurrentProfile status byte selects; empty for low nibbles 3..15.
std::optional<int> workModeFromStatus(Byte status);

} // namespace tarvik::core
