#pragma once
// The identity of built-in default image 1: which USB ids to open, which identity bytes a mouse of
// this product line carries, and which storage kind the default images are made for.

#include <cstdint>
#include <optional>
#include <span>

#include "core/image/ConfigImage.h"

namespace tarvik::core {

struct DefaultIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    Byte manuId = 0;
    Byte proId = 0;
    StorageKind defaultImageKind = StorageKind::None;

    // From the first 512 bytes of a ProfileFile; missing bytes read as 0.
    static DefaultIdentity fromImage(std::span<const Byte> image);
    // From the built-in "images/TarvikData_Cfg1.bin"; nothing when it is not built in.
    static std::optional<DefaultIdentity> fromResources();
};

} // namespace tarvik::core
