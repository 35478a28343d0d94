#pragma once
// One language table: the program's texts by key ("Str022" -> "Is finding the specified device").
// Texts are held as UTF-8 from the resource to the screen, so no character is lost.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tarvik::core {

class LanguageTable {
public:
    // The text of a key; empty when the table has no such key.
    std::string text(std::string_view key) const;

    // Adds or replaces one entry (a later duplicate wins, as in the table files).
    void set(std::string key, std::string value);

    bool contains(std::string_view key) const;
    std::size_t size() const { return m_entries.size(); }

private:
    std::unordered_map<std::string, std::string> m_entries;
};

} // namespace tarvik::core
