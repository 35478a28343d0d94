#include "core/text/LanguageTables.h"

namespace tarvik::core {

namespace {
constexpr int kLastCaptionNumber = 700;
}

const LanguageTables& LanguageTables::builtIn() {
    static const LanguageTables tables({
        LanguageTable::loadBuiltIn(1).value_or(LanguageTable()),
        LanguageTable::loadBuiltIn(2).value_or(LanguageTable()),
        LanguageTable::loadBuiltIn(3).value_or(LanguageTable()),
    });
    return tables;
}

LanguageTables::LanguageTables(std::array<LanguageTable, kCount> tables) : m_tables(std::move(tables)) {}

const LanguageTable& LanguageTables::table(int languageIndex) const {
    // at() so that a wrong index stops at once instead of reading past the tables
    return m_tables.at(static_cast<std::size_t>(languageIndex - 1));
}

std::string LanguageTables::translateCaption(std::string_view caption) const {
    std::string found;
    if (caption.empty())
        return found;
    for (const LanguageTable& table : m_tables) {
        for (int n = 0; n <= kLastCaptionNumber; ++n) {
            const std::string key = "Str" + std::to_string(n);
            if (table.contains(key) && table.text(key) == caption)
                found = key;
        }
    }
    return found;
}

std::string LanguageTables::carryCaption(std::string_view caption, int languageIndex) const {
    const std::string key = translateCaption(caption);
    return key.empty() ? std::string(caption) : table(languageIndex).text(key);
}

} // namespace tarvik::core
