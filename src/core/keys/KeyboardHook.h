#pragma once
// Keyboard capture as a state machine. The platform layer feeds it every key-down and key-up it
// sees (system keys included, also while the program is in the background) as Windows virtual-key
// codes; this class keeps the held keys and the repeat count and reports them through two
// callbacks. The generic modifier codes (0x10 Shift, 0x11 Ctrl, 0x12 Alt) are what the keyboard
// capture delivers for the modifiers, and the recorder and the shift state rely on them.

#include "core/keys/KeyTables.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <vector>

namespace tarvik::core {

enum class KeyboardHookState { kh_On, kh_Off, kh_Repeat };

// The modifiers held while a combination was typed: a subset of kh_Shift, kh_Control, kh_Alt.
using KeyboardHookShiftState = std::set<HookKey>;

// The non-modifier keys of a combination, in the order they were first pressed.
using KeyCombination = std::vector<HookKey>;

enum class KeyTransition { Down, Up };

class KeyboardHook {
public:
    // Fired for every key event while enabled. repeatCount is the number of key-downs since the last
    // key-up (over all keys); state is kh_On at 1, kh_Off at 0 (any key-up) and kh_Repeat above 1.
    using ReceiveHandler =
        std::function<void(std::uint16_t virtualKey, KeyboardHookState state, int repeatCount)>;
    // Fired, while enabled, once every key pressed since the last combination has been released.
    using KeyCombinationHandler =
        std::function<void(const KeyCombination& combination, const KeyboardHookShiftState& shiftState)>;

    struct HeldKey {
        HookKey key;
        bool pressed;
        bool released;
    };

    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool enabled() const { return m_enabled; }

    void setOnReceive(ReceiveHandler handler) { m_onReceive = std::move(handler); }
    void setOnKeyCombination(KeyCombinationHandler handler) { m_onKeyCombination = std::move(handler); }

    // One keyboard event. The held keys and the counter are kept while disabled as well, so that
    // enabling in the middle of a keystroke reports the count the keyboard actually produced.
    void keyEvent(std::uint16_t virtualKey, KeyTransition transition);
    void keyDown(std::uint16_t virtualKey) { keyEvent(virtualKey, KeyTransition::Down); }
    void keyUp(std::uint16_t virtualKey) { keyEvent(virtualKey, KeyTransition::Up); }

    const std::vector<HeldKey>& heldKeys() const { return m_held; }
    int keyDownCount() const { return m_keyDownCount; }

    // The modifiers among the keys held now (kh_Shift, kh_Control, kh_Alt).
    KeyboardHookShiftState shiftState() const;

private:
    bool m_enabled = false;
    ReceiveHandler m_onReceive;
    KeyCombinationHandler m_onKeyCombination;
    std::vector<HeldKey> m_held;
    int m_keyDownCount = 0;
};

// The transition a Windows keyboard message stands for: WM_KEYDOWN/WM_SYSKEYDOWN are Down,
// WM_KEYUP/WM_SYSKEYUP are Up, anything else is not a key transition.
std::optional<KeyTransition> keyTransitionFromMessage(std::uint32_t message);

} // namespace tarvik::core
