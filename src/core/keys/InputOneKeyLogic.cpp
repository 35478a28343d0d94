#include "core/keys/InputOneKeyLogic.h"

#include "core/keys/KeyFunctionCode.h"

namespace tarvik::core {

void InputOneKeyLogic::keyPressed(int virtualKey) {
    if (m_taken) {
        m_taken = false;
        m_edit.clear();
    }
    const HookKey key = virtualKeyToHookKey(virtualKey);
    m_name = hookKeyName(key);
    m_edit = m_name;
    m_deviceKey = hookKeyToDeviceKey(key);
    m_taken = true;
    if (m_stepKind == 1)
        m_stepText = m_name + " CODE:82" + hexByte(m_deviceKey);
    else if (m_stepKind == 2)
        m_stepText = m_name + " CODE:02" + hexByte(m_deviceKey);
}

} // namespace tarvik::core
