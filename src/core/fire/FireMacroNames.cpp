#include "core/fire/FireMacroNames.h"

#include "core/macros/MacroName.h"

namespace tarvik::core {

bool fireMacroSlotInUse(const FireMacroStore::Name& name) {
    const bool never = name[0] == 0x00 && name[1] == 0x00;
    const bool erased = name[0] == 0xFF && name[1] == 0xFF;
    return !never && !erased;
}

std::vector<std::string> fireMacroNamesInUse(const FireMacroSlots& slots) {
    std::vector<std::string> names;
    for (const FireMacroStore::Name& name : slots.names)
        if (fireMacroSlotInUse(name))
            names.push_back(fieldToName(name));
    return names;
}

} // namespace tarvik::core
