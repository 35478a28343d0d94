#include "core/device/DeviceEventListener.h"

#include <vector>

namespace tarvik::core {

DeviceEventListener::DeviceEventListener(DeviceLink& link, EventPoster& poster, DeviceEventSink& sink)
    : m_link(link), m_poster(poster), m_ui(std::make_shared<UiSide>(UiSide{link, sink, poster})) {
    m_link.setReadHandleUser(this);
    std::weak_ptr<UiSide> weak = m_ui;
    m_link.setIdleCallback([weak] {
        if (auto ui = weak.lock(); ui && ui->pending && !ui->flushPosted) {
            ui->flushPosted = true;
            ui->poster.post([weak] {
                if (auto side = weak.lock()) {
                    side->flushPosted = false;
                    side->flush();
                }
            });
        }
    });
}

DeviceEventListener::~DeviceEventListener() {
    stop();
    m_link.setIdleCallback({});
    m_link.setReadHandleUser(nullptr);
}

void DeviceEventListener::start() {
    if (m_thread.joinable()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_stop = false;
    }
    m_thread = std::thread([this] { run(); });
}

void DeviceEventListener::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void DeviceEventListener::attachReadHandle(HidHandle& handle, std::uint16_t inputReportLength) {
    {
        std::lock_guard lock(m_mutex);
        m_handle = &handle;
        ++m_handleSerial;
        m_inputReportLength = inputReportLength;
    }
    m_changed.notify_all();
}

void DeviceEventListener::detachReadHandle() {
    std::unique_lock lock(m_mutex);
    m_handle = nullptr;
    m_changed.wait(lock, [this] { return !m_reading; });
}

bool DeviceEventListener::waitUnlessStopping(std::chrono::nanoseconds interval) {
    std::unique_lock lock(m_mutex);
    return !m_changed.wait_for(lock, interval, [this] { return m_stop; });
}

void DeviceEventListener::run() {
    std::vector<std::uint8_t> buffer;
    for (;;) {
        HidHandle* handle = nullptr;
        std::uint64_t serial = 0;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || m_handle != nullptr; });
            if (m_stop) {
                return;
            }
            handle = m_handle;
            serial = m_handleSerial;
            m_reading = true;
            buffer.assign(std::max<std::size_t>(m_inputReportLength, DeviceLink::kReportSize), 0);
        }
        const int n = handle->readInput(buffer, kReadTimeout);
        {
            std::unique_lock lock(m_mutex);
            m_reading = false;
            m_changed.notify_all();
            if (n < 0) {
                // The device is gone; its handle stays useless until the link replaces it.
                m_changed.wait(lock, [&] { return m_stop || m_handleSerial != serial; });
                continue;
            }
        }
        if (n >= 4 && buffer[0] == DeviceLink::kInputReportId) {
            handleEvent(buffer[3]);
        }
    }
}

void DeviceEventListener::handleEvent(std::uint8_t code) {
    switch (code) {
    case 1:
        m_dpiFlags[0] = true;
        break;
    case 2:
        m_dpiFlags[1] = true;
        break;
    case 4:
        m_dpiFlags[2] = true;
        break;
    case 8:
        m_modeFlag = true;
        break;
    case 0:
        for (bool& flag : m_dpiFlags) {
            if (flag) {
                if (!waitUnlessStopping(m_link.clock().scaled(kRefreshDelay))) {
                    return;
                }
                post(kDpi);
                flag = false;
            }
        }
        if (m_modeFlag) {
            if (!waitUnlessStopping(m_link.clock().scaled(kRefreshDelay))) {
                return;
            }
            post(kProfile);
            m_modeFlag = false;
        }
        break;
    default:
        break;
    }
}

void DeviceEventListener::post(unsigned refresh) {
    std::weak_ptr<UiSide> weak = m_ui;
    m_poster.post([weak, refresh] {
        if (auto ui = weak.lock()) {
            ui->deliver(refresh);
        }
    });
}

void DeviceEventListener::UiSide::deliver(unsigned refresh) {
    pending |= refresh;
    flush();
}

void DeviceEventListener::UiSide::flush() {
    // Inside a transfer (this task may run from the transfer's event pumping) the refresh waits;
    // the link's idle callback posts it again once the transfer is over.
    if (link.transferInProgress()) {
        return;
    }
    // One refresh reads the live value, so two pending requests of one kind are one read.
    const unsigned due = pending;
    pending = 0;
    if (due & kDpi) {
        sink.refreshCurrentDpiStatus();
    }
    if (due & kProfile) {
        sink.refreshCurrentProfileStatus();
    }
}

} // namespace tarvik::core
