#include "core/text/LanguageTables.h"

#include "core/text/TextUtil.h"

#include <algorithm>

namespace tarvik::core {

namespace {

constexpr int kLastCaptionNumber = 700;

// n when the key is "Str" + n (any letter case, n from 0 to 700 written without leading zeros),
// else -1: only such keys can name a caption.
int captionKeyNumber(std::string_view key) {
    if (key.size() < 4 || key.size() > 6 || !equalsIgnoringAsciiCase(key.substr(0, 3), "str"))
        return -1;
    const std::string_view digits = key.substr(3);
    if (digits.size() > 1 && digits.front() == '0')
        return -1;
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        number = number * 10 + (c - '0');
    }
    return number <= kLastCaptionNumber ? number : -1;
}

} // namespace

const LanguageTables& LanguageTables::builtIn() {
    static const LanguageTables tables({
        LanguageTable::loadBuiltIn(1).value_or(LanguageTable()),
        LanguageTable::loadBuiltIn(2).value_or(LanguageTable()),
        LanguageTable::loadBuiltIn(3).value_or(LanguageTable()),
    });
    return tables;
}

LanguageTables::LanguageTables(std::array<LanguageTable, kCount> tables) : m_tables(std::move(tables)) {
    for (std::size_t t = 0; t < m_tables.size(); ++t) {
        const LanguageTable& table = m_tables[t];
        for (const std::string& key : table.keys()) {
            const int number = captionKeyNumber(key);
            if (number < 0)
                continue;
            int& best = m_captionNumbers[t].try_emplace(table.text(key), -1).first->second;
            best = std::max(best, number);
        }
    }
}

const LanguageTable& LanguageTables::table(int languageIndex) const {
    // at() so that a wrong index stops at once instead of reading past the tables
    return m_tables.at(static_cast<std::size_t>(languageIndex - 1));
}

std::string LanguageTables::translateCaption(std::string_view caption) const {
    // Equivalent to looking up "Str0" .. "Str700" in tables 1, 2, 3 and keeping the last hit: each
    // table's captions are indexed by their text when the tables are built.
    std::string found;
    if (caption.empty())
        return found;
    const std::string text(caption);
    for (const auto& numbers : m_captionNumbers)
        if (const auto it = numbers.find(text); it != numbers.end())
            found = "Str" + std::to_string(it->second);
    return found;
}

std::string LanguageTables::carryCaption(std::string_view caption, int languageIndex) const {
    const std::string key = translateCaption(caption);
    return key.empty() ? std::string(caption) : table(languageIndex).text(key);
}

} // namespace tarvik::core
