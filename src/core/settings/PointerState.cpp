#include "core/settings/PointerState.h"

#include "core/settings/PointerTables.h"

#include <algorithm>
#include <cstdlib>

namespace tarvik::core {

namespace {

// The level whose value is closest to `value` (the lower level on a tie).
template <typename ValueOf> int nearestLevel(int value, ValueOf valueOf) {
    int best = 1;
    for (int level = 2; level <= kPointerLevels; ++level)
        if (std::abs(*valueOf(level) - value) < std::abs(*valueOf(best) - value))
            best = level;
    return best;
}

// A time between two levels is drawn at the slower one (830-899 ms is level 2, 480-549 level 7);
// longer than the slowest level is level 1, shorter than the fastest level 11.
int doubleClickLevelFor(int ms) {
    for (int level = 1; level <= kPointerLevels; ++level)
        if (ms >= *doubleClickMsOfLevel(level))
            return level;
    return kPointerLevels;
}

} // namespace

void PointerState::takeRead(const PointerValuesRead& read) {
    if (read.speed)
        speedLevel = nearestLevel(*read.speed, pointerSpeedOfLevel);
    if (read.precision)
        precision = *read.precision;
    if (read.doubleClickMs)
        doubleClickLevel = doubleClickLevelFor(*read.doubleClickMs);
    if (read.wheelLines) {
        if (*read.wheelLines == kOneScreen) {
            wheelLevel = kOneScreen;
            savedWheelLevel = 1;
        } else {
            wheelLevel = nearestLevel(*read.wheelLines, wheelLinesOfLevel);
            savedWheelLevel = wheelLevel;
        }
    }
}

void PointerState::chooseWheelLevel(int level) {
    wheelLevel = std::clamp(level, 1, kPointerLevels);
    savedWheelLevel = wheelLevel;
}

void PointerState::setOneScreen(bool on) {
    wheelLevel = on ? kOneScreen : savedWheelLevel;
}

PointerValuesRead PointerState::values() const {
    PointerValuesRead v;
    v.speed = pointerSpeedOfLevel(speedLevel);
    v.precision = precision;
    v.doubleClickMs = doubleClickMsOfLevel(doubleClickLevel);
    v.wheelLines = wheelLevel == kOneScreen ? std::optional<int>(kOneScreen) : wheelLinesOfLevel(wheelLevel);
    return v;
}

} // namespace tarvik::core
