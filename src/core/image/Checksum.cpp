#include "core/image/Checksum.h"

namespace tarvik::core {

Byte computeChecksumXor5A(std::span<const Byte> bytes) {
    Byte sum = 0;
    for (Byte b : bytes) {
        sum = static_cast<Byte>(sum + b);
    }
    return static_cast<Byte>(sum ^ image::kChecksumXor);
}

void checksumXor5A(std::span<Byte> section) {
    if (section.empty()) {
        return;
    }
    section.back() = computeChecksumXor5A(section.first(section.size() - 1));
}

} // namespace tarvik::core
