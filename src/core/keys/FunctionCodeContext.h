#pragma once
// The settings that naming and building key function codes depend on, read at the moment of the
// call. The window fills one from its current state; nothing here is global.

#include "core/image/ConfigImage.h"
#include "core/keys/KeyFunctionCode.h"
#include "core/text/LanguageTable.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tarvik::core {

// The parameter bytes (byte 3) remembered from the codes the mouse already carries, so that
// assigning Middle Key, Backward, Forward, a CPI key or a weapon preset again keeps them.
struct CodeSuffixes {
    Byte middle = 0x00;
    Byte backward = 0x00;
    Byte forward = 0x00;
    Byte cpiLoop = 0x00;
    Byte cpiPlus = 0x00;
    Byte cpiMinus = 0x00;
    Byte weapon = 0x00;

    friend bool operator==(const CodeSuffixes&, const CodeSuffixes&) = default;
};

struct FunctionCodeContext {
    // The active language table; names are looked up in it at every call. Without one, every
    // catalogue name is empty (combination captions, which are not translated, still work).
    const LanguageTable* language = nullptr;

    int aimDpiStep = 1; // 1-12, the AIM DPI of the Advanced page
    std::array<FireKeySetting, 3> fireKeys{};
    StorageKind storageKind = StorageKind::None;
    CodeSuffixes suffixes;

    // The name of the device macro stored at a macro-store address, or nothing when no macro in
    // use starts there. The macro tables answer it: for "I2C" only entries in use count, for
    // "Flash" all 32 entries; when several entries hold the address, the last one names it.
    std::function<std::optional<std::string>(std::uint16_t address)> macroNameAt;
};

} // namespace tarvik::core
