#include "core/image/ConfigBuffers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

using namespace tarvik::core;

namespace {

template <typename Range> void fillCounting(Range&& r, Byte start) {
    Byte v = start;
    for (auto& b : r) {
        b = v++;
    }
}

ConfigImage countingImage(Byte start) {
    ConfigImage img;
    fillCounting(img.bytes(), start);
    return img;
}

} // namespace

TEST(FireMacroStore, SplitAndJoinKeepTheTail) {
    FireMacroStore store;
    fillCounting(store.bytes(), 1);
    FireMacroSlots slots = store.split();
    EXPECT_EQ(slots.names[0][0], 1);
    EXPECT_EQ(slots.names[9][15], 160);
    EXPECT_EQ(slots.bodies[0][0], 161);
    EXPECT_EQ(slots.bodies[9][31], static_cast<Byte>(480));

    slots.names[3].fill(0xAA);
    slots.bodies[9].fill(0xBB);
    FireMacroStore before = store;
    store.join(slots);
    for (std::size_t i = 0; i < FireMacroStore::kSize; ++i) {
        Byte expected = before.bytes()[i];
        if (i >= 48 && i < 64) {
            expected = 0xAA;
        } else if (i >= 448 && i < 480) {
            expected = 0xBB;
        }
        EXPECT_EQ(store.bytes()[i], expected) << i;
    }
    EXPECT_EQ(store.half(1)[0], store.bytes()[256]);
    EXPECT_THROW(store.name(10), std::out_of_range);
}

TEST(ConfigBuffers, CommitToDataBufFixesChecksumsOfWhatIsCommitted) {
    ConfigBuffers b;
    b.workingImage = countingImage(3);
    b.dataBuf = countingImage(100);
    ConfigImage dataBefore = b.dataBuf;

    b.commitProfilesToDataBuf();
    for (std::size_t i = 0; i < image::kImageSize; ++i) {
        bool inRun = i >= 192 && i < 339;
        EXPECT_EQ(b.dataBuf.byteAt(i), inRun ? b.workingImage.byteAt(i) : dataBefore.byteAt(i)) << i;
    }
    for (const auto& s : image::kProfileSection) {
        EXPECT_TRUE(b.dataBuf.checksumValid(s));
    }
    EXPECT_FALSE(b.workingImage.checksumValid(image::kUserSection));

    b.commitToDataBuf(image::kUserSection);
    EXPECT_TRUE(b.dataBuf.checksumValid(image::kUserSection));
    EXPECT_FALSE(b.dataBuf.checksumValid(image::kVendorSection));

    b.commitToDataBuf(image::kFireKeyBlock); // no checksum, plain copy
    EXPECT_EQ(b.dataBuf.byteAt(350), b.workingImage.byteAt(350));
}

TEST(ConfigBuffers, DataBufToMemoSetsMarkerChecksumsAndJoinsFireMacros) {
    ConfigBuffers b;
    b.workingImage = countingImage(9);
    b.fireMacros.names[0].fill(0x41);
    b.storageKind = StorageKind::Flash;
    b.dataBufToMemo();
    EXPECT_EQ(b.dataBuf.storageMarkerByte(), 0xF0);
    for (const auto& s : image::kChecksummedSections) {
        EXPECT_TRUE(b.dataBuf.checksumValid(s));
    }
    EXPECT_EQ(b.dataBuf, b.workingImage);
    EXPECT_EQ(b.fireMacroStore.name(0)[15], 0x41);

    // Without a known kind the marker stays as it was.
    b.storageKind = StorageKind::None;
    b.workingImage.setByteAt(image::kStorageMarker, 0x12);
    b.dataBufToMemo();
    EXPECT_EQ(b.dataBuf.storageMarkerByte(), 0x12);
}

TEST(ConfigBuffers, FlashSectorRoundTrip) {
    ConfigBuffers b;
    fillCounting(b.flashSector, 0);
    b.flashSector[0] = 0x80;
    b.takeFlashSector();
    EXPECT_TRUE(b.patchLocked);
    EXPECT_EQ(b.flashSectorHeader[23], 23);
    EXPECT_EQ(b.dataBuf.byteAt(192), 24);
    EXPECT_EQ(b.dataBuf.byteAt(338), 170);
    EXPECT_EQ(b.reservedBlock[0], 171);
    EXPECT_EQ(b.reservedBlock[40], 211);

    // Assembling again gives the same sector; edits land where they belong, the tail stays.
    FlashSector read = b.flashSector;
    b.assembleFlashSector();
    EXPECT_EQ(b.flashSector, read);
    b.flashSectorHeader[9] = 0xC9;
    b.dataBuf.setByteAt(192, 0xD0);
    b.reservedBlock[40] = 0xEE;
    auto sector = b.assembleFlashSector();
    EXPECT_EQ(sector[9], 0xC9);
    EXPECT_EQ(sector[24], 0xD0);
    EXPECT_EQ(sector[211], 0xEE);
    EXPECT_TRUE(std::equal(sector.begin() + 212, sector.end(), read.begin() + 212));

    b.flashSector[0] = 0x00;
    b.takeFlashSector();
    EXPECT_FALSE(b.patchLocked);
}

TEST(ConfigBuffers, TakeDefaultImageByKind) {
    ConfigBuffers def;
    def.dataBuf = countingImage(50);
    def.deviceMacroArea.fill(0x11);
    def.flashMacroNames[5].fill(0x22);
    def.flashMacroBodies[31].fill(0x33);
    def.fireMacroStore.bytes()[0] = 0x44;
    def.patchHeaderRecord.fill(0x55);
    def.eepromPatchCode.fill(0x66);
    def.flashSectorHeader.fill(0x77);
    def.flashPatchCode.fill(0x88);
    def.reservedBlock.fill(0x99);

    ConfigBuffers i2c;
    i2c.takeDefaultImage(def, StorageKind::I2C);
    EXPECT_EQ(i2c.dataBuf, def.dataBuf);
    EXPECT_EQ(i2c.deviceMacroArea, def.deviceMacroArea);
    EXPECT_EQ(i2c.patchHeaderRecord, def.patchHeaderRecord);
    EXPECT_EQ(i2c.eepromPatchCode, def.eepromPatchCode);
    EXPECT_EQ(i2c.fireMacroStore, def.fireMacroStore);
    EXPECT_EQ(i2c.fireMacros.names[0][0], 0x44);
    EXPECT_EQ(i2c.flashMacroNames[5][0], 0);
    EXPECT_EQ(i2c.flashPatchCode[0], 0);
    EXPECT_EQ(i2c.reservedBlock[0], 0);
    EXPECT_EQ(i2c.workingImage, ConfigImage{});

    ConfigBuffers flash;
    flash.takeDefaultImage(def, StorageKind::Flash);
    EXPECT_EQ(flash.flashMacroNames, def.flashMacroNames);
    EXPECT_EQ(flash.flashMacroBodies, def.flashMacroBodies);
    EXPECT_EQ(flash.flashSectorHeader, def.flashSectorHeader);
    EXPECT_EQ(flash.flashPatchCode, def.flashPatchCode);
    EXPECT_EQ(flash.fireMacroStore, def.fireMacroStore);
    EXPECT_EQ(flash.deviceMacroArea[0], 0);
    EXPECT_EQ(flash.eepromPatchCode[0], 0);
}
