#pragma once
// The desktop's pointer settings as the Advanced page holds them: the level of each bar, the
// precision option and the wheel level that one screen per notch returns to. Values read from the
// desktop that are on no bar are drawn at the nearest level.

#include <optional>

namespace tarvik::core {

struct PointerValuesRead {
    std::optional<int> speed;
    std::optional<bool> precision;
    std::optional<int> doubleClickMs;
    std::optional<int> wheelLines; // -1: one screen per notch
};

struct PointerState {
    static constexpr int kOneScreen = -1;

    int speedLevel = 0;       // 1..11, 0 while nothing was read or chosen
    int doubleClickLevel = 0; // 1..11, 0 while nothing was read or chosen
    int wheelLevel = 0;       // 1..11, kOneScreen, 0 while nothing was read or chosen
    int savedWheelLevel = 1;  // what switching one screen per notch off returns to
    bool precision = false;

    // Reading back: each value read sets its bar; a value on no bar takes the nearest level.
    void takeRead(const PointerValuesRead& read);

    // A bar cell (1..11); a wheel cell is also the level one screen per notch returns to.
    void chooseWheelLevel(int level);
    // One screen per notch on or off; off returns to the saved wheel level.
    void setOneScreen(bool on);

    // The values the levels stand for; nothing for a level never set.
    PointerValuesRead values() const;
};

} // namespace tarvik::core
