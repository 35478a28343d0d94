#include "Hex.h"

#include "core/image/DefaultImages.h"
#include "core/image/PatchFile.h"
#include "core/image/ProfileFile.h"
#include "defaultimages/DefaultImageBuilder.h"
#include "resources/Resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace tarvik::core;
using tarvik::test::bytesOf;
using tarvik::test::hex;

namespace {

std::vector<Byte> committed(std::string_view path) {
    auto bytes = tarvik::resources::find(path);
    if (!bytes) {
        ADD_FAILURE() << "missing resource " << path;
        return {};
    }
    return bytesOf(*bytes);
}

std::vector<Byte> committedImage(int n) {
    return committed(kDefaultImagePaths[n - 1]);
}

std::vector<Byte> at(const std::vector<Byte>& file, std::size_t offset, std::size_t length) {
    return {file.begin() + static_cast<std::ptrdiff_t>(offset),
            file.begin() + static_cast<std::ptrdiff_t>(offset + length)};
}

bool allBytes(const std::vector<Byte>& file, std::size_t offset, std::size_t length, Byte value) {
    auto part = at(file, offset, length);
    return std::all_of(part.begin(), part.end(), [&](Byte b) { return b == value; });
}

} // namespace

TEST(DefaultImages, CommittedFilesAreWhatTheGeneratorBuilds) {
    for (int n = 1; n <= 2; ++n) {
        auto file = committedImage(n);
        EXPECT_EQ(file.size(), 2048u);
        EXPECT_TRUE(file == tarvik::tools::buildDefaultImage(n)) << "image " << n
                                                                 << " differs; rebuild with the "
                                                                    "default_images target";
    }
    auto library = committed("images/PCMacroData.bin");
    EXPECT_EQ(library.size(), 27200u);
    EXPECT_TRUE(std::all_of(library.begin(), library.end(), [](Byte b) { return b == 0; }));
    EXPECT_TRUE(library == tarvik::tools::buildDefaultMacroLibrary());
}

// Every field against the values of the data model, read straight from the committed bytes.
TEST(DefaultImages, VendorSection) {
    for (int n = 1; n <= 2; ++n) {
        SCOPED_TRACE("image " + std::to_string(n));
        auto f = committedImage(n);
        ASSERT_EQ(f.size(), 2048u);
        EXPECT_EQ(at(f, 0, 4), hex("12 09 00 01"));
        EXPECT_EQ(f[4], 0xBF);
        EXPECT_EQ(at(f, 5, 38),
                  hex("FF 7F 7F AF 20 35 29 10 30 1A 00 00 45 02 EF 10 EF 10 EF 10 FF 10 50 03 01 02 "
                      "48 96 FA 20 1E 02 01 20 00 1C 1A 3F"));
        EXPECT_EQ(f[43], 3);
        EXPECT_EQ(at(f, 44, 4), hex("85 B9 98 BA"));
        EXPECT_EQ(at(f, 48, 8), n == 1 ? hex("01 00 80 00 00 64 01 2C") : hex("01 00 80 00 00 64 00 64"));
        EXPECT_EQ(f[56], 10);
        EXPECT_EQ(at(f, 57, 30),
                  hex(std::string(n == 1 ? "FF 80 00" : "FF 00 00") +
                      " FF FF 00 00 FF 00 00 00 FF FF 00 FF " + (n == 1 ? "FF 00 00" : "00 FF 80") +
                      " 00 FF FF 80 00 FF FF 80 00 FF FF FF"));
        EXPECT_EQ(at(f, 87, 24),
                  hex("00 FF 00 FF 00 FF 00 00 FF FF 00 00 08 08 00 00 08 08 08 00 08 08 08 08"));
        auto product = at(f, 111, 16);
        EXPECT_TRUE(
            std::all_of(product.begin(), product.end(), [](Byte b) { return b >= 0x20 && b < 0x7F; }));
        EXPECT_NE(product[15], ' '); // 16 characters, not padded
        EXPECT_EQ(at(f, 127, 36), hex("00 00 00 00 07 D1 F0 20 08 01" + std::string(52, '0')));
    }
}

