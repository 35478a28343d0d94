#include "core/text/LayoutConfig.h"

#include "core/text/TextUtil.h"
#include "resources/Resources.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

namespace tarvik::core {

LayoutConfig LayoutConfig::parse(std::string_view text) {
    LayoutConfig config;
    std::unordered_map<std::string, std::string>* current = nullptr;

    // A byte-order mark left by an editor would otherwise hide the first section header.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);

    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", pos);
        const std::string_view rawLine =
            text.substr(pos, end == std::string_view::npos ? text.npos : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;

        const std::string_view line = trimBlanks(rawLine);
        if (line.empty() || line.front() == ';' || line.starts_with("//"))
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            current = &config.m_sections[toLowerAscii(trimBlanks(line.substr(1, line.size() - 2)))];
            continue;
        }
        const std::size_t equals = line.find('=');
        if (current == nullptr || equals == std::string_view::npos)
            continue;
        (*current)[toLowerAscii(trimBlanks(line.substr(0, equals)))] =
            std::string(trimBlanks(line.substr(equals + 1)));
    }
    return config;
}

std::optional<LayoutConfig> LayoutConfig::loadBuiltIn(std::string_view name) {
    const auto bytes = tarvik::resources::find("layout/" + std::string(name) + ".ini");
    if (!bytes)
        return std::nullopt;
    return parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

bool LayoutConfig::hasSection(std::string_view section) const {
    return m_sections.contains(toLowerAscii(section));
}

bool LayoutConfig::contains(std::string_view section, std::string_view key) const {
    return find(section, key) != nullptr;
}

std::string LayoutConfig::readString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
    const std::string* value = find(section, key);
    return value ? *value : std::string(defaultValue);
}

int LayoutConfig::readInteger(std::string_view section, std::string_view key, int defaultValue) const {
    const std::string* value = find(section, key);
    if (value == nullptr)
        return defaultValue;
    std::string_view digits = *value;
    const bool negative = digits.starts_with('-');
    if (negative || digits.starts_with('+'))
        digits.remove_prefix(1);
    if (digits.empty() || !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; }))
        return defaultValue;
    std::int64_t magnitude = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (error != std::errc() || end != digits.data() + digits.size())
        return defaultValue;
    const std::int64_t number = negative ? -magnitude : magnitude;
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return defaultValue;
    return static_cast<int>(number);
}

bool LayoutConfig::readSwitch(std::string_view section, std::string_view key, bool defaultValue) const {
    if (!contains(section, key))
        return defaultValue;
    return readInteger(section, key, 0) == 1;
}

LayoutColor LayoutConfig::readColor(std::string_view section, std::string_view prefix,
                                    LayoutColor defaultColor) const {
    const auto component = [&](std::string_view suffix, std::uint8_t fallback) {
        const int value = readInteger(section, std::string(prefix) + std::string(suffix), fallback);
        return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
    };
    return {component("_R", defaultColor.red), component("_G", defaultColor.green),
            component("_B", defaultColor.blue)};
}

const std::string* LayoutConfig::find(std::string_view section, std::string_view key) const {
    const auto sectionIt = m_sections.find(toLowerAscii(section));
    if (sectionIt == m_sections.end())
        return nullptr;
    const auto keyIt = sectionIt->second.find(toLowerAscii(key));
    return keyIt == sectionIt->second.end() ? nullptr : &keyIt->second;
}

} // namespace tarvik::core
