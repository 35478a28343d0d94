#include "core/device/Clock.h"

#include "core/device/RuntimeOptions.h"

#include <thread>

namespace tarvik::core {

Clock::Clock(double factor) : m_factor(factor > 0.0 ? factor : 0.0) {}

std::chrono::nanoseconds Clock::scaled(std::chrono::nanoseconds interval) const {
    if (m_factor == 1.0) {
        return interval;
    }
    return std::chrono::nanoseconds(
        static_cast<std::chrono::nanoseconds::rep>(static_cast<double>(interval.count()) * m_factor));
}

std::chrono::milliseconds Clock::scaledMs(std::chrono::milliseconds interval) const {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(scaled(interval));
    // A scaled timer interval of 0 ms would make a periodic timer spin.
    return interval.count() > 0 && ms.count() < 1 ? std::chrono::milliseconds(1) : ms;
}

Clock::TimePoint Clock::now() const {
    return std::chrono::steady_clock::now();
}

void Clock::sleep(std::chrono::nanoseconds interval) {
    auto real = scaled(interval);
    if (real.count() > 0) {
        std::this_thread::sleep_for(real);
    }
}

void Clock::spin(std::chrono::nanoseconds interval) {
    auto real = scaled(interval);
    if (real.count() <= 0) {
        return;
    }
    const auto end = std::chrono::steady_clock::now() + real;
    while (std::chrono::steady_clock::now() < end) {
    }
}

Clock& Clock::standard() {
    static Clock clock(RuntimeOptions::fromEnvironment().timeScale);
    return clock;
}

} // namespace tarvik::core
