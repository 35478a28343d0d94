#include "core/keys/AimKey.h"

#include <stdexcept>

namespace tarvik::core {

namespace {
constexpr int kButtons = 12;
constexpr int kModes = 3;
} // namespace

int aimKeyButtonCount(int mode) {
    return mode == 1 ? kButtons : 9;
}

int aimStepOfProfile(const ConfigImage& image, int mode, int shownStep) {
    bool found = false;
    int step = shownStep;
    for (int button = 1; button <= aimKeyButtonCount(mode); ++button) {
        const KeyFunctionCode code(image.keyCode(mode, button));
        if (!isAimKey(code))
            continue;
        found = true;
        if (code[1] < kAimSteps)
            step = code[1] + 1;
    }
    return found ? step : 1;
}

std::vector<KeyCodeRewrite> aimKeyRewrites(const ConfigImage& image, int aimStep) {
    if (aimStep < 1 || aimStep > kAimSteps)
        throw std::out_of_range("AIM step " + std::to_string(aimStep));
    std::vector<KeyCodeRewrite> rewrites;
    for (int mode = 1; mode <= kModes; ++mode)
        for (int button = 1; button <= kButtons; ++button)
            if (isAimKey(KeyFunctionCode(image.keyCode(mode, button))))
                rewrites.push_back(
                    {mode, button, KeyFunctionCode(code_type::kAim, static_cast<Byte>(aimStep - 1), 0, 0)});
    return rewrites;
}

} // namespace tarvik::core
