#include "platform/linux/PointerBackends.h"

// Only the types and declarations of GSettings are taken from its headers: the library itself is
// opened when a desktop that keeps its pointer settings there is chosen, so that a program on any
// other desktop never maps it (nor the half-dozen libraries it brings along).
#include <gio/gio.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tarvik::platform::linux_desktop {

namespace {

// The GSettings functions used here, looked up in the library opened at run time. Functions of the
// libraries it depends on (GLib's variants and memory, GObject's references) are found through it.
struct Gio {
    decltype(&g_settings_schema_source_get_default) schemaSourceGetDefault;
    decltype(&g_settings_schema_source_lookup) schemaSourceLookup;
    decltype(&g_settings_schema_unref) schemaUnref;
    decltype(&g_settings_schema_has_key) schemaHasKey;
    decltype(&g_settings_schema_get_key) schemaGetKey;
    decltype(&g_settings_schema_key_get_value_type) keyGetValueType;
    decltype(&g_settings_schema_key_range_check) keyRangeCheck;
    decltype(&g_settings_schema_key_unref) keyUnref;
    decltype(&g_settings_new_full) settingsNewFull;
    decltype(&g_settings_sync) settingsSync;
    decltype(&g_settings_get_double) getDouble;
    decltype(&g_settings_get_string) getString;
    decltype(&g_settings_get_int) getInt;
    decltype(&g_settings_set_double) setDouble;
    decltype(&g_settings_set_string) setString;
    decltype(&g_settings_set_int) setInt;
    decltype(&g_variant_type_equal) variantTypeEqual;
    decltype(&g_variant_new_string) variantNewString;
    decltype(&g_variant_ref_sink) variantRefSink;
    decltype(&g_variant_unref) variantUnref;
    decltype(&g_object_unref) objectUnref;
    decltype(&g_free) free;
};

template <typename Function> bool resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

// The library's functions, opened on first use and kept for the rest of the run (GLib's own types
// cannot be unloaded); nothing when the library or any function is missing.
const Gio* gio() {
    static const Gio* const loaded = []() -> const Gio* {
        void* library = ::dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr)
            return nullptr;
        static Gio functions{};
        Gio& f = functions;
        const bool complete =
            resolve(library, "g_settings_schema_source_get_default", f.schemaSourceGetDefault) &&
            resolve(library, "g_settings_schema_source_lookup", f.schemaSourceLookup) &&
            resolve(library, "g_settings_schema_unref", f.schemaUnref) &&
            resolve(library, "g_settings_schema_has_key", f.schemaHasKey) &&
            resolve(library, "g_settings_schema_get_key", f.schemaGetKey) &&
            resolve(library, "g_settings_schema_key_get_value_type", f.keyGetValueType) &&
            resolve(library, "g_settings_schema_key_range_check", f.keyRangeCheck) &&
            resolve(library, "g_settings_schema_key_unref", f.keyUnref) &&
            resolve(library, "g_settings_new_full", f.settingsNewFull) &&
            resolve(library, "g_settings_sync", f.settingsSync) &&
            resolve(library, "g_settings_get_double", f.getDouble) &&
            resolve(library, "g_settings_get_string", f.getString) &&
            resolve(library, "g_settings_get_int", f.getInt) &&
            resolve(library, "g_settings_set_double", f.setDouble) &&
            resolve(library, "g_settings_set_string", f.setString) &&
            resolve(library, "g_settings_set_int", f.setInt) &&
            resolve(library, "g_variant_type_equal", f.variantTypeEqual) &&
            resolve(library, "g_variant_new_string", f.variantNewString) &&
            resolve(library, "g_variant_ref_sink", f.variantRefSink) &&
            resolve(library, "g_variant_unref", f.variantUnref) &&
            resolve(library, "g_object_unref", f.objectUnref) && resolve(library, "g_free", f.free);
        return complete ? &functions : nullptr;
    }();
    return loaded;
}

