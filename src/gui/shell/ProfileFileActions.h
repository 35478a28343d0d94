#pragma once
// The profile file buttons of the navigation bar after their guards (Btn_Save_0Click,
// Btn_Load_0Click): the whole mouse into a profile file, and a profile file into the mouse.

#include "gui/pages/PageContext.h"

class QString;
class QWidget;

namespace tarvik::core {
class DeviceDiscovery;
}

namespace tarvik::gui {

// Asks for a file name ("SaveFile (*.bin)", ".bin" always appended), reads the mouse afresh and
// writes what it holds; a file that cannot be written is reported with its error text.
void saveProfileFile(QWidget& window, const PageContext& context, core::DeviceDiscovery& discovery);

// Asks for a file ("LoadFile (*.bin)") and writes it into the mouse, which then restarts and is
// found again; a file that is refused is reported and changes nothing.
void loadProfileFile(QWidget& window, const PageContext& context);

// The profile file at `path` into the mouse as loadProfileFile writes a chosen one (a backup being
// restored): the same checks, the same reports.
void writeProfileFileToMouse(QWidget& window, const PageContext& context, const QString& path);

} // namespace tarvik::gui
