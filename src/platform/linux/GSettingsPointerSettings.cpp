#include "platform/linux/PointerBackends.h"

#include <gio/gio.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tarvik::platform::linux_desktop {

namespace {

constexpr const char* kSpeedKey = "speed";
constexpr const char* kAccelProfileKey = "accel-profile";
constexpr const char* kDoubleClickKey = "double-click";

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
    return (2.0 * speed - (PointerSettings::kMinSpeed + PointerSettings::kMaxSpeed)) /
           (PointerSettings::kMaxSpeed - PointerSettings::kMinSpeed);
}

int speedFromGSettings(double value) {
    if (!std::isfinite(value)) {
        return (PointerSettings::kMinSpeed + PointerSettings::kMaxSpeed) / 2;
    }
    const double speed = ((value + 1.0) * (PointerSettings::kMaxSpeed - PointerSettings::kMinSpeed)) / 2.0 +
                         PointerSettings::kMinSpeed;
    return static_cast<int>(
        std::clamp<long>(std::lround(speed), PointerSettings::kMinSpeed, PointerSettings::kMaxSpeed));
}

class GSettingsPointerSettings final : public PointerSettings {
public:
    explicit GSettingsPointerSettings(GSettingsSchema* schema)
        : m_speed(keyFits(schema, kSpeedKey, G_VARIANT_TYPE_DOUBLE)),
          m_accelProfile(keyFits(schema, kAccelProfileKey, G_VARIANT_TYPE_STRING, {"adaptive", "flat"})),
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
            return m_speed;
        case PointerSetting::Precision:
            return m_accelProfile;
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
        }
        if (m_accelProfile) {
            // "default" leaves the choice to the pointer's driver, which accelerates mice.
            gchar* profile = g_settings_get_string(m_settings, kAccelProfileKey);
            values.precision = std::strcmp(profile, "flat") != 0;
            g_free(profile);
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
            ok = m_speed && *values.speed >= kMinSpeed && *values.speed <= kMaxSpeed &&
                 g_settings_set_double(m_settings, kSpeedKey, speedToGSettings(*values.speed)) && ok;
        }
        if (values.precision) {
            ok = m_accelProfile &&
                 g_settings_set_string(m_settings, kAccelProfileKey,
                                       *values.precision ? "adaptive" : "flat") &&
                 ok;
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
    bool m_speed;
    bool m_accelProfile;
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
