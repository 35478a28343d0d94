#pragma once
// The desktop's session bus, connected on a worker while the window is built. The first control
// that tells the accessibility layer about itself makes Qt's bridge for screen readers connect to
// that bus, and the connection's handshake would otherwise hold the window's thread before its
// first frame; the bridge takes the connection made here.

#include <thread>

namespace tarvik::platform {

class SessionBusWarmUp {
public:
    // Made once the application object exists (the bus connection lives on its own thread of Qt's).
    SessionBusWarmUp();
    // Waits for the connection attempt to end.
    ~SessionBusWarmUp();
    SessionBusWarmUp(const SessionBusWarmUp&) = delete;
    SessionBusWarmUp& operator=(const SessionBusWarmUp&) = delete;

private:
    std::thread m_thread;
};

} // namespace tarvik::platform
