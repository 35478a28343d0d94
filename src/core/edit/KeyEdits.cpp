#include "core/edit/KeyEdits.h"

#include "core/keys/AimKey.h"
#include "core/keys/ButtonAssignment.h"
#include "core/keys/FireKeyRewrites.h"

#include <span>

namespace tarvik::core {

namespace {

using Codes = std::array<KeyFunctionCode, ButtonCodeTable::kEntries>;

// The twelve codes of one work mode, out of the table's 36.
std::span<const KeyFunctionCode> modeCodes(const Codes& all, int mode) {
    ButtonCodeTable::entryOf(mode, 1); // throws for a mode outside 1..3
    return std::span<const KeyFunctionCode>(all).subspan(static_cast<std::size_t>(mode - 1) * 12, 12);
}

EditResult commit(ConfigCycle& cycle, ConfigCycle::Variant variant) {
    return EditResult::fromCycle(cycle.commitKeyBlock(variant));
}

void apply(ButtonCodeTable& table, const std::vector<KeyCodeRewrite>& rewrites) {
    for (const KeyCodeRewrite& rewrite : rewrites)
        table.set(rewrite.mode, rewrite.button, rewrite.code);
}

} // namespace

EditResult assignButton(ConfigCycle& cycle, int mode, int button, const KeyFunctionCode& code) {
    ButtonCodeTable& table = cycle.buttonCodeTable();
    ButtonCodeTable::entryOf(mode, button);
    const Codes codes = table.codes();
    // Office Mode is the one the mouse starts in: without a left key nothing could be clicked.
    if (mode == 1 && leavesNoLeftKey(modeCodes(codes, mode), button, code))
        return EditResult::refused(EditRefusal::NotAllowed);
    table.set(mode, button, code);
    return commit(cycle, ConfigCycle::Variant::Complete);
}

EditResult assignMacro(ConfigCycle& cycle, int mode, int button, const KeyFunctionCode& macroCode) {
    ButtonCodeTable& table = cycle.buttonCodeTable();
    ButtonCodeTable::entryOf(mode, button);
    if (takesLastLeftKey(modeCodes(table.codes(), mode), button, ButtonCodeTable::kButtons))
        return EditResult::refused(EditRefusal::NotAllowed);
    table.set(mode, button, macroCode);
    return commit(cycle, ConfigCycle::Variant::KeysOnly);
}

bool combinationAllowed(const ConfigCycle& cycle, int mode, int button) {
    ButtonCodeTable::entryOf(mode, button);
    return !takesLastLeftKey(modeCodes(cycle.buttonCodeTable().codes(), mode), button,
                             kCombinationLeftKeyButtons);
}

EditResult applyCombination(ConfigCycle& cycle, int mode, int button, const KeyFunctionCode& code) {
    if (!combinationAllowed(cycle, mode, button))
        return EditResult::refused(EditRefusal::NotAllowed);
    cycle.buttonCodeTable().set(mode, button, code);
    return commit(cycle, ConfigCycle::Variant::KeysOnly);
}

EditResult setFireKeys(ConfigCycle& cycle, ConfigBuffers& buffers, SettingsState& settings,
                       const FunctionCodeContext& naming, const std::array<FireKeySetting, 3>& keys) {
    if (cycle.applyingImage())
        return EditResult::refused(EditRefusal::Busy);
    const std::vector<KeyCodeRewrite> rewrites = fireKeyRewrites(buffers.workingImage, naming, keys);
    settings.fireKeys = keys;
    storeFireKeySettings(buffers.dataBuf, keys);
    // The WorkingImage too, so that anything taken from it later agrees with what the mouse holds.
    storeFireKeySettings(buffers.workingImage, keys);
    apply(cycle.buttonCodeTable(), rewrites);
    return commit(cycle, ConfigCycle::Variant::Complete);
}

EditResult setAimStep(ConfigCycle& cycle, ConfigBuffers& buffers, DpiState& dpi, int step) {
    if (step < 1 || step > kAimSteps)
        return EditResult::refused(EditRefusal::NotAllowed);
    dpi.aimStep = step;
    if (cycle.applyingImage())
        return EditResult::refused(EditRefusal::Busy);
    const std::vector<KeyCodeRewrite> rewrites = aimKeyRewrites(buffers.workingImage, step);
    if (rewrites.empty()) {
        // Without an AIM key the step has nothing to ride on.
        dpi.aimStep = 1;
        return EditResult::refused(EditRefusal::NotAllowed);
    }
    apply(cycle.buttonCodeTable(), rewrites);
    return commit(cycle, ConfigCycle::Variant::Complete);
}

} // namespace tarvik::core
