#include "core/image/ConfigBuffers.h"

#include <algorithm>

namespace tarvik::core {

namespace {
namespace fs = memmap::flash;

template <typename Dst, typename Src> void copyInto(Dst& dst, const Src& src) {
    static_assert(sizeof(dst) == sizeof(src));
    std::copy(std::begin(src), std::end(src), std::begin(dst));
}
} // namespace

void ConfigBuffers::commitToDataBuf(image::Section s) {
    if (s == image::kProfileRun) {
        workingImage.fixProfileChecksums();
    } else if (std::find(std::begin(image::kChecksummedSections), std::end(image::kChecksummedSections), s) !=
               std::end(image::kChecksummedSections)) {
        workingImage.fixChecksum(s);
    }
    dataBuf.copySectionFrom(workingImage, s);
}

void ConfigBuffers::dataBufToMemo() {
    workingImage.setStorageMarker(storageKind);
    workingImage.fixAllChecksums();
    dataBuf = workingImage;
    joinFireMacroStore();
}

std::span<const Byte, buffers::kFlashSectorSize> ConfigBuffers::assembleFlashSector() {
    auto sector = std::span<Byte, buffers::kFlashSectorSize>(flashSector);
    std::copy(flashSectorHeader.begin(), flashSectorHeader.end(), sector.begin());
    auto profiles = dataBuf.section(image::kProfileRun);
    std::copy(profiles.begin(), profiles.end(), sector.begin() + fs::kSectorProfiles);
    std::copy(reservedBlock.begin(), reservedBlock.end(), sector.begin() + fs::kSectorReserved);
    return flashSector;
}

void ConfigBuffers::takeFlashSector() {
    auto sector = std::span<const Byte, buffers::kFlashSectorSize>(flashSector);
    std::copy_n(sector.begin(), flashSectorHeader.size(), flashSectorHeader.begin());
    auto profiles = dataBuf.section(image::kProfileRun);
    std::copy_n(sector.begin() + fs::kSectorProfiles, profiles.size(), profiles.begin());
    std::copy_n(sector.begin() + fs::kSectorReserved, reservedBlock.size(), reservedBlock.begin());
    patchLocked = flashSectorHeader[fs::kSectorPatchLockByte] == fs::kPatchLockedValue;
}

void ConfigBuffers::takeDefaultImage(const ConfigBuffers& defaults, DefaultImageKind kind) {
    for (const auto& s : image::kChecksummedSections) {
        dataBuf.copySectionFrom(defaults.dataBuf, s);
    }
    dataBuf.copySectionFrom(defaults.dataBuf, image::kFireKeyBlock);

    if (kind == StorageKind::I2C) {
        copyInto(deviceMacroArea, defaults.deviceMacroArea);
        copyInto(patchHeaderRecord, defaults.patchHeaderRecord);
        copyInto(eepromPatchCode, defaults.eepromPatchCode);
    } else if (kind == StorageKind::Flash) {
        copyInto(flashMacroNames, defaults.flashMacroNames);
        copyInto(flashMacroBodies, defaults.flashMacroBodies);
        copyInto(flashSectorHeader, defaults.flashSectorHeader);
        copyInto(flashPatchCode, defaults.flashPatchCode);
    }
    fireMacroStore = defaults.fireMacroStore;
    splitFireMacroStore();
}

} // namespace tarvik::core
