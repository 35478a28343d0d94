#include "core/keys/KeyboardHook.h"

#include <algorithm>

namespace tarvik::core {

namespace {

bool isShiftStateKey(HookKey key) {
    return key == HookKey::kh_Shift || key == HookKey::kh_Control || key == HookKey::kh_Alt;
}

} // namespace

void KeyboardHook::keyEvent(std::uint16_t virtualKey, KeyTransition transition) {
    const HookKey key = virtualKeyToHookKey(virtualKey);
    auto entry = std::find_if(m_held.begin(), m_held.end(), [key](const HeldKey& h) { return h.key == key; });

    bool allReleased = false;
    if (transition == KeyTransition::Down) {
        ++m_keyDownCount;
        if (entry == m_held.end())
            m_held.push_back({key, true, false});
        else
            entry->released = false; // pressed again while another key is still held
    } else {
        if (entry != m_held.end())
            entry->released = true;
        allReleased = !m_held.empty() &&
                      std::all_of(m_held.begin(), m_held.end(), [](const HeldKey& h) { return h.released; });
        m_keyDownCount = 0;
    }

    if (m_onReceive && m_enabled) {
        const KeyboardHookState state = m_keyDownCount == 0   ? KeyboardHookState::kh_Off
                                        : m_keyDownCount == 1 ? KeyboardHookState::kh_On
                                                              : KeyboardHookState::kh_Repeat;
        m_onReceive(virtualKey, state, m_keyDownCount);
    }

    if (allReleased) {
        // Emptied also while nobody listens, so keys of an earlier keystroke never leak into the
        // next combination.
        std::vector<HeldKey> held;
        held.swap(m_held);
        if (m_onKeyCombination && m_enabled) {
            KeyboardHookShiftState shift;
            KeyCombination combination;
            for (const HeldKey& h : held) {
                if (isShiftStateKey(h.key))
                    shift.insert(h.key);
                else
                    combination.push_back(h.key);
            }
            m_onKeyCombination(combination, shift);
        }
    }
}

KeyboardHookShiftState KeyboardHook::shiftState() const {
    KeyboardHookShiftState shift;
    for (const HeldKey& h : m_held)
        if (isShiftStateKey(h.key) && !h.released)
            shift.insert(h.key);
    return shift;
}

std::optional<KeyTransition> keyTransitionFromMessage(std::uint32_t message) {
    switch (message) {
    case 0x100: // WM_KEYDOWN
    case 0x104: // WM_SYSKEYDOWN
        return KeyTransition::Down;
    case 0x101: // WM_KEYUP
    case 0x105: // WM_SYSKEYUP
        return KeyTransition::Up;
    default:
        return std::nullopt;
    }
}

} // namespace tarvik::core
