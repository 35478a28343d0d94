// The desktop's pointer settings against real stores: GSettings with its memory backend and the
// installed mouse schema, an X server started for these tests, and KDE's files in a temporary folder
// with a message bus of the tests' own.

// GLib before Qt (a GLib field is named like a Qt keyword) and Xlib last (its macros, such as None,
// clash with names of the others).
#include <gtest/gtest.h>

#include <gio/gio.h>

#include <QByteArrayList>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QVariantMap>

#include "PointerTestServers.h"
#include "platform/PointerSettings.h"
#include "platform/linux/PointerBackends.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>

namespace tarvik::platform {
namespace {

using linux_desktop::KdeConfigFolders;

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

std::string readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<missing>");
}

void writeFile(const QString& path, const std::string& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.data(), static_cast<qint64>(text.size()));
}

// ---------------------------------------------------------------------------------------------------
// GSettings

class GSettingsPointer : public ::testing::Test {
protected:
    void SetUp() override {
        m_raw = g_settings_new(linux_desktop::kGnomeMouseSchema);
        for (const char* key : {"speed", "accel-profile", "double-click"}) {
            g_settings_reset(m_raw, key);
        }
        m_settings = linux_desktop::openGSettingsPointerSettings();
        ASSERT_NE(m_settings, nullptr);
    }
    void TearDown() override { g_object_unref(m_raw); }

    std::string rawProfile() const {
        gchar* s = g_settings_get_string(m_raw, "accel-profile");
        std::string value(s);
        g_free(s);
        return value;
    }

    GSettings* m_raw = nullptr;
    std::unique_ptr<PointerSettings> m_settings;
};

TEST_F(GSettingsPointer, SpeedSpreadsLinearlyOverTheSchemaRange) {
    const std::map<int, double> stored = {{1, -1.0}, {4, -13.0 / 19}, {10, -1.0 / 19}, {20, 1.0}};
    for (const auto& [speed, value] : stored) {
        SCOPED_TRACE(speed);
        ASSERT_TRUE(m_settings->write({.speed = speed}));
        EXPECT_DOUBLE_EQ(g_settings_get_double(m_raw, "speed"), value);
        EXPECT_EQ(m_settings->read().speed, speed);
    }
    // A value set by the desktop between two of ours reads as the nearest.
    g_settings_set_double(m_raw, "speed", -0.9);
    EXPECT_EQ(m_settings->read().speed, 2);
}

TEST_F(GSettingsPointer, PrecisionIsTheAccelerationProfile) {
    EXPECT_EQ(rawProfile(), "default");
    EXPECT_EQ(m_settings->read().precision, true);

    ASSERT_TRUE(m_settings->write({.precision = false}));
    EXPECT_EQ(rawProfile(), "flat");
    EXPECT_EQ(m_settings->read().precision, false);

    ASSERT_TRUE(m_settings->write({.precision = true}));
    EXPECT_EQ(rawProfile(), "adaptive");
    EXPECT_EQ(m_settings->read().precision, true);
}

TEST_F(GSettingsPointer, DoubleClickTimeIsStoredAsItIs) {
    ASSERT_TRUE(m_settings->write({.doubleClickMs = 480}));
    EXPECT_EQ(g_settings_get_int(m_raw, "double-click"), 480);

    g_settings_set_int(m_raw, "double-click", 500);
    EXPECT_EQ(m_settings->read().doubleClickMs, 500);
}

TEST_F(GSettingsPointer, HasNoWheelSettingAndRefusesValuesOutOfRange) {
    EXPECT_TRUE(m_settings->supports(PointerSetting::Speed));
    EXPECT_TRUE(m_settings->supports(PointerSetting::Precision));
    EXPECT_TRUE(m_settings->supports(PointerSetting::DoubleClickTime));
    EXPECT_FALSE(m_settings->supports(PointerSetting::WheelLines));
    EXPECT_FALSE(m_settings->supports(PointerSetting::WheelOneScreen));
    EXPECT_EQ(m_settings->read().wheelLines, std::nullopt);

    // The wheel value is refused, the others are still written.
    EXPECT_FALSE(m_settings->write({.speed = 20, .wheelLines = 3}));
    EXPECT_EQ(g_settings_get_double(m_raw, "speed"), 1.0);

    for (const PointerValues& bad :
         {PointerValues{.speed = 0}, PointerValues{.speed = 21}, PointerValues{.doubleClickMs = 0},
          PointerValues{.doubleClickMs = 90000}}) {
        EXPECT_FALSE(m_settings->write(bad));
    }
    EXPECT_EQ(g_settings_get_double(m_raw, "speed"), 1.0);
    EXPECT_EQ(g_settings_get_int(m_raw, "double-click"), 400);
}

// Every store's values come back as speed values through one rule; a value the store should never hold
// (beyond its range, or no number at all, as a hand-edited file or a stranger on the bus can give) still
// gives a speed value inside ours.
TEST(PointerSpeedRange, StoreValuesComeBackAsTheNearestSpeedValue) {
    using linux_desktop::speedFromRange;
    using linux_desktop::speedToRange;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double value, low, high;
        int speed;
    };
    for (const Case& c : {Case{-1.0, -1.0, 1.0, 1}, Case{1.0, -1.0, 1.0, 20}, Case{0.0, -1.0, 1.0, 11},
                          Case{-5.0, -1.0, 1.0, 1}, Case{5.0, -1.0, 1.0, 20}, Case{nan, -1.0, 1.0, 11},
                          Case{inf, 0.1, 10.0, 11}, Case{-inf, 0.1, 10.0, 11}, Case{nan, 0.1, 10.0, 11},
                          Case{1e300, 0.1, 10.0, 20}}) {
        EXPECT_EQ(speedFromRange(c.value, c.low, c.high), c.speed)
            << c.value << " in " << c.low << ".." << c.high;
    }
    for (int speed = PointerSettings::kMinSpeed; speed <= PointerSettings::kMaxSpeed; ++speed) {
        EXPECT_EQ(speedFromRange(speedToRange(speed, 0.1, 10.0), 0.1, 10.0), speed);
    }
}

