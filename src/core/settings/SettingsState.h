#pragma once
// The settings the window's pages share at run time, held once (in the window's state) and never in
// a page's controls: a page that needs another page's value reads it here.

#include "core/image/ConfigImage.h"
#include "core/keys/KeyFunctionCode.h"
#include "core/settings/DpiState.h"
#include "core/settings/LightingState.h"

#include <array>

namespace tarvik::core {

struct SettingsState {
    DpiState dpi;
    LightingState lighting;
    // The fire key settings that key codes are named and built against; continuous follows the
    // codes of the buttons that carry the key.
    std::array<FireKeySetting, 3> fireKeys{};

    // The shared part of drawing a configuration (RefreshUI): DPI, lighting and fire keys from the
    // image, then the fire-key and AIM displays of the image's work mode.
    void takeImage(const ConfigImage& image);

    // A work mode's profile is shown (RefreshAIMKey): the fire keys its buttons carry and the AIM
    // step of its AIM key.
    void takeProfile(const ConfigImage& image, int mode);
};

} // namespace tarvik::core
