#include "core/image/ConfigImage.h"
#include "core/image/Checksum.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <vector>

using namespace tarvik::core;

namespace {

// Fills a profile section from the stored order of its twelve codes and returns the image.
ConfigImage withProfile(int profile, const std::array<std::uint32_t, 12>& codes) {
    ConfigImage img;
    for (int b = 1; b <= 12; ++b) {
        std::uint32_t c = codes[static_cast<std::size_t>(b - 1)];
        img.setKeyCode(profile, b,
                       {static_cast<Byte>(c >> 24), static_cast<Byte>(c >> 16), static_cast<Byte>(c >> 8),
                        static_cast<Byte>(c)});
    }
    return img;
}

} // namespace

TEST(ChecksumXor5A, ZeroSectionGives5A) {
    std::array<Byte, 49> section{};
    section[48] = 0x11;
    checksumXor5A(section);
    EXPECT_EQ(section[48], 0x5A);
    EXPECT_EQ(computeChecksumXor5A({}), 0x5A);
}

TEST(ChecksumXor5A, SumWrapsModulo256) {
    std::array<Byte, 4> section{0xFF, 0x02, 0x00, 0x00}; // 0x101 -> 0x01
    checksumXor5A(section);
    EXPECT_EQ(section[3], 0x01 ^ 0x5A);
}

TEST(ChecksumXor5A, DefaultProfileAndUserSections) {
    struct Case {
        int profile;
        std::array<std::uint32_t, 12> codes;
        Byte checksum;
    };
    const Case cases[] = {
        {1,
         {0x01010000, 0x01080002, 0x0300E900, 0x01020000, 0x01100000, 0x0300EA00, 0x01040000, 0x09000000, 0,
          0, 0, 0},
         0x52},
        {2,
         {0x1006A0FF, 0x0B170302, 0x05020000, 0x01020000, 0x0B150202, 0x09000000, 0x01040000, 0x0A000000, 0,
          0, 0, 0},
         0x78},
        {2,
         {0x1006A0FF, 0x0B100102, 0x05020000, 0x01020000, 0x0B110102, 0x09000000, 0x01040000, 0x0A000000, 0,
          0, 0, 0},
         0x4E},
        {3,
         {0x01010000, 0x01080002, 0x0617003C, 0x01020000, 0x01100000, 0x02080700, 0x01040000, 0x09000000,
          0x08000000, 0x0E000000, 0x0300E900, 0x0300EA00},
         0xD2},
    };
    for (const auto& c : cases) {
        ConfigImage img = withProfile(c.profile, c.codes);
        const auto section = image::kProfileSection[c.profile - 1];
        EXPECT_FALSE(img.checksumValid(section));
        img.fixProfileChecksums();
        EXPECT_EQ(img.checksum(section), c.checksum) << "profile " << c.profile;
        EXPECT_TRUE(img.checksumValid(section));
    }

    // UserSection of image 1 (F0, 04, Y offsets -9 -2 -7 3) and image 2 (00, 04).
    ConfigImage user1;
    user1.setCurrentProfile(0xF0);
    user1.setLedMode(0x04);
    const std::int8_t y[10] = {0, 0, 0, 0, 0, -9, -2, -7, 3, 0};
    for (int s = 0; s < 10; ++s) {
        user1.setFireOffsetY(s, y[s]);
    }
    user1.fixUserChecksum();
    EXPECT_EQ(user1.checksum(image::kUserSection), 0xBF);
    EXPECT_EQ(user1.byteAt(image::kUserChecksum), 0xBF);

    ConfigImage user2;
    user2.setLedMode(0x04);
    user2.fixAllChecksums();
    EXPECT_EQ(user2.checksum(image::kUserSection), 0x5E);
}

TEST(ConfigImage, FixChecksumTouchesOnlyTheChecksumByte) {
    ConfigImage img;
    for (std::size_t i = 0; i < image::kImageSize; ++i) {
        img.setByteAt(i, static_cast<Byte>(i * 7));
    }
    ConfigImage before = img;
    img.fixAllChecksums();
    for (std::size_t i = 0; i < image::kImageSize; ++i) {
        bool isChecksum = i == 163 || i == 191 || i == 240 || i == 289 || i == 338;
        if (!isChecksum) {
            EXPECT_EQ(img.byteAt(i), before.byteAt(i)) << i;
        }
    }
    for (const auto& s : image::kChecksummedSections) {
        EXPECT_TRUE(img.checksumValid(s));
    }
}

