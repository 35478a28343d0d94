#pragma once

#include "core/macros/MacroTypes.h"

#include <cstdint>

namespace tarvik::core {

// One macro held by the mouse, as the program keeps it.
struct DeviceMacroEntry {
    std::uint16_t address = 0; // device address of the body
    // "I2C": 16 + events + end byte, 0 = unused. "Flash": StoredLength of the body.
    std::uint16_t length = 0;
    MacroNameField name{};
    MacroBody body{}; // events and end byte, zero-filled

    bool operator==(const DeviceMacroEntry&) const = default;
};

} // namespace tarvik::core
