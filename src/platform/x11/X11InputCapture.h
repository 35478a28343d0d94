#pragma once
// Input capture on X11: raw key and button events of every master device, selected on the root
// window through XInput2, so that they arrive whichever window has the focus. The capture keeps its
// own connection to the display and reads it on the user-interface thread when the connection's
// socket becomes readable; no thread waits or polls for it.

#include "platform/InputCapture.h"

#include <QObject>

#include <memory>
#include <string>

class QSocketNotifier;

namespace tarvik::platform {

class X11InputCapture : public QObject, public InputCapture {
    Q_OBJECT
public:
    // A capture on the display of that name (empty: $DISPLAY); nothing when the display cannot be
    // opened or has no XInput2 of version 2.2 or later.
    static std::unique_ptr<X11InputCapture> open(const std::string& displayName = {});

    ~X11InputCapture() override;

    bool start(Handler handler) override;
    void stop() override;
    bool active() const override { return m_active; }
    bool seesBackgroundInput() const override { return true; }

private:
    struct Connection;
    explicit X11InputCapture(std::unique_ptr<Connection> connection);

    void readEvents();

    std::unique_ptr<Connection> m_connection;
    QSocketNotifier* m_notifier = nullptr;
    Handler m_handler;
    bool m_active = false;
};

} // namespace tarvik::platform
