#pragma once
// A clock whose time moves only when the test says so; waits advance it instead of blocking.

#include "core/device/Clock.h"

namespace tarvik::test {

class ManualClock : public core::Clock {
public:
    ManualClock() : core::Clock(1.0), m_now(std::chrono::steady_clock::now()) {}

    TimePoint now() const override { return m_now; }
    void sleep(std::chrono::nanoseconds interval) override {
        m_slept += interval;
        m_now += interval;
    }
    void spin(std::chrono::nanoseconds interval) override {
        m_spun += interval;
        ++m_spins;
    }
    void advance(std::chrono::nanoseconds interval) { m_now += interval; }

    std::chrono::nanoseconds slept() const { return m_slept; }
    std::chrono::nanoseconds spun() const { return m_spun; }
    int spins() const { return m_spins; }

private:
    TimePoint m_now;
    std::chrono::nanoseconds m_slept{0};
    std::chrono::nanoseconds m_spun{0};
    int m_spins = 0;
};

} // namespace tarvik::test
