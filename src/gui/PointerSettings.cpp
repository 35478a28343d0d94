#include "gui/PointerSettings.h"

namespace tarvik::gui {

namespace {

// Desktops on Linux keep pointer speed, double-click time and wheel lines each in their own
// settings store, and none of them is standard; nothing is read there.
class UnavailablePointerSettings final : public PointerSettings {
public:
    std::optional<PointerParameters> read() const override { return std::nullopt; }
};

} // namespace

std::unique_ptr<PointerSettings> makeSystemPointerSettings() {
    return std::make_unique<UnavailablePointerSettings>();
}

} // namespace tarvik::gui
