#include "platform/InputCaptureFactory.h"

#include "platform/WindowInputCapture.h"
#include "platform/x11/X11InputCapture.h"

#include <QGuiApplication>

namespace tarvik::platform {

std::unique_ptr<InputCapture> createInputCapture() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto capture = X11InputCapture::open())
            return capture;
    }
    return std::make_unique<WindowInputCapture>();
}

} // namespace tarvik::platform
