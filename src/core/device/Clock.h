#pragma once
// Every wait and timer interval of the device path goes through a Clock, so that a time scale
// (TARVIK_TIME_SCALE) shortens the real sequences for tests and demonstrations without changing them.

#include <chrono>

namespace tarvik::core {

class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // factor multiplies every interval: 1 is real time, 0.01 turns a 2.1 s wait into 21 ms.
    // A factor of 0 (or below) makes every wait return at once.
    explicit Clock(double factor = 1.0);
    virtual ~Clock() = default;

    double timeScale() const { return m_factor; }

    // The interval as it is really waited.
    std::chrono::nanoseconds scaled(std::chrono::nanoseconds interval) const;
    std::chrono::milliseconds scaledMs(std::chrono::milliseconds interval) const;

    // Unscaled, monotonic.
    virtual TimePoint now() const;

    // Blocks the calling thread for the scaled interval.
    virtual void sleep(std::chrono::nanoseconds interval);

    // Busy-waits for the scaled interval without yielding: the mouse needs this gap after a fetched
    // data report, and a sleep would overshoot it by far more than the gap itself.
    virtual void spin(std::chrono::nanoseconds interval);

    // The process-wide clock, scaled by TARVIK_TIME_SCALE.
    static Clock& standard();

private:
    double m_factor;
};

} // namespace tarvik::core
