#include "core/macros/MacroLine.h"

#include "core/edit/FieldRanges.h"

#include <algorithm>

namespace tarvik::core {

namespace {

std::string hexByte(Byte b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[b >> 4], kDigits[b & 0x0F]};
}

} // namespace

std::string hexString(std::span<const Byte> bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (Byte b : bytes)
        out += hexByte(b);
    return out;
}

std::string buttonName(Byte buttonBit) {
    switch (buttonBit) {
    case macro::kLeftButton:
        return "LeftKey";
    case macro::kRightButton:
        return "RightKey";
    case macro::kMiddleButton:
        return "MiddleKey";
    case macro::kForwardButton:
        return "Forward";
    case macro::kBackwardButton:
        return "Backward";
    default:
        return {};
    }
}

std::string modifierName(Byte modifierBit) {
    // The names are those of the keys the recorder takes the modifiers from, so that a recorded
    // and a decoded modifier line read alike.
    int virtualKey = 0;
    switch (modifierBit) {
    case 0x01:
        virtualKey = 17;
        break;
    case 0x02:
        virtualKey = 16;
        break;
    case 0x04:
        virtualKey = 18;
        break;
    case 0x08:
        virtualKey = 91;
        break;
    case 0x80:
        virtualKey = 92;
        break;
    default:
        return {};
    }
    return hookKeyName(virtualKeyToHookKey(virtualKey));
}

std::string buttonLine(bool press, Byte buttonBit) {
    const std::string name = buttonName(buttonBit);
    if (name.empty())
        return {};
    const Byte code = static_cast<Byte>((press ? macro::kButtonDown : macro::kButtonUp) | buttonBit);
    return std::string(press ? "1 " : "2 ") + name + " CODE:00" + hexByte(code);
}

std::string modifierLine(bool press, Byte modifierBit) {
    const std::string name = modifierName(modifierBit);
    if (name.empty())
        return {};
    return std::string(press ? "1 " : "2 ") + name +
           " CODE:" + hexByte(press ? macro::kModifierDown : macro::kModifierUp) + hexByte(modifierBit);
}

std::string keyLine(bool press, std::string_view name, DeviceKeyCode key) {
    return std::string(press ? "1 " : "2 ") + std::string(name) +
           " CODE:" + hexByte(press ? macro::kKeyDown : macro::kKeyUp) + hexByte(key);
}

std::string delayLine(std::uint16_t milliseconds) {
    return "0 " + std::to_string(milliseconds);
}

std::string moveLine(int x, int y) {
    x = fields::kEventMove.clamp(x);
    y = fields::kEventMove.clamp(y);
    return "3 04" + hexByte(static_cast<Byte>(x)) + hexByte(static_cast<Byte>(y));
}

std::string repeatStartLine(int count) {
    return "7 FD" + hexByte(static_cast<Byte>(fields::kEventRepeat.clamp(count)));
}

std::string repeatEndLine() {
    return "8 FC";
}

} // namespace tarvik::core
