#pragma once
// The edits of what the buttons do: a function from the menus, a device macro, a key combination,
// and the two settings carried inside the codes (the fire keys and the AIM step). Each changes the
// button code table (and so the WorkingImage) and writes the key sections back with the key-block
// commit; the window and tarvikctl call them alike and only show what came of it.
//
// `mode` is a work mode 1..3 and `button` a button 1..12 (std::out_of_range otherwise). A rule of
// the key menus that refuses the change gives EditRefusal::NotAllowed and changes nothing; each
// operation says which rule that is.

#include "core/cycle/ConfigCycle.h"
#include "core/edit/EditResult.h"
#include "core/keys/FunctionCodeContext.h"
#include "core/keys/KeyFunctionCode.h"
#include "core/settings/SettingsState.h"

#include <array>

namespace tarvik::core {

// Buttons counted by the left-key guard of key combinations; buttons 10-12 may keep a left key
// that a combination could not take the place of.
inline constexpr int kCombinationLeftKeyButtons = 9;

// A function of the menus' catalogue on a button, written with the fire key block. NotAllowed in
// Office Mode when no button would be left with the left key.
EditResult assignButton(ConfigCycle& cycle, int mode, int button, const KeyFunctionCode& code);

// A device macro (its code, 10 + the macro's address) on a button. NotAllowed when the button holds
// the only left key of the work mode.
EditResult assignMacro(ConfigCycle& cycle, int mode, int button, const KeyFunctionCode& macroCode);

// Whether a key combination may go on the button: not when it holds the only left key among buttons
// 1-9. The window asks before it opens the combination dialog.
bool combinationAllowed(const ConfigCycle& cycle, int mode, int button);

// A key combination (type 02) on a button. NotAllowed when combinationAllowed() says no.
EditResult applyCombination(ConfigCycle& cycle, int mode, int button, const KeyFunctionCode& code);

// SettingFireKey: `keys` become the fire key settings (the shared ones and the fire key block of
// DataBuf and the WorkingImage), and every button of the three work modes that carried a fire key
// gets the code built from the new settings; then the complete key-block commit. `naming` names
// the codes as they are, under the settings in force before: a fire key code is recognised only by
// the count and interval it was built from. Busy changes nothing.
EditResult setFireKeys(ConfigCycle& cycle, ConfigBuffers& buffers, SettingsState& settings,
                       const FunctionCodeContext& naming, const std::array<FireKeySetting, 3>& keys);

// SettingAIMKey: the AIM step `step` (1..12) becomes the shared one and every AIM key of the three
// work modes carries it; then the complete key-block commit. NotAllowed when no button carries the
// AIM key: the shared step goes back to 1 and nothing is sent (the window asks for an AIM key). A
// step outside 1..12 is NotAllowed and changes nothing. While busy the step is kept, unsent.
EditResult setAimStep(ConfigCycle& cycle, ConfigBuffers& buffers, DpiState& dpi, int step);

} // namespace tarvik::core
