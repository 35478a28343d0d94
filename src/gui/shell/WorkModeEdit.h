#pragma once
// The window's work-mode switch on the mouse, kept apart from the window's own file: that file also
// sees the macro editor, whose text-edit result shares its name with the result of the edits.

#include "core/cycle/ConfigCycle.h"
#include "core/device/DeviceLink.h"

namespace tarvik::gui {

// core::switchWorkMode; true when the mouse may hold part of the switch (the window then says so
// once and reads the mouse again). Nothing sent for another reason is no failure to report.
bool switchWorkModePartlyWritten(const core::ConfigCycle& cycle, core::DeviceLink& link,
                                 core::ConfigImage& working, int mode, bool buttonEffect);

} // namespace tarvik::gui
