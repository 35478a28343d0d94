// Key combinations typed on the command line or written into a JSON profile ("Ctrl+Shift+A+B"): any
// text is a combination or not, never anything else, and the caption the program shows for a
// combination it took reads back as the same combination. The whole name lookup (catalogue, weapon
// presets, macros, combinations) takes any text too.

#include "FuzzCheck.h"
#include "cli/FunctionNames.h"
#include "core/keys/FunctionCodeName.h"
#include "core/text/LanguageTables.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace tarvik;
using fuzzcheck::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    core::FunctionCodeContext context;
    context.language = &core::LanguageTables::builtIn().table(1);

    const auto code = cli::parseCombination(text);
    if (code) {
        require(code->type() == core::code_type::kKeyCombination);
        require((*code)[1] <= 0x0F);
        require((*code)[2] != 0 || (*code)[3] == 0); // a second key only after a first
        std::string caption = core::combinationOrMacroName(*code, context);
        require(!caption.empty());
        if ((*code)[2] == 0) {
            // Modifiers alone are shown ending in "+", and typed without it; one modifier alone
            // typed so would name the key of that name.
            require(caption.back() == '+');
            caption.pop_back();
            if (std::popcount((*code)[1]) >= 2) {
                require(cli::parseCombination(caption) == code);
            }
        } else {
            require(cli::parseCombination(caption) == code);
        }
    }

    const std::vector<std::string> macroNames = {"macro", "Ctrl+A"};
    const std::vector<std::uint16_t> macroAddresses = {0x0100, 0x0200};
    if (const auto resolved = cli::resolveFunction(text, context, macroNames, macroAddresses)) {
        require(core::KeyFunctionCode::fromText(resolved->code.text()) == resolved->code);
    }
    return 0;
}
