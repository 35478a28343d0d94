#pragma once
// The bars of the operating system's pointer settings: eleven levels each, and the value each level
// stands for. Reading back takes only a value that is on its bar's table.

#include <optional>

namespace tarvik::core {

inline constexpr int kPointerLevels = 11;

// Pointer speed 1, 2, 4, 6, ..., 20.
std::optional<int> pointerSpeedOfLevel(int level);
std::optional<int> pointerSpeedLevel(int speed);

// Double-click time 900, 830, ..., 200 ms.
std::optional<int> doubleClickMsOfLevel(int level);
std::optional<int> doubleClickLevel(int ms);

// Wheel lines 1..11 (-1, one screen per notch, is no level).
std::optional<int> wheelLinesOfLevel(int level);
std::optional<int> wheelLevel(int lines);

} // namespace tarvik::core