TEST(DefaultImages, UserSectionProfilesAndFireKeyBlock) {
    struct Expect {
        std::string user;
        std::string profile2;
        Byte profile2Checksum;
    };
    const Expect expect[2] = {
        {"F0 04 00 00000000 00000000000000000000 0000000000F7FEF90300 BF",
         "1006A0FF 0B170302 05020000 01020000 0B150202 09000000 01040000 0A000000 00000000 00000000 00000000 "
         "00000000",
         0x78},
        {"00 04 00 00000000 00000000000000000000 00000000000000000000 5E",
         "1006A0FF 0B100102 05020000 01020000 0B110102 09000000 01040000 0A000000 00000000 00000000 00000000 "
         "00000000",
         0x4E},
    };
    for (int n = 1; n <= 2; ++n) {
        SCOPED_TRACE("image " + std::to_string(n));
        auto f = committedImage(n);
        ASSERT_EQ(f.size(), 2048u);
        const auto& e = expect[n - 1];
        EXPECT_EQ(at(f, 164, 28), hex(e.user));
        EXPECT_EQ(at(f, 192, 49),
                  hex("01010000 01080002 0300E900 01020000 01100000 0300EA00 01040000 09000000 "
                      "00000000 00000000 00000000 00000000 52"));
        EXPECT_EQ(at(f, 241, 48), hex(e.profile2));
        EXPECT_EQ(f[289], e.profile2Checksum);
        EXPECT_EQ(at(f, 290, 49),
                  hex("01010000 01080002 0617003C 01020000 01100000 02080700 01040000 09000000 "
                      "08000000 0E000000 0300E900 0300EA00 D2"));
        EXPECT_EQ(at(f, 484, 12), hex("FF FF 02 00 3C 04 00 3C 07 00 3C E0"));
        EXPECT_TRUE(allBytes(f, 339, 41, 0xFF)) << "ReservedBlock";
        EXPECT_TRUE(allBytes(f, 380, 104, 0xFF)) << "filler";
        EXPECT_TRUE(allBytes(f, 496, 512, 0x00)) << "device macro area";
        EXPECT_EQ(defaultImageKindOf(f), StorageKind::I2C);

        ConfigBuffers b;
        fillDefaultImage(f, StorageKind::I2C, b);
        for (const auto& s : image::kChecksummedSections) {
            EXPECT_TRUE(b.dataBuf.checksumValid(s)) << "section at " << s.offset;
        }
    }
}

TEST(DefaultImages, FireMacroStore) {
    // Bodies as event bytes; {base, position of the Y byte, Y per slot}.
    const std::string burst1 = "FD00 A1 FE0001 0400__ FE0001 21 FE0001 FC";
    const std::string burst5 = "FD00 A1 FE0001 0400__ FE0015 21 FE0001 FC";
    const std::string burst9 = "FD00 A1 FE0001 040000 FE0000 21 FE0001 FC";
    const std::string tap = "FD00 A1 FE0010 21 FE000E 0400__ FE001A FC";
    const std::string click = "FD00 A1 21 0400__ FE0008 FC";
    struct Slot {
        std::string body;
        int y;
    };
    const Slot slots[2][10] = {
        {{burst1, 6},
         {burst1, 3},
         {burst1, 4},
         {burst1, 3},
         {burst1, 5},
         {burst5, 12},
         {burst5, 12},
         {burst5, 12},
         {burst5, 12},
         {burst9, 0}},
        {{tap, 16},
         {tap, 15},
         {tap, 14},
         {tap, 13},
         {tap, 15},
         {click, 5},
         {click, 12},
         {click, 8},
         {click, 14},
         {click, 16}},
    };
    for (int n = 1; n <= 2; ++n) {
        auto f = committedImage(n);
        ASSERT_EQ(f.size(), 2048u);
        for (int s = 0; s < 10; ++s) {
            SCOPED_TRACE("image " + std::to_string(n) + " slot " + std::to_string(s));
            std::string name = "Macro" + std::to_string(s + 1);
            std::vector<Byte> expectedName(16, 0);
            for (std::size_t i = 0; i < name.size(); ++i) {
                expectedName[2 * i + 1] = static_cast<Byte>(name[i]);
            }
            EXPECT_EQ(at(f, 1008 + 16 * static_cast<std::size_t>(s), 16), expectedName);

            std::string body = slots[n - 1][s].body;
            char y[3];
            std::snprintf(y, sizeof y, "%02X", slots[n - 1][s].y);
            if (auto pos = body.find("__"); pos != std::string::npos) {
                body.replace(pos, 2, y);
            }
            auto expectedBody = hex(body);
            expectedBody.resize(32, 0);
            EXPECT_EQ(at(f, 1008 + 160 + 32 * static_cast<std::size_t>(s), 32), expectedBody);
        }
    }
}

TEST(DefaultImages, PatchHeaderMatchesItsCode) {
    for (int n = 1; n <= 2; ++n) {
        auto f = committedImage(n);
        ASSERT_EQ(f.size(), 2048u);
        EXPECT_EQ(at(f, 1520, 8), hex("04 00 02 00 00 1A 37 8D"));
        auto code = at(f, 1536, 512);
        EXPECT_EQ(patchCodeChecksum(code), 0x378D);
        EXPECT_GT(std::count_if(code.begin(), code.end(), [](Byte b) { return b != 0; }), 64)
            << "looks empty";
    }
}