TEST(GSettingsPointerSchema, AMissingSchemaOpensNothing) {
    EXPECT_EQ(linux_desktop::openGSettingsPointerSettings("org.example.no-such-schema"), nullptr);
}

// The other desktops' schemas, each with its own keys and units.
TEST(GSettingsDesktopSchemas, EachStoresInItsOwnKeysAndUnits) {
    struct Schema {
        const char* id;
        const char* speedKey;
        std::map<int, double> stored; // our speed -> the schema's value
        int defaultReadsAs;           // the schema's default speed read back
        bool threshold;               // also keeps precision as a motion threshold
    };
    const Schema schemas[] = {
        {linux_desktop::kCinnamonMouseSchema, "speed", {{1, -1.0}, {4, -13.0 / 19}, {20, 1.0}}, 11, false},
        {linux_desktop::kMateMouseSchema,
         "motion-acceleration",
         {{1, 1.0}, {4, 1.0 + 27.0 / 19}, {11, 1.0 + 90.0 / 19}, {20, 10.0}},
         11,
         true},
    };
    for (const Schema& schema : schemas) {
        SCOPED_TRACE(schema.id);
        GSettings* raw = g_settings_new(schema.id);
        for (const char* key : {schema.speedKey, "accel-profile", "double-click", "motion-threshold"}) {
            if (std::string(key) != "motion-threshold" || schema.threshold) {
                g_settings_reset(raw, key);
            }
        }
        const auto profile = [&] {
            gchar* p = g_settings_get_string(raw, "accel-profile");
            std::string value(p);
            g_free(p);
            return value;
        };
        std::unique_ptr<PointerSettings> settings = linux_desktop::openGSettingsPointerSettings(schema.id);
        ASSERT_NE(settings, nullptr);
        EXPECT_FALSE(settings->supports(PointerSetting::WheelLines));
        EXPECT_EQ(settings->read(),
                  (PointerValues{.speed = schema.defaultReadsAs, .precision = true, .doubleClickMs = 400}));

        for (const auto& [speed, value] : schema.stored) {
            SCOPED_TRACE(speed);
            ASSERT_TRUE(settings->write({.speed = speed}));
            EXPECT_DOUBLE_EQ(g_settings_get_double(raw, schema.speedKey), value);
            EXPECT_EQ(settings->read().speed, speed);
        }
        ASSERT_TRUE(settings->write({.precision = false, .doubleClickMs = 480}));
        EXPECT_EQ(profile(), "flat");
        EXPECT_EQ(g_settings_get_int(raw, "double-click"), 480);
        if (schema.threshold) {
            EXPECT_EQ(g_settings_get_int(raw, "motion-threshold"), 1);
        }
        EXPECT_EQ(settings->read().precision, false);
        ASSERT_TRUE(settings->write({.precision = true}));
        EXPECT_EQ(profile(), "adaptive");
        if (schema.threshold) {
            EXPECT_EQ(g_settings_get_int(raw, "motion-threshold"), 6);
        }
        EXPECT_FALSE(settings->write({.speed = 21}));
        EXPECT_EQ(settings->read().speed, 20);
        g_object_unref(raw);
    }
}

TEST(GSettingsDesktopSchemas, AMultiplierBetweenLevelsReadsAsTheNearest) {
    GSettings* raw = g_settings_new(linux_desktop::kMateMouseSchema);
    std::unique_ptr<PointerSettings> settings =
        linux_desktop::openGSettingsPointerSettings(linux_desktop::kMateMouseSchema);
    ASSERT_NE(settings, nullptr);
    // 3.0 lies between speeds 5 (2.89) and 6 (3.37); 0.5 and 50 are outside the panel's range.
    for (const auto& [value, speed] : std::map<double, int>{{3.0, 5}, {0.5, 11}, {50.0, 20}}) {
        g_settings_set_double(raw, "motion-acceleration", value);
        EXPECT_EQ(settings->read().speed, speed) << value;
    }
    g_settings_reset(raw, "motion-acceleration");
    g_object_unref(raw);
}

// ---------------------------------------------------------------------------------------------------
// X11

class X11Pointer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_server = new testing::XvfbServer;
        if (!s_server->start()) {
            delete s_server;
            s_server = nullptr;
        }
    }
    static void TearDownTestSuite() {
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(s_server, nullptr) << "Xvfb did not start";
        m_display = XOpenDisplay(s_server->display().c_str());
        ASSERT_NE(m_display, nullptr);
        m_settings = linux_desktop::openX11PointerSettings(s_server->display());
        ASSERT_NE(m_settings, nullptr);
    }
    void TearDown() override {
        if (m_display != nullptr) {
            XCloseDisplay(m_display);
        }
    }

    struct Control {
        int numerator = 0;
        int denominator = 0;
        int threshold = 0;
        bool operator==(const Control&) const = default;
    };
    Control control() const {
        Control c;
        XGetPointerControl(m_display, &c.numerator, &c.denominator, &c.threshold);
        return c;
    }
    void setControl(Control c) {
        XChangePointerControl(m_display, True, True, c.numerator, c.denominator, c.threshold);
        XSync(m_display, False);
    }

    static testing::XvfbServer* s_server;
    Display* m_display = nullptr;
    std::unique_ptr<PointerSettings> m_settings;
};

testing::XvfbServer* X11Pointer::s_server = nullptr;

TEST_F(X11Pointer, SpeedIsTheFactorAndPrecisionTheThreshold) {
    ASSERT_TRUE(m_settings->write({.speed = 4, .precision = true}));
    EXPECT_EQ(control(), (Control{4, 10, 6}));
    EXPECT_EQ(m_settings->read(), (PointerValues{.speed = 4, .precision = true}));

    // Each one alone leaves the other as it was.
    ASSERT_TRUE(m_settings->write({.precision = false}));
    EXPECT_EQ(control(), (Control{4, 10, 1}));
    ASSERT_TRUE(m_settings->write({.speed = 20}));
    EXPECT_EQ(control(), (Control{20, 10, 1}));
    EXPECT_EQ(m_settings->read(), (PointerValues{.speed = 20, .precision = false}));
}

