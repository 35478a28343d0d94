#include "Hex.h"

#include "core/image/PatchFile.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace tarvik::core;
using tarvik::test::bytesOf;
using tarvik::test::hex;

TEST(PatchHeader, EepromHeaderOfZeroCode) {
    ConfigBuffers b;
    b.patchHeaderRecord.fill(0xEE);
    checkEEPatchCodeSection(b);
    EXPECT_EQ(bytesOf(std::span<const Byte>(b.patchHeaderRecord).first(8)), hex("04 00 02 00 00 1A 01 5A"));
    EXPECT_EQ(bytesOf(std::span<const Byte>(b.patchHeaderRecord).subspan(8)), std::vector<Byte>(8, 0xEE));
}

TEST(PatchHeader, FlashHeaderGoesIntoSectorHeaderBytes8To15) {
    ConfigBuffers b;
    b.flashSectorHeader.fill(0xEE);
    b.flashPatchCode.fill(0xFF); // 1024 x 0xFF = 0x3FC00: the carry beyond 16 bits is dropped
    checkPatchCodeSection(b);
    EXPECT_EQ(bytesOf(std::span<const Byte>(b.flashSectorHeader).subspan(8, 8)),
              hex("C0 00 04 00 00 1A FD 5A"));
    EXPECT_EQ(bytesOf(std::span<const Byte>(b.flashSectorHeader).first(8)), std::vector<Byte>(8, 0xEE));
    EXPECT_EQ(bytesOf(std::span<const Byte>(b.flashSectorHeader).subspan(16)), std::vector<Byte>(8, 0xEE));
}

TEST(PatchHeader, ChecksumAndBytes) {
    std::vector<Byte> code(512);
    std::iota(code.begin(), code.end(), Byte{0}); // sum = 2 x (0+..+255) = 65280
    EXPECT_EQ(patchCodeChecksum(code), 0xFF00 ^ 0x015A);
    auto header = PatchHeader::forCode(0x0400, code);
    auto bytes = header.toBytes();
    EXPECT_EQ(bytesOf(bytes), hex("04 00 02 00 00 1A FE 5A"));
    EXPECT_EQ(PatchHeader::fromBytes(bytes), header);
}

TEST(PatchFile, I2CTakesRecordAndCode) {
    std::vector<Byte> file(600);
    std::iota(file.begin(), file.end(), Byte{1});
    ConfigBuffers b;
    b.storageKind = StorageKind::I2C;
    ASSERT_TRUE(readPatchFile(file, b));
    EXPECT_EQ(bytesOf(b.patchHeaderRecord), std::vector<Byte>(file.begin(), file.begin() + 16));
    EXPECT_EQ(bytesOf(b.eepromPatchCode), std::vector<Byte>(file.begin() + 16, file.begin() + 528));
    EXPECT_EQ(b.flashPatchCode, FlashPatchCode{});
}

TEST(PatchFile, FlashTakesCodeFrom0x8000) {
    std::vector<Byte> file(0x8000 + 1024, 0x11);
    std::iota(file.begin() + 0x8000, file.end(), Byte{7});
    ConfigBuffers b;
    b.storageKind = StorageKind::Flash;
    b.flashSectorHeader.fill(0x22);
    ASSERT_TRUE(readPatchFile(file, b));
    EXPECT_EQ(bytesOf(b.flashPatchCode), std::vector<Byte>(file.begin() + 0x8000, file.end()));
    EXPECT_EQ(b.flashSectorHeader[0], 0x22); // the header is made at programming time
    EXPECT_EQ(b.patchHeaderRecord, PatchHeaderRecord{});
}

TEST(PatchFile, RefusedFilesChangeNothing) {
    struct Case {
        const char* what;
        std::size_t size;
        StorageKind kind;
        LoadRefusal refusal;
    };
    const Case cases[] = {
        {"empty, I2C", 0, StorageKind::I2C, LoadRefusal::TooShort},
        {"record only", 16, StorageKind::I2C, LoadRefusal::TooShort},
        {"one byte short, I2C", 527, StorageKind::I2C, LoadRefusal::TooShort},
        {"I2C-sized, Flash", 528, StorageKind::Flash, LoadRefusal::TooShort},
        {"one byte short, Flash", 0x8000 + 1023, StorageKind::Flash, LoadRefusal::TooShort},
        {"no mouse kind", 0x9000, StorageKind::None, LoadRefusal::NoStorageKind},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Byte> file(c.size, 0x5C);
        ConfigBuffers b;
        b.storageKind = c.kind;
        b.patchHeaderRecord.fill(0x01);
        b.eepromPatchCode.fill(0x02);
        b.flashPatchCode.fill(0x03);
        const ConfigBuffers before = b;
        auto result = readPatchFile(file, b);
        EXPECT_EQ(result.refusal, c.refusal) << result.reason();
        EXPECT_TRUE(b == before);
    }
    EXPECT_EQ(patchFileSize(StorageKind::I2C), 528u);
    EXPECT_EQ(patchFileSize(StorageKind::Flash), 33792u);
}
