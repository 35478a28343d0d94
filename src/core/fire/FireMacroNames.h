#pragma once
// The names of the fire macros as RefreshFireMacroName lists them.

#include "core/image/FireMacroStore.h"

#include <string>
#include <vector>

namespace tarvik::core {

// A slot whose name field starts with two zero bytes (never named) or two 0xFF bytes (erased
// memory) is not in use.
bool fireMacroSlotInUse(const FireMacroStore::Name& name);

// The names of the slots in use, in slot order.
std::vector<std::string> fireMacroNamesInUse(const FireMacroSlots& slots);

} // namespace tarvik::core