TEST_F(X11Pointer, ReadsWhatOthersSetAsTheNearestValues) {
    struct Case {
        Control control;
        PointerValues read;
    };
    const Case cases[] = {
        {{2, 1, 4}, {.speed = 20, .precision = true}}, // the server's own default
        {{3, 2, 0}, {.speed = 15, .precision = true}}, // threshold 0: accelerated along a curve
        {{1, 1, 1}, {.speed = 10, .precision = false}}, {{1, 40, 1}, {.speed = 1, .precision = false}},
        {{10, 1, 8}, {.speed = 20, .precision = true}},
    };
    for (const Case& c : cases) {
        setControl(c.control);
        EXPECT_EQ(m_settings->read(), c.read)
            << c.control.numerator << "/" << c.control.denominator << " " << c.control.threshold;
    }
}

TEST_F(X11Pointer, HasOnlySpeedAndPrecision) {
    for (PointerSetting s :
         {PointerSetting::DoubleClickTime, PointerSetting::WheelLines, PointerSetting::WheelOneScreen}) {
        EXPECT_FALSE(m_settings->supports(s));
    }
    setControl({2, 1, 4});
    EXPECT_FALSE(m_settings->write({.doubleClickMs = 480}));
    EXPECT_FALSE(m_settings->write({.wheelLines = 3}));
    EXPECT_FALSE(m_settings->write({.speed = 21}));
    EXPECT_EQ(control(), (Control{2, 1, 4}));
}

// Pointers driven by libinput: the test gives the server's pointers (its XTEST pointer and its mouse)
// the driver's two properties, as the driver gives them to a real mouse, and the program must change
// those instead of the core control that libinput ignores.
class X11LibinputPointer : public X11Pointer {
protected:
    void SetUp() override {
        X11Pointer::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        int count = 0;
        XIDeviceInfo* devices = XIQueryDevice(m_display, XIAllDevices, &count);
        for (int i = 0; i < count; ++i) {
            if (devices[i].use == XISlavePointer) {
                m_devices.push_back(devices[i].deviceid);
            }
        }
        XIFreeDeviceInfo(devices);
        ASSERT_EQ(m_devices.size(), 2U); // the XTEST pointer and the mouse
        m_device = m_devices.front();
        m_speedAtom = XInternAtom(m_display, "libinput Accel Speed", False);
        m_profileAtom = XInternAtom(m_display, "libinput Accel Profile Enabled", False);
        m_floatAtom = XInternAtom(m_display, "FLOAT", False);
        setSpeed(0.0F);
        setProfile({1, 0});
        setControl({2, 1, 4});
    }
    void TearDown() override {
        // The other X tests share this server and expect pointers without these properties.
        for (int device : m_devices) {
            removeProperties(device);
        }
        X11Pointer::TearDown();
    }

    void removeProperties(int device) {
        XIDeleteProperty(m_display, device, m_speedAtom);
        XIDeleteProperty(m_display, device, m_profileAtom);
        XSync(m_display, False);
    }
    void setSpeed(float speed) {
        std::uint32_t raw = 0;
        std::memcpy(&raw, &speed, sizeof raw);
        for (int device : m_devices) {
            XIChangeProperty(m_display, device, m_speedAtom, m_floatAtom, 32, XIPropModeReplace,
                             reinterpret_cast<unsigned char*>(&raw), 1);
        }
        XSync(m_display, False);
    }
    void setProfile(std::vector<unsigned char> flags) {
        for (int device : m_devices) {
            XIChangeProperty(m_display, device, m_profileAtom, XA_INTEGER, 8, XIPropModeReplace, flags.data(),
                             static_cast<int>(flags.size()));
        }
        XSync(m_display, False);
    }
    std::optional<float> speed(int device) const {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::optional<float> value;
        if (XIGetProperty(m_display, device, m_speedAtom, 0, 1, False, m_floatAtom, &type, &format, &count,
                          &after, &data) == Success &&
            count == 1) {
            float f = 0;
            std::memcpy(&f, data, sizeof f);
            value = f;
        }
        XFree(data);
        return value;
    }
    std::vector<int> profile(int device) const {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::vector<int> flags;
        if (XIGetProperty(m_display, device, m_profileAtom, 0, 16, False, XA_INTEGER, &type, &format, &count,
                          &after, &data) == Success) {
            flags.assign(data, data + count);
        }
        XFree(data);
        return flags;
    }

    std::vector<int> m_devices;
    int m_device = 0;
    Atom m_speedAtom = 0;
    Atom m_profileAtom = 0;
    Atom m_floatAtom = 0;
};

TEST_F(X11LibinputPointer, SpeedAndProfileGoToEveryDevicesProperties) {
    EXPECT_EQ(m_settings->read(), (PointerValues{.speed = 11, .precision = true}));

    const std::map<int, float> stored = {{1, -1.0F}, {4, -13.0F / 19}, {11, 1.0F / 19}, {20, 1.0F}};
    for (const auto& [level, value] : stored) {
        ASSERT_TRUE(m_settings->write({.speed = level}));
        for (int device : m_devices) {
            EXPECT_FLOAT_EQ(speed(device).value_or(99), value) << level;
        }
        EXPECT_EQ(m_settings->read().speed, level);
    }
    ASSERT_TRUE(m_settings->write({.precision = false}));
    for (int device : m_devices) {
        EXPECT_EQ(profile(device), (std::vector<int>{0, 1}));
    }
    EXPECT_EQ(m_settings->read().precision, false);
    ASSERT_TRUE(m_settings->write({.precision = true}));
    EXPECT_EQ(profile(m_device), (std::vector<int>{1, 0}));

    // Newer drivers list a third profile; its flag is cleared with the others.
    setProfile({0, 0, 1});
    ASSERT_TRUE(m_settings->write({.precision = false}));
    EXPECT_EQ(profile(m_device), (std::vector<int>{0, 1, 0}));

    // Every pointer has the properties, so the core control, which libinput ignores, stays as it was.
    EXPECT_EQ(control(), (Control{2, 1, 4}));
    // What Xfce's store learns of the mouse: libinput drives it, with three profiles.
    EXPECT_EQ(linux_desktop::x11PointerDevices(s_server->display()),
              (std::vector<linux_desktop::X11PointerDevice>{{"Xvfb mouse", 3}}));
}