TEST(ConfigImage, WorkModeFromLowNibble) {
    struct Case {
        Byte stored;
        std::optional<int> mode;
    };
    const Case cases[] = {{0x00, 1},
                          {0xF0, 1},
                          {0xF1, 2},
                          {0x01, 2},
                          {0x31, 2},
                          {0x02, 3},
                          {0xE2, 3},
                          {0x03, std::nullopt},
                          {0x0F, std::nullopt},
                          {0xFF, std::nullopt}};
    for (const auto& c : cases) {
        ConfigImage img;
        img.setCurrentProfile(c.stored);
        EXPECT_EQ(img.workMode(), c.mode) << int(c.stored);
    }
    ConfigImage img;
    const Byte written[3] = {0x00, 0xF1, 0x02};
    for (int m = 1; m <= 3; ++m) {
        img.setWorkMode(m);
        EXPECT_EQ(img.currentProfile(), written[m - 1]);
        EXPECT_EQ(img.workMode(), m);
    }
    EXPECT_THROW(img.setWorkMode(0), std::out_of_range);
    EXPECT_THROW(img.setWorkMode(4), std::out_of_range);
}

TEST(ConfigImage, DpiLevelsNibbles) {
    ConfigImage img;
    const Byte levels[4] = {0x85, 0xB9, 0x98, 0xBA};
    for (std::size_t i = 0; i < 4; ++i) {
        img.setByteAt(image::kDpiLevels + i, levels[i]);
    }
    const int expected[8] = {5, 8, 9, 11, 8, 9, 10, 11};
    for (int n = 1; n <= 8; ++n) {
        EXPECT_EQ(img.dpiLevel(n), expected[n - 1]) << n;
    }

    // 15 is no value whatever the count says; 12-14 lie off the ladder.
    img.setByteAt(image::kDpiLevelCount, 7);
    img.setByteAt(image::kDpiLevels + 1, 0xF3); // level 3 = 3, level 4 = 15
    EXPECT_EQ(img.dpiLevel(3), 3);
    EXPECT_EQ(img.dpiLevel(4), std::nullopt);
    EXPECT_EQ(img.dpiLevelNibble(4), 15);
    img.setByteAt(image::kDpiLevels + 3, 0xDC);
    EXPECT_EQ(img.dpiLevel(7), std::nullopt);
    EXPECT_EQ(img.dpiLevel(8), std::nullopt);

    // Setting one level keeps its partner in the same byte.
    img.setDpiLevel(5, 2);
    EXPECT_EQ(img.dpiLevelPairByte(5), 0x92);
    EXPECT_EQ(ConfigImage::dpiLevelPairOffset(5), 46u);
    img.setDpiLevel(6, std::nullopt);
    EXPECT_EQ(img.dpiLevelPairByte(6), 0xF2);
    EXPECT_THROW(img.setDpiLevel(1, 12), std::out_of_range);
    EXPECT_THROW(img.dpiLevel(9), std::out_of_range);
}

TEST(ConfigImage, EnabledDpiLevelsOnlyForCounts0To7) {
    ConfigImage img;
    img.setByteAt(image::kDpiLevelCount, 3);
    EXPECT_EQ(img.enabledDpiLevels(), 4);
    img.setByteAt(image::kDpiLevelCount, 8);
    EXPECT_EQ(img.enabledDpiLevels(), std::nullopt);
    img.setByteAt(image::kDpiLevelCount, 0xFF);
    EXPECT_EQ(img.enabledDpiLevels(), std::nullopt);
    img.setEnabledDpiLevels(1);
    EXPECT_EQ(img.byteAt(image::kDpiLevelCount), 0);
}

TEST(ConfigImage, ReportRateKeepsChipFlags) {
    ConfigImage img;
    img.setByteAt(image::kReportRateBits, 0xBF);
    EXPECT_EQ(img.reportRateCode(), 3);
    EXPECT_EQ(img.reportRateHz(), 1000);
    img.setReportRateCode(0);
    EXPECT_EQ(img.byteAt(image::kReportRateBits), 0x8F);
    EXPECT_EQ(img.reportRateHz(), 125);
    img.setReportRateCode(*ConfigImage::reportRateCodeForHz(500));
    EXPECT_EQ(img.byteAt(image::kReportRateBits), 0xAF);
    EXPECT_EQ(ConfigImage::reportRateCodeForHz(300), std::nullopt);
}

