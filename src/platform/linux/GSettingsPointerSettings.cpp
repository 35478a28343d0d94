#include "platform/linux/PointerBackends.h"

#include <gio/gio.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tarvik::platform::linux_desktop {

namespace {

constexpr const char* kSpeedKey = "speed";
constexpr const char* kAccelerationKey = "motion-acceleration";
constexpr const char* kThresholdKey = "motion-threshold";
constexpr const char* kAccelProfileKey = "accel-profile";
constexpr const char* kDoubleClickKey = "double-click";

// The multiplier range of the schemas that keep an acceleration factor instead of a speed; their own
// settings panel offers exactly this range.
constexpr double kMinMultiplier = 1.0;
constexpr double kMaxMultiplier = 10.0;
// Moves up to this many pixels stay exact while precision is on, as with the X server's own control;
// with precision off every move beyond one pixel is scaled alike.
constexpr int kPrecisionThreshold = 6;
constexpr int kConstantThreshold = 1;

// GSettings reports a wrong key or type as a critical and goes on with nonsense, so each key is
// checked once against the installed schema before it is used at all.
bool keyFits(GSettingsSchema* schema, const char* name, const GVariantType* type,
             std::initializer_list<const char*> strings = {}) {
    if (!g_settings_schema_has_key(schema, name)) {
        return false;
    }
    GSettingsSchemaKey* key = g_settings_schema_get_key(schema, name);
    bool fits = g_variant_type_equal(g_settings_schema_key_get_value_type(key), type);
    for (const char* s : strings) {
        if (!fits) {
            break;
        }
        GVariant* value = g_variant_ref_sink(g_variant_new_string(s));
        fits = g_settings_schema_key_range_check(key, value);
        g_variant_unref(value);
    }
    g_settings_schema_key_unref(key);
    return fits;
}

// The schema's speed runs from -1 to 1; our speed values 1 to 20 are spread over it linearly, 1 and 20
// on its ends.
double speedToGSettings(int speed) {
    return speedToRange(speed, -1.0, 1.0);
}

int speedFromGSettings(double value) {
    return speedFromRange(value, -1.0, 1.0);
}

// Our speed values 1 to 20 spread linearly over the multiplier range.
double speedToMultiplier(int speed) {
    return speedToRange(speed, kMinMultiplier, kMaxMultiplier);
}

int speedFromMultiplier(double value) {
    // Below the range (the schema's -1) the desktop leaves the driver at its default, which is the middle
    // of the driver's own speed range.
    if (!std::isfinite(value) || value < kMinMultiplier) {
        return speedFromGSettings(0.0);
    }
    return speedFromRange(value, kMinMultiplier, kMaxMultiplier);
}

class GSettingsPointerSettings final : public PointerSettings {
public:
    explicit GSettingsPointerSettings(GSettingsSchema* schema)
        : m_speed(keyFits(schema, kSpeedKey, G_VARIANT_TYPE_DOUBLE)),
          m_multiplier(!m_speed && keyFits(schema, kAccelerationKey, G_VARIANT_TYPE_DOUBLE)),
          m_accelProfile(keyFits(schema, kAccelProfileKey, G_VARIANT_TYPE_STRING, {"adaptive", "flat"})),
          m_threshold(keyFits(schema, kThresholdKey, G_VARIANT_TYPE_INT32)),
          m_doubleClick(keyFits(schema, kDoubleClickKey, G_VARIANT_TYPE_INT32)),
          m_settings(g_settings_new_full(schema, nullptr, nullptr)) {}

    ~GSettingsPointerSettings() override {
        // Writes may still be on their way to the settings daemon.
        g_settings_sync();
        g_object_unref(m_settings);
    }

    GSettingsPointerSettings(const GSettingsPointerSettings&) = delete;
    GSettingsPointerSettings& operator=(const GSettingsPointerSettings&) = delete;

    bool supports(PointerSetting setting) const override {
        switch (setting) {
        case PointerSetting::Speed:
            return m_speed || m_multiplier;
        case PointerSetting::Precision:
            return m_accelProfile || m_threshold;
        case PointerSetting::DoubleClickTime:
            return m_doubleClick;
        case PointerSetting::WheelLines:
        case PointerSetting::WheelOneScreen:
            return false;
        }
        return false;
    }

    PointerValues read() const override {
        PointerValues values;
        if (m_speed) {
            values.speed = speedFromGSettings(g_settings_get_double(m_settings, kSpeedKey));
        } else if (m_multiplier) {
            values.speed = speedFromMultiplier(g_settings_get_double(m_settings, kAccelerationKey));
        }
        if (m_accelProfile) {
            // "default" leaves the choice to the pointer's driver, which accelerates mice.
            gchar* profile = g_settings_get_string(m_settings, kAccelProfileKey);
            values.precision = std::strcmp(profile, "flat") != 0;
            g_free(profile);
        } else if (m_threshold) {
            // -1 leaves the X server's own threshold, which accelerates.
            values.precision = g_settings_get_int(m_settings, kThresholdKey) != kConstantThreshold;
        }
        if (m_doubleClick) {
            values.doubleClickMs = std::clamp(g_settings_get_int(m_settings, kDoubleClickKey),
                                              kMinDoubleClickMs, kMaxDoubleClickMs);
        }
        return values;
    }

    bool write(const PointerValues& values) override {
        bool ok = !values.wheelLines;
        if (values.speed) {
            const bool valid = *values.speed >= kMinSpeed && *values.speed <= kMaxSpeed;
            if (!valid || (!m_speed && !m_multiplier)) {
                ok = false;
            } else if (m_speed) {
                ok = g_settings_set_double(m_settings, kSpeedKey, speedToGSettings(*values.speed)) && ok;
            } else {
                ok = g_settings_set_double(m_settings, kAccelerationKey, speedToMultiplier(*values.speed)) &&
                     ok;
            }
        }
        if (values.precision) {
            // Where both are kept, the profile reaches pointers driven by libinput and the threshold the
            // older drivers, so both are written.
            ok = (m_accelProfile || m_threshold) && ok;
            if (m_accelProfile) {
                ok = g_settings_set_string(m_settings, kAccelProfileKey,
                                           *values.precision ? "adaptive" : "flat") &&
                     ok;
            }
            if (m_threshold) {
                ok = g_settings_set_int(m_settings, kThresholdKey,
                                        *values.precision ? kPrecisionThreshold : kConstantThreshold) &&
                     ok;
            }
        }
        if (values.doubleClickMs) {
            ok = m_doubleClick && *values.doubleClickMs >= kMinDoubleClickMs &&
                 *values.doubleClickMs <= kMaxDoubleClickMs &&
                 g_settings_set_int(m_settings, kDoubleClickKey, *values.doubleClickMs) && ok;
        }
        g_settings_sync();
        return ok;
    }

private:
    bool m_speed;      // a speed from -1 to 1
    bool m_multiplier; // an acceleration factor instead
    bool m_accelProfile;
    bool m_threshold;
    bool m_doubleClick;
    GSettings* m_settings;
};

} // namespace

std::unique_ptr<PointerSettings> openGSettingsPointerSettings(const std::string& schemaId) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (source == nullptr) {
        return nullptr;
    }
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, schemaId.c_str(), TRUE);
    if (schema == nullptr) {
        return nullptr;
    }
    auto settings = std::make_unique<GSettingsPointerSettings>(schema);
    g_settings_schema_unref(schema);
    return settings;
}

} // namespace tarvik::platform::linux_desktop