TEST_F(X11LibinputPointer, AMouseWithoutThePropertiesStillGetsTheCoreControl) {
    const int mouse = m_devices.back();
    removeProperties(mouse);
    ASSERT_TRUE(m_settings->write({.speed = 4, .precision = true}));
    EXPECT_FLOAT_EQ(speed(m_device).value_or(99), -13.0F / 19);
    EXPECT_EQ(speed(mouse), std::nullopt);
    EXPECT_EQ(control(), (Control{4, 10, 6}));
}

TEST_F(X11LibinputPointer, AValueBetweenLevelsReadsAsTheNearest) {
    const struct {
        float speed;
        std::vector<unsigned char> profile;
        PointerValues read;
    } cases[] = {
        {-0.9F, {1, 0}, {.speed = 2, .precision = true}},
        {0.33F, {0, 1}, {.speed = 14, .precision = false}},
        {0.0F, {0, 0}, {.speed = 11, .precision = true}}, // no profile chosen: the driver adapts
    };
    for (const auto& c : cases) {
        setSpeed(c.speed);
        setProfile(c.profile);
        EXPECT_EQ(m_settings->read(), c.read) << c.speed;
    }
}

TEST_F(X11Pointer, TheVirtualPointerIsNoDeviceOfTheUser) {
    // Xvfb's mouse, without the virtual XTEST pointer that no desktop keeps settings for.
    using Device = linux_desktop::X11PointerDevice;
    EXPECT_EQ(linux_desktop::x11PointerDevices(s_server->display()),
              (std::vector<Device>{{"Xvfb mouse", 0}}));
    EXPECT_EQ(linux_desktop::x11PointerDevices(":65000"), std::vector<Device>{});
}

TEST(X11PointerDisplay, AServerThatIsNotThereOpensNothing) {
    EXPECT_EQ(linux_desktop::openX11PointerSettings(":65000"), nullptr);
}

// ---------------------------------------------------------------------------------------------------
// KDE

class KdePointer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("user"));
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("system"));
        m_folders.user = m_dir.filePath("user").toStdString();
        m_folders.system = {m_dir.filePath("system").toStdString()};
        m_settings = linux_desktop::openKdePointerSettings(m_folders);
        ASSERT_NE(m_settings, nullptr);
    }

    QString userFile() const { return m_dir.filePath("user/kdeglobals"); }
    QString systemFile() const { return m_dir.filePath("system/kdeglobals"); }

    QTemporaryDir m_dir;
    KdeConfigFolders m_folders;
    std::unique_ptr<PointerSettings> m_settings;
};

TEST_F(KdePointer, WritesWheelLinesAndDoubleClickIntoTheUsersFile) {
    EXPECT_EQ(m_settings->read(), (PointerValues{.doubleClickMs = 400, .wheelLines = 3}));

    ASSERT_TRUE(m_settings->write({.wheelLines = 7}));
    EXPECT_EQ(readFile(userFile()), "[KDE]\nWheelScrollLines=7\n");

    writeFile(userFile(), "[General]\nfont=Sans\n\n[KDE]\nSingleClick=false\n\n[Icons]\nTheme=breeze\n");
    ASSERT_TRUE(m_settings->write({.doubleClickMs = 480, .wheelLines = 11}));
    EXPECT_EQ(readFile(userFile()), "[General]\nfont=Sans\n\n[KDE]\nSingleClick=false\nWheelScrollLines=11\n"
                                    "DoubleClickInterval=480\n\n[Icons]\nTheme=breeze\n");
    EXPECT_EQ(m_settings->read(), (PointerValues{.doubleClickMs = 480, .wheelLines = 11}));
}

TEST_F(KdePointer, HasNoOneScreenPerNotch) {
    EXPECT_TRUE(m_settings->supports(PointerSetting::WheelLines));
    EXPECT_FALSE(m_settings->supports(PointerSetting::WheelOneScreen));
    EXPECT_FALSE(m_settings->supports(PointerSetting::Speed));
    EXPECT_FALSE(m_settings->supports(PointerSetting::Precision));

    ASSERT_TRUE(m_settings->write({.wheelLines = 5}));
    EXPECT_FALSE(m_settings->write({.wheelLines = PointerSettings::kWheelOneScreen}));
    EXPECT_FALSE(m_settings->write({.wheelLines = 0}));
    EXPECT_EQ(readFile(userFile()), "[KDE]\nWheelScrollLines=5\n");
    EXPECT_EQ(m_settings->read().wheelLines, 5);
}

TEST_F(KdePointer, TheSystemFileGivesDefaultsAndLocks) {
    writeFile(systemFile(), "[KDE]\nWheelScrollLines=6\nDoubleClickInterval[$i]=300\n");
    EXPECT_EQ(m_settings->read(), (PointerValues{.doubleClickMs = 300, .wheelLines = 6}));

    // The locked one is refused and nothing of it reaches the user's file; the other is written.
    EXPECT_FALSE(m_settings->write({.doubleClickMs = 480, .wheelLines = 2}));
    EXPECT_EQ(readFile(userFile()), "[KDE]\nWheelScrollLines=2\n");
    EXPECT_EQ(m_settings->read(), (PointerValues{.doubleClickMs = 300, .wheelLines = 2}));
}

TEST_F(KdePointer, AUserFileThatIsNoFileIsLeftAlone) {
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("user/kdeglobals"));
    EXPECT_FALSE(m_settings->write({.wheelLines = 4}));
    EXPECT_TRUE(QFileInfo(userFile()).isDir());
    EXPECT_EQ(m_settings->read().wheelLines, 3);
}

