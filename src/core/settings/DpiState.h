#pragma once
// The DPI settings as the window holds them between reads: the step of each level, how many levels
// are enabled, the current level, the AIM step and the report rate last known to be in force. The
// Advanced page draws them and its handlers decide their writes from them; the WorkingImage keeps
// the values of the last read until the next one.

#include "core/image/ConfigImage.h"

#include <array>

namespace tarvik::core {

struct DpiState {
    static constexpr int kLevels = 8;
    static constexpr int kSteps = 12;

    std::array<int, kLevels> stepIndex{};  // DpiStepIndex: 0..11 per level
    std::array<bool, kLevels> stepKnown{}; // the level has had a step since start-up
    int enabledLevels = kLevels;           // EnabledDpiLevels
    int currentIndex = 0;                  // CurrentDpiIndex: 0..7
    int aimStep = 1;                       // AimDpiStep: 1..12
    int knownReportRate = 0;               // KnownReportRate: 0 or Hz
    bool rateResetPending = false;         // RateResetPending

    // The DPI part of drawing a configuration. A DpiLevelCount outside 0..7 keeps the enabled
    // levels, a level without a step (nibble 12..15) keeps its step, and a CurrentDpi outside 0..7
    // keeps the current level; the report rate read becomes the known one.
    void takeImage(const ConfigImage& image);

    // A CurrentDpi read back from the mouse (0xFF when the read failed). Only an enabled level is
    // taken; false when nothing changed hands.
    bool takeCurrentFromMouse(int index);

    // The mouse is gone: no report rate is known to be in force any more.
    void forgetReportRate();
};

} // namespace tarvik::core
