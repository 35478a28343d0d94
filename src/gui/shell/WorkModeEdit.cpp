#include "gui/shell/WorkModeEdit.h"

#include "core/edit/SettingEdits.h"

namespace tarvik::gui {

bool switchWorkModePartlyWritten(const core::ConfigCycle& cycle, core::DeviceLink& link,
                                 core::ConfigImage& working, int mode, bool buttonEffect) {
    return core::switchWorkMode(cycle, link, working, mode, buttonEffect).partlyWritten();
}

} // namespace tarvik::gui
