#include "cli/ProfileJson.h"

#include "cli/CliSession.h"
#include "cli/FunctionNames.h"
#include "core/edit/FieldRanges.h"
#include "core/image/Checksum.h"
#include "core/image/ProfileFile.h"
#include "core/keys/ButtonAssignment.h"
#include "core/keys/FunctionCodeName.h"
#include "core/macros/DeviceMacroTable.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>
#include <map>
#include <optional>
#include <set>

namespace tarvik::cli {

using core::Byte;
using Json = nlohmann::ordered_json;

namespace {

constexpr const char* kModeNames[3] = {"Office Mode", "Game Mode", "Third Mode"};
constexpr int kReportRates[4] = {125, 250, 500, 1000};
constexpr const char* kLightingKinds[3] = {"RGB", "Sync", "NT"};
constexpr std::size_t kHexLineBytes = 32;
constexpr std::size_t kMaxDepth = 16;
constexpr int kMaxLightingEffect = 5;

// What a profile file holds, taken apart the way the window takes it when it loads one.
struct ProfileView {
    core::StorageKind kind = core::StorageKind::None;
    core::ConfigImage image;
    core::DeviceMacroTable macros;
    core::FunctionCodeContext context;

    ProfileView(std::span<const Byte> file, const core::LanguageTable& language) {
        const Byte marker = file.size() > core::profile_file::kStorageMarker
                                ? file[core::profile_file::kStorageMarker]
                                : Byte{0};
        kind = marker == core::image::kMarkerI2C     ? core::StorageKind::I2C
               : marker == core::image::kMarkerFlash ? core::StorageKind::Flash
                                                     : core::StorageKind::None;
        core::ConfigBuffers buffers;
        buffers.storageKind = kind;
        core::fillFromProfileLayout(file, kind, buffers);
        image = buffers.dataBuf;
        if (kind == core::StorageKind::I2C) {
            macros.loadEeprom(buffers.deviceMacroArea);
        } else if (kind == core::StorageKind::Flash) {
            std::array<Byte, core::kFlashMacroNamesSize> names{};
            std::array<Byte, core::kFlashMacroBodiesSize> bodies{};
            for (std::size_t i = 0; i < core::kFlashMacroCount; ++i) {
                std::copy(buffers.flashMacroNames[i].begin(), buffers.flashMacroNames[i].end(),
                          names.begin() + static_cast<std::ptrdiff_t>(16 * i));
                std::copy(buffers.flashMacroBodies[i].begin(), buffers.flashMacroBodies[i].end(),
                          bodies.begin() + static_cast<std::ptrdiff_t>(256 * i));
            }
            macros.loadFlash(names, bodies);
        }
        refreshContext(language);
    }

    void refreshContext(const core::LanguageTable& language) {
        context = {};
        context.language = &language;
        context.storageKind = kind;
        context.fireKeys = core::fireKeySettingsFromImage(image.bytes());
        const auto codes = allCodes();
        context.macroNameAt = [this](std::uint16_t address) { return macros.nameAt(address); };
        context.suffixes = core::refreshFireFun(std::span<const core::KeyFunctionCode>(codes), context);
        context.aimDpiStep = aimDpiStepOf(image, context);
    }

    std::array<core::KeyFunctionCode, 36> allCodes() const {
        std::array<core::KeyFunctionCode, 36> codes;
        for (int mode = 1; mode <= 3; ++mode) {
            for (int button = 1; button <= 12; ++button) {
                codes[static_cast<std::size_t>(12 * (mode - 1) + button - 1)] = code(image, mode, button);
            }
        }
        return codes;
    }

    static std::size_t codeOffset(int mode, int button) {
        return core::image::kProfileSection[mode - 1].offset + 4 * static_cast<std::size_t>(button - 1);
    }
    static core::KeyFunctionCode code(const core::ConfigImage& image, int mode, int button) {
        const std::size_t at = codeOffset(mode, button);
        return core::KeyFunctionCode(image.byteAt(at), image.byteAt(at + 1), image.byteAt(at + 2),
                                     image.byteAt(at + 3));
    }
    static void setCode(core::ConfigImage& image, int mode, int button, const core::KeyFunctionCode& code) {
        const std::size_t at = codeOffset(mode, button);
        for (std::size_t i = 0; i < 4; ++i) {
            image.setByteAt(at + i, code[i]);
        }
    }

