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
    case LoadRefusal::TooLong:
        return "file has " + std::to_string(size) + " bytes, at most " + std::to_string(needed) + " expected";
    case LoadRefusal::BadChecksum:
        return "the section at offset " + std::to_string(section) +
               " is damaged (its checksum does not match)";
    case LoadRefusal::OtherMouse:
        return "file was saved from another mouse (its vendor, product or identity bytes differ)";
    }
    return "refused";
}

} // namespace tarvik::core
