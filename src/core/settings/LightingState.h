#pragma once
// The lighting settings as the window holds them between reads: the lighting kind the mouse
// reported, the effect and step-time level shown, and the ten colours, which the fire slots share.

#include "core/image/ConfigImage.h"

#include <array>

namespace tarvik::core {

// Which effects a lighting kind offers: "RGB" all five, "Sync" 1 and 2, "NT" 1, 2, 4 and 5; off (0)
// always. A kind not read yet offers what "RGB" offers.
bool lightingOffersMode(LightingKind kind, int mode);

// The step-time level 1..10 drawn for a stored FallTime: up to 5 is level 1, 6-10 level 2, ...,
// 41-45 level 9, anything above 45 level 10.
int fallLevelForTime(int fallTime);

struct LightingState {
    static constexpr int kModes = 5;
    static constexpr int kColours = 10;

    LightingKind kind = LightingKind::None;
    int mode = -1;     // 0 off, 1..5; -1 before any was drawn
    int fallLevel = 1; // FallLevel: 1..10
    // Colour c (1..10) at c - 1; fire slot s shows colour s + 1.
    std::array<Rgb, kColours> colours{};

    // The lighting part of drawing a configuration: the kind and step time always; the effect
    // only when the kind offers it; the colours only when the kind has them (not "Sync").
    void takeImage(const ConfigImage& image);
    Rgb colour(int c) const { return colours.at(static_cast<std::size_t>(c - 1)); }
};

} // namespace tarvik::core
