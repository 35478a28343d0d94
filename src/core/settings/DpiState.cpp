#include "core/settings/DpiState.h"

namespace tarvik::core {

void DpiState::takeImage(const ConfigImage& image) {
    if (const auto levels = image.enabledDpiLevels())
        enabledLevels = *levels;
    for (int n = 1; n <= kLevels; ++n)
        if (const auto step = image.dpiLevel(n)) {
            stepIndex[static_cast<std::size_t>(n - 1)] = *step;
            stepKnown[static_cast<std::size_t>(n - 1)] = true;
        }
    knownReportRate = ConfigImage::reportRateHzForCode(image.reportRateCode());
    rateResetPending = false;
    if (const int current = image.currentDpi(); current < kLevels)
        currentIndex = current;
}

bool DpiState::takeCurrentFromMouse(int index) {
    if (index < 0 || index >= enabledLevels)
        return false;
    currentIndex = index;
    return true;
}

void DpiState::forgetReportRate() {
    knownReportRate = 0;
    rateResetPending = false;
}

} // namespace tarvik::core
