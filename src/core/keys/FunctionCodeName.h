#pragma once
// From a key function code back to the name the interface shows, in the active language.

#include "core/keys/FunctionCodeContext.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarvik::core {

// A fire key code is recognised by comparing its count and delay with the current settings of fire
// keys 1, 2 and 3, in that order. The window sets the matched key's continuous box from `continuous`
// (unless it is in the middle of toggling one).
struct FireKeyMatch {
    int fireKey = 0; // 1-3
    bool continuous = false;
};

struct FunctionCodeNaming {
    std::string name;        // empty when the code is not recognised
    std::string languageKey; // the text key that gave the name ("Str212"); empty for combinations,
                             // macros and unnamed codes. Compare keys, not texts, where a
                             // translation or a macro name could collide.
    std::optional<FireKeyMatch> fireKey;
};

// The name of a code, deciding by the first matching rule: whole-code matches for exact functions,
// type and first parameter for mouse buttons, AIM, DPI, fire keys and work-mode switches, the first
// three bytes for weapon presets, and key combinations and macros last. A text that is not eight
// hexadecimal digits has no name.
FunctionCodeNaming nameFunctionCode(const KeyFunctionCode& code, const FunctionCodeContext& context);
FunctionCodeNaming nameFunctionCode(std::string_view code, const FunctionCodeContext& context);

std::string functionCodeName(const KeyFunctionCode& code, const FunctionCodeContext& context);
std::string functionCodeName(std::string_view code, const FunctionCodeContext& context);

// The caption of a key combination ("Ctrl+Shift+A+B"; modifiers only end in "+") or the name of the
// macro at the code's address (through context.macroNameAt); empty for any other type.
std::string combinationOrMacroName(const KeyFunctionCode& code, const FunctionCodeContext& context);
std::string combinationOrMacroName(std::string_view code, const FunctionCodeContext& context);

// The remembered parameter bytes recomputed from the codes of all buttons (work mode 1 buttons 1-12,
// then modes 2 and 3), after a configuration was read and drawn: each starts at 00; Middle Key with
// 08, Backward or Forward with 02, a CPI key with 08 set theirs; any weapon preset sets the weapon
// suffix to its byte 3, later buttons winning. The suffixes in `context` are not read.
CodeSuffixes refreshFireFun(std::span<const std::string> buttonCodes, const FunctionCodeContext& context);
CodeSuffixes refreshFireFun(std::span<const KeyFunctionCode> buttonCodes, const FunctionCodeContext& context);

} // namespace tarvik::core
