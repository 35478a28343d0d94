#pragma once
// What the "Assembly Key" dialog does with keys and modifier boxes, without the widgets: the dialog
// forwards key presses and box clicks here and shows editText().
//
// A combination is up to two keys plus the modifier boxes; modifiers are chosen only with the
// boxes, so keys typed with a modifier held are ignored.

#include "core/keys/KeyTables.h"

#include <array>
#include <cstdint>
#include <string>

namespace tarvik::core {

class AssemblyKeyLogic {
public:
    // In box order, which is also the order of the words in the caption; the value is the bit in
    // the code's ModifierMask.
    enum class Modifier { Ctrl = 0, Shift = 1, Alt = 2, Win = 3 };

    struct Result {
        std::string caption; // the edit text, e.g. "Ctrl+Alt+A+B"
        std::string code;    // the KeyFunctionCode, e.g. "02050405"
    };

    // A key pressed in the edit. shiftHeld/altHeld/ctrlHeld are the keyboard's modifier state at
    // the press; a press of a Shift, Ctrl or Alt key counts as holding it whatever the flags say.
    // Returns true when the key was taken into the combination (the caller suppresses every key
    // either way, since the edit is read-only).
    bool keyPressed(int virtualKey, bool shiftHeld, bool altHeld, bool ctrlHeld);

    // A modifier box was checked or unchecked by the user.
    void setModifier(Modifier modifier, bool checked);
    bool modifierChecked(Modifier modifier) const { return m_boxes[static_cast<int>(modifier)]; }

    // The combination as it stands: bit 0 Ctrl, 1 Shift, 2 Alt, 3 Win, from the boxes.
    std::uint8_t modifierMask() const;
    // "02" + mask + first key + second key. Nothing entered confirms "02000000" with an empty caption.
    Result confirm() const;

    // The clear action: everything empty, all boxes unchecked. The window also drops its pending
    // combination.
    void clear();

    const std::string& editText() const { return m_edit; }
    const std::string& keyText() const { return m_keyText; }
    int keysTaken() const { return m_keysTaken; }
    DeviceKeyCode firstKey() const { return m_keys[0]; }
    DeviceKeyCode secondKey() const { return m_keys[1]; }

    static const char* modifierWord(Modifier modifier);

private:
    std::string buildModifierText() const;

    std::array<bool, 4> m_boxes{};
    std::array<DeviceKeyCode, 2> m_keys{};
    int m_keysTaken = 0;
    std::string m_edit;
    std::string m_keyText;
    std::string m_modifierText;
};

} // namespace tarvik::core
