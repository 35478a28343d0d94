#include "cli/FunctionNames.h"

#include "core/keys/FunctionCodeCatalogue.h"
#include "core/keys/KeyTables.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace tarvik::cli {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Key name (lower case) -> device code, the first code that carries the name.
const std::map<std::string, core::DeviceKeyCode>& keysByName() {
    static const std::map<std::string, core::DeviceKeyCode> map = [] {
        std::map<std::string, core::DeviceKeyCode> m;
        for (int code = 1; code <= 0xFF; ++code) {
            const std::string name = core::deviceKeyName(static_cast<core::DeviceKeyCode>(code));
            if (!name.empty()) {
                m.emplace(lowered(name), static_cast<core::DeviceKeyCode>(code));
            }
        }
        return m;
    }();
    return map;
}

std::optional<core::DeviceKeyCode> keyNamed(std::string_view name) {
    const auto& keys = keysByName();
    if (auto it = keys.find(lowered(name)); it != keys.end()) {
        return it->second;
    }
    return std::nullopt;
}

} // namespace

std::optional<core::KeyFunctionCode> parseCombination(std::string_view text) {
    static constexpr std::pair<std::string_view, core::Byte> kModifiers[] = {
        {"ctrl", 0x01}, {"shift", 0x02}, {"alt", 0x04}, {"win", 0x08}};
    core::Byte mask = 0;
    std::string_view rest = text;
    // Modifiers first, each followed by "+", in any order; the last may end the text ("Ctrl+Shift"
    // is a modifier-only combination, as "Ctrl+Shift+" is not: a "+" asks for a key after it).
    for (bool found = true; found && !rest.empty();) {
        found = false;
        for (const auto& [name, bit] : kModifiers) {
            // Alone, a modifier's name is read as the key of that name, as it always was.
            if (mask != 0 && rest.size() == name.size() && sameName(rest, name)) {
                mask |= bit;
                rest = {};
                found = true;
                break;
            }
            if (rest.size() > name.size() && rest[name.size()] == '+' &&
                sameName(rest.substr(0, name.size()), name)) {
                mask |= bit;
                rest.remove_prefix(name.size() + 1);
                found = true;
                if (rest.empty()) {
                    return std::nullopt;
                }
            }
        }
    }
    if (rest.empty()) {
        return mask != 0 ? std::optional(core::KeyFunctionCode(0x02, mask, 0x00, 0x00)) : std::nullopt;
    }
    // One key, or two joined by "+" (a key's own name may hold a "+", so every split is tried).
    if (auto key = keyNamed(rest)) {
        return core::KeyFunctionCode(0x02, mask, *key, 0x00);
    }
    for (std::size_t plus = rest.find('+'); plus != std::string_view::npos; plus = rest.find('+', plus + 1)) {
        auto first = keyNamed(rest.substr(0, plus));
        auto second = keyNamed(rest.substr(plus + 1));
        if (first && second) {
            return core::KeyFunctionCode(0x02, mask, *first, *second);
        }
    }
    return std::nullopt;
}

std::optional<ResolvedFunction> resolveFunction(std::string_view text,
                                                const core::FunctionCodeContext& context,
                                                const std::vector<std::string>& macroNames,
                                                const std::vector<std::uint16_t>& macroAddresses) {
    if (context.language) {
        for (const core::CatalogueEntry& entry : core::functionCatalogue()) {
            if (sameName(context.language->text(entry.languageKey), text)) {
                const auto code =
                    core::KeyFunctionCode::fromText(core::functionCodeForEntry(entry.entryTag, context));
                if (code) {
                    return ResolvedFunction{*code, ResolvedFunction::Source::Catalogue};
                }
            }
        }
        int preset = 0;
        for (const core::WeaponPreset& p : core::weaponPresets()) {
            if (sameName(context.language->text(p.languageKey), text)) {
                if (auto code = core::weaponPresetCode(preset, false, context.suffixes.weapon)) {
                    return ResolvedFunction{*code, ResolvedFunction::Source::WeaponPreset};
                }
            }
            ++preset;
        }
    }
    for (std::size_t i = 0; i < macroNames.size() && i < macroAddresses.size(); ++i) {
        if (!macroNames[i].empty() && sameName(macroNames[i], text)) {
            const std::uint16_t address = macroAddresses[i];
            return ResolvedFunction{core::KeyFunctionCode(0x10, static_cast<core::Byte>(address >> 8),
                                                          static_cast<core::Byte>(address & 0xFF), 0x00),
                                    ResolvedFunction::Source::Macro};
        }
    }
    if (auto code = parseCombination(text)) {
        return ResolvedFunction{*code, ResolvedFunction::Source::Combination};
    }
    return std::nullopt;
}

std::vector<std::string> catalogueNames(const core::FunctionCodeContext& context) {
    std::vector<std::string> names;
    if (context.language) {
        for (const core::CatalogueEntry& entry : core::functionCatalogue()) {
            names.push_back(context.language->text(entry.languageKey));
        }
    }
    return names;
}

} // namespace tarvik::cli