TEST(DefaultImages, LoadDefaultImagesFillsBothBuffers) {
    DefaultImageBuffers defaults;
    loadDefaultImages(StorageKind::I2C, defaults);
    EXPECT_EQ(defaults[0].dataBuf.keyCode(2, 2), (KeyCodeBytes{0x0B, 0x17, 0x03, 0x02}));
    EXPECT_EQ(defaults[1].dataBuf.keyCode(2, 2), (KeyCodeBytes{0x0B, 0x10, 0x01, 0x02}));
    EXPECT_EQ(defaults[1].dataBuf.keyCode(2, 5), (KeyCodeBytes{0x0B, 0x11, 0x01, 0x02}));
    EXPECT_EQ(defaults[0].dataBuf.vendorId(), 0x1209);
    EXPECT_EQ(defaults[0].dataBuf.workMode(), 1);
    EXPECT_EQ(defaults[0].dataBuf.fireKey(3), (StoredFireKey{8, 60}));
    EXPECT_EQ(bytesOf(defaults[0].eepromPatchCode), at(committedImage(1), 1536, 512));
    EXPECT_EQ(bytesOf(defaults[1].fireMacroStore.bytes()), at(committedImage(2), 1008, 512));
    EXPECT_EQ(defaults[0].reservedBlock, ReservedBlock{}) << "the ReservedBlock is never taken from an image";
}

// A short resource fills what it holds; every byte beyond keeps its old value, also inside a
// buffer that the end of the resource cuts in two.
TEST(DefaultImages, ShortResourceLeavesTheRestAsItWas) {
    auto full = committedImage(1);
    ASSERT_EQ(full.size(), 2048u);

    ConfigBuffers b;
    b.dataBuf.bytes()[0] = 0;
    b.deviceMacroArea.fill(0xA5);
    std::fill(b.fireMacroStore.bytes().begin(), b.fireMacroStore.bytes().end(), Byte{0xA5});
    b.patchHeaderRecord.fill(0xA5);
    b.eepromPatchCode.fill(0xA5);
    ConfigBuffers before = b;

    std::span<const Byte> part(full.data(), 1100);
    fillDefaultImage(part, StorageKind::I2C, b);
    EXPECT_EQ(bytesOf(b.dataBuf.section(image::kProfileRun)), at(full, 192, 147));
    EXPECT_EQ(bytesOf(b.deviceMacroArea), at(full, 496, 512));
    EXPECT_EQ(bytesOf(b.fireMacroStore.bytes()).size(), 512u);
    EXPECT_EQ(bytesOf(b.fireMacroStore.bytes().first(92)), at(full, 1008, 92));
    EXPECT_TRUE(std::all_of(b.fireMacroStore.bytes().begin() + 92, b.fireMacroStore.bytes().end(),
                            [](Byte x) { return x == 0xA5; }));
    EXPECT_EQ(b.patchHeaderRecord, before.patchHeaderRecord);
    EXPECT_EQ(b.eepromPatchCode, before.eepromPatchCode);

    // Cut inside the FireKeyBlock: the StorageMarker and everything after stay.
    ConfigBuffers c;
    c.dataBuf.setByteAt(image::kStorageMarker, 0x77);
    c.deviceMacroArea.fill(0xA5);
    fillDefaultImage(std::span<const Byte>(full.data(), 490), StorageKind::I2C, c);
    EXPECT_EQ(c.dataBuf.manuId(), 0xFF);
    EXPECT_EQ(c.dataBuf.storageMarkerByte(), 0x77);
    EXPECT_EQ(c.deviceMacroArea[0], 0xA5);

    // The "Flash" layout over the shipped 2048 bytes: names and the first bodies, body 4 cut.
    ConfigBuffers d;
    for (auto& body : d.flashMacroBodies) {
        body.fill(0xA5);
    }
    d.flashSectorHeader.fill(0xA5);
    fillDefaultImage(full, StorageKind::Flash, d);
    EXPECT_EQ(bytesOf(d.flashMacroNames[31]), at(full, 496 + 31 * 16, 16));
    EXPECT_EQ(bytesOf(d.flashMacroBodies[3]), at(full, 1008 + 3 * 256, 256));
    EXPECT_EQ(bytesOf(std::span<const Byte>(d.flashMacroBodies[4]).first(16)), at(full, 2032, 16));
    EXPECT_EQ(d.flashMacroBodies[4][16], 0xA5);
    EXPECT_EQ(d.flashMacroBodies[5][0], 0xA5);
    EXPECT_EQ(d.flashSectorHeader[0], 0xA5);
}

// Default settings, then saving a profile, gives back the image byte for byte (the mouse holds
// 0xFF in its ReservedBlock, as the images do).
TEST(DefaultImages, SavedAfterDefaultSettingsReproducesTheImage) {
    DefaultImageBuffers defaults;
    loadDefaultImages(StorageKind::I2C, defaults);
    for (int n = 1; n <= 2; ++n) {
        ConfigBuffers mouse;
        mouse.storageKind = StorageKind::I2C;
        mouse.reservedBlock.fill(0xFF);
        mouse.takeDefaultImage(defaults[static_cast<std::size_t>(n - 1)], StorageKind::I2C);
        mouse.copyDataBufToWorkingImage();
        mouse.dataBufToMemo();
        EXPECT_TRUE(writeProfileFile(mouse) == committedImage(n)) << "image " << n;

        ConfigBuffers loaded;
        loaded.storageKind = StorageKind::I2C;
        loaded.reservedBlock.fill(0xFF);
        auto image = committedImage(n);
        ASSERT_TRUE(readProfileFile(image, loaded));
        EXPECT_TRUE(writeProfileFile(loaded) == image) << "image " << n;
    }
}
