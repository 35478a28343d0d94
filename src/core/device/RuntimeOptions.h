#pragma once
// The environment switches of the device path, read in this one place.
//   TARVIK_EMULATOR=i2c|flash   talk to the built-in virtual mouse of that storage kind
//   TARVIK_EMULATOR_STATE=<file> keep the virtual mouse's memory in file across runs
//   TARVIK_TRANSCRIPT=<file>    append every report exchanged with the mouse to file
//   TARVIK_TIME_SCALE=<factor>  scale every wait and timer (default 1)

#include <functional>
#include <optional>
#include <string>

#include "core/image/ConfigImage.h"

namespace tarvik::core {

struct RuntimeOptions {
    StorageKind emulator = StorageKind::None; // None: the system's HID devices
    std::string transcriptPath;               // empty: no transcript
    std::string emulatorStatePath;            // empty: the virtual mouse starts afresh each run
    double timeScale = 1.0;

    // The time scales accepted: far enough down for benchmarks that skip every wait, far enough up
    // for slow-motion demonstrations, and never so large that a scaled interval overflows.
    static constexpr double kMinTimeScale = 1e-6;
    static constexpr double kMaxTimeScale = 100.0;

    // lookup returns the value of a variable, or nothing when it is not set. Values that do not
    // parse (an unknown emulator kind, a scale that is not a number within the range) are ignored,
    // and each is described to warn (when given) in one line.
    static RuntimeOptions parse(const std::function<std::optional<std::string>(const char*)>& lookup,
                                const std::function<void(const std::string&)>& warn = {});
    // From the process environment, with warnings on standard error.
    static RuntimeOptions fromEnvironment();
};

} // namespace tarvik::core