    std::vector<std::uint16_t> macroAddresses() const {
        const core::MacroAddressTable table = macros.addressTable();
        std::vector<std::uint16_t> addresses;
        for (std::size_t row = 0; row < macros.count(); ++row) {
            addresses.push_back(table.address(row));
        }
        return addresses;
    }
};

std::string colourText(core::Rgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c.red, c.green, c.blue);
    return text;
}

int dpiOfStep(const core::LanguageTable& language, int step) {
    char key[16];
    std::snprintf(key, sizeof key, "Str3%02d", step - 1);
    try {
        return std::stoi(language.text(key));
    } catch (const std::exception&) {
        return 0;
    }
}

// --- line numbers -------------------------------------------------------------------------------

// Walks the text for the parser and remembers how far it has read, so that each value can be given
// the line it stands on.
struct ReadTracker {
    const char* begin = nullptr;
    const char* furthest = nullptr; // one past the last character read
    // Lines counted so far, up to `counted`: the parser only moves forward, so each character is
    // counted once, however many values the document holds.
    mutable const char* counted = nullptr;
    mutable int lines = 1;
    int lineOfLastToken() const {
        // The parser reads one character past a number to see where it ends: that character
        // belongs to what follows.
        const char* end = furthest > begin ? furthest - 1 : begin;
        if (!counted)
            counted = begin;
        if (end > counted) {
            lines += static_cast<int>(std::count(counted, end, '\n'));
            counted = end;
        }
        return lines;
    }
};

class TrackingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    TrackingIterator(const char* at, ReadTracker* tracker) : m_at(at), m_tracker(tracker) {}
    reference operator*() const {
        if (m_at >= m_tracker->furthest) {
            m_tracker->furthest = m_at + 1;
        }
        return *m_at;
    }
    TrackingIterator& operator++() {
        ++m_at;
        return *this;
    }
    TrackingIterator operator++(int) {
        TrackingIterator old = *this;
        ++m_at;
        return old;
    }
    bool operator==(const TrackingIterator& other) const { return m_at == other.m_at; }
    bool operator!=(const TrackingIterator& other) const { return m_at != other.m_at; }

private:
    const char* m_at;
    ReadTracker* m_tracker;
};

// Builds the document and, for each value, the line it starts on under its dotted path.
class LineSax {
public:
    using number_integer_t = Json::number_integer_t;
    using number_unsigned_t = Json::number_unsigned_t;
    using number_float_t = Json::number_float_t;
    using string_t = Json::string_t;
    using binary_t = Json::binary_t;

    LineSax(Json& root, const ReadTracker& tracker, std::map<std::string, int>& lines)
        : m_dom(root, false), m_tracker(tracker), m_lines(lines) {}

    bool null() {
        return scalar([&] { return m_dom.null(); });
    }
    bool boolean(bool v) {
        return scalar([&] { return m_dom.boolean(v); });
    }
    bool number_integer(number_integer_t v) {
        return scalar([&] { return m_dom.number_integer(v); });
    }
    bool number_unsigned(number_unsigned_t v) {
        return scalar([&] { return m_dom.number_unsigned(v); });
    }
    bool number_float(number_float_t v, const string_t& s) {
        return scalar([&] { return m_dom.number_float(v, s); });
    }
    bool string(string_t& v) {
        return scalar([&] { return m_dom.string(v); });
    }
    bool binary(binary_t& v) {
        return scalar([&] { return m_dom.binary(v); });
    }
    bool start_object(std::size_t n) {
        mark();
        if (!deeper())
            return false;
        m_path.push_back({false, 0, {}, {}});
        return m_dom.start_object(n);
    }
    bool key(string_t& k) {
        m_path.back().key = k;
        // The last of two equal keys would silently win over the first.
        if (!m_path.back().keys.insert(k).second) {
            m_error = "line " + std::to_string(m_tracker.lineOfLastToken()) + ": " + path() + ": the key \"" +
                      k + "\" appears twice";
            return false;
        }
        return m_dom.key(k);
    }
    bool end_object() {
        m_path.pop_back();
        next();
        return m_dom.end_object();
    }
    bool start_array(std::size_t n) {
        mark();
        if (!deeper())
            return false;
        m_path.push_back({true, 0, {}, {}});
        return m_dom.start_array(n);
    }
    bool end_array() {
        m_path.pop_back();
        next();
        return m_dom.end_array();
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) {
        m_error = error.what();
        return false;
    }
    const std::string& error() const { return m_error; }

private:
    struct Step {
        bool array;
        std::size_t index;
        std::string key;
        std::set<std::string> keys; // of an object, those seen so far
    };
    // The document is four levels deep; anything much deeper is no document of ours, and would
    // only cost time and memory.
    bool deeper() {
        if (m_path.size() < kMaxDepth)
            return true;
        m_error = "line " + std::to_string(m_tracker.lineOfLastToken()) + ": values nested deeper than " +
                  std::to_string(kMaxDepth) + " levels";
        return false;
    }
    template <typename F> bool scalar(F f) {
        mark();
        const bool ok = f();
        next();
        return ok;
    }
    void mark() { m_lines[path()] = m_tracker.lineOfLastToken(); }
    void next() {
        if (!m_path.empty() && m_path.back().array) {
            ++m_path.back().index;
        }
    }
    std::string path() const {
        std::string p;
        for (const Step& s : m_path) {
            if (s.array) {
                p += "[" + std::to_string(s.index) + "]";
            } else {
                p += (p.empty() ? "" : ".") + s.key;
            }
        }
        return p;
    }

