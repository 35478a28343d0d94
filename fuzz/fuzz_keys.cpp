// Key function codes read from the mouse and key events from the keyboard: naming any code, and
// driving the capture state machine and the key entry logic with any event stream.

#include "core/keys/AssemblyKeyLogic.h"
#include "core/keys/FunctionCodeCatalogue.h"
#include "core/keys/FunctionCodeName.h"
#include "core/keys/InputOneKeyLogic.h"
#include "core/keys/KeyboardHook.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tarvik::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 12)
        return 0;

    LanguageTable language;
    language.set("Str212", "Middle Key");
    language.set("Str231", "Fire Key1");
    FunctionCodeContext context;
    context.language = &language;
    context.aimDpiStep = data[0];
    context.storageKind = data[1] & 1 ? StorageKind::Flash : StorageKind::I2C;
    context.fireKeys[0] = {data[2] + 1, static_cast<std::uint16_t>(data[3] << 8 | data[4]), false};
    context.macroNameAt = [&](std::uint16_t address) -> std::optional<std::string> {
        if ((address & 0xFF) == data[5])
            return std::string("macro");
        return std::nullopt;
    };

    // The same bytes as a code and as text must name alike, and the text must round-trip.
    const KeyFunctionCode code{data[6], data[7], data[8], data[9]};
    const std::string text = code.text();
    if (KeyFunctionCode::fromText(text) != code)
        std::abort();
    const FunctionCodeNaming naming = nameFunctionCode(code, context);
    if (nameFunctionCode(text, context).name != naming.name)
        std::abort();
    if (naming.fireKey && (naming.fireKey->fireKey < 1 || naming.fireKey->fireKey > 3))
        std::abort();
    (void)nameFunctionCode(std::string_view(reinterpret_cast<const char*>(data + 2), 8), context);

    std::vector<KeyFunctionCode> codes;
    for (std::size_t i = 0; i + 4 <= size && codes.size() < 36; i += 4)
        codes.emplace_back(data[i], data[i + 1], data[i + 2], data[i + 3]);
    context.suffixes = refreshFireFun(codes, context);
    for (const CatalogueEntry& entry : functionCatalogue())
        if (!KeyFunctionCode::fromText(functionCodeForEntry(entry.entryTag, context)))
            std::abort();

    // The rest drives the keyboard logic: each byte pair is a virtual key and a transition or box.
    KeyboardHook hook;
    hook.setEnabled(data[10] & 1);
    hook.setOnKeyCombination([](const KeyCombination& keys, const KeyboardHookShiftState&) {
        if (keys.size() > kHookKeyCount)
            std::abort();
    });
    AssemblyKeyLogic assembly;
    InputOneKeyLogic oneKey(data[11] % 3);
    for (std::size_t i = 12; i + 1 < size; i += 2) {
        const std::uint8_t vk = data[i];
        const std::uint8_t op = data[i + 1];
        hook.keyEvent(vk, op & 1 ? KeyTransition::Down : KeyTransition::Up);
        if (hook.heldKeys().size() > kHookKeyCount)
            std::abort();
        switch (op >> 5) {
        case 0:
            assembly.keyPressed(vk, op & 2, op & 4, op & 8);
            break;
        case 1:
            assembly.setModifier(static_cast<AssemblyKeyLogic::Modifier>(op & 3), op & 4);
            break;
        case 2:
            assembly.clear();
            break;
        default:
            oneKey.keyPressed(vk);
            break;
        }
        if (assembly.keysTaken() > 2 || !KeyFunctionCode::fromText(assembly.confirm().code))
            std::abort();
    }
    return 0;
}
