#include "platform/linux/PointerBackends.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

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

// Pointers driven by libinput ignore that control: they take their speed (-1 to 1) and their
// acceleration profile (flags, one per profile: adaptive, flat and, on newer drivers, more) from these
// device properties.
constexpr const char* kAccelSpeed = "libinput Accel Speed";
constexpr const char* kAccelProfile = "libinput Accel Profile Enabled";

// The server's own virtual pointer, which only replays synthetic moves.
bool isVirtual(const char* name) {
    return std::strstr(name, "XTEST") != nullptr;
}

// Our speeds 1 to 20 spread linearly over libinput's -1 to 1.
float speedToLibinput(int speed) {
    return static_cast<float>(speedToRange(speed, -1.0, 1.0));
}

int speedFromLibinput(double value) {
    return speedFromRange(value, -1.0, 1.0);
}

bool hasXInput2(Display* display) {
    int opcode = 0;
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 0;
    return XQueryExtension(display, "XInputExtension", &opcode, &event, &error) &&
           XIQueryVersion(display, &major, &minor) == Success;
}

// A device can be unplugged between being listed and being changed, and a driver may refuse a value;
// Xlib hands such an error to the process-wide handler, whose default ends the program. While one of
// these lives, errors of its display are counted instead. The handler is the process's only one, so
// the trap belongs to the thread that runs the user interface, as every caller here does.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : m_display(display) {
        XSync(m_display, False);
        s_display = display;
        s_errors = 0;
        s_previous = XSetErrorHandler(&ErrorTrap::handle);
    }
    ~ErrorTrap() {
        XSync(m_display, False);
        XSetErrorHandler(s_previous);
        s_display = nullptr;
        s_previous = nullptr;
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Whether the server refused anything since the trap was set.
    bool failed() {
        XSync(m_display, False);
        return s_errors > 0;
    }

private:
    static int handle(Display* display, XErrorEvent* event) {
        if (display == s_display) {
            ++s_errors;
            return 0;
        }
        // Another connection's error is not ours to swallow.
        return s_previous != nullptr ? s_previous(display, event) : 0;
    }

    Display* m_display;
    static inline Display* s_display = nullptr;
    static inline int s_errors = 0;
    static inline XErrorHandler s_previous = nullptr;
};

struct Pointer {
    int id = 0;
    std::string name;
    bool libinput = false; // has the speed property
};

class X11PointerSettings final : public PointerSettings {
public:
    explicit X11PointerSettings(Display* display) : m_display(display), m_xi2(hasXInput2(display)) {
        if (m_xi2) {
            m_speedAtom = XInternAtom(m_display, kAccelSpeed, False);
            m_profileAtom = XInternAtom(m_display, kAccelProfile, False);
            m_floatAtom = XInternAtom(m_display, "FLOAT", False);
        }
    }
    ~X11PointerSettings() override { XCloseDisplay(m_display); }

    X11PointerSettings(const X11PointerSettings&) = delete;
    X11PointerSettings& operator=(const X11PointerSettings&) = delete;

    bool supports(PointerSetting setting) const override {
        return setting == PointerSetting::Speed || setting == PointerSetting::Precision;
    }

    PointerValues read() const override {
        PointerValues values;
        ErrorTrap trap(m_display);
        // Devices are plugged and unplugged while the program runs, so they are looked at every time.
        for (const Pointer& p : pointers()) {
            if (!p.libinput) {
                continue;
            }
            if (!values.speed) {
                if (const std::optional<float> s = speedOf(p.id)) {
                    values.speed = speedFromLibinput(*s);
                }
            }
            if (!values.precision) {
                if (const std::optional<std::vector<unsigned char>> flags = profileOf(p.id);
                    flags && flags->size() >= 2) {
                    // Only the flat profile alone is a constant speed; adaptive (or none chosen) accelerates.
                    values.precision = !((*flags)[1] != 0 && (*flags)[0] == 0);
                }
            }
        }
        if (values.speed && values.precision) {
            return values;
        }
        int numerator = 0;
        int denominator = 0;
        int threshold = 0;
        XGetPointerControl(m_display, &numerator, &denominator, &threshold);
        // A threshold of 0 makes the server accelerate along a curve: that is acceleration as well.
        if (!values.precision) {
            values.precision = threshold != kConstantThreshold;
        }
        const double factor = denominator > 0 ? static_cast<double>(numerator) / denominator : 1.0;
        if (!values.speed) {
            values.speed = static_cast<int>(
                std::clamp<long>(std::lround(factor * kSpeedDenominator), kMinSpeed, kMaxSpeed));
        }
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
        ErrorTrap trap(m_display);
        bool anyLibinput = false;
        bool plainPointer = false;
        for (const Pointer& p : pointers()) {
            if (!p.libinput) {
                plainPointer = plainPointer || !isVirtual(p.name.c_str());
                continue;
            }
            anyLibinput = true;
            if (setSpeed) {
                const float speed = speedToLibinput(*values.speed);
                std::uint32_t raw = 0;
                std::memcpy(&raw, &speed, sizeof raw);
                XIChangeProperty(m_display, p.id, m_speedAtom, m_floatAtom, 32, XIPropModeReplace,
                                 reinterpret_cast<unsigned char*>(&raw), 1);
            }
            if (values.precision) {
                std::vector<unsigned char> flags = profileOf(p.id).value_or(std::vector<unsigned char>{});
                if (flags.size() >= 2) {
                    std::fill(flags.begin(), flags.end(), 0);
                    flags[*values.precision ? 0 : 1] = 1;
                    XIChangeProperty(m_display, p.id, m_profileAtom, XA_INTEGER, 8, XIPropModeReplace,
                                     flags.data(), static_cast<int>(flags.size()));
                }
            }
        }
        // The core control reaches only pointers without libinput; with none of those it is left alone.
        if (!anyLibinput || plainPointer) {
            XChangePointerControl(m_display, setSpeed, values.precision.has_value(),
                                  setSpeed ? *values.speed : 1, kSpeedDenominator,
                                  values.precision.value_or(true) ? kPrecisionThreshold : kConstantThreshold);
        }
        return !trap.failed() && ok;
    }