    nlohmann::detail::json_sax_dom_parser<Json> m_dom;
    const ReadTracker& m_tracker;
    std::map<std::string, int>& m_lines;
    std::vector<Step> m_path;
    std::string m_error;
};

// --- reading with checks ----------------------------------------------------------------------------

struct Refused {
    JsonRefusal refusal;
};

class Reader {
public:
    explicit Reader(std::map<std::string, int> lines) : m_lines(std::move(lines)) {}

    [[noreturn]] void refuse(const std::string& path, const std::string& message) const {
        int line = 0;
        if (auto it = m_lines.find(path); it != m_lines.end()) {
            line = it->second;
        }
        throw Refused{{path, line, message}};
    }

    static std::string child(const std::string& path, const std::string& key) {
        return path.empty() ? key : path + "." + key;
    }
    static std::string item(const std::string& path, std::size_t index) {
        return path + "[" + std::to_string(index) + "]";
    }

    const Json& object(const Json& v, const std::string& path,
                       std::initializer_list<const char*> allowed) const {
        if (!v.is_object()) {
            refuse(path, "expected an object");
        }
        for (auto it = v.begin(); it != v.end(); ++it) {
            if (std::none_of(allowed.begin(), allowed.end(), [&](const char* a) { return it.key() == a; })) {
                refuse(child(path, it.key()), "unknown field");
            }
        }
        return v;
    }
    const Json& array(const Json& v, const std::string& path, std::size_t size) const {
        if (!v.is_array()) {
            refuse(path, "expected an array");
        }
        if (v.size() != size) {
            refuse(path, "expected " + std::to_string(size) + " entries, found " + std::to_string(v.size()));
        }
        return v;
    }
    long long whole(const Json& v, const std::string& path) const {
        if (!v.is_number_integer()) {
            refuse(path, "expected a whole number");
        }
        return v.get<long long>();
    }
    long long whole(const Json& v, const std::string& path, long long lo, long long hi) const {
        const long long n = whole(v, path);
        inRange(n, path, core::FieldRange{static_cast<int>(lo), static_cast<int>(hi)});
        return n;
    }
    void inRange(long long n, const std::string& path, core::FieldRange range) const {
        if (!range.contains(n)) {
            refuse(path, std::to_string(n) + " is out of range " + std::to_string(range.min) + "-" +
                             std::to_string(range.max));
        }
    }
    std::string text(const Json& v, const std::string& path) const {
        if (!v.is_string()) {
            refuse(path, "expected a text");
        }
        return v.get<std::string>();
    }
    core::Rgb colour(const Json& v, const std::string& path) const {
        const std::string t = text(v, path);
        unsigned r = 0, g = 0, b = 0;
        char end = 0;
        if (t.size() != 7 || t[0] != '#' ||
            !std::all_of(t.begin() + 1, t.end(),
                         [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }) ||
            std::sscanf(t.c_str(), "#%2x%2x%2x%c", &r, &g, &b, &end) != 3) {
            refuse(path, "expected a colour as #RRGGBB, found \"" + t + "\"");
        }
        return {static_cast<Byte>(r), static_cast<Byte>(g), static_cast<Byte>(b)};
    }
    // A member that must be there.
    const Json& need(const Json& obj, const std::string& path, const char* key) const {
        if (!obj.contains(key)) {
            refuse(path, std::string("\"") + key + "\" is missing");
        }
        return obj.at(key);
    }

private:
    std::map<std::string, int> m_lines;
};

