#include "Hex.h"

#include "core/image/ProfileFile.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tarvik::core;
using tarvik::test::bytesOf;

namespace {

template <typename Range> void fillWith(Range&& r, Byte start) {
    Byte v = start;
    for (auto& b : r) {
        b = v;
        v = static_cast<Byte>(v * 5 + 1);
    }
}

// Buffers in which every byte says where it came from.
ConfigBuffers patterned(StorageKind kind, bool locked = false) {
    ConfigBuffers b;
    b.storageKind = kind;
    b.patchLocked = locked;
    fillWith(b.dataBuf.bytes(), 1);
    b.dataBuf.setStorageMarker(kind);
    fillWith(b.reservedBlock, 2);
    fillWith(b.deviceMacroArea, 3);
    Byte seed = 4;
    for (auto& name : b.flashMacroNames) {
        fillWith(name, seed++);
    }
    for (auto& body : b.flashMacroBodies) {
        fillWith(body, seed++);
    }
    fillWith(b.fireMacroStore.bytes(), 5);
    fillWith(b.patchHeaderRecord, 6);
    fillWith(b.eepromPatchCode, 7);
    fillWith(b.flashSectorHeader, 8);
    fillWith(b.flashPatchCode, 9);
    return b;
}

std::vector<Byte> at(const std::vector<Byte>& file, std::size_t offset, std::size_t length) {
    return {file.begin() + static_cast<std::ptrdiff_t>(offset),
            file.begin() + static_cast<std::ptrdiff_t>(offset + length)};
}

} // namespace

TEST(ProfileFile, SizesPerKind) {
    EXPECT_EQ(profileFileSize(StorageKind::I2C, false), 2048u);
    EXPECT_EQ(profileFileSize(StorageKind::I2C, true), 2048u);
    EXPECT_EQ(profileFileSize(StorageKind::Flash, false), 10760u);
    EXPECT_EQ(profileFileSize(StorageKind::Flash, true), 9712u);
    EXPECT_EQ(profileFileSize(StorageKind::None, false), 0u);
    EXPECT_TRUE(writeProfileFile(ConfigBuffers{}).empty());
}

TEST(ProfileFile, I2CLayout) {
    ConfigBuffers b = patterned(StorageKind::I2C);
    auto f = writeProfileFile(b);
    ASSERT_EQ(f.size(), 2048u);
    EXPECT_EQ(at(f, 0, 339), bytesOf(b.dataBuf.section({0, 339})));
    EXPECT_EQ(at(f, 339, 41), bytesOf(b.reservedBlock));
    EXPECT_EQ(at(f, 380, 104), std::vector<Byte>(104, 0xFF));
    EXPECT_EQ(at(f, 484, 12), bytesOf(b.dataBuf.section(image::kFireKeyBlock)));
    EXPECT_EQ(f[495], 0xE0);
    EXPECT_EQ(at(f, 496, 512), bytesOf(b.deviceMacroArea));
    EXPECT_EQ(at(f, 1008, 512), bytesOf(b.fireMacroStore.bytes()));
    EXPECT_EQ(at(f, 1520, 16), bytesOf(b.patchHeaderRecord));
    EXPECT_EQ(at(f, 1536, 512), bytesOf(b.eepromPatchCode));
}

TEST(ProfileFile, FlashLayoutWithAndWithoutPatch) {
    for (bool locked : {false, true}) {
        SCOPED_TRACE(locked ? "locked" : "not locked");
        ConfigBuffers b = patterned(StorageKind::Flash, locked);
        auto f = writeProfileFile(b);
        ASSERT_EQ(f.size(), locked ? 9712u : 10760u);
        EXPECT_EQ(f[495], 0xF0);
        EXPECT_EQ(at(f, 380, 104), std::vector<Byte>(104, 0xFF));
        for (std::size_t i = 0; i < 32; ++i) {
            EXPECT_EQ(at(f, 496 + 16 * i, 16), bytesOf(b.flashMacroNames[i])) << i;
            EXPECT_EQ(at(f, 1008 + 256 * i, 256), bytesOf(b.flashMacroBodies[i])) << i;
        }
        EXPECT_EQ(at(f, 9200, 512), bytesOf(b.fireMacroStore.bytes()));
        if (!locked) {
            EXPECT_EQ(at(f, 9712, 24), bytesOf(b.flashSectorHeader));
            EXPECT_EQ(at(f, 9736, 1024), bytesOf(b.flashPatchCode));
        }
    }
}

