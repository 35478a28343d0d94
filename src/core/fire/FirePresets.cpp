#include "core/fire/FirePresets.h"

#include "core/keys/FunctionCodeCatalogue.h"

#include <stdexcept>
#include <string>

namespace tarvik::core {

std::vector<int> firePresetSlots(int preset) {
    if (preset < 1 || preset > kFirePresets)
        throw std::out_of_range("fire preset " + std::to_string(preset));
    const WeaponPreset& p = weaponPresets()[static_cast<std::size_t>(preset - 1)];
    std::vector<int> slots;
    for (int i = 0; i < p.slotCount; ++i)
        slots.push_back(p.firstSlot + i);
    return slots;
}

std::vector<int> firePresetGunModes(int preset) {
    switch (preset) {
    case 6:
        return {1, 2};
    case 7:
        return {3, 4, 5};
    default:
        return {};
    }
}

} // namespace tarvik::core
