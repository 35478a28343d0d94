#pragma once
// SettingFireKey's decision: after fire key 1, 2 or 3 changed its count, interval or continuous
// option, every button that carries that key gets a code built from the new settings.

#include "core/image/ConfigImage.h"
#include "core/keys/AimKey.h"
#include "core/keys/FunctionCodeContext.h"

#include <array>
#include <vector>

namespace tarvik::core {

// Every button of the three work modes whose code `before` (the naming settings still holding the
// fire key settings the codes were built from) names fire key n gets fireKeyCode(after[n-1]).
// The codes must be named under the old settings: a fire key code is recognised only by the count
// and interval it was built from.
std::vector<KeyCodeRewrite> fireKeyRewrites(const ConfigImage& image, const FunctionCodeContext& before,
                                            const std::array<FireKeySetting, 3>& after);

// The new settings into a FireKeyBlock: count - 1 and the interval of each key (continuous lives in
// the codes only).
void storeFireKeySettings(ConfigImage& image, const std::array<FireKeySetting, 3>& settings);

} // namespace tarvik::core
