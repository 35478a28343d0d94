// Patch data files come from anywhere on disk: any bytes are either taken whole for the mouse's
// kind or refused with every buffer unchanged, and the header made from what was taken always
// describes it.

#include "FuzzCheck.h"
#include "core/image/PatchFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

using namespace tarvik::core;
using fuzzcheck::require;
using fuzzcheck::sameBytes;


extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    static constexpr StorageKind kKinds[4] = {StorageKind::I2C, StorageKind::Flash, StorageKind::None,
                                              StorageKind::None};
    const StorageKind kind = kKinds[data[0] & 0x03];
    std::span<const Byte> file(data + 1, size - 1);

    // Inputs past 0x8000 are slow to grow; a flag byte lets short inputs stand for the long
    // "Flash" files by placing them at the code's offset.
    std::vector<Byte> padded;
    if ((data[0] & 0x80) != 0) {
        padded.assign(patch::kFileFlashCode, 0x00);
        padded.insert(padded.end(), file.begin(), file.end());
        file = padded;
    }

    ConfigBuffers b;
    b.storageKind = kind;
    b.patchHeaderRecord.fill(0x11);
    b.flashSectorHeader.fill(0x22);
    const ConfigBuffers before = b;

    const FileLoadResult result = readPatchFile(file, b);
    if (!result.ok()) {
        require(b == before);
        return 0;
    }
    require(file.size() >= patchFileSize(kind));
    if (kind == StorageKind::I2C) {
        require(sameBytes(b.patchHeaderRecord, file.first(16)));
        require(sameBytes(b.eepromPatchCode, file.subspan(16, 512)));
        checkEEPatchCodeSection(b);
        auto header = PatchHeader::fromBytes(std::span<const Byte>(b.patchHeaderRecord).first<8>());
        require(header == PatchHeader::forCode(0x0400, b.eepromPatchCode));
        require(sameBytes(std::span<const Byte>(b.patchHeaderRecord).subspan(8), file.subspan(8, 8)));
    } else {
        require(kind == StorageKind::Flash);
        require(sameBytes(b.flashPatchCode, file.subspan(patch::kFileFlashCode, 1024)));
        checkPatchCodeSection(b);
        auto header = PatchHeader::fromBytes(std::span<const Byte>(b.flashSectorHeader).subspan<8, 8>());
        require(header == PatchHeader::forCode(0xC000, b.flashPatchCode));
        require(b.flashSectorHeader[0] == 0x22 && b.flashSectorHeader[23] == 0x22);
    }
    return 0;
}
