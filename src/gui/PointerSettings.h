#pragma once
// The operating system's pointer settings of the current user, as the Advanced page shows them.
// Only a platform that keeps these settings in one known place can read them; elsewhere the page
// keeps its first pictures rather than show values nobody read.

#include <memory>
#include <optional>

namespace tarvik::gui {

struct PointerParameters {
    int speed = 0;          // pointer speed value 1..20
    bool precision = false; // pointer acceleration on
    int doubleClickMs = 0;  // double-click time
    int wheelLines = 0;     // lines per notch, -1 for one screen
};

class PointerSettings {
public:
    virtual ~PointerSettings() = default;
    // The settings in force, or nothing where the platform cannot tell them.
    virtual std::optional<PointerParameters> read() const = 0;
};

// The reader of the platform the program runs on.
std::unique_ptr<PointerSettings> makeSystemPointerSettings();

} // namespace tarvik::gui
