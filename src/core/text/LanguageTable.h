#pragma once
// One language table: the program's texts by key ("Str022" -> "Is finding the specified device").
// Texts are held as UTF-8 from the resource to the screen, so no character is lost, whatever the
// system's locale (the Chinese table shows its Chinese everywhere).
//
// Table files are UTF-16LE text starting with the byte-order mark FF FE. The text is split into
// tokens (see LanguageTokenizer.h) and read as an INI section:
//   - a token in square brackets starts the section so named (names compared without regard to case);
//   - a token that begins with ";" is a comment;
//   - any other token is split at its first "=" into key and value, both trimmed of blanks; a token
//     without "=" and entries before the first section are ignored.
// Only the entries of the requested section are kept. Keys are compared without regard to ASCII case,
// and when a key occurs twice the later entry wins.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarvik::core {

class LanguageTable {
public:
    // Reads the section `section` of a table file. Empty optional when the bytes do not start with
    // the byte-order mark FF FE (not a supported table). A table without that section is empty.
    static std::optional<LanguageTable> fromUtf16Le(std::span<const std::uint8_t> bytes,
                                                    std::string_view section);

    // Reads the section `section` of an already decoded table text (UTF-8, no byte-order mark).
    static LanguageTable fromText(std::string_view utf8, std::string_view section);

    // Built-in table 1, 2 or 3 ("lang/lang1.ini", section "lang1", ...). Empty optional for any other
    // index or when the built-in file is missing or not a supported table.
    static std::optional<LanguageTable> loadBuiltIn(int languageIndex);

    // The text of a key; empty when the table has no such key.
    std::string text(std::string_view key) const;

    // Adds or replaces one entry (a later duplicate wins, as in the table files).
    void set(std::string key, std::string value);

    bool contains(std::string_view key) const;
    std::size_t size() const { return m_entries.size(); }

    // Every key, spelled as at its first occurrence, in the order of first occurrence.
    std::vector<std::string> keys() const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    const Entry* find(std::string_view key) const;

    std::vector<Entry> m_entries;
    std::unordered_map<std::string, std::size_t> m_indexByFoldedKey;
};

} // namespace tarvik::core
