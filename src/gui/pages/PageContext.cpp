#include "gui/pages/PageContext.h"

#include "core/cycle/ConfigCycle.h"
#include "gui/AppState.h"

namespace tarvik::gui {

core::FunctionCodeContext PageContext::namingContext() const {
    core::FunctionCodeContext context;
    context.language = state.language;
    context.storageKind = state.buffers.storageKind;
    context.suffixes = state.codeSuffixes;
    context.aimDpiStep = state.settings.dpi.aimStep;
    context.fireKeys = state.settings.fireKeys;
    const core::DeviceMacroTable* macros = &cycle.deviceMacroTable();
    context.macroNameAt = [macros](std::uint16_t address) { return macros->nameAt(address); };
    return context;
}

} // namespace tarvik::gui
