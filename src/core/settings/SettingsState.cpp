#include "core/settings/SettingsState.h"

#include "core/keys/AimKey.h"
#include "core/keys/FireKeyDisplay.h"

namespace tarvik::core {

void SettingsState::takeImage(const ConfigImage& image) {
    dpi.takeImage(image);
    lighting.takeImage(image);
    // The fire key block does not store continuous: a key no button carries keeps what it had.
    const std::array<FireKeySetting, 3> before = fireKeys;
    fireKeys = fireKeySettingsFromImage(image.bytes());
    for (std::size_t k = 0; k < fireKeys.size(); ++k)
        fireKeys[k].continuous = before[k].continuous;
    const auto mode = image.workMode();
    if (!mode)
        return;
    for (const FireKeyDisplay& shown : fireKeyDisplays(image, *mode, fireKeys)) {
        FireKeySetting& setting = fireKeys.at(static_cast<std::size_t>(shown.fireKey - 1));
        setting.count = shown.count;
        setting.delay = shown.delay;
        setting.continuous = shown.continuous;
    }
    takeProfile(image, *mode);
}

void SettingsState::takeProfile(const ConfigImage& image, int mode) {
    dpi.aimStep = aimStepOfProfile(image, mode, dpi.aimStep);
}

} // namespace tarvik::core
