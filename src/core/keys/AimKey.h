#pragma once
// The AIM key: the AIM DPI has no field of its own, it rides in byte 1 (step index 0..11) of the
// code of the button that carries the AIM key (type 05).

#include "core/image/ConfigImage.h"
#include "core/keys/KeyFunctionCode.h"

#include <vector>

namespace tarvik::core {

inline constexpr int kAimSteps = 12;

// The buttons looked at for a work mode's AIM key: 1..12 in work mode 1, 1..9 in work modes 2 and 3.
int aimKeyButtonCount(int mode);

constexpr bool isAimKey(const KeyFunctionCode& code) {
    return code.type() == code_type::kAim;
}

// RefreshAIMKey: the AIM step (1..12) shown for the profile of work mode `mode`. Each AIM key in
// button order whose byte 1 is a step index sets the step, so the last one wins; a byte that is no
// step index (255) leaves `shownStep`; a profile without an AIM key shows step 1.
int aimStepOfProfile(const ConfigImage& image, int mode, int shownStep);

// One button's code to be replaced.
struct KeyCodeRewrite {
    int mode;   // 1..3
    int button; // 1..12
    KeyFunctionCode code;
    friend bool operator==(const KeyCodeRewrite&, const KeyCodeRewrite&) = default;
};

// SettingAIMKey: every button of the three work modes whose code is the AIM key, with its code
// carrying `aimStep` (1..12): 05, step - 1, 00, 00. Empty when no button carries the AIM key.
// Throws std::out_of_range for a step outside 1..12.
std::vector<KeyCodeRewrite> aimKeyRewrites(const ConfigImage& image, int aimStep);

} // namespace tarvik::core
