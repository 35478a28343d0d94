#pragma once
// One key or mouse-button transition as the platform's input capture delivers it, in the vocabulary
// of the key table: keys as virtual-key codes, the five buttons the macro format knows.

#include <cstdint>

namespace tarvik::core {

enum class MouseButton : std::uint8_t { Left, Right, Middle, Forward, Backward };

struct InputEvent {
    enum class Kind : std::uint8_t { KeyDown, KeyUp, ButtonDown, ButtonUp };

    Kind kind = Kind::KeyDown;
    int virtualKey = 0;                     // KeyDown and KeyUp only
    MouseButton button = MouseButton::Left; // ButtonDown and ButtonUp only
    // When the event happened, in milliseconds of the source's own clock (the X server's time, the
    // window system's event time). Only differences count; the clock wraps at 2^32.
    std::uint32_t timeMs = 0;

    static InputEvent key(bool down, int virtualKey, std::uint32_t timeMs) {
        return {down ? Kind::KeyDown : Kind::KeyUp, virtualKey, MouseButton::Left, timeMs};
    }
    static InputEvent mouse(bool down, MouseButton button, std::uint32_t timeMs) {
        return {down ? Kind::ButtonDown : Kind::ButtonUp, 0, button, timeMs};
    }

    bool isKey() const { return kind == Kind::KeyDown || kind == Kind::KeyUp; }
    bool isDown() const { return kind == Kind::KeyDown || kind == Kind::ButtonDown; }

    bool operator==(const InputEvent&) const = default;
};

} // namespace tarvik::core
