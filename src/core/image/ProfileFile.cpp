#include "core/image/ProfileFile.h"

#include "core/image/Checksum.h"

#include <algorithm>
#include <system_error>

namespace tarvik::core {

namespace pf = profile_file;

namespace {

// Copies the part of dst.size() bytes at `offset` that lies inside `file`.
void copyClamped(std::span<const Byte> file, std::size_t offset, std::span<Byte> dst) {
    if (offset >= file.size()) {
        return;
    }
    std::size_t n = std::min(dst.size(), file.size() - offset);
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), n, dst.begin());
}

void fillLayout(std::span<const Byte> file, StorageKind kind, bool takeFlashPatch, ConfigBuffers& b) {
    copyClamped(file, pf::kVendorSection, b.dataBuf.section(image::kVendorSection));
    copyClamped(file, pf::kUserSection, b.dataBuf.section(image::kUserSection));
    copyClamped(file, pf::kProfiles, b.dataBuf.section(image::kProfileRun));
    copyClamped(file, pf::kFireKeyBlock, b.dataBuf.section(image::kFireKeyBlock));

    if (kind == StorageKind::I2C) {
        copyClamped(file, pf::kI2CMacroArea, b.deviceMacroArea);
        copyClamped(file, pf::kI2CFireMacroStore, b.fireMacroStore.bytes());
        copyClamped(file, pf::kI2CPatchHeaderRecord, b.patchHeaderRecord);
        copyClamped(file, pf::kI2CPatchCode, b.eepromPatchCode);
    } else if (kind == StorageKind::Flash) {
        for (std::size_t i = 0; i < b.flashMacroNames.size(); ++i) {
            copyClamped(file, pf::kFlashMacroNames + i * buffers::kFlashMacroNameSize, b.flashMacroNames[i]);
        }
        for (std::size_t i = 0; i < b.flashMacroBodies.size(); ++i) {
            copyClamped(file, pf::kFlashMacroBodies + i * buffers::kFlashMacroBodySize,
                        b.flashMacroBodies[i]);
        }
        copyClamped(file, pf::kFlashFireMacroStore, b.fireMacroStore.bytes());
        if (takeFlashPatch) {
            copyClamped(file, pf::kFlashSectorHeader, b.flashSectorHeader);
            copyClamped(file, pf::kFlashPatchCode, b.flashPatchCode);
        }
    }
}

template <typename Range> void append(std::vector<Byte>& out, const Range& r) {
    out.insert(out.end(), std::begin(r), std::end(r));
}

} // namespace

std::size_t profileFileSize(StorageKind kind, bool patchLocked) {
    switch (kind) {
    case StorageKind::I2C:
        return pf::kI2CSize;
    case StorageKind::Flash:
        return patchLocked ? pf::kFlashLockedSize : pf::kFlashSize;
    case StorageKind::None:
        break;
    }
    return 0;
}

std::vector<Byte> writeProfileFile(const ConfigBuffers& b) {
    std::vector<Byte> out;
    if (b.storageKind == StorageKind::None) {
        return out;
    }
    out.reserve(profileFileSize(b.storageKind, b.patchLocked));
    append(out, b.dataBuf.section({0, image::kFireKeyBlock.offset})); // the five sections, 0-338
    append(out, b.reservedBlock);
    out.insert(out.end(), pf::kFiller.length, pf::kFillerByte);
    append(out, b.dataBuf.section(image::kFireKeyBlock));

    if (b.storageKind == StorageKind::I2C) {
        append(out, b.deviceMacroArea);
        append(out, b.fireMacroStore.bytes());
        append(out, b.patchHeaderRecord);
        append(out, b.eepromPatchCode);
    } else {
        for (const auto& name : b.flashMacroNames) {
            append(out, name);
        }
        for (const auto& body : b.flashMacroBodies) {
            append(out, body);
        }
        append(out, b.fireMacroStore.bytes());
        if (!b.patchLocked) {
            append(out, b.flashSectorHeader);
            append(out, b.flashPatchCode);
        }
    }
    return out;
}