TEST(KdeFolders, ComeFromTheEnvironmentWhenAbsolute) {
    struct Case {
        const char* home;
        const char* configHome;
        const char* configDirs;
        KdeConfigFolders folders;
    };
    const Case cases[] = {
        {"/home/u", nullptr, nullptr, {"/home/u/.config", {"/etc/xdg"}}},
        {"/home/u", "/cfg", "/a:/b", {"/cfg", {"/a", "/b"}}},
        {"/home/u", "cfg", "rel::/b", {"/home/u/.config", {"/b"}}},
        {nullptr, nullptr, "", {"", {"/etc/xdg"}}},
    };
    for (const Case& c : cases) {
        ScopedEnv home("HOME", c.home);
        ScopedEnv configHome("XDG_CONFIG_HOME", c.configHome);
        ScopedEnv configDirs("XDG_CONFIG_DIRS", c.configDirs);
        const KdeConfigFolders folders = KdeConfigFolders::fromEnvironment();
        EXPECT_EQ(folders.user, c.folders.user);
        EXPECT_EQ(folders.system, c.folders.system);
    }
    EXPECT_EQ(linux_desktop::openKdePointerSettings({}), nullptr);
}

class BusListener : public QObject {
    Q_OBJECT
public slots:
    void receive(const QDBusMessage& message) { messages.append(message); }

public:
    QList<QDBusMessage> messages;
};

TEST_F(KdePointer, RunningKdeProgramsAreToldOfAStoredChange) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected());
    BusListener listener;
    ASSERT_TRUE(bus.connect(QString(), "/KGlobalSettings", "org.kde.KGlobalSettings", "notifyChange",
                            &listener, SLOT(receive(QDBusMessage))));
    ASSERT_TRUE(bus.connect(QString(), "/kdeglobals", "org.kde.kconfig.notify", "ConfigChanged", &listener,
                            SLOT(receive(QDBusMessage))));

    EXPECT_FALSE(m_settings->write({.wheelLines = PointerSettings::kWheelOneScreen}));
    ASSERT_TRUE(m_settings->write({.wheelLines = 9}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return listener.messages.size() >= 2; }, 5000));
    QTest::qWait(100);
    ASSERT_EQ(listener.messages.size(), 2); // nothing for the refused value

    const auto byMember = [&](const char* member) {
        for (const QDBusMessage& m : listener.messages) {
            if (m.member() == QLatin1String(member)) {
                return m;
            }
        }
        return QDBusMessage();
    };
    EXPECT_EQ(byMember("notifyChange").arguments(), (QList<QVariant>{3, 0})); // settings changed, mouse

    const QDBusMessage watched = byMember("ConfigChanged");
    ASSERT_EQ(watched.arguments().size(), 1);
    QHash<QString, QByteArrayList> keys;
    watched.arguments()[0].value<QDBusArgument>() >> keys;
    EXPECT_EQ(keys, (QHash<QString, QByteArrayList>{{"KDE", {"WheelScrollLines"}}}));
}

// ---------------------------------------------------------------------------------------------------
// Desktop services on the tests' own bus

// Runs objects on a bus connection of their own, in a thread of their own as another process would:
// the program's blocking calls really travel over the bus and are answered there.
class BusService : public QThread {
public:
    BusService(QString service, std::vector<std::pair<QString, QObject*>> objects)
        : m_service(std::move(service)), m_objects(std::move(objects)) {}
    ~BusService() override {
        quit();
        wait();
    }
    BusService(const BusService&) = delete;
    BusService& operator=(const BusService&) = delete;

    bool begin() {
        for (auto& [path, object] : m_objects) {
            object->moveToThread(this);
        }
        start();
        return m_ready.tryAcquire(1, 5000) && m_ok;
    }

protected:
    void run() override {
        const QString name = QStringLiteral("service-") + m_service;
        {
            QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
            m_ok = bus.isConnected() && bus.registerService(m_service);
            for (auto& [path, object] : m_objects) {
                m_ok = bus.registerObject(path, object,
                                          QDBusConnection::ExportAllSlots |
                                              QDBusConnection::ExportAllProperties) &&
                       m_ok;
            }
            m_ready.release();
            exec();
            bus.unregisterService(m_service);
        }
        QDBusConnection::disconnectFromBus(name);
    }

private:
    QString m_service;
    std::vector<std::pair<QString, QObject*>> m_objects;
    QSemaphore m_ready;
    std::atomic<bool> m_ok = false;
};

// xfconf's interface over the channels the program uses.
class FakeXfconf : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.xfce.Xfconf")
public:
    explicit FakeXfconf(QVariantMap pointers) { m_channels["pointers"] = std::move(pointers); }
    QVariant value(const QString& property, const QString& channel = "pointers") const {
        QMutexLocker lock(&m_mutex);
        return m_channels.value(channel).value(property);
    }

public slots:
    QVariantMap GetAllProperties(const QString& channel, const QString& base) {
        QMutexLocker lock(&m_mutex);
        if (base != "/" || m_channels.value(channel).isEmpty()) {
            sendErrorReply("org.xfce.Xfconf.Error.ChannelNotFound", "Channel does not exist");
            return {};
        }
        return m_channels.value(channel);
    }
    QDBusVariant GetProperty(const QString& channel, const QString& property) {
        QMutexLocker lock(&m_mutex);
        if (!m_channels.value(channel).contains(property)) {
            sendErrorReply("org.xfce.Xfconf.Error.PropertyNotFound", "Property does not exist");
            return {};
        }
        return QDBusVariant(m_channels.value(channel).value(property));
    }
    void SetProperty(const QString& channel, const QString& property, const QDBusVariant& value) {
        QMutexLocker lock(&m_mutex);
        QVariant v = value.variant();
        // xfconf's arrays travel as arrays of variants.
        if (v.userType() == qMetaTypeId<QDBusArgument>()) {
            QVariantList items;
            v.value<QDBusArgument>() >> items;
            for (QVariant& item : items) {
                if (item.userType() == qMetaTypeId<QDBusVariant>()) {
                    item = item.value<QDBusVariant>().variant();
                }
            }
            v = items;
        }
        m_channels[channel][property] = v;
    }

