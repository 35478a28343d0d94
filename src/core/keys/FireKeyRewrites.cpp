#include "core/keys/FireKeyRewrites.h"

#include "core/keys/FunctionCodeName.h"

namespace tarvik::core {

std::vector<KeyCodeRewrite> fireKeyRewrites(const ConfigImage& image, const FunctionCodeContext& before,
                                            const std::array<FireKeySetting, 3>& after) {
    std::vector<KeyCodeRewrite> rewrites;
    for (int mode = 1; mode <= static_cast<int>(image::kProfiles); ++mode)
        for (int button = 1; button <= static_cast<int>(image::kButtons); ++button) {
            const KeyFunctionCode code(image.keyCode(mode, button));
            const FunctionCodeNaming naming = nameFunctionCode(code, before);
            if (!naming.fireKey)
                continue;
            const auto key = static_cast<std::size_t>(naming.fireKey->fireKey - 1);
            rewrites.push_back({mode, button, fireKeyCode(after.at(key))});
        }
    return rewrites;
}

void storeFireKeySettings(ConfigImage& image, const std::array<FireKeySetting, 3>& settings) {
    for (int key = 1; key <= 3; ++key) {
        const FireKeySetting& setting = settings[static_cast<std::size_t>(key - 1)];
        image.setFireKey(key, {setting.count, setting.delay});
    }
}

} // namespace tarvik::core
