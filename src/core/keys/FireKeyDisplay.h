#pragma once
// What the fire key rows show for the buttons of a work mode that carry a fire key.

#include "core/image/ConfigImage.h"
#include "core/keys/KeyFunctionCode.h"

#include <array>
#include <vector>

namespace tarvik::core {

struct FireKeyDisplay {
    int fireKey = 0;         // 1..3
    int count = 0;           // (byte 1 AND 0x0F) + 1
    std::uint16_t delay = 0; // bytes 2-3, big-endian
    bool continuous = false; // bit 7 of byte 1
    friend bool operator==(const FireKeyDisplay&, const FireKeyDisplay&) = default;
};

// RefreshFireKey: one entry per button 1..12 of work mode `mode`, in button order, whose code is
// recognised as fire key 1, 2 or 3 under `settings` (a fire key code is recognised only by the
// count and delay it was built from).
std::vector<FireKeyDisplay> fireKeyDisplays(const ConfigImage& image, int mode,
                                            const std::array<FireKeySetting, 3>& settings);

} // namespace tarvik::core
