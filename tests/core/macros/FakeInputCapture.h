#pragma once
// A capture that delivers what the test hands it, with the times the test chooses.

#include "platform/InputCapture.h"

#include <cstdint>

namespace tarvik::test {

class FakeInputCapture : public platform::InputCapture {
public:
    bool start(Handler handler) override {
        m_handler = std::move(handler);
        return true;
    }
    void stop() override { m_handler = nullptr; }
    bool active() const override { return static_cast<bool>(m_handler); }
    bool seesBackgroundInput() const override { return true; }

    void send(const core::InputEvent& event) {
        if (m_handler)
            m_handler(event);
    }
    void keyDown(int virtualKey, std::uint32_t timeMs) {
        send(core::InputEvent::key(true, virtualKey, timeMs));
    }
    void keyUp(int virtualKey, std::uint32_t timeMs) {
        send(core::InputEvent::key(false, virtualKey, timeMs));
    }
    void buttonDown(core::MouseButton b, std::uint32_t timeMs) {
        send(core::InputEvent::mouse(true, b, timeMs));
    }
    void buttonUp(core::MouseButton b, std::uint32_t timeMs) {
        send(core::InputEvent::mouse(false, b, timeMs));
    }

private:
    Handler m_handler;
};

} // namespace tarvik::test
