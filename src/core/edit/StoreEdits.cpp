#include "core/edit/StoreEdits.h"

namespace tarvik::core {

namespace {

// Buttons that play a macro whose address moved in the change from `before` follow it; those
// playing the deleted one fall back.
void repointButtons(ConfigCycle& cycle, const FunctionCodeContext& naming, const MacroAddressTable& before,
                    std::optional<std::size_t> deletedRow) {
    const auto moves = macroAddressMoves(before, deletedRow, cycle.deviceMacroTable().addressTable());
    const auto codes = cycle.buttonCodeTable().codes();
    for (const ButtonCodeChange& change : repointMacroCodes(codes, moves, naming)) {
        cycle.buttonCodeTable().set(change.mode, change.button, change.code);
    }
}

MacroEdit tableRefused(DeviceMacroTable::Result why) {
    return {EditResult::refused(EditRefusal::NotAllowed), why};
}

} // namespace

MacroEdit addDeviceMacro(ConfigCycle& cycle, const FunctionCodeContext& naming, const MacroNameField& name,
                         std::span<const Byte, kMacroBodySize> body) {
    if (cycle.applyingImage()) {
        return {EditResult::refused(EditRefusal::Busy)};
    }
    DeviceMacroTable& table = cycle.deviceMacroTable();
    const MacroAddressTable before = table.addressTable();
    if (const auto added = table.add(name, body); added != DeviceMacroTable::Result::Done) {
        return tableRefused(added);
    }
    // Packing the "I2C" area again may move earlier macros: the codes follow inside the write, before
    // the key sections go out with the macros.
    return {EditResult::fromCycle(
        cycle.writeDeviceMacros([&] { repointButtons(cycle, naming, before, std::nullopt); }))};
}

MacroEdit deleteDeviceMacro(ConfigCycle& cycle, const FunctionCodeContext& naming, std::size_t row) {
    if (cycle.applyingImage()) {
        return {EditResult::refused(EditRefusal::Busy)};
    }
    DeviceMacroTable& table = cycle.deviceMacroTable();
    const MacroAddressTable before = table.addressTable();
    if (const auto removed = table.remove(row); removed != DeviceMacroTable::Result::Done) {
        return tableRefused(removed);
    }
    // The codes now hold the new addresses; the macro write must not apply the moves a second time.
    repointButtons(cycle, naming, before, row);
    const EditResult keys = EditResult::fromCycle(cycle.commitKeyBlock(ConfigCycle::Variant::KeysOnly));
    if (keys.partlyWritten()) {
        // Macros moved under buttons whose new codes the mouse did not take would play the wrong
        // macro: they stay where the mouse has them, and the front end reads the mouse again.
        return {keys};
    }
    // Also when nothing could be sent: the buffers take the table, so that they agree with the codes
    // just re-pointed in them (the write itself then refuses for the same reason).
    return {EditResult::fromCycle(cycle.writeDeviceMacros())};
}

EditResult confirmFirePage(ConfigCycle& cycle, ConfigBuffers& buffers, std::span<const Rgb, 10> colours,
                           const std::optional<ButtonCodeChange>& presetButton) {
    if (cycle.applyingImage()) {
        return EditResult::refused(EditRefusal::Busy);
    }
    if (presetButton) {
        cycle.buttonCodeTable().set(presetButton->mode, presetButton->button, presetButton->code);
    }
    buffers.joinFireMacroStore();
    return EditResult::fromCycle(cycle.commitFireMacros(colours));
}

FileEdit loadProfile(ConfigCycle& cycle, std::span<const Byte> file, ProfileSource source,
                     const std::function<void()>& resetAndRefind) {
    FileEdit edit;
    edit.result = EditResult::fromCycle(cycle.loadProfile(file, resetAndRefind, &edit.file, source));
    return edit;
}

FileEdit programPatch(ConfigCycle& cycle, std::span<const Byte> file,
                      const std::function<void()>& resetAndRefind) {
    FileEdit edit;
    edit.result = EditResult::fromCycle(cycle.programPatch(file, resetAndRefind, &edit.file));
    return edit;
}

EditResult defaultSettings(ConfigCycle& cycle, int n, const std::function<void()>& resetAndRefind) {
    return EditResult::fromCycle(cycle.defaultSettings(n, resetAndRefind));
}

EditResult repairWithDefaults(ConfigCycle& cycle, StorageKind kind, int n,
                              const std::function<void()>& resetAndRefind) {
    return EditResult::fromCycle(cycle.repairWithDefaults(kind, n, resetAndRefind));
}

} // namespace tarvik::core
