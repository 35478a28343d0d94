#include "core/device/DefaultIdentity.h"

#include "resources/Resources.h"

namespace tarvik::core {

namespace {
constexpr std::size_t kIdentityBytes = 512;
constexpr std::size_t kManuIdAt = 484;
constexpr std::size_t kProIdAt = 485;
constexpr std::size_t kMarkerAt = 495;
} // namespace

DefaultIdentity DefaultIdentity::fromImage(std::span<const Byte> image) {
    image = image.first(std::min(image.size(), kIdentityBytes));
    auto at = [&](std::size_t i) -> Byte { return i < image.size() ? image[i] : Byte{0}; };
    DefaultIdentity identity;
    identity.vendorId = static_cast<std::uint16_t>(at(0) << 8 | at(1));
    identity.productId = static_cast<std::uint16_t>(at(2) << 8 | at(3));
    identity.manuId = at(kManuIdAt);
    identity.proId = at(kProIdAt);
    if (at(kMarkerAt) == image::kMarkerI2C) {
        identity.defaultImageKind = StorageKind::I2C;
    } else if (at(kMarkerAt) == image::kMarkerFlash) {
        identity.defaultImageKind = StorageKind::Flash;
    }
    return identity;
}

std::optional<DefaultIdentity> DefaultIdentity::fromResources() {
    auto image = tarvik::resources::find("images/TarvikData_Cfg1.bin");
    if (!image) {
        return std::nullopt;
    }
    return fromImage(*image);
}

} // namespace tarvik::core
