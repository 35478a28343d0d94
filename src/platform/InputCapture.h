#pragma once
// Key and mouse-button capture for the recorder: key-down and key-up as virtual-key codes and the
// five mouse buttons, each with the time it happened, delivered on the user-interface thread.
// Nothing here is Qt: the recorder and its tests only see this contract.

#include "core/keys/InputEvent.h"

#include <functional>

namespace tarvik::platform {

class InputCapture {
public:
    using Handler = std::function<void(const core::InputEvent&)>;

    virtual ~InputCapture() = default;

    // Delivers every key and button transition from now on to `handler`, on the thread that called
    // start(), until stop(). Events carry their own times, so a handler that runs late still sees
    // the gaps the user made. Returns false (and delivers nothing) when the source is gone. Starting
    // again replaces the handler.
    virtual bool start(Handler handler) = 0;

    // No event reaches the handler after stop() returns.
    virtual void stop() = 0;

    virtual bool active() const = 0;

    // True when input is seen also while another program's window has the focus; false for the
    // capture that sees only the program's own windows (the page then says so).
    virtual bool seesBackgroundInput() const = 0;
};

} // namespace tarvik::platform
