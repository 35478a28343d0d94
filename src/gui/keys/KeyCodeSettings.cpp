#include "gui/keys/KeyCodeSettings.h"

#include "core/cycle/ConfigCycle.h"
#include "core/keys/AimKey.h"
#include "core/keys/FireKeyRewrites.h"
#include "gui/AppState.h"
#include "gui/pages/NotStored.h"

namespace tarvik::gui {

void settingFireKey(const PageContext& context, const std::array<core::FireKeySetting, 3>& settings) {
    AppState& state = context.state;
    // Named before the settings change: a fire key code is known only by the settings it was built from.
    const core::FunctionCodeContext before = context.namingContext();
    state.settings.fireKeys = settings;
    core::storeFireKeySettings(state.buffers.dataBuf, settings);
    // The WorkingImage too, so that anything taken from it later agrees with what the mouse holds.
    core::storeFireKeySettings(state.buffers.workingImage, settings);
    core::ButtonCodeTable& table = context.cycle.buttonCodeTable();
    for (const core::KeyCodeRewrite& rewrite :
         core::fireKeyRewrites(state.buffers.workingImage, before, settings))
        table.set(rewrite.mode, rewrite.button, rewrite.code);
    if (context.cycle.commitKeyBlock(core::ConfigCycle::Variant::Complete) == core::CycleResult::NotStored)
        context.shell.reportNotStored(notstored::kKeys, true);
}

bool settingAimKey(const PageContext& context) {
    AppState& state = context.state;
    const auto rewrites = core::aimKeyRewrites(state.buffers.workingImage, state.settings.dpi.aimStep);
    core::ButtonCodeTable& table = context.cycle.buttonCodeTable();
    for (const core::KeyCodeRewrite& rewrite : rewrites)
        table.set(rewrite.mode, rewrite.button, rewrite.code);
    if (context.cycle.commitKeyBlock(core::ConfigCycle::Variant::Complete) == core::CycleResult::NotStored)
        context.shell.reportNotStored(notstored::kKeys, true);
    if (!rewrites.empty())
        return true;
    state.settings.dpi.aimStep = 1;
    context.shell.showMessage("Str105");
    return false;
}

} // namespace tarvik::gui
