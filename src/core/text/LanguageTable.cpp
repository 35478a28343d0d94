#include "core/text/LanguageTable.h"

#include "core/text/LanguageTokenizer.h"
#include "core/text/TextEncoding.h"
#include "core/text/TextUtil.h"
#include "resources/Resources.h"

namespace tarvik::core {

std::optional<LanguageTable> LanguageTable::fromUtf16Le(std::span<const std::uint8_t> bytes,
                                                        std::string_view section) {
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE)
        return std::nullopt;
    return fromText(utf16LeToUtf8(bytes.subspan(2)), section);
}

LanguageTable LanguageTable::fromText(std::string_view utf8, std::string_view section) {
    LanguageTable table;
    bool inSection = false;
    for (const std::string& token : tokenizeLanguageText(utf8)) {
        if (token.empty() || token.front() == ';')
            continue;
        if (token.size() >= 2 && token.front() == '[' && token.back() == ']') {
            const std::string_view name = std::string_view(token).substr(1, token.size() - 2);
            inSection = equalsIgnoringAsciiCase(trimBlanks(name), section);
            continue;
        }
        if (!inSection)
            continue;
        const std::size_t equals = token.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string_view view(token);
        table.set(std::string(trimBlanks(view.substr(0, equals))),
                  std::string(trimBlanks(view.substr(equals + 1))));
    }
    return table;
}

std::optional<LanguageTable> LanguageTable::loadBuiltIn(int languageIndex) {
    if (languageIndex < 1 || languageIndex > 3)
        return std::nullopt;
    const std::string name = "lang" + std::to_string(languageIndex);
    const auto bytes = tarvik::resources::find("lang/" + name + ".ini");
    if (!bytes)
        return std::nullopt;
    return fromUtf16Le(*bytes, name);
}

std::string LanguageTable::text(std::string_view key) const {
    const Entry* entry = find(key);
    return entry ? entry->value : std::string();
}

void LanguageTable::set(std::string key, std::string value) {
    auto [it, inserted] = m_indexByFoldedKey.try_emplace(toLowerAscii(key), m_entries.size());
    if (inserted)
        m_entries.push_back({std::move(key), std::move(value)});
    else
        m_entries[it->second].value = std::move(value);
}

bool LanguageTable::contains(std::string_view key) const {
    return find(key) != nullptr;
}

std::vector<std::string> LanguageTable::keys() const {
    std::vector<std::string> result;
    result.reserve(m_entries.size());
    for (const Entry& entry : m_entries)
        result.push_back(entry.key);
    return result;
}

const LanguageTable::Entry* LanguageTable::find(std::string_view key) const {
    const auto it = m_indexByFoldedKey.find(toLowerAscii(key));
    return it == m_indexByFoldedKey.end() ? nullptr : &m_entries[it->second];
}

} // namespace tarvik::core
