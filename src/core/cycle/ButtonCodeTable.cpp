#include "core/cycle/ButtonCodeTable.h"

#include <stdexcept>

namespace tarvik::core {

int ButtonCodeTable::entryOf(int mode, int button) {
    if (mode < 1 || mode > kModes || button < 1 || button > kButtons) {
        throw std::out_of_range("ButtonCodeTable: work mode 1-3 and button 1-12");
    }
    return kButtons * (mode - 1) + button;
}

void ButtonCodeTable::checkEntry(int entry) {
    if (entry < 1 || entry > kEntries) {
        throw std::out_of_range("ButtonCodeTable: entry 1-36");
    }
}

const std::string& ButtonCodeTable::text(int entry) const {
    checkEntry(entry);
    return m_texts[static_cast<std::size_t>(entry - 1)];
}

KeyFunctionCode ButtonCodeTable::code(int mode, int button) const {
    entryOf(mode, button);
    const KeyCodeBytes bytes = m_image.keyCode(mode, button);
    return KeyFunctionCode(std::span<const Byte, 4>(bytes));
}

std::array<KeyFunctionCode, ButtonCodeTable::kEntries> ButtonCodeTable::codes() const {
    std::array<KeyFunctionCode, kEntries> all{};
    for (int entry = 1; entry <= kEntries; ++entry) {
        all[static_cast<std::size_t>(entry - 1)] = code(modeOf(entry), buttonOf(entry));
    }
    return all;
}

void ButtonCodeTable::set(int entry, const KeyFunctionCode& code) {
    checkEntry(entry);
    m_image.setKeyCode(modeOf(entry), buttonOf(entry), code.bytes);
    m_texts[static_cast<std::size_t>(entry - 1)] = code.text();
}

bool ButtonCodeTable::set(int mode, int button, std::string_view code) {
    const int entry = entryOf(mode, button);
    const auto parsed = KeyFunctionCode::fromText(code);
    if (!parsed) {
        return false;
    }
    set(entry, *parsed);
    return true;
}

void ButtonCodeTable::rebuild() {
    for (int entry = 1; entry <= kEntries; ++entry) {
        m_texts[static_cast<std::size_t>(entry - 1)] = code(modeOf(entry), buttonOf(entry)).text();
    }
}

void ButtonCodeTable::rebuildEntry(int mode, int button) {
    m_texts[static_cast<std::size_t>(entryOf(mode, button) - 1)] = code(mode, button).text();
}

void ButtonCodeTable::clear() {
    for (auto& text : m_texts) {
        text.clear();
    }
}

bool ButtonCodeTable::inStep() const {
    for (int entry = 1; entry <= kEntries; ++entry) {
        if (m_texts[static_cast<std::size_t>(entry - 1)] != code(modeOf(entry), buttonOf(entry)).text()) {
            return false;
        }
    }
    return true;
}

} // namespace tarvik::core
