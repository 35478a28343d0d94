#include "core/text/GeneralLayout.h"

namespace tarvik::core {

GeneralLayout GeneralLayout::read(const LayoutConfig& config) {
    GeneralLayout layout;
    layout.webEnabled = config.readSwitch(kSection, "Web_Enable", layout.webEnabled);
    layout.web = config.readString(kSection, "Web");
    layout.webX = config.readInteger(kSection, "Web_X", layout.webX);
    layout.webY = config.readInteger(kSection, "Web_Y", layout.webY);
    layout.revManuId = config.readInteger(kSection, "Rev_Manu_ID", layout.revManuId);
    layout.revProId = config.readInteger(kSection, "Rev_Pro_ID", layout.revProId);
    layout.macroPath = config.readString(kSection, "Path");
    layout.textRolling = config.readSwitch(kSection, "TR_Enable", layout.textRolling);
    layout.buttonEffect = config.readSwitch(kSection, "BE_Enable", layout.buttonEffect);
    return layout;
}

GeneralLayout GeneralLayout::loadBuiltIn() {
    const auto config = LayoutConfig::loadBuiltIn(kSection);
    return config ? read(*config) : GeneralLayout();
}

} // namespace tarvik::core