std::vector<Byte> hexLines(const Reader& r, const Json& lines, const std::string& path) {
    if (!lines.is_array()) {
        r.refuse(path, "expected an array of hexadecimal lines");
    }
    std::vector<Byte> bytes;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string p = Reader::item(path, i);
        const std::string t = r.text(lines[i], p);
        if (t.size() % 2 != 0 || !std::all_of(t.begin(), t.end(), [](char c) {
                return std::isxdigit(static_cast<unsigned char>(c));
            })) {
            r.refuse(p, "expected pairs of hexadecimal digits");
        }
        for (std::size_t k = 0; k < t.size(); k += 2) {
            bytes.push_back(static_cast<Byte>(std::stoi(t.substr(k, 2), nullptr, 16)));
        }
    }
    return bytes;
}

int modeIndex(std::string_view name) {
    for (int m = 0; m < 3; ++m) {
        if (name == kModeNames[m]) {
            return m + 1;
        }
    }
    return 0;
}

void readDpi(const Reader& r, const Json& dpi, core::ConfigImage& image,
             const core::LanguageTable& language) {
    const std::string path = "dpi";
    r.object(dpi, path, {"enabledLevels", "currentLevel", "levels"});
    bool changed = false;
    if (dpi.contains("enabledLevels") && !dpi["enabledLevels"].is_null()) {
        const int n = static_cast<int>(r.whole(dpi["enabledLevels"], "dpi.enabledLevels", 1, 8));
        if (image.enabledDpiLevels() != n) {
            image.setEnabledDpiLevels(n);
            changed = true;
        }
    }
    if (dpi.contains("currentLevel")) {
        const int n = static_cast<int>(r.whole(dpi["currentLevel"], "dpi.currentLevel", 1, 8));
        if (image.currentDpi() + 1 != n) {
            image.setCurrentDpi(static_cast<Byte>(n - 1));
            changed = true;
        }
        // The window offers only enabled levels as the current one; what the mouse already holds
        // is kept as it is.
        const std::optional<int> enabled = image.enabledDpiLevels();
        if (changed && enabled && n > *enabled) {
            r.refuse("dpi.currentLevel", std::to_string(n) + " is out of range 1-" +
                                             std::to_string(*enabled) + " (the enabled levels)");
        }
    }
    if (!dpi.contains("levels")) {
        return;
    }
    const Json& levels = r.array(dpi["levels"], "dpi.levels", core::image::kDpiLevelSlots);
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const int level = static_cast<int>(i) + 1;
        const std::string p = Reader::item("dpi.levels", i);
        const Json& entry = r.object(levels[i], p, {"step", "dpi", "color"});
        const std::optional<int> stored = image.dpiLevel(level);
        // The step as the bytes give it (1-12), and what the document says.
        std::optional<int> fromStep = stored ? std::optional(*stored + 1) : std::nullopt;
        bool stepSaid = false;
        if (entry.contains("step")) {
            stepSaid = true;
            fromStep = entry["step"].is_null()
                           ? std::nullopt
                           : std::optional(static_cast<int>(r.whole(entry["step"], Reader::child(p, "step"),
                                                                    1, core::image::kDpiSteps)));
        }
        std::optional<int> fromDpi = stored ? std::optional(*stored + 1) : std::nullopt;
        bool dpiSaid = false;
        if (entry.contains("dpi")) {
            dpiSaid = true;
            if (entry["dpi"].is_null()) {
                fromDpi = std::nullopt;
            } else {
                const long long value = r.whole(entry["dpi"], Reader::child(p, "dpi"));
                fromDpi.reset();
                for (int s = 1; s <= core::image::kDpiSteps; ++s) {
                    if (dpiOfStep(language, s) == value) {
                        fromDpi = s;
                    }
                }
                if (!fromDpi) {
                    std::string ladder;
                    for (int s = 1; s <= core::image::kDpiSteps; ++s) {
                        ladder += (s > 1 ? ", " : "") + std::to_string(dpiOfStep(language, s));
                    }
                    r.refuse(Reader::child(p, "dpi"),
                             std::to_string(value) + " is not on the DPI ladder (" + ladder + ")");
                }
            }
        }
        const std::optional<int> current = stored ? std::optional(*stored + 1) : std::nullopt;
        const bool stepChanged = stepSaid && fromStep != current;
        const bool dpiChanged = dpiSaid && fromDpi != current;
        if (stepChanged && dpiChanged && fromStep != fromDpi) {
            r.refuse(p, "\"step\" and \"dpi\" name different DPI values");
        }
        if (stepChanged || dpiChanged) {
            const std::optional<int> step = stepChanged ? fromStep : fromDpi;
            image.setDpiLevel(level, step ? std::optional(*step - 1) : std::nullopt);
        }
        if (entry.contains("color")) {
            const core::Rgb c = r.colour(entry["color"], Reader::child(p, "color"));
            if (image.dpiColor(level) != c) {
                image.setDpiColor(level, c);
            }
        }
    }
}

