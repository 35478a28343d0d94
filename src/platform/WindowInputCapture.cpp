#include "platform/WindowInputCapture.h"

#include "platform/KeyEventPosition.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

#include <optional>

namespace tarvik::platform {

namespace {

std::optional<core::MouseButton> macroButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return core::MouseButton::Left;
    case Qt::RightButton:
        return core::MouseButton::Right;
    case Qt::MiddleButton:
        return core::MouseButton::Middle;
    case Qt::BackButton:
        return core::MouseButton::Backward;
    case Qt::ForwardButton:
        return core::MouseButton::Forward;
    default:
        return std::nullopt;
    }
}

} // namespace

WindowInputCapture::~WindowInputCapture() {
    stop();
}

bool WindowInputCapture::start(Handler handler) {
    if (!QCoreApplication::instance())
        return false;
    m_handler = std::move(handler);
    if (!m_active) {
        QCoreApplication::instance()->installEventFilter(this);
        m_active = true;
    }
    return true;
}

void WindowInputCapture::stop() {
    if (!m_active)
        return;
    m_active = false;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    m_handler = nullptr;
}

bool WindowInputCapture::eventFilter(QObject* watched, QEvent* event) {
    // Input from the window system reaches a top-level QWindow first and is then handed on to the
    // widget under it, possibly to its parents as well; taking it at the window sees each event once.
    if (!m_handler || !watched->isWindowType())
        return false;
    std::optional<core::InputEvent> input;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat())
            break; // some platforms send a release before every repeated press
        input = core::InputEvent::key(event->type() == QEvent::KeyPress, virtualKeyOfKeyEvent(*key),
                                      static_cast<std::uint32_t>(key->timestamp()));
        break;
    }
    // A window receives a double click as a press followed by a MouseButtonDblClick; only the press
    // is an event of the button.
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (const auto button = macroButton(mouse->button()))
            input = core::InputEvent::mouse(event->type() == QEvent::MouseButtonPress, *button,
                                            static_cast<std::uint32_t>(mouse->timestamp()));
        break;
    }
    default:
        break;
    }
    if (input) {
        // The handler may stop or restart the capture, replacing the function being called.
        const Handler handler = m_handler;
        handler(*input);
    }
    return false;
}

} // namespace tarvik::platform