private:
    mutable QMutex m_mutex;
    QMap<QString, QVariantMap> m_channels;
};

TEST(XfconfPointer, WritesEveryDeviceOfTheChannelAndTheServer) {
    using Device = linux_desktop::X11PointerDevice;
    EXPECT_EQ(linux_desktop::openXfconfPointerSettings({Device{"Test Mouse", 3}}), nullptr)
        << "no xfconf on the bus yet";

    const QString profile = "Properties/libinput_Accel_Profile_Enabled";
    FakeXfconf xfconf({{"/Old_Mouse/Acceleration", 2.0},
                       {"/Old_Mouse/Threshold", 4},
                       {"/Old_Mouse/" + profile, QVariantList{0, 1}},
                       {"/Old_Mouse/RightHanded", true}});
    BusService service("org.xfce.Xfconf", {{"/org/xfce/Xfconf", &xfconf}});
    ASSERT_TRUE(service.begin());
    // A libinput mouse with three profiles, and a pointer of an older driver.
    std::unique_ptr<PointerSettings> settings =
        linux_desktop::openXfconfPointerSettings({Device{"Test Mouse (wired)", 3}, Device{"Old Ball", 0}});
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->supports(PointerSetting::Speed));
    EXPECT_TRUE(settings->supports(PointerSetting::Precision));
    EXPECT_FALSE(settings->supports(PointerSetting::WheelLines));

    // Acceleration 2.0 lies between speeds 4 (1.66) and 5 (2.18); the flat profile wins over the threshold
    // that only older drivers follow; no double-click time stored yet is the toolkits' 400 ms.
    EXPECT_EQ(settings->read(), (PointerValues{.speed = 5, .precision = false, .doubleClickMs = 400}));

    ASSERT_TRUE(settings->write({.speed = 20, .precision = true, .doubleClickMs = 480}));
    const QVariant doubleClick = xfconf.value("/Net/DoubleClickTime", "xsettings");
    EXPECT_EQ(doubleClick.typeId(), QMetaType::Int);
    EXPECT_EQ(doubleClick.toInt(), 480);
    for (const QString device : {"/Old_Mouse/", "/Test_Mouse__wired_/", "/Old_Ball/"}) {
        SCOPED_TRACE(device.toStdString());
        const QVariant acceleration = xfconf.value(device + "Acceleration");
        EXPECT_EQ(acceleration.typeId(), QMetaType::Double);
        EXPECT_DOUBLE_EQ(acceleration.toDouble(), 10.0);
        const QVariant threshold = xfconf.value(device + "Threshold");
        EXPECT_EQ(threshold.typeId(), QMetaType::Int);
        EXPECT_EQ(threshold.toInt(), 6);
    }
    EXPECT_EQ(xfconf.value("/Old_Mouse/" + profile).toList(), (QVariantList{1, 0}));
    EXPECT_EQ(xfconf.value("/Test_Mouse__wired_/" + profile).toList(), (QVariantList{1, 0, 0}));
    EXPECT_EQ(xfconf.value("/Test_Mouse__wired_/" + profile).toList().value(0).typeId(), QMetaType::Int);
    EXPECT_EQ(xfconf.value("/Old_Ball/" + profile), QVariant());
    EXPECT_EQ(xfconf.value("/Old_Mouse/RightHanded"), QVariant(true));
    EXPECT_EQ(settings->read(), (PointerValues{.speed = 20, .precision = true, .doubleClickMs = 480}));

    ASSERT_TRUE(settings->write({.precision = false}));
    EXPECT_EQ(xfconf.value("/Test_Mouse__wired_/" + profile).toList(), (QVariantList{0, 1, 0}));
    EXPECT_EQ(xfconf.value("/Old_Ball/Threshold"), QVariant(1));
    EXPECT_EQ(settings->read().precision, false);

    const std::map<int, double> stored = {{1, 0.1}, {4, 1.7}, {11, 5.3}};
    for (const auto& [speed, acceleration] : stored) {
        ASSERT_TRUE(settings->write({.speed = speed}));
        EXPECT_DOUBLE_EQ(xfconf.value("/Test_Mouse__wired_/Acceleration").toDouble(), acceleration);
        EXPECT_EQ(settings->read().speed, speed);
    }
    EXPECT_FALSE(settings->write({.speed = 0, .doubleClickMs = 90000}));
    EXPECT_FALSE(settings->write({.wheelLines = 3}));
    EXPECT_DOUBLE_EQ(xfconf.value("/Test_Mouse__wired_/Acceleration").toDouble(), 5.3);
    EXPECT_EQ(xfconf.value("/Net/DoubleClickTime", "xsettings"), QVariant(480));
}

TEST(XfconfPointer, WithoutAnyDeviceNothingIsStored) {
    FakeXfconf xfconf({});
    BusService service("org.xfce.Xfconf", {{"/org/xfce/Xfconf", &xfconf}});
    ASSERT_TRUE(service.begin());
    std::unique_ptr<PointerSettings> settings = linux_desktop::openXfconfPointerSettings({});
    ASSERT_NE(settings, nullptr); // an empty channel is still Xfce's store
    EXPECT_EQ(settings->read(), PointerValues{.doubleClickMs = 400});
    EXPECT_FALSE(settings->write({.speed = 3}));
    EXPECT_EQ(xfconf.value("/Unknown/Acceleration"), QVariant());
}

TEST(XfconfPointer, DeviceNamesAreSpelledAsThePropertyNamesAllow) {
    EXPECT_EQ(linux_desktop::xfconfDeviceName("Logitech USB-Mouse/2 (x)"), "Logitech_USB-Mouse_2__x_");
}

// KWin's input devices: a manager listing the devices, and one object per device.
class FakeKwinManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.KWin.InputDeviceManager")
    Q_PROPERTY(QStringList devicesSysNames READ devicesSysNames)
public:
    QStringList devicesSysNames() const { return {"event5", "event7"}; }
};

