#include "WaitFor.h"

#include <QTest>

#include <chrono>

namespace tarvik::gui::testing {

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QTest::qWait(5);
    }
    return true;
}

} // namespace tarvik::gui::testing
