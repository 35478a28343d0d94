#pragma once
// Turns the mouse's own button events into status refreshes. A thread of its own reads input report
// 0x42 from the ReadHandle: byte 3 is 1, 2 or 4 when a DPI button is pressed, 8 for the mode button
// and 0 when all buttons are released. 200 ms after a release it asks, on the user-interface
// thread, for the current DPI and/or work mode to be read back and redrawn. The refresh reads the
// mouse, so it never runs while another transfer is exchanging reports: it waits for it to end.

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/device/DeviceLink.h"

namespace tarvik::core {

// Hands a task to the user-interface thread, to run there later (the GUI uses a queued signal).
// Called from the listener's thread.
class EventPoster {
public:
    virtual ~EventPoster() = default;
    virtual void post(std::function<void()> task) = 0;
};

// The refreshes, run on the user-interface thread while no transfer is in progress.
class DeviceEventSink {
public:
    virtual ~DeviceEventSink() = default;
    virtual void refreshCurrentDpiStatus() = 0;     // read CurrentDpi back, redraw its marker
    virtual void refreshCurrentProfileStatus() = 0; // read CurrentProfile back, redraw the page
};

class DeviceEventListener final : public ReadHandleUser {
public:
    static constexpr std::chrono::milliseconds kRefreshDelay{200};
    // How long one read blocks; bounds how long stopping or closing the handle waits.
    static constexpr std::chrono::milliseconds kReadTimeout{20};

    // Registers itself with the link as its ReadHandleUser and idle callback. The link must outlive
    // the listener (declare the link first); the poster and the sink too.
    DeviceEventListener(DeviceLink& link, EventPoster& poster, DeviceEventSink& sink);
    // Stops the thread and unregisters.
    ~DeviceEventListener() override;
    DeviceEventListener(const DeviceEventListener&) = delete;
    DeviceEventListener& operator=(const DeviceEventListener&) = delete;

    void start();
    // Ends the thread; returns once it has ended. Tasks it posted and that have not run yet do
    // nothing once the listener is gone.
    void stop();
    bool running() const { return m_thread.joinable(); }

    void attachReadHandle(HidHandle& handle, std::uint16_t inputReportLength) override;
    void detachReadHandle() override;

private:
    enum Refresh : unsigned { kDpi = 1, kProfile = 2 };

    // Lives on the user-interface thread; posted tasks hold it weakly.
    struct UiSide {
        DeviceLink& link;
        DeviceEventSink& sink;
        EventPoster& poster;
        unsigned pending = 0;
        bool flushPosted = false;
        void deliver(unsigned refresh);
        void flush();
    };

    void run();
    void handleEvent(std::uint8_t code);
    // Waits on the listener's own thread; false when stopping cut it short.
    bool waitUnlessStopping(std::chrono::nanoseconds interval);
    void post(unsigned refresh);

    DeviceLink& m_link;
    EventPoster& m_poster;
    std::shared_ptr<UiSide> m_ui;

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stop = false;
    HidHandle* m_handle = nullptr;
    std::uint64_t m_handleSerial = 0; // counts attachments: a new handle may sit at the old address
    std::uint16_t m_inputReportLength = 0;
    bool m_reading = false;

    // DpiEventFlags: three DPI buttons and the mode button; only the listener's thread uses them.
    std::array<bool, 3> m_dpiFlags{};
    bool m_modeFlag = false;
};

} // namespace tarvik::core
