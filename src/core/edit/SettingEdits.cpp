#include "core/edit/SettingEdits.h"

#include "core/cycle/WorkModeSwitch.h"
#include "core/settings/SettingWrites.h"

namespace tarvik::core {

namespace {

// Why nothing may be sent now; None when the mouse can take a live write.
EditRefusal liveRefusal(const ConfigCycle& cycle, const DeviceLink& link) {
    if (cycle.applyingImage())
        return EditRefusal::Busy;
    if (!link.connected())
        return EditRefusal::NoDevice;
    if (!cycle.configurationRead())
        return EditRefusal::NotRead;
    return EditRefusal::None;
}

EditResult send(const ConfigCycle& cycle, DeviceLink& link, const std::optional<LiveWrite>& write) {
    if (!write)
        return EditResult::refused(EditRefusal::NotAllowed);
    if (const EditRefusal why = liveRefusal(cycle, link); why != EditRefusal::None)
        return EditResult::refused(why);
    const DeviceLink::WriteCheck check(link);
    link.writeSetting(write->offset, write->values[0], write->values[1], write->values[2], write->count);
    return check.allStored() ? EditResult::storedResult() : EditResult::notStored();
}

} // namespace

EditResult setDpiStep(const ConfigCycle& cycle, DeviceLink& link, DpiState& dpi, int level, int step) {
    return send(cycle, link, selectDpiStep(dpi, level, step));
}

EditResult setCurrentDpi(const ConfigCycle& cycle, DeviceLink& link, DpiState& dpi, int level) {
    return send(cycle, link, selectCurrentDpi(dpi, level));
}

EditResult setDpiColour(const ConfigCycle& cycle, DeviceLink& link, const DpiState& dpi, int level,
                        Rgb colour) {
    // The colours of levels beyond the enabled ones cannot be chosen.
    if (level < 1 || level > dpi.enabledLevels)
        return EditResult::refused(EditRefusal::NotAllowed);
    return send(cycle, link, dpiColourWrite(level, colour));
}

EditResult setReportRate(const ConfigCycle& cycle, DeviceLink& link, DpiState& dpi, ConfigImage& working,
                         int code, const std::function<void()>& restart) {
    if (code < 0 || code > 3)
        return EditResult::refused(EditRefusal::NotAllowed);
    if (cycle.applyingImage())
        return EditResult::refused(EditRefusal::Busy);
    const RateChoice choice = selectReportRate(dpi, working, code);
    const EditResult result = send(cycle, link, choice.write);
    // The mouse takes a new rate only when it restarts; a rate it refused needs none.
    if (result.stored() && choice.reset && restart)
        restart();
    return result;
}

EditResult setLightingMode(const ConfigCycle& cycle, DeviceLink& link, LightingState& lighting,
                           const ConfigImage& working, int mode) {
    return send(cycle, link, selectLightingMode(lighting, working, mode));
}

EditResult setStepTime(const ConfigCycle& cycle, DeviceLink& link, LightingState& lighting,
                       ConfigImage& working, int level) {
    if (level < 1 || level > 10)
        return EditResult::refused(EditRefusal::NotAllowed);
    if (cycle.applyingImage()) {
        lighting.fallLevel = level;
        return EditResult::refused(EditRefusal::Busy);
    }
    return send(cycle, link, selectFallLevel(lighting, working, level));
}

EditResult setLightingColour(const ConfigCycle& cycle, DeviceLink& link, LightingState& lighting, int c,
                             Rgb colour) {
    if (c < 1 || c > LightingState::kColours || lighting.kind == LightingKind::Sync)
        return EditResult::refused(EditRefusal::NotAllowed);
    lighting.colours[static_cast<std::size_t>(c - 1)] = colour;
    return send(cycle, link, ledColourWrite(c, colour));
}

EditResult switchWorkMode(const ConfigCycle& cycle, DeviceLink& link, ConfigImage& working, int mode,
                          bool buttonEffect) {
    const auto writes = workModeWrites(mode, buttonEffect);
    working.setWorkMode(mode);
    if (const EditRefusal why = liveRefusal(cycle, link); why != EditRefusal::None)
        return EditResult::refused(why);
    const DeviceLink::WriteCheck check(link);
    for (const SettingWrite& write : writes)
        link.writeSetting(write.offset, write.value, 0, 0, 1);
    return check.allStored() ? EditResult::storedResult() : EditResult::notStored();
}

} // namespace tarvik::core
