#include "core/keys/FunctionCodeName.h"

#include "core/keys/FunctionCodeCatalogue.h"
#include "core/keys/KeyTables.h"

#include <vector>

namespace tarvik::core {

namespace {

FunctionCodeNaming named(const char* key, const FunctionCodeContext& context) {
    return {context.language ? context.language->text(key) : std::string(), key, std::nullopt};
}

FunctionCodeNaming unnamed() {
    return {};
}

bool is(const KeyFunctionCode& code, Byte b0, Byte b1, Byte b2, Byte b3) {
    return code == KeyFunctionCode{b0, b1, b2, b3};
}

std::optional<FireKeyMatch> matchFireKey(const KeyFunctionCode& code, const FunctionCodeContext& context) {
    const int count = (code[1] & 0x0F) + 1;
    const std::uint16_t delay = code.word23();
    for (std::size_t k = 0; k < context.fireKeys.size(); ++k) {
        const FireKeySetting& setting = context.fireKeys[k];
        if (setting.count == count && setting.delay == delay)
            return FireKeyMatch{static_cast<int>(k) + 1, (code[1] & 0x80) != 0};
    }
    return std::nullopt;
}

struct ConsumerName {
    std::uint16_t usage;
    const char* key;
};

constexpr ConsumerName kConsumerNames[] = {
    {0x00CD, "Str270"}, {0x00B7, "Str271"}, {0x00B6, "Str272"}, {0x00B5, "Str273"}, {0x00E9, "Str274"},
    {0x00EA, "Str275"}, {0x00E2, "Str276"}, {0x0223, "Str280"}, {0x0221, "Str281"}, {0x0224, "Str282"},
    {0x0225, "Str283"}, {0x0226, "Str284"}, {0x0227, "Str285"}, {0x022A, "Str286"}, {0x0194, "Str290"},
    {0x0192, "Str291"}, {0x018A, "Str292"},
};

bool isWeaponPresetKey(const std::string& key) {
    for (const WeaponPreset& p : weaponPresets())
        if (key == p.languageKey)
            return true;
    return false;
}

} // namespace

FunctionCodeNaming nameFunctionCode(const KeyFunctionCode& code, const FunctionCodeContext& context) {
    const Byte type = code[0];
    const Byte b1 = code[1];

    if (is(code, 0x00, 0, 0, 0))
        return named("Str277", context);
    if (is(code, 0x01, 0x01, 0, 0))
        return named("Str210", context);
    if (is(code, 0x01, 0x02, 0, 0))
        return named("Str211", context);
    if (type == 0x01 && b1 == 0x04)
        return named("Str212", context);
    if (type == 0x01 && b1 == 0x08)
        return named("Str213", context);
    if (type == 0x01 && b1 == 0x10)
        return named("Str214", context);
    if (type == 0x05)
        return named("Str260", context);
    if (is(code, 0x0E, 0, 0, 0))
        return named("Str261", context);
    if (is(code, 0x08, 0, 0, 0))
        return named("Str262", context);
    if (is(code, 0x08, 0x01, 0, 0))
        return named("Str263", context);
    if (is(code, 0x0C, 0, 0, 0))
        return named("Str264", context);
    // Either storage kind's fire macro key is recognised, whatever the mouse at hand.
    if (code == fireMacroKeyCode(StorageKind::I2C) || code == fireMacroKeyCode(StorageKind::Flash))
        return named("Str265", context);
    if (type == 0x09 && b1 <= 0x02) {
        static constexpr const char* kCpi[] = {"Str221", "Str222", "Str223"};
        return named(kCpi[b1], context);
    }
    if (type == 0x06) {
        const auto match = matchFireKey(code, context);
        if (!match)
            return unnamed();
        static constexpr const char* kFire[] = {"Str231", "Str232", "Str233"};
        FunctionCodeNaming result = named(kFire[match->fireKey - 1], context);
        result.fireKey = match;
        return result;
    }
    if (type == 0x04 && code[2] == 0 && code[3] == 0 && b1 >= 0x01 && b1 <= 0x03) {
        static constexpr const char* kPower[] = {"Str241", "Str242", "Str243"};
        return named(kPower[b1 - 1], context);
    }
    if (type == 0x07) {
        if (b1 == 0x00)
            return named("Str254", context);
        switch (b1 & 0x87) {
        case 0x80:
            return named("Str251", context);
        case 0x81:
            return named("Str252", context);
        case 0x82:
            return named("Str253", context);
        default:
            return unnamed();
        }
    }
    if (type == 0x03 && code[3] == 0) {
        const std::uint16_t usage = static_cast<std::uint16_t>(b1 << 8 | code[2]);
        for (const ConsumerName& c : kConsumerNames)
            if (c.usage == usage)
                return named(c.key, context);
    }
    if (is(code, 0x02, 0x08, 0x07, 0x00))
        return named("Str293", context);
    if (type == code_type::kFireMacroControl) {
        for (const WeaponPreset& p : weaponPresets()) {
            if (code[2] == p.slotCount && (b1 == p.firstSlot || b1 == (p.firstSlot | 0x10)))
                return named(p.languageKey, context);
        }
    }
    if (is(code, 0x0A, 0, 0, 0))
        return named("Str268", context);
    if (is(code, 0x0A, 0x01, 0, 0))
        return named("Str269", context);
    if (is(code, 0x0B, 0x8F, 0, 0))
        return named("Str266", context);
    return {combinationOrMacroName(code, context), std::string(), std::nullopt};
}

FunctionCodeNaming nameFunctionCode(std::string_view code, const FunctionCodeContext& context) {
    const auto parsed = KeyFunctionCode::fromText(code);
    return parsed ? nameFunctionCode(*parsed, context) : unnamed();
}

std::string functionCodeName(const KeyFunctionCode& code, const FunctionCodeContext& context) {
    return nameFunctionCode(code, context).name;
}

std::string functionCodeName(std::string_view code, const FunctionCodeContext& context) {
    return nameFunctionCode(code, context).name;
}

std::string combinationOrMacroName(const KeyFunctionCode& code, const FunctionCodeContext& context) {
    if (code[0] == code_type::kKeyCombination) {
        std::string name;
        static constexpr const char* kModifiers[] = {"Ctrl+", "Shift+", "Alt+", "Win+"};
        for (int bit = 0; bit < 4; ++bit)
            if (code[1] & (1u << bit))
                name += kModifiers[bit];
        if (code[2] != 0)
            name += deviceKeyName(code[2]);
        if (code[3] != 0) {
            if (code[2] != 0)
                name += '+';
            name += deviceKeyName(code[3]);
        }
        return name;
    }
    if (code[0] == code_type::kMacro) {
        if (!context.macroNameAt)
            return {};
        const std::uint16_t address = static_cast<std::uint16_t>(code[1] << 8 | code[2]);
        return context.macroNameAt(address).value_or(std::string());
    }
    return {};
}

std::string combinationOrMacroName(std::string_view code, const FunctionCodeContext& context) {
    const auto parsed = KeyFunctionCode::fromText(code);
    return parsed ? combinationOrMacroName(*parsed, context) : std::string();
}

CodeSuffixes refreshFireFun(std::span<const KeyFunctionCode> buttonCodes,
                            const FunctionCodeContext& context) {
    CodeSuffixes s;
    for (const KeyFunctionCode& code : buttonCodes) {
        // Recognised by the key that named the code, so a macro or a translation that happens to read
        // like one of these names does not count.
        const std::string key = nameFunctionCode(code, context).languageKey;
        const Byte b3 = code[3];
        if (key == "Str212" && b3 == 0x08)
            s.middle = 0x08;
        else if (key == "Str213" && b3 == 0x02)
            s.backward = 0x02;
        else if (key == "Str214" && b3 == 0x02)
            s.forward = 0x02;
        else if (key == "Str221" && b3 == 0x08)
            s.cpiLoop = 0x08;
        else if (key == "Str222" && b3 == 0x08)
            s.cpiPlus = 0x08;
        else if (key == "Str223" && b3 == 0x08)
            s.cpiMinus = 0x08;
        else if (isWeaponPresetKey(key))
            s.weapon = b3;
    }
    return s;
}

CodeSuffixes refreshFireFun(std::span<const std::string> buttonCodes, const FunctionCodeContext& context) {
    std::vector<KeyFunctionCode> codes;
    codes.reserve(buttonCodes.size());
    for (const std::string& text : buttonCodes)
        if (auto code = KeyFunctionCode::fromText(text))
            codes.push_back(*code);
    return refreshFireFun(codes, context);
}

} // namespace tarvik::core
