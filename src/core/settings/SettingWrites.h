#pragma once
// What the Advanced and Breathing Light pages send when a control is clicked: each rule updates the
// run-time settings the window holds and says which live setting goes to the mouse. The page shows
// the change and sends the write unless a configuration is being drawn.

#include "core/image/ConfigImage.h"
#include "core/settings/DpiState.h"
#include "core/settings/LightingState.h"

#include <array>
#include <optional>
#include <string>

namespace tarvik::core {

// One WriteSetting: `count` bytes (1..3) at a live-settings offset.
struct LiveWrite {
    Byte offset = 0;
    std::array<Byte, 3> values{};
    Byte count = 1;
    friend bool operator==(const LiveWrite&, const LiveWrite&) = default;
};

// Level `level` (1..8) takes step `step` (1..12). The mouse keeps two levels per byte, so the write
// carries the level's partner too (odd level in the low nibble). Nothing for a level beyond the
// enabled ones or an index out of range.
std::optional<LiveWrite> selectDpiStep(DpiState& dpi, int level, int step);

// Level `level` becomes the current one; nothing for a level that is not enabled.
std::optional<LiveWrite> selectCurrentDpi(DpiState& dpi, int level);

// The colour of DPI level `level` (1..8) and of lighting colour `c` (1..10).
LiveWrite dpiColourWrite(int level, Rgb colour);
LiveWrite ledColourWrite(int c, Rgb colour);

struct RateChoice {
    LiveWrite write;
    bool reset = false; // the rate differs from the one in force: the mouse restarts to take it
};

// Report rate `code` (0..3 for 125, 250, 500, 1000 Hz) goes into bits 4-5 of byte 4 of the
// WorkingImage, keeping the other bits; a rate other than the known one marks a reset as pending
// and the reset is handed out (and cleared) here.
RateChoice selectReportRate(DpiState& dpi, ConfigImage& working, int code);

// Lighting mode `mode` (0 off, 1..5) with the lighting kind of the WorkingImage kept; nothing when
// the kind does not offer the mode. The WorkingImage keeps its byte.
std::optional<LiveWrite> selectLightingMode(LightingState& lighting, const ConfigImage& working, int mode);

// Step-time level `level` (1..10): FallTime 5 x level, also in the WorkingImage.
std::optional<LiveWrite> selectFallLevel(LightingState& lighting, ConfigImage& working, int level);

// The text corrections of the fire key edits; the corrected text is what the edit shows and sends.
// Count: empty gives "2", anything else is held to fields::kFireKeyCount (1..15). Interval: empty
// gives "1", anything else is held to fields::kFireKeyInterval (1..4094).
std::string correctFireCount(const std::string& text);
std::string correctFireInterval(const std::string& text);

} // namespace tarvik::core