void readLighting(const Reader& r, const Json& lighting, core::ConfigImage& image) {
    const std::string path = "lighting";
    r.object(lighting, path, {"kind", "effect", "stepTime", "colors"});
    if (lighting.contains("kind")) {
        const std::string kind = r.text(lighting["kind"], "lighting.kind");
        const auto it = std::find(std::begin(kLightingKinds), std::end(kLightingKinds), kind);
        if (it == std::end(kLightingKinds)) {
            r.refuse("lighting.kind", "expected RGB, Sync or NT, found \"" + kind + "\"");
        }
        const int bits = static_cast<int>(it - std::begin(kLightingKinds));
        const core::LightingKind wanted = core::ConfigImage::lightingKindOf(static_cast<Byte>(bits << 6));
        if (image.lightingKind() != wanted) {
            image.setLedMode(static_cast<Byte>((image.ledMode() & 0x3F) | (bits << 6)));
        }
    }
    if (lighting.contains("effect")) {
        const int effect = static_cast<int>(r.whole(lighting["effect"], "lighting.effect", 0, 15));
        if (image.lightingEffect() != effect) {
            // The lighting page and `tarvikctl set lighting` choose among off and five effects; an
            // effect number the mouse already holds is kept, as for the step time.
            if (effect > kMaxLightingEffect) {
                r.refuse("lighting.effect",
                         std::to_string(effect) + " is out of range 0-" + std::to_string(kMaxLightingEffect));
            }
            image.setLightingEffect(effect);
        }
    }
    if (lighting.contains("stepTime")) {
        const long long value = r.whole(lighting["stepTime"], "lighting.stepTime");
        if (value != image.fallTime()) {
            if (value < 5 || value > 50 || value % 5 != 0) {
                r.refuse("lighting.stepTime", std::to_string(value) + " is not one of 5, 10, ... 50");
            }
            image.setFallTime(static_cast<Byte>(value));
        }
    }
    if (lighting.contains("colors")) {
        const Json& colours = r.array(lighting["colors"], "lighting.colors", core::image::kLedColorCount);
        for (std::size_t i = 0; i < colours.size(); ++i) {
            const core::Rgb c = r.colour(colours[i], Reader::item("lighting.colors", i));
            const int n = static_cast<int>(i) + 1;
            if (image.ledColor(n) != c) {
                image.setLedColor(n, c);
            }
        }
    }
}

void readFireKeys(const Reader& r, const Json& keys, core::ConfigImage& image) {
    r.array(keys, "fireKeys", core::image::kFireKeys);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string p = Reader::item("fireKeys", i);
        const Json& key = r.object(keys[i], p, {"count", "delay"});
        const std::size_t at = core::image::kFireKeySettings + 3 * i;
        // A changed value must be one the Advanced page's fields could hold; a value the profile
        // already holds is kept as it is, as for the lighting effect.
        if (key.contains("count")) {
            const long long count = r.whole(key["count"], Reader::child(p, "count"));
            if (image.byteAt(at) + 1 != count) {
                r.inRange(count, Reader::child(p, "count"), core::fields::kFireKeyCount);
                image.setByteAt(at, static_cast<Byte>(count - 1));
            }
        }
        if (key.contains("delay")) {
            const long long delay = r.whole(key["delay"], Reader::child(p, "delay"));
            if (((image.byteAt(at + 1) << 8) | image.byteAt(at + 2)) != delay) {
                r.inRange(delay, Reader::child(p, "delay"), core::fields::kFireKeyInterval);
                image.setByteAt(at + 1, static_cast<Byte>(delay >> 8));
                image.setByteAt(at + 2, static_cast<Byte>(delay & 0xFF));
            }
        }
    }
}

