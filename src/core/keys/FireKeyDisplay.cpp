#include "core/keys/FireKeyDisplay.h"

#include "core/keys/FunctionCodeName.h"

namespace tarvik::core {

std::vector<FireKeyDisplay> fireKeyDisplays(const ConfigImage& image, int mode,
                                            const std::array<FireKeySetting, 3>& settings) {
    FunctionCodeContext context;
    context.fireKeys = settings;
    std::vector<FireKeyDisplay> shown;
    for (int button = 1; button <= 12; ++button) {
        const KeyFunctionCode code(image.keyCode(mode, button));
        const FunctionCodeNaming naming = nameFunctionCode(code, context);
        if (!naming.fireKey)
            continue;
        shown.push_back(
            {naming.fireKey->fireKey, (code[1] & 0x0F) + 1, code.word23(), naming.fireKey->continuous});
    }
    return shown;
}

} // namespace tarvik::core
