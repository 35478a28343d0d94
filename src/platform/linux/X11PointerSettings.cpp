#include "platform/linux/PointerBackends.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>

namespace tarvik::platform::linux_desktop {

namespace {

// The X server speeds up every move longer than the threshold by the acceleration factor; it has no
// plain gain. So the speed value becomes the factor (speed / 10: 1 slows such moves to a tenth, 10
// leaves them alone, 20 doubles them), and precision decides which moves it touches: with precision
// on, moves up to the first threshold of the precision values (6) stay exact; with it off, every move
// beyond one pixel is scaled, which comes closest to a constant speed.
constexpr int kSpeedDenominator = 10;
constexpr int kPrecisionThreshold = 6;
constexpr int kConstantThreshold = 1;

class X11PointerSettings final : public PointerSettings {
public:
    explicit X11PointerSettings(Display* display) : m_display(display) {}
    ~X11PointerSettings() override { XCloseDisplay(m_display); }

    X11PointerSettings(const X11PointerSettings&) = delete;
    X11PointerSettings& operator=(const X11PointerSettings&) = delete;

    bool supports(PointerSetting setting) const override {
        return setting == PointerSetting::Speed || setting == PointerSetting::Precision;
    }

    PointerValues read() const override {
        int numerator = 0;
        int denominator = 0;
        int threshold = 0;
        XGetPointerControl(m_display, &numerator, &denominator, &threshold);
        PointerValues values;
        // A threshold of 0 makes the server accelerate along a curve: that is acceleration as well.
        values.precision = threshold != kConstantThreshold;
        const double factor = denominator > 0 ? static_cast<double>(numerator) / denominator : 1.0;
        values.speed =
            static_cast<int>(std::clamp<long>(std::lround(factor * kSpeedDenominator), kMinSpeed, kMaxSpeed));
        return values;
    }

    bool write(const PointerValues& values) override {
        bool ok = !values.doubleClickMs && !values.wheelLines;
        if (values.speed && (*values.speed < kMinSpeed || *values.speed > kMaxSpeed)) {
            ok = false;
        }
        const bool setSpeed = values.speed && *values.speed >= kMinSpeed && *values.speed <= kMaxSpeed;
        if (!setSpeed && !values.precision) {
            return ok;
        }
        // The values sent are always valid, so the server has no reason to answer with an error, which
        // Xlib would otherwise hand to the process-wide error handler.
        XChangePointerControl(m_display, setSpeed, values.precision.has_value(), setSpeed ? *values.speed : 1,
                              kSpeedDenominator,
                              values.precision.value_or(true) ? kPrecisionThreshold : kConstantThreshold);
        XSync(m_display, False);
        return ok;
    }

private:
    Display* m_display;
};

} // namespace

std::unique_ptr<PointerSettings> openX11PointerSettings(const std::string& displayName) {
    Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (display == nullptr) {
        return nullptr;
    }
    return std::make_unique<X11PointerSettings>(display);
}

} // namespace tarvik::platform::linux_desktop