// What a file gives back: the image sections and the stored areas, not the ReservedBlock, with
// the checksums the file carries.
TEST(ProfileFile, ReadTakesWhatWasWritten) {
    struct Case {
        StorageKind kind;
        bool locked;
    };
    for (auto c :
         {Case{StorageKind::I2C, false}, Case{StorageKind::Flash, false}, Case{StorageKind::Flash, true}}) {
        SCOPED_TRACE(c.kind == StorageKind::I2C ? "I2C" : (c.locked ? "Flash locked" : "Flash"));
        ConfigBuffers source = patterned(c.kind, c.locked);
        ASSERT_FALSE(source.dataBuf.checksumValid(image::kVendorSection));
        auto f = writeProfileFile(source);

        ConfigBuffers target;
        target.storageKind = c.kind;
        target.patchLocked = c.locked;
        target.reservedBlock.fill(0x33);
        target.flashSectorHeader.fill(0x44);
        target.flashPatchCode.fill(0x55);
        ConfigBuffers before = target;
        auto result = readProfileFile(f, target);
        ASSERT_TRUE(result.ok()) << result.reason();

        EXPECT_EQ(target.dataBuf, source.dataBuf);
        EXPECT_EQ(target.reservedBlock, before.reservedBlock);
        EXPECT_EQ(target.fireMacroStore, source.fireMacroStore);
        EXPECT_EQ(target.fireMacros, source.fireMacroStore.split());
        EXPECT_EQ(target.workingImage, before.workingImage);
        if (c.kind == StorageKind::I2C) {
            EXPECT_EQ(target.deviceMacroArea, source.deviceMacroArea);
            EXPECT_EQ(target.patchHeaderRecord, source.patchHeaderRecord);
            EXPECT_EQ(target.eepromPatchCode, source.eepromPatchCode);
            EXPECT_EQ(target.flashMacroNames, before.flashMacroNames);
        } else {
            EXPECT_EQ(target.flashMacroNames, source.flashMacroNames);
            EXPECT_EQ(target.flashMacroBodies, source.flashMacroBodies);
            EXPECT_EQ(target.deviceMacroArea, before.deviceMacroArea);
            EXPECT_EQ(target.flashSectorHeader,
                      c.locked ? before.flashSectorHeader : source.flashSectorHeader);
            EXPECT_EQ(target.flashPatchCode, c.locked ? before.flashPatchCode : source.flashPatchCode);
        }
    }
}

TEST(ProfileFile, LockedFlashMouseIgnoresThePatchOfAFullFile) {
    auto f = writeProfileFile(patterned(StorageKind::Flash, false));
    ConfigBuffers target;
    target.storageKind = StorageKind::Flash;
    target.patchLocked = true;
    ASSERT_TRUE(readProfileFile(f, target));
    EXPECT_EQ(target.flashSectorHeader, FlashSectorHeader{});
    EXPECT_EQ(target.flashPatchCode, FlashPatchCode{});
}

TEST(ProfileFile, LongerFileIsTaken) {
    auto f = writeProfileFile(patterned(StorageKind::I2C));
    f.resize(3000, 0x99);
    ConfigBuffers target;
    target.storageKind = StorageKind::I2C;
    EXPECT_TRUE(readProfileFile(f, target));
    EXPECT_EQ(bytesOf(target.eepromPatchCode), at(f, 1536, 512));
}

// Refused files leave every buffer exactly as it was.
TEST(ProfileFile, RefusedFilesChangeNothing) {
    const auto i2cFile = writeProfileFile(patterned(StorageKind::I2C));
    const auto flashFile = writeProfileFile(patterned(StorageKind::Flash));
    const auto lockedFile = writeProfileFile(patterned(StorageKind::Flash, true));
    auto noMarker = i2cFile;
    noMarker[495] = 0x00;

    struct Case {
        const char* what;
        std::vector<Byte> file;
        StorageKind mouse;
        bool locked;
        LoadRefusal refusal;
    };
    const Case cases[] = {
        {"I2C file, Flash mouse", i2cFile, StorageKind::Flash, false, LoadRefusal::StorageKindMismatch},
        {"Flash file, I2C mouse", flashFile, StorageKind::I2C, false, LoadRefusal::StorageKindMismatch},
        {"no marker", noMarker, StorageKind::I2C, false, LoadRefusal::StorageKindMismatch},
        {"no mouse kind", i2cFile, StorageKind::None, false, LoadRefusal::NoStorageKind},
        {"empty", {}, StorageKind::I2C, false, LoadRefusal::TooShort},
        {"I2C one byte short", at(i2cFile, 0, 2047), StorageKind::I2C, false, LoadRefusal::TooShort},
        {"I2C common part only", at(i2cFile, 0, 496), StorageKind::I2C, false, LoadRefusal::TooShort},
        {"I2C cut before the marker", at(i2cFile, 0, 495), StorageKind::I2C, false, LoadRefusal::TooShort},
        {"Flash one byte short", at(flashFile, 0, 10759), StorageKind::Flash, false, LoadRefusal::TooShort},
        {"locked-size file, unlocked mouse", lockedFile, StorageKind::Flash, false, LoadRefusal::TooShort},
        {"Flash locked one byte short", at(lockedFile, 0, 9711), StorageKind::Flash, true,
         LoadRefusal::TooShort},
        {"I2C-size file with Flash marker",
         [&] {
             auto f = i2cFile;
             f[495] = 0xF0;
             return f;
         }(),
         StorageKind::Flash, false, LoadRefusal::TooShort},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ConfigBuffers b = patterned(c.mouse == StorageKind::None ? StorageKind::I2C : c.mouse, c.locked);
        b.storageKind = c.mouse;
        b.fireMacros.names[0].fill(0x12);
        const ConfigBuffers before = b;
        auto result = readProfileFile(c.file, b);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.refusal, c.refusal) << result.reason();
        EXPECT_TRUE(b == before);
    }
}