// Variant types are their type strings; the header's macros would call into GLib to check them.
const GVariantType* variantType(const char* typeString) {
    return reinterpret_cast<const GVariantType*>(typeString);
}
const GVariantType* const kDoubleType = variantType("d");
const GVariantType* const kInt32Type = variantType("i");
const GVariantType* const kStringType = variantType("s");

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
bool keyFits(const Gio& g, GSettingsSchema* schema, const char* name, const GVariantType* type,
             std::initializer_list<const char*> strings = {}) {
    if (!g.schemaHasKey(schema, name)) {
        return false;
    }
    GSettingsSchemaKey* key = g.schemaGetKey(schema, name);
    bool fits = g.variantTypeEqual(g.keyGetValueType(key), type);
    for (const char* s : strings) {
        if (!fits) {
            break;
        }
        GVariant* value = g.variantRefSink(g.variantNewString(s));
        fits = g.keyRangeCheck(key, value);
        g.variantUnref(value);
    }
    g.keyUnref(key);
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
    GSettingsPointerSettings(const Gio& g, GSettingsSchema* schema)
        : m_g(g), m_speed(keyFits(g, schema, kSpeedKey, kDoubleType)),
          m_multiplier(!m_speed && keyFits(g, schema, kAccelerationKey, kDoubleType)),
          m_accelProfile(keyFits(g, schema, kAccelProfileKey, kStringType, {"adaptive", "flat"})),
          m_threshold(keyFits(g, schema, kThresholdKey, kInt32Type)),
          m_doubleClick(keyFits(g, schema, kDoubleClickKey, kInt32Type)),
          m_settings(g.settingsNewFull(schema, nullptr, nullptr)) {}

    ~GSettingsPointerSettings() override {
        // Writes may still be on their way to the settings daemon.
        m_g.settingsSync();
        m_g.objectUnref(m_settings);
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
            values.speed = speedFromGSettings(m_g.getDouble(m_settings, kSpeedKey));
        } else if (m_multiplier) {
            values.speed = speedFromMultiplier(m_g.getDouble(m_settings, kAccelerationKey));
        }
        if (m_accelProfile) {
            // "default" leaves the choice to the pointer's driver, which accelerates mice.
            gchar* profile = m_g.getString(m_settings, kAccelProfileKey);
            values.precision = std::strcmp(profile, "flat") != 0;
            m_g.free(profile);
        } else if (m_threshold) {
            // -1 leaves the X server's own threshold, which accelerates.
            values.precision = m_g.getInt(m_settings, kThresholdKey) != kConstantThreshold;
        }
        if (m_doubleClick) {
            values.doubleClickMs =
                std::clamp(m_g.getInt(m_settings, kDoubleClickKey), kMinDoubleClickMs, kMaxDoubleClickMs);
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
                ok = m_g.setDouble(m_settings, kSpeedKey, speedToGSettings(*values.speed)) && ok;
            } else {
                ok = m_g.setDouble(m_settings, kAccelerationKey, speedToMultiplier(*values.speed)) && ok;
            }
        }
        if (values.precision) {
            // Where both are kept, the profile reaches pointers driven by libinput and the threshold the
            // older drivers, so both are written.
            ok = (m_accelProfile || m_threshold) && ok;
            if (m_accelProfile) {
                ok = m_g.setString(m_settings, kAccelProfileKey, *values.precision ? "adaptive" : "flat") &&
                     ok;
            }
            if (m_threshold) {
                ok = m_g.setInt(m_settings, kThresholdKey,
                                *values.precision ? kPrecisionThreshold : kConstantThreshold) &&
                     ok;
            }
        }
        if (values.doubleClickMs) {
            ok = m_doubleClick && *values.doubleClickMs >= kMinDoubleClickMs &&
                 *values.doubleClickMs <= kMaxDoubleClickMs &&
                 m_g.setInt(m_settings, kDoubleClickKey, *values.doubleClickMs) && ok;
        }
        m_g.settingsSync();
        return ok;
    }

private:
    const Gio& m_g;
    bool m_speed;      // a speed from -1 to 1
    bool m_multiplier; // an acceleration factor instead
    bool m_accelProfile;
    bool m_threshold;
    bool m_doubleClick;
    GSettings* m_settings;
};

} // namespace

std::unique_ptr<PointerSettings> openGSettingsPointerSettings(const std::string& schemaId) {
    const Gio* g = gio();
    if (g == nullptr) {
        return nullptr;
    }
    GSettingsSchemaSource* source = g->schemaSourceGetDefault();
    if (source == nullptr) {
        return nullptr;
    }
    GSettingsSchema* schema = g->schemaSourceLookup(source, schemaId.c_str(), TRUE);
    if (schema == nullptr) {
        return nullptr;
    }
    auto settings = std::make_unique<GSettingsPointerSettings>(*g, schema);
    g->schemaUnref(schema);
    return settings;
}

} // namespace tarvik::platform::linux_desktop
