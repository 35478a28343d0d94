#include "core/text/LanguageTable.h"

namespace tarvik::core {

std::string LanguageTable::text(std::string_view key) const {
    auto it = m_entries.find(std::string(key));
    return it == m_entries.end() ? std::string() : it->second;
}

void LanguageTable::set(std::string key, std::string value) {
    m_entries.insert_or_assign(std::move(key), std::move(value));
}

bool LanguageTable::contains(std::string_view key) const {
    return m_entries.find(std::string(key)) != m_entries.end();
}

} // namespace tarvik::core
