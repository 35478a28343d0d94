#pragma once
// The edits of the live settings (the Advanced and Breathing Light pages) and the work-mode switch:
// each updates the settings the window holds, as SettingWrites decides, and sends the live write.
// The window and tarvikctl call them alike and only show what came of it.
//
// Nothing is sent while a configuration is drawn (Busy), without a mouse (NoDevice) or to a mouse
// whose configuration was not read whole (NotRead): a live write carries bytes taken from what was
// read (the partner DPI level, the lighting kind, the other bits of the rate byte). The settings
// take the change all the same, so that a window without a mouse keeps editing, except where an
// operation says otherwise. A value the mouse does not offer is NotAllowed and changes nothing.
// A single live write is not retried: the caller tells the user and reads the mouse again.

#include "core/cycle/ConfigCycle.h"
#include "core/device/DeviceLink.h"
#include "core/edit/EditResult.h"
#include "core/settings/SettingsState.h"

#include <functional>

namespace tarvik::core {

// DPI level `level` takes step `step` (1..12). NotAllowed for a level beyond the enabled ones.
EditResult setDpiStep(const ConfigCycle& cycle, DeviceLink& link, DpiState& dpi, int level, int step);

// Level `level` becomes the current one. NotAllowed for a level that is not enabled.
EditResult setCurrentDpi(const ConfigCycle& cycle, DeviceLink& link, DpiState& dpi, int level);

// The colour of DPI level `level`. NotAllowed for a level that is not enabled.
EditResult setDpiColour(const ConfigCycle& cycle, DeviceLink& link, const DpiState& dpi, int level,
                        Rgb colour);

// The report rate by its code (0..3 for 125, 250, 500, 1000 Hz) into the WorkingImage and to the
// mouse. A rate other than the one in force needs a restart: `restart` is called once the mouse has
// taken the write (not after a failed one, whose rate the mouse never got). While busy nothing
// changes. NotAllowed for a code outside 0..3.
EditResult setReportRate(const ConfigCycle& cycle, DeviceLink& link, DpiState& dpi, ConfigImage& working,
                         int code, const std::function<void()>& restart);

// Lighting effect `mode` (0 off, 1..5). NotAllowed when the lighting kind does not offer it.
EditResult setLightingMode(const ConfigCycle& cycle, DeviceLink& link, LightingState& lighting,
                           const ConfigImage& working, int mode);

// Step-time level `level` (1..10), also into the WorkingImage's FallTime. While busy only the level
// shown changes: the image being drawn keeps the FallTime it was read with.
EditResult setStepTime(const ConfigCycle& cycle, DeviceLink& link, LightingState& lighting,
                       ConfigImage& working, int level);

// Lighting colour `c` (1..10), which the fire slots show too. NotAllowed for another number and for
// a lighting kind that follows the DPI colours ("Sync").
EditResult setLightingColour(const ConfigCycle& cycle, DeviceLink& link, LightingState& lighting, int c,
                             Rgb colour);

// The work mode 1..3 (workModeWrites, every one of them sent even after a refused one) and its
// record in the WorkingImage's CurrentProfile, which the window draws whatever the mouse did.
// `buttonEffect` is the general table's BE_Enable. std::out_of_range for another mode.
EditResult switchWorkMode(const ConfigCycle& cycle, DeviceLink& link, ConfigImage& working, int mode,
                          bool buttonEffect);

} // namespace tarvik::core
