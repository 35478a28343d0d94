#include "core/image/DefaultImages.h"

#include "core/image/ProfileFile.h"
#include "resources/Resources.h"

namespace tarvik::core {

DefaultImageKind defaultImageKindOf(std::span<const Byte> imageFile) {
    if (imageFile.size() <= profile_file::kStorageMarker) {
        return StorageKind::None;
    }
    return ConfigImage::storageKindOfMarker(imageFile[profile_file::kStorageMarker]);
}

void fillDefaultImage(std::span<const Byte> imageFile, DefaultImageKind kind, ConfigBuffers& into) {
    fillFromProfileLayout(imageFile, kind, into);
}

void loadDefaultImages(DefaultImageKind kind, DefaultImageBuffers& defaults) {
    for (std::size_t n = 0; n < defaults.size(); ++n) {
        if (auto bytes = resources::find(kDefaultImagePaths[n])) {
            fillDefaultImage(*bytes, kind, defaults[n]);
        }
    }
}

} // namespace tarvik::core
