#include "core/image/PatchFile.h"

#include <algorithm>

namespace tarvik::core {

namespace {
void putBe16(Byte* at, std::uint16_t v) {
    at[0] = static_cast<Byte>(v >> 8);
    at[1] = static_cast<Byte>(v & 0xFF);
}

std::uint16_t getBe16(const Byte* at) {
    return static_cast<std::uint16_t>((at[0] << 8) | at[1]);
}

void storeHeader(const PatchHeader& header, std::span<Byte> dst) {
    auto bytes = header.toBytes();
    std::copy(bytes.begin(), bytes.end(), dst.begin());
}
} // namespace

std::array<Byte, patch::kHeaderSize> PatchHeader::toBytes() const {
    std::array<Byte, patch::kHeaderSize> out{};
    putBe16(&out[0], address);
    putBe16(&out[2], length);
    putBe16(&out[4], fixed);
    putBe16(&out[6], checksum);
    return out;
}

PatchHeader PatchHeader::fromBytes(std::span<const Byte, patch::kHeaderSize> bytes) {
    return {getBe16(&bytes[0]), getBe16(&bytes[2]), getBe16(&bytes[4]), getBe16(&bytes[6])};
}

PatchHeader PatchHeader::forCode(std::uint16_t address, std::span<const Byte> code) {
    return {address, static_cast<std::uint16_t>(code.size()), patch::kFixed, patchCodeChecksum(code)};
}

std::uint16_t patchCodeChecksum(std::span<const Byte> code) {
    std::uint16_t sum = 0;
    for (Byte b : code) {
        sum = static_cast<std::uint16_t>(sum + b);
    }
    return static_cast<std::uint16_t>(sum ^ patch::kChecksumXor);
}

void checkEEPatchCodeSection(ConfigBuffers& b) {
    storeHeader(PatchHeader::forCode(patch::kI2CAddress, b.eepromPatchCode),
                std::span<Byte>(b.patchHeaderRecord).first(patch::kHeaderSize));
}

void checkPatchCodeSection(ConfigBuffers& b) {
    storeHeader(PatchHeader::forCode(patch::kFlashAddress, b.flashPatchCode),
                std::span<Byte>(b.flashSectorHeader).subspan(patch::kFlashHeaderOffset, patch::kHeaderSize));
}

std::size_t patchFileSize(StorageKind kind) {
    switch (kind) {
    case StorageKind::I2C:
        return patch::kFileI2CCode + buffers::kEepromPatchCodeSize;
    case StorageKind::Flash:
        return patch::kFileFlashCode + buffers::kFlashPatchCodeSize;
    case StorageKind::None:
        break;
    }
    return 0;
}

FileLoadResult readPatchFile(std::span<const Byte> file, ConfigBuffers& b) {
    FileLoadResult result;
    result.size = file.size();
    result.needed = patchFileSize(b.storageKind);
    if (b.storageKind == StorageKind::None) {
        result.refusal = LoadRefusal::NoStorageKind;
        return result;
    }
    // Half a patch is worse than none: it would go to the mouse with a header that matches it.
    if (file.size() < result.needed) {
        result.refusal = LoadRefusal::TooShort;
        return result;
    }
    auto from = [&](std::size_t offset, std::size_t n) { return file.subspan(offset, n); };
    if (b.storageKind == StorageKind::I2C) {
        auto record = from(patch::kFileI2CRecord, b.patchHeaderRecord.size());
        auto code = from(patch::kFileI2CCode, b.eepromPatchCode.size());
        std::copy(record.begin(), record.end(), b.patchHeaderRecord.begin());
        std::copy(code.begin(), code.end(), b.eepromPatchCode.begin());
    } else {
        auto code = from(patch::kFileFlashCode, b.flashPatchCode.size());
        std::copy(code.begin(), code.end(), b.flashPatchCode.begin());
    }
    return result;
}

std::optional<std::vector<Byte>> readPatchFileFrom(const std::filesystem::path& path, FileResult* result) {
    const std::size_t most = std::max(patchFileSize(StorageKind::I2C), patchFileSize(StorageKind::Flash));
    return readRegularFile(path, most, Oversize::TakePrefix, result);
}

} // namespace tarvik::core
