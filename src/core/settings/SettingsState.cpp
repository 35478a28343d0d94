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
    if (const auto mode = image.workMode())
        takeProfile(image, *mode);
}

void SettingsState::takeProfile(const ConfigImage& image, int mode) {
    // Whichever way a mode's keys come to be shown (a full read, a mode switched by the user or by
    // the mouse), the fire keys they carry say whether each key is continuous.
    for (const FireKeyDisplay& shown : fireKeyDisplays(image, mode, fireKeys)) {
        FireKeySetting& setting = fireKeys.at(static_cast<std::size_t>(shown.fireKey - 1));
        setting.count = shown.count;
        setting.delay = shown.delay;
        setting.continuous = shown.continuous;
    }
    dpi.aimStep = aimStepOfProfile(image, mode, dpi.aimStep);
}

} // namespace tarvik::core
