#include "core/device/RuntimeOptions.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace tarvik::core {

namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

RuntimeOptions RuntimeOptions::parse(const std::function<std::optional<std::string>(const char*)>& lookup,
                                     const std::function<void(const std::string&)>& warn) {
    RuntimeOptions options;
    if (auto kind = lookup("TARVIK_EMULATOR")) {
        auto k = lowered(*kind);
        if (k == "i2c") {
            options.emulator = StorageKind::I2C;
        } else if (k == "flash") {
            options.emulator = StorageKind::Flash;
        }
    }
    if (auto path = lookup("TARVIK_TRANSCRIPT")) {
        options.transcriptPath = *path;
    }
    if (auto path = lookup("TARVIK_EMULATOR_STATE")) {
        options.emulatorStatePath = *path;
    }
    if (auto scale = lookup("TARVIK_TIME_SCALE")) {
        char* end = nullptr;
        double value = std::strtod(scale->c_str(), &end);
        if (end != scale->c_str() && *end == '\0' && std::isfinite(value) && value >= kMinTimeScale &&
            value <= kMaxTimeScale) {
            options.timeScale = value;
        } else if (warn) {
            std::ostringstream text;
            text << "TARVIK_TIME_SCALE=" << *scale << " ignored: a number from " << kMinTimeScale << " to "
                 << kMaxTimeScale << " is needed; using 1";
            warn(text.str());
        }
    }
    return options;
}

RuntimeOptions RuntimeOptions::fromEnvironment() {
    return parse(
        [](const char* name) -> std::optional<std::string> {
            const char* value = std::getenv(name);
            if (value == nullptr) {
                return std::nullopt;
            }
            return std::string(value);
        },
        [](const std::string& text) { std::fprintf(stderr, "tarvik-config: %s\n", text.c_str()); });
}

} // namespace tarvik::core
