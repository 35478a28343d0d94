#pragma once
// Button functions by the names the program shows: catalogue entries ("Volume +"), key
// combinations ("Ctrl+Alt+A"), weapon presets and the macros in the mouse.

#include "core/keys/FunctionCodeContext.h"
#include "core/keys/KeyFunctionCode.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik::cli {

struct ResolvedFunction {
    enum class Source { Catalogue, Combination, Macro, WeaponPreset };
    core::KeyFunctionCode code;
    Source source = Source::Catalogue;
};

// The code a name stands for, as the window would build it now (remembered suffixes, fire key and
// AIM settings of the context). Names are compared without regard to case. Weapon presets are
// built without the has-left-key option. Nothing when the text names no function.
std::optional<ResolvedFunction> resolveFunction(std::string_view text,
                                                const core::FunctionCodeContext& context,
                                                const std::vector<std::string>& macroNames,
                                                const std::vector<std::uint16_t>& macroAddresses);

// "Ctrl+Shift+A+B" -> 02 03 04 05. Modifiers are Ctrl, Shift, Alt and Win; at most two keys, by the
// names combination captions use. Nothing for a text that is not such a combination.
std::optional<core::KeyFunctionCode> parseCombination(std::string_view text);

// The names the catalogue offers, in menu order (for messages and help).
std::vector<std::string> catalogueNames(const core::FunctionCodeContext& context);

} // namespace tarvik::cli