void readButtons(const Reader& r, const Json& buttons, ProfileView& view) {
    if (!buttons.is_object()) {
        r.refuse("buttons", "expected an object");
    }
    // Names are resolved against the document's own fire keys, AIM key, macros and suffixes.
    const core::FunctionCodeContext& context = view.context;
    const std::vector<std::string> macroNames = view.macros.names();
    const std::vector<std::uint16_t> macroAddresses = view.macroAddresses();
    core::ConfigImage edited = view.image;
    for (auto mode = buttons.begin(); mode != buttons.end(); ++mode) {
        const std::string modePath = Reader::child("buttons", mode.key());
        const int m = modeIndex(mode.key());
        if (m == 0) {
            r.refuse(modePath, "unknown work mode (expected Office Mode, Game Mode or Third Mode)");
        }
        if (!mode.value().is_object()) {
            r.refuse(modePath, "expected an object of buttons \"1\" to \"12\"");
        }
        for (auto button = mode.value().begin(); button != mode.value().end(); ++button) {
            const std::string p = Reader::child(modePath, button.key());
            int b = 0;
            for (int k = 1; k <= 12; ++k) {
                if (button.key() == std::to_string(k)) {
                    b = k;
                }
            }
            if (b == 0) {
                r.refuse(p, "unknown button name (expected \"1\" to \"12\")");
            }
            const Json& entry = r.object(button.value(), p, {"function", "code"});
            std::optional<core::KeyFunctionCode> code;
            if (entry.contains("code")) {
                const std::string t = r.text(entry["code"], Reader::child(p, "code"));
                code = core::KeyFunctionCode::fromText(t);
                if (!code) {
                    r.refuse(Reader::child(p, "code"),
                             "expected eight hexadecimal digits, found \"" + t + "\"");
                }
            }
            if (entry.contains("function") && !entry["function"].is_null()) {
                const std::string name = r.text(entry["function"], Reader::child(p, "function"));
                if (code) {
                    const std::string named = core::functionCodeName(*code, context);
                    if (named != name) {
                        r.refuse(Reader::child(p, "function"),
                                 "\"" + name + "\" is not the function of code " + code->text() + " (\"" +
                                     named + "\"); give only one of the two");
                    }
                } else {
                    const auto resolved = resolveFunction(name, context, macroNames, macroAddresses);
                    if (!resolved) {
                        r.refuse(Reader::child(p, "function"), "unknown function \"" + name + "\"");
                    }
                    code = resolved->code;
                }
            }
            if (!code) {
                r.refuse(p, "needs a \"function\" or a \"code\"");
            }
            if (ProfileView::code(view.image, m, b) != *code) {
                ProfileView::setCode(edited, m, b, *code);
            }
        }
    }
    // The key page never leaves Office Mode without a Left Key (the mouse could not be clicked
    // with); a document that changes Office Mode is held to the same rule.
    // Decided on the codes, as the key page decides it: a macro named like the left key is no left key.
    bool officeChanged = false;
    std::vector<core::KeyFunctionCode> office;
    for (int b = 1; b <= 12; ++b) {
        officeChanged |= ProfileView::code(view.image, 1, b) != ProfileView::code(edited, 1, b);
        office.push_back(ProfileView::code(edited, 1, b));
    }
    if (officeChanged && core::leftKeyCount(office, 12) == 0) {
        const std::string leftKey = context.language ? context.language->text("Str210") : std::string();
        r.refuse(Reader::child("buttons", kModeNames[0]),
                 "Office Mode keeps one button with " +
                     (leftKey.empty() ? std::string("the left key") : leftKey));
    }
    view.image = edited;
}

void fixChecksums(const core::ConfigImage& before, core::ConfigImage& after) {
    for (const core::image::Section& s : core::image::kChecksummedSections) {
        const auto a = before.section(s);
        const auto b = after.section(s);
        if (!std::equal(a.begin(), a.end(), b.begin())) {
            core::checksumXor5A(after.section(s));
        }
    }
}