class FakeKwinDevice : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.KWin.InputDevice")
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(uint vendor MEMBER vendor)
    Q_PROPERTY(uint product MEMBER product)
    Q_PROPERTY(bool pointer MEMBER pointer)
    Q_PROPERTY(bool touchpad MEMBER touchpad)
    Q_PROPERTY(bool supportsPointerAcceleration READ yes)
    Q_PROPERTY(bool supportsPointerAccelerationProfileFlat READ yes)
    Q_PROPERTY(bool supportsPointerAccelerationProfileAdaptive READ yes)
    Q_PROPERTY(double pointerAcceleration READ acceleration WRITE setAcceleration)
    Q_PROPERTY(bool pointerAccelerationProfileFlat READ flat WRITE setFlat)
    Q_PROPERTY(bool pointerAccelerationProfileAdaptive READ adaptive WRITE setAdaptive)
public:
    FakeKwinDevice(QString n, uint v, uint p, bool isTouchpad)
        : name(std::move(n)), vendor(v), product(p), touchpad(isTouchpad) {}
    bool yes() const { return true; }
    double acceleration() const { return m_acceleration; }
    void setAcceleration(double a) { m_acceleration = a; }
    // KWin keeps one profile: choosing one drops the other.
    bool flat() const { return m_flat; }
    void setFlat(bool on) { m_flat = on; }
    bool adaptive() const { return !m_flat; }
    void setAdaptive(bool on) { m_flat = !on; }

    QString name;
    uint vendor = 0;
    uint product = 0;
    bool pointer = true;
    bool touchpad = false;
    std::atomic<double> m_acceleration = 0.0;
    std::atomic<bool> m_flat = false;
};

TEST_F(KdePointer, KwinDevicesGetSpeedAndProfileLiveAndInTheirGroups) {
    std::unique_ptr<PointerSettings> input = linux_desktop::openKdeInputPointerSettings(m_folders, nullptr);
    ASSERT_NE(input, nullptr);
    // Without KWin on the bus (and no X server given) nothing could apply them.
    EXPECT_FALSE(input->supports(PointerSetting::Speed));
    EXPECT_FALSE(input->write({.speed = 4}));

    FakeKwinManager manager;
    FakeKwinDevice mouse("Test Mouse", 1133, 49291, false);
    FakeKwinDevice touchpad("Test Pad", 1739, 52710, true);
    BusService kwin("org.kde.KWin", {{"/org/kde/KWin/InputDevice", &manager},
                                     {"/org/kde/KWin/InputDevice/event5", &mouse},
                                     {"/org/kde/KWin/InputDevice/event7", &touchpad}});
    ASSERT_TRUE(kwin.begin());
    EXPECT_TRUE(input->supports(PointerSetting::Speed));
    EXPECT_TRUE(input->supports(PointerSetting::Precision));
    EXPECT_FALSE(input->supports(PointerSetting::WheelLines));
    EXPECT_EQ(input->read(), (PointerValues{.speed = 11, .precision = true}));

    ASSERT_TRUE(input->write({.speed = 4, .precision = false}));
    EXPECT_DOUBLE_EQ(mouse.m_acceleration, -13.0 / 19);
    EXPECT_TRUE(mouse.m_flat);
    EXPECT_EQ(touchpad.m_acceleration, 0.0);
    EXPECT_FALSE(touchpad.m_flat);
    EXPECT_EQ(
        readFile(m_dir.filePath("user/kcminputrc")),
        "[Libinput][1133][49291][Test Mouse]\nPointerAcceleration=-0.684\nPointerAccelerationProfile=1\n");
    EXPECT_EQ(input->read(), (PointerValues{.speed = 4, .precision = false}));

    ASSERT_TRUE(input->write({.precision = true}));
    EXPECT_FALSE(mouse.m_flat);
    EXPECT_EQ(
        readFile(m_dir.filePath("user/kcminputrc")),
        "[Libinput][1133][49291][Test Mouse]\nPointerAcceleration=-0.684\nPointerAccelerationProfile=2\n");

    // Set in KWin's own settings between two of our levels.
    mouse.m_acceleration = 0.33;
    EXPECT_EQ(input->read().speed, 14);

    // A locked group keeps its file entries; KWin is still told, and the result says what failed.
    writeFile(m_dir.filePath("user/kcminputrc"),
              "[Libinput][1133][49291][Test Mouse][$i]\nPointerAcceleration=0\n");
    EXPECT_FALSE(input->write({.speed = 20}));
    EXPECT_DOUBLE_EQ(mouse.m_acceleration, 1.0);
    EXPECT_EQ(readFile(m_dir.filePath("user/kcminputrc")),
              "[Libinput][1133][49291][Test Mouse][$i]\nPointerAcceleration=0\n");
}

// ---------------------------------------------------------------------------------------------------
// Choosing and combining