TEST(ConfigImage, FireKeySettingsBigEndian) {
    ConfigImage img;
    const Byte block[12] = {0xFF, 0xFF, 0x02, 0x00, 0x3C, 0x04, 0x01, 0x2C, 0x07, 0xFF, 0xFE, 0xE0};
    for (std::size_t i = 0; i < 12; ++i) {
        img.setByteAt(image::kFireKeyBlock.offset + i, block[i]);
    }
    EXPECT_EQ(img.fireKey(1), (StoredFireKey{3, 60}));
    EXPECT_EQ(img.fireKey(2), (StoredFireKey{5, 300}));
    EXPECT_EQ(img.fireKey(3), (StoredFireKey{8, 0xFFFE}));
    EXPECT_EQ(img.manuId(), 0xFF);
    EXPECT_EQ(img.storageMarker(), StorageKind::I2C);

    img.setFireKey(2, {15, 4094});
    EXPECT_EQ(img.byteAt(344), 14);
    EXPECT_EQ(img.byteAt(345), 0x0F);
    EXPECT_EQ(img.byteAt(346), 0xFE);
    EXPECT_EQ(img.byteAt(347), 0x07); // key 3 untouched
    EXPECT_THROW(img.setFireKey(1, {0, 1}), std::out_of_range);
    EXPECT_THROW(img.fireKey(4), std::out_of_range);
}

TEST(ConfigImage, StorageMarker) {
    ConfigImage img;
    img.setStorageMarker(StorageKind::Flash);
    EXPECT_EQ(img.storageMarkerByte(), 0xF0);
    img.setStorageMarker(StorageKind::None);
    EXPECT_EQ(img.storageMarkerByte(), 0xF0);
    img.setStorageMarker(StorageKind::I2C);
    EXPECT_EQ(img.storageMarkerByte(), 0xE0);
    img.setByteAt(image::kStorageMarker, 0x00);
    EXPECT_EQ(img.storageMarker(), StorageKind::None);
}

TEST(ConfigImage, LightingKindFromBits7And6) {
    EXPECT_EQ(ConfigImage::lightingKindOf(0x04), LightingKind::RGB);
    EXPECT_EQ(ConfigImage::lightingKindOf(0x3F), LightingKind::RGB);
    EXPECT_EQ(ConfigImage::lightingKindOf(0x41), LightingKind::Sync);
    EXPECT_EQ(ConfigImage::lightingKindOf(0x80), LightingKind::NT);
    EXPECT_EQ(ConfigImage::lightingKindOf(0xC7), LightingKind::NT);
    ConfigImage img;
    img.setLedMode(0x84);
    img.setLightingEffect(9);
    EXPECT_EQ(img.ledMode(), 0x89);
    EXPECT_EQ(img.lightingKind(), LightingKind::NT);
    EXPECT_EQ(img.lightingEffect(), 9);
}

TEST(ConfigImage, FieldOffsets) {
    ConfigImage img;
    img.setVendorId(0x1209);
    img.setProductId(0xABCD);
    EXPECT_EQ(img.byteAt(0), 0x12);
    EXPECT_EQ(img.byteAt(1), 0x09);
    EXPECT_EQ(img.byteAt(2), 0xAB);
    EXPECT_EQ(img.byteAt(3), 0xCD);
    EXPECT_EQ(img.productId(), 0xABCD);

    img.setLedColor(1, {1, 2, 3});
    img.setLedColor(10, {4, 5, 6});
    img.setDpiColor(8, {7, 8, 9});
    EXPECT_EQ(img.byteAt(57), 1);
    EXPECT_EQ(img.byteAt(84), 4);
    EXPECT_EQ(img.byteAt(86), 6);
    EXPECT_EQ(img.byteAt(108), 7);
    EXPECT_EQ(img.byteAt(110), 9);
    EXPECT_EQ(img.dpiColor(8), (Rgb{7, 8, 9}));

    img.setKeyCode(2, 3, {0x05, 0x02, 0x00, 0x00});
    EXPECT_EQ(ConfigImage::keyCodeOffset(2, 3), 249u);
    EXPECT_EQ(img.byteAt(249), 0x05);
    EXPECT_EQ(ConfigImage::keyCodeOffset(3, 12), 334u);

    img.setFireOffsetX(9, -1);
    img.setFireOffsetY(0, -9);
    EXPECT_EQ(img.byteAt(180), 0xFF);
    EXPECT_EQ(img.byteAt(181), 0xF7);
    EXPECT_EQ(img.fireOffsetY(0), -9);

    img.setProductString("SHORT");
    EXPECT_EQ(img.productString(), "SHORT           ");
    img.setProductString("A NAME LONGER THAN SIXTEEN");
    EXPECT_EQ(img.productString(), "A NAME LONGER TH");
    EXPECT_EQ(img.byteAt(127), 0); // vendor data untouched

    EXPECT_THROW(img.keyCode(0, 1), std::out_of_range);
    EXPECT_THROW(img.keyCode(1, 13), std::out_of_range);
    EXPECT_THROW(img.ledColor(11), std::out_of_range);
    EXPECT_THROW(img.section({300, 60}), std::out_of_range);
}
