#pragma once
// What the "Input One Key" dialog does with keys, without the widgets. The macro editor opens it on
// a key line and sets the step kind; every key is accepted, modifiers and Windows keys included,
// and the last key pressed is the one taken.

#include "core/keys/KeyTables.h"

#include <string>

namespace tarvik::core {

class InputOneKeyLogic {
public:
    // 1: the edited line is a key press ("82" steps), 2: a key release ("02" steps). Other kinds
    // take keys but leave the step text alone.
    explicit InputOneKeyLogic(int stepKind = 1) : m_stepKind(stepKind) {}

    void setStepKind(int stepKind) { m_stepKind = stepKind; }
    int stepKind() const { return m_stepKind; }

    void keyPressed(int virtualKey);

    struct Result {
        std::string keyName;  // the edit text; empty means "nothing to replace"
        std::string stepText; // e.g. "A CODE:8204"
    };
    Result confirm() const { return {m_edit, m_stepText}; }

    // The clear action empties the edit only: the key taken and its step text stay.
    void clear() { m_edit.clear(); }

    const std::string& editText() const { return m_edit; }
    const std::string& stepText() const { return m_stepText; }
    bool keyTaken() const { return m_taken; }
    const std::string& keyName() const { return m_name; }
    DeviceKeyCode deviceKey() const { return m_deviceKey; }

private:
    int m_stepKind;
    bool m_taken = false;
    std::string m_name;
    DeviceKeyCode m_deviceKey = 0;
    std::string m_stepText;
    std::string m_edit;
};

} // namespace tarvik::core
