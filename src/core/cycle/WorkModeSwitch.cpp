#include "core/cycle/WorkModeSwitch.h"

#include <stdexcept>

namespace tarvik::core {

std::array<SettingWrite, 5> workModeWrites(int mode, bool buttonEffect) {
    if (mode < 1 || mode > 3)
        throw std::out_of_range("work mode");
    const auto params = static_cast<Byte>(image::kModeParams);
    const Byte effect = buttonEffect ? 1 : 0;
    const Byte profile = ConfigImage::currentProfileByteFor(mode);
    if (mode == 2)
        return {{{params, 4},
                 {Byte(params + 1), 15},
                 {Byte(params + 2), 0},
                 {Byte(params + 3), 32},
                 {Byte(image::kCurrentProfile), profile}}};
    return {{{params, effect},
             {Byte(params + 1), 0},
             {Byte(params + 2), 0},
             {Byte(params + 3), 0},
             {Byte(image::kCurrentProfile), profile}}};
}

std::optional<int> workModeFromStatus(Byte status) {
    const int nibble = status & 0x0F;
    if (nibble > 2)
        return std::nullopt;
    return nibble + 1;
}

} // namespace tarvik::core
