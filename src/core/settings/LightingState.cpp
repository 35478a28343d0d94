#include "core/settings/LightingState.h"

namespace tarvik::core {

bool lightingOffersMode(LightingKind kind, int mode) {
    if (mode == 0)
        return true;
    switch (kind) {
    case LightingKind::Sync:
        return mode >= 1 && mode <= 2;
    case LightingKind::NT:
        return mode >= 1 && mode != 3 && mode <= LightingState::kModes;
    default:
        return mode >= 1 && mode <= LightingState::kModes;
    }
}

int fallLevelForTime(int fallTime) {
    if (fallTime <= 5)
        return 1;
    if (fallTime > 45)
        return 10;
    return (fallTime + 4) / 5; // 6-10 -> 2, 11-15 -> 3, ...
}

void LightingState::takeImage(const ConfigImage& image) {
    fallLevel = fallLevelForTime(image.fallTime());
    kind = image.lightingKind();
    if (const int effect = image.lightingEffect(); lightingOffersMode(kind, effect))
        mode = effect;
    if (kind != LightingKind::Sync)
        for (int c = 1; c <= kColours; ++c)
            colours[static_cast<std::size_t>(c - 1)] = image.ledColor(c);
}

} // namespace tarvik::core
