#pragma once
// The desktop's font configuration, loaded on a thread of its own while the application object
// connects to the display. The first caption the window measures needs Qt's font database, and
// filling it starts by loading that configuration (its files and caches): done meanwhile, the
// window no longer waits for it before its first frame.

#include <thread>

namespace tarvik::platform {

class FontWarmUp {
public:
    // Starts the load; nothing needs to wait for it, as whoever needs the configuration first takes
    // the loaded one or loads it safely itself.
    FontWarmUp();
    // Waits for the load to end (long over by then).
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

private:
    std::thread m_thread;
};

} // namespace tarvik::platform