JsonProfile readDocument(const Reader& r, const Json& root, const core::LanguageTable& language) {
    r.object(root, "",
             {"format", "version", "storageKind", "workMode", "reportRate", "dpi", "lighting", "fireKeys",
              "buttons", "macros", "memory"});
    if (r.text(r.need(root, "", "format"), "format") != kProfileJsonFormat) {
        r.refuse("format", "expected \"" + std::string(kProfileJsonFormat) + "\"");
    }
    const long long version = r.whole(r.need(root, "", "version"), "version");
    if (version != kProfileJsonVersion) {
        r.refuse("version", "version " + std::to_string(version) + " is not one this program reads (" +
                                std::to_string(kProfileJsonVersion) + ")");
    }
    const std::string kindText = r.text(r.need(root, "", "storageKind"), "storageKind");
    JsonProfile result;
    result.kind = kindText == "I2C"     ? core::StorageKind::I2C
                  : kindText == "Flash" ? core::StorageKind::Flash
                                        : core::StorageKind::None;
    if (result.kind == core::StorageKind::None) {
        r.refuse("storageKind", "expected I2C or Flash, found \"" + kindText + "\"");
    }
    const Json& memory = r.object(r.need(root, "", "memory"), "memory", {"profileFile"});
    std::vector<Byte> file = hexLines(r, r.need(memory, "memory", "profileFile"), "memory.profileFile");
    const std::size_t full = core::profileFileSize(result.kind, false);
    const std::size_t locked = core::profileFileSize(result.kind, true);
    if (file.size() != full && file.size() != locked) {
        r.refuse("memory.profileFile",
                 std::to_string(file.size()) + " bytes, expected " + std::to_string(full) +
                     (locked != full ? " or " + std::to_string(locked) : std::string()));
    }
    const Byte marker =
        result.kind == core::StorageKind::I2C ? core::image::kMarkerI2C : core::image::kMarkerFlash;
    if (file[core::profile_file::kStorageMarker] != marker) {
        r.refuse("storageKind", "the profile file bytes are of the other storage kind");
    }

    ProfileView view(file, language);
    const core::ConfigImage original = view.image;
    core::ConfigImage& image = view.image;
    if (root.contains("workMode") && !root["workMode"].is_null()) {
        const std::string name = r.text(root["workMode"], "workMode");
        const int mode = modeIndex(name);
        if (mode == 0) {
            r.refuse("workMode", "expected Office Mode, Game Mode or Third Mode, found \"" + name + "\"");
        }
        if (image.workMode() != mode) {
            image.setWorkMode(mode);
        }
    }
    if (root.contains("reportRate")) {
        const long long hz = r.whole(root["reportRate"], "reportRate");
        const auto code = core::ConfigImage::reportRateCodeForHz(static_cast<int>(hz));
        if (!code) {
            r.refuse("reportRate", std::to_string(hz) + " Hz is not one of 125, 250, 500, 1000");
        }
        if (image.reportRateCode() != *code) {
            image.setReportRateCode(*code);
        }
    }
    if (root.contains("dpi")) {
        readDpi(r, root["dpi"], image, language);
    }
    if (root.contains("lighting")) {
        readLighting(r, root["lighting"], image);
    }
    if (root.contains("fireKeys")) {
        readFireKeys(r, root["fireKeys"], image);
    }
    if (root.contains("macros")) {
        const Json& macros = root["macros"];
        if (!macros.is_array()) {
            r.refuse("macros", "expected an array of macro names");
        }
        for (std::size_t i = 0; i < macros.size(); ++i) {
            r.text(macros[i], Reader::item("macros", i));
        }
    }
    if (root.contains("buttons")) {
        // Fire key names follow the fire keys just read.
        view.refreshContext(language);
        readButtons(r, root["buttons"], view);
    }

    fixChecksums(original, image);
    const auto bytes = image.bytes();
    std::copy_n(bytes.begin(), core::image::kProfileRun.end(), file.begin());
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(core::image::kFireKeyBlock.offset),
                core::image::kFireKeyBlock.length,
                file.begin() + static_cast<std::ptrdiff_t>(core::profile_file::kFireKeyBlock));
    result.profileFile = std::move(file);
    return result;
}

} // namespace

std::string JsonRefusal::text() const {
    std::string out;
    if (line > 0) {
        out += "line " + std::to_string(line) + ": ";
    }
    if (!field.empty()) {
        out += field + ": ";
    }
    return out + message;
}