FileLoadResult readProfileFile(std::span<const Byte> file, ConfigBuffers& b) {
    FileLoadResult result;
    result.size = file.size();
    result.needed = profileFileSize(b.storageKind, b.patchLocked);
    if (b.storageKind == StorageKind::None) {
        result.refusal = LoadRefusal::NoStorageKind;
        return result;
    }
    if (file.size() > pf::kStorageMarker &&
        ConfigImage::storageKindOfMarker(file[pf::kStorageMarker]) != b.storageKind) {
        result.refusal = LoadRefusal::StorageKindMismatch;
        return result;
    }
    // A short file would leave the buffers half old and half new, and that mixture would be
    // written to the mouse: refuse it whole.
    if (file.size() < result.needed) {
        result.refusal = LoadRefusal::TooShort;
        return result;
    }
    fillLayout(file, b.storageKind, !b.patchLocked, b);
    b.splitFireMacroStore();
    return result;
}

FileLoadResult checkProfileFile(std::span<const Byte> file, StorageKind kind, bool patchLocked,
                                const MouseIdentity& mouse, ProfileSource source) {
    FileLoadResult result;
    result.size = file.size();
    result.needed = profileFileSize(kind, patchLocked);
    if (kind == StorageKind::None) {
        result.refusal = LoadRefusal::NoStorageKind;
        return result;
    }
    if (file.size() > pf::kStorageMarker &&
        ConfigImage::storageKindOfMarker(file[pf::kStorageMarker]) != kind) {
        result.refusal = LoadRefusal::StorageKindMismatch;
        return result;
    }
    if (file.size() < result.needed) {
        result.refusal = LoadRefusal::TooShort;
        return result;
    }
    if (const std::size_t most = profileFileSize(kind, false); file.size() > most) {
        result.needed = most;
        result.refusal = LoadRefusal::TooLong;
        return result;
    }
    // The sections sit at the same offsets in the file as in the image.
    for (const image::Section& s : image::kChecksummedSections) {
        if (source == ProfileSource::Built) {
            break;
        }
        const auto bytes = file.subspan(s.offset, s.length);
        if (computeChecksumXor5A(bytes.first(s.length - 1)) != bytes.back()) {
            result.refusal = LoadRefusal::BadChecksum;
            result.section = s.offset;
            return result;
        }
    }
    const auto vendorId =
        static_cast<std::uint16_t>(file[image::kVendorId] << 8 | file[image::kVendorId + 1]);
    const auto productId =
        static_cast<std::uint16_t>(file[image::kProductId] << 8 | file[image::kProductId + 1]);
    const Byte manuId = file[pf::kFireKeyBlock + (image::kManuId - image::kFireKeyBlock.offset)];
    const Byte proId = file[pf::kFireKeyBlock + (image::kProId - image::kFireKeyBlock.offset)];
    if (vendorId != mouse.vendorId || productId != mouse.productId || manuId != mouse.manuId ||
        proId != mouse.proId) {
        result.refusal = LoadRefusal::OtherMouse;
    }
    return result;
}

std::optional<std::vector<Byte>> readProfileFileFrom(const std::filesystem::path& path, FileResult* result) {
    return readRegularFile(path, pf::kFlashSize, Oversize::Refuse, result);
}

std::filesystem::path profileSavePath(const std::filesystem::path& chosen) {
    std::filesystem::path out = chosen;
    out += ".bin";
    return out;
}

bool saveReplacesUnconfirmedFile(const std::filesystem::path& chosen) {
    std::error_code ec;
    // A dangling link counts too: the save would write through it.
    return std::filesystem::exists(std::filesystem::symlink_status(profileSavePath(chosen), ec));
}

void fillFromProfileLayout(std::span<const Byte> file, StorageKind kind, ConfigBuffers& b) {
    fillLayout(file, kind, true, b);
}

} // namespace tarvik::core
