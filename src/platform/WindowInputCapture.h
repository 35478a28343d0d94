#pragma once
// Input capture from the program's own windows: the key and mouse-button events the window system
// delivers to them. Used where no system-wide source exists (Wayland, the offscreen platform); it
// sees input only while one of the program's windows has the focus or the pointer.

#include "platform/InputCapture.h"

#include <QObject>

namespace tarvik::platform {

class WindowInputCapture : public QObject, public InputCapture {
    Q_OBJECT
public:
    WindowInputCapture() = default;
    ~WindowInputCapture() override;

    bool start(Handler handler) override;
    void stop() override;
    bool active() const override { return m_active; }
    bool seesBackgroundInput() const override { return false; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler m_handler;
    bool m_active = false;
};

} // namespace tarvik::platform
