#include "core/image/FileLoadResult.h"

namespace tarvik::core {

std::string FileLoadResult::reason() const {
    switch (refusal) {
    case LoadRefusal::None:
        return "taken";
    case LoadRefusal::NoStorageKind:
        return "no I2C or Flash mouse to load the file for";
    case LoadRefusal::TooShort:
        return "file has " + std::to_string(size) + " bytes, " + std::to_string(needed) + " needed";
    case LoadRefusal::StorageKindMismatch:
        return "file was saved for another kind of mouse memory";
    }
    return "refused";
}

} // namespace tarvik::core