TEST(PointerBackendChoice, FollowsTheDesktopThatAppliesTheSettings) {
    using B = PointerBackend;
    struct Case {
        DesktopSession session;
        std::vector<B> backends;
    };
    const Case cases[] = {
        {{"GNOME", "x11", true, false}, {B::GSettings}},
        {{"ubuntu:GNOME", "wayland", true, true}, {B::GSettings}},
        {{"Pantheon", "", false, true}, {B::GSettings}},
        {{"KDE", "x11", true, false}, {B::Kde, B::X11}},
        {{"KDE", "wayland", true, true}, {B::Kde}},
        {{"XFCE", "x11", true, false}, {B::Xfconf, B::X11}},
        {{"MATE", "x11", true, false}, {B::Mate, B::X11}},
        {{"X-Cinnamon", "x11", true, false}, {B::Cinnamon, B::X11}},
        {{"X-Cinnamon", "wayland", false, true}, {B::Cinnamon}},
        {{"LXQt", "x11", true, false}, {B::X11}},
        {{"", "", true, false}, {B::X11}},
        {{"sway", "wayland", false, true}, {}},
        {{"", "", true, true}, {}},
        {{"", "tty", false, false}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(choosePointerBackends(c.session), c.backends)
            << c.session.currentDesktop << " / " << c.session.sessionType;
    }
}

TEST(PointerBackendChoice, ReadsBackendNames) {
    using B = PointerBackend;
    EXPECT_EQ(parsePointerBackends("kde,X11"), (std::vector<B>{B::Kde, B::X11}));
    EXPECT_EQ(parsePointerBackends("gsettings"), (std::vector<B>{B::GSettings}));
    EXPECT_EQ(parsePointerBackends("mate,Cinnamon,xfconf"),
              (std::vector<B>{B::Mate, B::Cinnamon, B::Xfconf}));
    EXPECT_EQ(parsePointerBackends("none"), std::vector<B>{});
    EXPECT_EQ(parsePointerBackends(""), std::vector<B>{});
    EXPECT_EQ(parsePointerBackends("gsettings,dconf"), std::nullopt);
}

TEST_F(X11Pointer, KdeOnX11ServesEverySettingButOneScreenFromTwoStores) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScopedEnv config("XDG_CONFIG_HOME", dir.path().toUtf8().constData());
    ScopedEnv system("XDG_CONFIG_DIRS", dir.filePath("none").toUtf8().constData());
    ScopedEnv display("DISPLAY", s_server->display().c_str());
    const std::unique_ptr<PointerSettings> settings =
        makePointerSettings({PointerBackend::Kde, PointerBackend::X11});

    for (PointerSetting s : {PointerSetting::Speed, PointerSetting::Precision,
                             PointerSetting::DoubleClickTime, PointerSetting::WheelLines}) {
        EXPECT_TRUE(settings->supports(s));
    }
    EXPECT_FALSE(settings->supports(PointerSetting::WheelOneScreen));

    const PointerValues all{.speed = 6, .precision = true, .doubleClickMs = 480, .wheelLines = 7};
    ASSERT_TRUE(settings->write(all));
    EXPECT_EQ(control(), (Control{6, 10, 6}));
    EXPECT_EQ(readFile(dir.filePath("kdeglobals")), "[KDE]\nWheelScrollLines=7\nDoubleClickInterval=480\n");
    // Kept for the next login, where KDE applies them to the pointers again.
    EXPECT_EQ(readFile(dir.filePath("kcminputrc")),
              "[Mouse]\nXLbInptPointerAcceleration=-0.474\nXLbInptAccelProfileFlat=false\n");
    EXPECT_EQ(settings->read(), all);

    // One screen per notch has no store here: refused, and the speed given with it is still applied.
    EXPECT_FALSE(settings->write({.speed = 8, .wheelLines = PointerSettings::kWheelOneScreen}));
    EXPECT_EQ(control(), (Control{8, 10, 6}));
    EXPECT_EQ(settings->read().wheelLines, 7);
}

TEST(SystemPointerSettings, AGnomeDesktopHasNoWheelSetting) {
    ScopedEnv chosen("TARVIK_POINTER_SETTINGS", nullptr);
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", "GNOME");
    std::unique_ptr<PointerSettings> settings = makeSystemPointerSettings();
    EXPECT_TRUE(settings->supports(PointerSetting::Speed));
    EXPECT_FALSE(settings->supports(PointerSetting::WheelLines));
    EXPECT_FALSE(settings->supports(PointerSetting::WheelOneScreen));
    EXPECT_FALSE(settings->write({.wheelLines = 3}));
    ASSERT_TRUE(settings->write({.precision = true}));
    EXPECT_EQ(settings->read().precision, true);
}

TEST(SystemPointerSettings, MateAndCinnamonWriteTheirOwnSchemas) {
    ScopedEnv chosen("TARVIK_POINTER_SETTINGS", nullptr);
    ScopedEnv display("DISPLAY", nullptr);
    ScopedEnv type("XDG_SESSION_TYPE", "wayland");
    for (const auto& [desktop, schema] :
         std::map<std::string, const char*>{{"MATE", linux_desktop::kMateMouseSchema},
                                            {"X-Cinnamon", linux_desktop::kCinnamonMouseSchema}}) {
        SCOPED_TRACE(desktop);
        ScopedEnv current("XDG_CURRENT_DESKTOP", desktop.c_str());
        GSettings* raw = g_settings_new(schema);
        g_settings_reset(raw, "double-click");
        std::unique_ptr<PointerSettings> settings = makeSystemPointerSettings();
        ASSERT_TRUE(settings->write({.doubleClickMs = 340}));
        EXPECT_EQ(g_settings_get_int(raw, "double-click"), 340);
        g_object_unref(raw);
    }
}

TEST(SystemPointerSettings, TheEnvironmentCanNameTheBackends) {
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", "GNOME");
    {
        ScopedEnv chosen("TARVIK_POINTER_SETTINGS", "none");
        std::unique_ptr<PointerSettings> settings = makeSystemPointerSettings();
        EXPECT_FALSE(settings->supports(PointerSetting::Speed));
        EXPECT_EQ(settings->read(), PointerValues{});
        EXPECT_FALSE(settings->write({.speed = 3}));
        EXPECT_TRUE(settings->write({}));
    }
    {
        QTemporaryDir dir;
        ScopedEnv config("XDG_CONFIG_HOME", dir.path().toUtf8().constData());
        ScopedEnv chosen("TARVIK_POINTER_SETTINGS", "kde");
        std::unique_ptr<PointerSettings> settings = makeSystemPointerSettings();
        EXPECT_FALSE(settings->supports(PointerSetting::Speed));
        EXPECT_TRUE(settings->supports(PointerSetting::WheelLines));
    }
}

} // namespace
} // namespace tarvik::platform

int main(int argc, char** argv) {
    // Before anything opens a store: settings stay in this process, and the bus is the tests' own.
    setenv("GSETTINGS_BACKEND", "memory", 1);
    tarvik::platform::testing::SessionBus bus;
    if (bus.start()) {
        setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(), 1);
    } else {
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Xlib's Bool macro would clash with the meta-type names of the generated code.
#undef Bool
#include "PointerSettingsTest.moc"