std::string profileToJson(std::span<const Byte> profileFile, const core::LanguageTable& language) {
    const ProfileView view(profileFile, language);
    const core::ConfigImage& image = view.image;
    Json doc;
    doc["format"] = kProfileJsonFormat;
    doc["version"] = kProfileJsonVersion;
    doc["storageKind"] = view.kind == core::StorageKind::Flash ? "Flash" : "I2C";
    const auto mode = image.workMode();
    doc["workMode"] = mode ? Json(kModeNames[*mode - 1]) : Json(nullptr);
    doc["reportRate"] = image.reportRateHz();

    Json dpi;
    const auto enabled = image.enabledDpiLevels();
    dpi["enabledLevels"] = enabled ? Json(*enabled) : Json(nullptr);
    dpi["currentLevel"] = image.currentDpi() + 1;
    Json levels = Json::array();
    for (int level = 1; level <= static_cast<int>(core::image::kDpiLevelSlots); ++level) {
        Json entry;
        const auto step = image.dpiLevel(level);
        entry["step"] = step ? Json(*step + 1) : Json(nullptr);
        entry["dpi"] = step ? Json(dpiOfStep(language, *step + 1)) : Json(nullptr);
        entry["color"] = colourText(image.dpiColor(level));
        levels.push_back(entry);
    }
    dpi["levels"] = levels;
    doc["dpi"] = dpi;

    Json lighting;
    const core::LightingKind kind = image.lightingKind();
    lighting["kind"] = kind == core::LightingKind::Sync ? "Sync"
                       : kind == core::LightingKind::NT ? "NT"
                                                        : "RGB";
    lighting["effect"] = image.lightingEffect();
    lighting["stepTime"] = image.fallTime();
    Json colours = Json::array();
    for (int n = 1; n <= static_cast<int>(core::image::kLedColorCount); ++n) {
        colours.push_back(colourText(image.ledColor(n)));
    }
    lighting["colors"] = colours;
    doc["lighting"] = lighting;

    Json fireKeys = Json::array();
    for (std::size_t i = 0; i < core::image::kFireKeys; ++i) {
        const std::size_t at = core::image::kFireKeySettings + 3 * i;
        fireKeys.push_back(
            {{"count", image.byteAt(at) + 1}, {"delay", (image.byteAt(at + 1) << 8) | image.byteAt(at + 2)}});
    }
    doc["fireKeys"] = fireKeys;

    Json buttons;
    for (int m = 1; m <= 3; ++m) {
        Json modeButtons;
        for (int b = 1; b <= 12; ++b) {
            const core::KeyFunctionCode code = ProfileView::code(image, m, b);
            const std::string name = core::functionCodeName(code, view.context);
            Json entry;
            entry["function"] = name.empty() ? Json(nullptr) : Json(name);
            entry["code"] = code.text();
            modeButtons[std::to_string(b)] = entry;
        }
        buttons[kModeNames[m - 1]] = modeButtons;
    }
    doc["buttons"] = buttons;
    doc["macros"] = view.macros.names();

    Json lines = Json::array();
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (std::size_t at = 0; at < profileFile.size(); at += kHexLineBytes) {
        std::string line;
        for (std::size_t i = at; i < std::min(profileFile.size(), at + kHexLineBytes); ++i) {
            line += kHex[profileFile[i] >> 4];
            line += kHex[profileFile[i] & 0x0F];
        }
        lines.push_back(line);
    }
    doc["memory"] = {{"profileFile", lines}};
    return doc.dump(2) + "\n";
}

std::variant<JsonProfile, JsonRefusal> profileFromJson(std::string_view document,
                                                       const core::LanguageTable& language) {
    Json root;
    ReadTracker tracker{document.data(), document.data()};
    std::map<std::string, int> lines;
    LineSax sax(root, tracker, lines);
    const TrackingIterator first(document.data(), &tracker);
    const TrackingIterator last(document.data() + document.size(), &tracker);
    if (!Json::sax_parse(first, last, &sax) || root.is_discarded()) {
        std::string message = sax.error().empty() ? std::string("not a JSON document") : sax.error();
        // The parser's own text starts with its exception name; what follows says where and why.
        if (auto colon = message.find("] "); colon != std::string::npos) {
            message = message.substr(colon + 2);
        }
        // The parser names the line and column itself.
        return JsonRefusal{{}, 0, message};
    }
    try {
        return readDocument(Reader(std::move(lines)), root, language);
    } catch (const Refused& refused) {
        return refused.refusal;
    }
}

} // namespace tarvik::cli
