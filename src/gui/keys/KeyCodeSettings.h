#pragma once
// The two operations that re-code the buttons after a setting carried in their codes changed on
// the Advanced page: the fire key settings and the AIM step. Both decide in core and write the three
// profile sections back to the mouse (the complete CommitKeyBlock).

#include "core/keys/KeyFunctionCode.h"
#include "gui/pages/PageContext.h"

#include <array>

namespace tarvik::gui {

// SettingFireKey: `settings` become the fire key settings (in the FireKeyBlock of both buffers and
// in the shared state); every button of the three work modes that carried a fire key under the
// settings before gets its code built from the new ones.
void settingFireKey(const PageContext& context, const std::array<core::FireKeySetting, 3>& settings);

// SettingAIMKey: every AIM key of the three work modes carries the shared AIM step. When no button
// carries the AIM key, the AIM step goes back to 1, "Str105" is shown and false comes back.
bool settingAimKey(const PageContext& context);

} // namespace tarvik::gui
