#pragma once
// The three language tables side by side: language 1, 2 and 3 (the LanguageIndex), and the carrying
// of button captions from one language to another.

#include "core/text/LanguageTable.h"

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tarvik::core {

class LanguageTables {
public:
    static constexpr int kCount = 3;

    // The built-in tables, read from the embedded files on first use and kept for the whole run.
    // A missing or unsupported built-in file gives an empty table (every text reads empty).
    static const LanguageTables& builtIn();

    explicit LanguageTables(std::array<LanguageTable, kCount> tables);

    // The table of a LanguageIndex, 1 to 3; any other index throws std::out_of_range.
    const LanguageTable& table(int languageIndex) const;

    // TranslateCaption: the key whose text equals `caption` exactly. Tables 1, 2 and 3 are searched in
    // turn, each over the keys "Str" + n for n = 0..700 without leading zeros (so in practice only the
    // three-digit keys from "Str100" up), and the last match wins: "Stop" is "Str401", not "Str271",
    // and "Office Mode" is "Str251", never "Str004". Empty when nothing matches, and always for an
    // empty caption (which would otherwise equal every absent key).
    std::string translateCaption(std::string_view caption) const;

    // A button caption as it reads in language `languageIndex`: the text of its key there, or the
    // caption unchanged when it has no key (a macro name, a key combination, an empty name).
    std::string carryCaption(std::string_view caption, int languageIndex) const;

private:
    std::array<LanguageTable, kCount> m_tables;
    // Per table: each caption text -> the highest caption key number with that text.
    std::array<std::unordered_map<std::string, int>, kCount> m_captionNumbers;
};

} // namespace tarvik::core
