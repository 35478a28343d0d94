#pragma once
// Profile files changed for tests: checksums made right again after the bytes were changed, and the
// same mouse's file with other settings.

#include "core/image/Checksum.h"
#include "core/image/ConfigImage.h"

#include <cstddef>
#include <span>
#include <vector>

namespace tarvik::test {

inline void fixChecksums(std::vector<core::Byte>& file) {
    for (const auto& section : core::image::kChecksummedSections) {
        core::checksumXor5A(std::span<core::Byte>(file).subspan(section.offset, section.length));
    }
}

// A sound profile file of the same mouse with other settings: the settings, profiles and reserved
// block changed, the ids, identity bytes and marker kept.
inline std::vector<core::Byte> withOtherSettings(std::vector<core::Byte> file) {
    for (std::size_t i = 4; i < 484; ++i) {
        file[i] ^= 0x5A;
    }
    fixChecksums(file);
    return file;
}

} // namespace tarvik::test