    // Every pointer with the number of its profile flags.
    std::vector<X11PointerDevice> devices() const {
        std::vector<X11PointerDevice> found;
        if (!m_xi2) {
            return found;
        }
        ErrorTrap trap(m_display);
        for (const Pointer& p : pointers()) {
            const std::size_t flags =
                p.libinput ? profileOf(p.id).value_or(std::vector<unsigned char>{}).size() : 0;
            found.push_back({p.name, static_cast<int>(flags)});
        }
        return found;
    }

private:
    std::vector<Pointer> pointers() const { return listPointers(m_display, m_xi2 ? m_speedAtom : 0); }

    std::optional<float> speedOf(int device) const {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::optional<float> speed;
        if (XIGetProperty(m_display, device, m_speedAtom, 0, 1, False, m_floatAtom, &type, &format, &count,
                          &after, &data) == Success &&
            type == m_floatAtom && format == 32 && count == 1) {
            float f = 0;
            std::memcpy(&f, data, sizeof f);
            speed = f;
        }
        if (data != nullptr) {
            XFree(data);
        }
        return speed;
    }

    std::optional<std::vector<unsigned char>> profileOf(int device) const {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::optional<std::vector<unsigned char>> flags;
        if (XIGetProperty(m_display, device, m_profileAtom, 0, 16, False, XA_INTEGER, &type, &format, &count,
                          &after, &data) == Success &&
            type == XA_INTEGER && format == 8) {
            flags = std::vector<unsigned char>(data, data + count);
        }
        if (data != nullptr) {
            XFree(data);
        }
        return flags;
    }

public:
    // The slave pointers of the server; with speedAtom, each marked by whether it has that property.
    static std::vector<Pointer> listPointers(Display* display, Atom speedAtom) {
        std::vector<Pointer> found;
        int count = 0;
        XIDeviceInfo* devices = XIQueryDevice(display, XIAllDevices, &count);
        for (int i = 0; i < count && devices != nullptr; ++i) {
            if (devices[i].use != XISlavePointer) {
                continue;
            }
            Pointer p{devices[i].deviceid, devices[i].name != nullptr ? devices[i].name : "", false};
            if (speedAtom != 0) {
                int n = 0;
                Atom* props = XIListProperties(display, p.id, &n);
                p.libinput = std::find(props, props + n, speedAtom) != props + n;
                if (props != nullptr) {
                    XFree(props);
                }
            }
            found.push_back(std::move(p));
        }
        if (devices != nullptr) {
            XIFreeDeviceInfo(devices);
        }
        return found;
    }

private:
    Display* m_display;
    bool m_xi2;
    Atom m_speedAtom = 0;
    Atom m_profileAtom = 0;
    Atom m_floatAtom = 0;
};

} // namespace

std::unique_ptr<PointerSettings> openX11PointerSettings(const std::string& displayName) {
    Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (display == nullptr) {
        return nullptr;
    }
    return std::make_unique<X11PointerSettings>(display);
}

std::vector<X11PointerDevice> x11PointerDevices(const std::string& displayName) {
    std::vector<X11PointerDevice> found;
    Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (display == nullptr) {
        return found;
    }
    {
        const X11PointerSettings settings(display); // closes the display when done
        for (const X11PointerDevice& device : settings.devices()) {
            if (!isVirtual(device.name.c_str())) {
                found.push_back(device);
            }
        }
    }
    return found;
}

} // namespace tarvik::platform::linux_desktop
