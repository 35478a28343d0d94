#include "core/keys/AssemblyKeyLogic.h"

#include "core/keys/KeyFunctionCode.h"

namespace tarvik::core {

namespace {

constexpr int kLeftWindows = 0x5B;
constexpr int kRightWindows = 0x5C;

bool isModifierKey(int virtualKey) {
    switch (virtualKey) {
    case 0x10: // Shift, Ctrl, Alt
    case 0x11:
    case 0x12:
    case 0xA0: // their left and right keys
    case 0xA1:
    case 0xA2:
    case 0xA3:
    case 0xA4:
    case 0xA5:
        return true;
    default:
        return false;
    }
}

} // namespace

const char* AssemblyKeyLogic::modifierWord(Modifier modifier) {
    switch (modifier) {
    case Modifier::Ctrl:
        return "Ctrl";
    case Modifier::Shift:
        return "Shift";
    case Modifier::Alt:
        return "Alt";
    case Modifier::Win:
        return "Win";
    }
    return "";
}

std::string AssemblyKeyLogic::buildModifierText() const {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        if (!m_boxes[i])
            continue;
        if (!text.empty())
            text += '+';
        text += modifierWord(static_cast<Modifier>(i));
    }
    return text;
}

bool AssemblyKeyLogic::keyPressed(int virtualKey, bool shiftHeld, bool altHeld, bool ctrlHeld) {
    // A third key starts a new combination before the key itself is looked at, so even an ignored
    // key (Shift alone) drops the two keys taken.
    if (m_keysTaken >= 2) {
        m_keyText.clear();
        m_keys = {};
        m_keysTaken = 0;
        m_modifierText = buildModifierText();
        m_edit = m_modifierText;
    }

    if (virtualKey == kLeftWindows || virtualKey == kRightWindows || shiftHeld || altHeld || ctrlHeld ||
        isModifierKey(virtualKey))
        return false;

    const HookKey key = virtualKeyToHookKey(virtualKey);
    const std::string name = hookKeyName(key);
    m_edit = m_edit.empty() ? name : m_edit + "+" + name;
    m_keyText = m_keysTaken == 0 ? name : m_keyText + "+" + name;
    m_keys[static_cast<std::size_t>(m_keysTaken)] = hookKeyToDeviceKey(key);
    ++m_keysTaken;
    return true;
}

void AssemblyKeyLogic::setModifier(Modifier modifier, bool checked) {
    m_boxes[static_cast<int>(modifier)] = checked;
    if (checked) {
        m_modifierText = buildModifierText();
        m_edit = m_keyText.empty() ? m_modifierText : m_modifierText + "+" + m_keyText;
        return;
    }
    if (m_edit.empty())
        return;
    const std::string word = modifierWord(modifier);
    if (m_edit == word) {
        m_edit.clear();
    } else if (m_edit.starts_with(word + "+")) {
        m_edit.erase(0, word.size() + 1);
    } else if (auto at = m_edit.find("+" + word); at != std::string::npos) {
        m_edit.erase(at, word.size() + 1);
    }
}

std::uint8_t AssemblyKeyLogic::modifierMask() const {
    std::uint8_t mask = 0;
    for (int i = 0; i < 4; ++i)
        if (m_boxes[i])
            mask |= static_cast<std::uint8_t>(1u << i);
    return mask;
}

AssemblyKeyLogic::Result AssemblyKeyLogic::confirm() const {
    const KeyFunctionCode code{0x02, modifierMask(), m_keys[0], m_keys[1]};
    return {m_edit, code.text()};
}

void AssemblyKeyLogic::clear() {
    m_boxes = {};
    m_keys = {};
    m_keysTaken = 0;
    m_edit.clear();
    m_keyText.clear();
    m_modifierText.clear();
}

} // namespace tarvik::core
