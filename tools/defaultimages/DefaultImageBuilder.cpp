#include "defaultimages/DefaultImageBuilder.h"

#include "core/image/PatchFile.h"
#include "core/image/ProfileFile.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <stdexcept>
#include <string_view>

namespace tarvik::tools {

using core::Byte;
using core::ConfigBuffers;
using core::ConfigImage;
using core::KeyCodeBytes;
using core::Rgb;
using core::StorageKind;

namespace {

// --- VendorSection

// The open test vendor id and its first product id; the virtual mouse reports the same pair.
constexpr std::uint16_t kVendorId = 0x1209;
constexpr std::uint16_t kProductId = 0x0001;
constexpr Byte kReportRateBits = 0xBF; // 1000 Hz and the chip's flags

constexpr std::array<Byte, 38> kChipConfig = {0xFF, 0x7F, 0x7F, 0xAF, 0x20, 0x35, 0x29, 0x10, 0x30, 0x1A,
                                              0x00, 0x00, 0x45, 0x02, 0xEF, 0x10, 0xEF, 0x10, 0xEF, 0x10,
                                              0xFF, 0x10, 0x50, 0x03, 0x01, 0x02, 0x48, 0x96, 0xFA, 0x20,
                                              0x1E, 0x02, 0x01, 0x20, 0x00, 0x1C, 0x1A, 0x3F};
static_assert(kChipConfig.size() == core::image::kChipConfig.length);

constexpr int kEnabledDpiLevels = 4;
constexpr int kDpiSteps[8] = {5, 8, 9, 11, 8, 9, 10, 11}; // 85 B9 98 BA: 1200, 2400, 3200, 6400 ...

constexpr std::array<Byte, 8> kLightingParams[2] = {{0x01, 0x00, 0x80, 0x00, 0x00, 0x64, 0x01, 0x2C},
                                                    {0x01, 0x00, 0x80, 0x00, 0x00, 0x64, 0x00, 0x64}};
constexpr Byte kFallTime = 10;

constexpr Rgb kLedColors1[10] = {
    {0xFF, 0x80, 0x00}, {0xFF, 0xFF, 0x00}, {0x00, 0xFF, 0x00}, {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF},
    {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0xFF}, {0x80, 0x00, 0xFF}, {0xFF, 0x80, 0x00}, {0xFF, 0xFF, 0xFF}};
// Image 2 differs in colours 1 and 6.
constexpr Rgb kLedColor1Image2{0xFF, 0x00, 0x00};
constexpr Rgb kLedColor6Image2{0x00, 0xFF, 0x80};

constexpr Rgb kDpiColors[8] = {{0x00, 0xFF, 0x00}, {0xFF, 0x00, 0xFF}, {0x00, 0x00, 0xFF},
                               {0xFF, 0x00, 0x00}, {0x08, 0x08, 0x00}, {0x00, 0x08, 0x08},
                               {0x08, 0x00, 0x08}, {0x08, 0x08, 0x08}};

constexpr std::string_view kProductString = "TARVIK GAMING MS";
static_assert(kProductString.size() == core::image::kProductString.length);

constexpr std::array<Byte, 10> kVendorDataHead = {0x00, 0x00, 0x00, 0x00, 0x07, 0xD1, 0xF0, 0x20, 0x08, 0x01};

// --- UserSection

constexpr Byte kCurrentProfile[2] = {0xF0, 0x00};
constexpr Byte kLedMode = 0x04; // "RGB", effect 4
constexpr std::int8_t kFireOffsetY1[10] = {0, 0, 0, 0, 0, -9, -2, -7, 3, 0};

// --- Profile sections: button 1..12 of work modes 1..3

using ProfileCodes = std::array<std::uint32_t, 12>;
constexpr ProfileCodes kProfile1 = {0x01010000, 0x01080002, 0x0300E900, 0x01020000, 0x01100000, 0x0300EA00,
                                    0x01040000, 0x09000000, 0x00000000, 0x00000000, 0x00000000, 0x00000000};
constexpr ProfileCodes kProfile2[2] = {
    {0x1006A0FF, 0x0B170302, 0x05020000, 0x01020000, 0x0B150202, 0x09000000, 0x01040000, 0x0A000000,
     0x00000000, 0x00000000, 0x00000000, 0x00000000},
    {0x1006A0FF, 0x0B100102, 0x05020000, 0x01020000, 0x0B110102, 0x09000000, 0x01040000, 0x0A000000,
     0x00000000, 0x00000000, 0x00000000, 0x00000000}};
constexpr ProfileCodes kProfile3 = {0x01010000, 0x01080002, 0x0617003C, 0x01020000, 0x01100000, 0x02080700,
                                    0x01040000, 0x09000000, 0x08000000, 0x0E000000, 0x0300E900, 0x0300EA00};

// --- FireKeyBlock

constexpr Byte kManuId = 0xFF;
constexpr Byte kProId = 0xFF;
constexpr core::StoredFireKey kFireKeys[3] = {{3, 60}, {5, 60}, {8, 60}};

// Bytes that nothing interprets: the ReservedBlock, the tail of the fire macro store and the second
// half of the patch header record, all left as an erased EEPROM holds them.
constexpr Byte kErased = 0xFF;

// --- Fire macros: the recoil loops of the weapon presets

class Body {
public:
    Body& repeatStart(Byte n) { return put({0xFD, n}); }
    Body& leftDown() { return put({0xA1}); }
    Body& leftUp() { return put({0x21}); }
    Body& delay(std::uint16_t ms) { return put({0xFE, static_cast<Byte>(ms >> 8), static_cast<Byte>(ms)}); }
    Body& move(std::int8_t x, std::int8_t y) {
        return put({0x04, static_cast<Byte>(x), static_cast<Byte>(y)});
    }
    Body& repeatEnd() { return put({0xFC}); }
    const core::FireMacroStore::Body& bytes() const { return m_bytes; }

private:
    Body& put(std::initializer_list<Byte> bytes) {
        // The rest stays zero: three zero bytes end a body.
        if (m_length + bytes.size() + 3 > m_bytes.size()) {
            throw std::logic_error("fire macro body too long");
        }
        for (Byte b : bytes) {
            m_bytes[m_length++] = b;
        }
        return *this;
    }
    core::FireMacroStore::Body m_bytes{};
    std::size_t m_length = 0;
};

// Image 1: press, short wait, pull down, wait, release.
Body burstImage1(std::int8_t pullDown, std::uint16_t waitAfterMove) {
    Body b;
    b.repeatStart(0).leftDown().delay(1).move(0, pullDown).delay(waitAfterMove).leftUp().delay(1).repeatEnd();
    return b;
}

// Image 2, slots 0-4: press, hold, release, pause, pull down, settle.
Body tapImage2(std::int8_t pullDown) {
    Body b;
    b.repeatStart(0).leftDown().delay(16).leftUp().delay(14).move(0, pullDown).delay(26).repeatEnd();
    return b;
}

// Image 2, slots 5-9: a click, then the pull-down.
Body clickImage2(std::int8_t pullDown) {
    Body b;
    b.repeatStart(0).leftDown().leftUp().move(0, pullDown).delay(8).repeatEnd();
    return b;
}

std::array<Body, 10> fireMacroBodies(int n) {
    if (n == 1) {
        return {burstImage1(6, 1),   burstImage1(3, 1),   burstImage1(4, 1),   burstImage1(3, 1),
                burstImage1(5, 1),   burstImage1(12, 21), burstImage1(12, 21), burstImage1(12, 21),
                burstImage1(12, 21), burstImage1(0, 0)};
    }
    return {tapImage2(16),  tapImage2(15),   tapImage2(14),  tapImage2(13),   tapImage2(15),
            clickImage2(5), clickImage2(12), clickImage2(8), clickImage2(14), clickImage2(16)};
}

// "Macro1" .. "Macro10": UTF-16 code units high byte first, zero-padded.
core::FireMacroStore::Name fireMacroName(int slot) {
    std::string text = "Macro" + std::to_string(slot + 1);
    core::FireMacroStore::Name name{};
    for (std::size_t i = 0; i < text.size(); ++i) {
        name[2 * i + 1] = static_cast<Byte>(text[i]);
    }
    return name;
}

// --- Patch code: an 8051-style block behind a three-entry jump table. The routines read the work
// mode and current DPI, turn the report-rate bits into a polling interval, and wait in a loop; a
// DPI step table follows. The last two bytes are the build's balance word, which brings the header
// checksum to the value the mouse's boot code expects (37 8D).
constexpr std::array<Byte, 16> kPatchVectors = {0x02, 0x04, 0x10, // LJMP init
                                                0x02, 0x04, 0x3C, // LJMP rate
                                                0x02, 0x04, 0x69, // LJMP wait
                                                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr std::array<Byte, 44> kPatchInit = {
    0xC0, 0xE0, 0xC0, 0xD0, 0xC0, 0x82, 0xC0, 0x83,       // push ACC, PSW, DPL, DPH
    0x90, 0x00, 0xA4, 0xE0, 0x54, 0x0F,                   // A = CurrentProfile & 0x0F
    0xC3, 0x94, 0x03, 0x40, 0x03, 0xE4, 0x80, 0x03,       // modes 3-15 read as 0
    0xE0, 0x54, 0x0F, 0xF5, 0x30,                         // store the work mode
    0x90, 0x00, 0xA6, 0xE0, 0x54, 0x07, 0xF5, 0x31,       // store CurrentDpi & 7
    0xD0, 0x83, 0xD0, 0x82, 0xD0, 0xD0, 0xD0, 0xE0, 0x22, // pop, RET
};
constexpr std::array<Byte, 45> kPatchRate = {
    0x90, 0x00, 0x04, 0xE0, 0xC4, 0x54, 0x03,             // A = (ReportRateBits >> 4) & 3
    0x90, 0x04, 0x81, 0x93, 0xF5, 0x32,                   // interval from the table at 0x0481
    0x75, 0x33, 0x00, 0xE5, 0x32, 0x60, 0x06,             // count the shifts
    0x15, 0x32, 0x05, 0x33, 0x80, 0xF6,                   //
    0xE5, 0x33, 0xB4, 0x08, 0x02, 0xD2, 0x00, 0xC2, 0x01, // flag the 125 Hz case
    0x90, 0x00, 0x2B, 0xE0, 0x54, 0x07, 0x04, 0xF5, 0x34, // enabled DPI levels
    0x22,
};
constexpr std::array<Byte, 24> kPatchWait = {
    0xC2, 0xAF, 0xAE, 0x37, 0xAF, 0x38,       // interrupts off, R6:R7 = delay
    0xEF, 0x4E, 0x60, 0x0B,                   // done when zero
    0x7D, 0x0A, 0xDD, 0xFE,                   // inner loop
    0x1F, 0xBF, 0xFF, 0x01, 0x1E, 0x80, 0xF1, // 16-bit decrement, loop
    0xD2, 0xAF, 0x22,                         // interrupts on, RET
};
constexpr std::array<Byte, 4> kPatchRateTable = {0x08, 0x04, 0x02, 0x01};
constexpr std::array<Byte, 12> kPatchDpiTable = {0x04, 0x08, 0x0C, 0x10, 0x14, 0x18,
                                                 0x20, 0x28, 0x30, 0x40, 0x60, 0x80}; // steps of 50
constexpr std::array<Byte, 2> kPatchBalance = {0x00, 0x50};

core::EepromPatchCode defaultPatchCode() {
    core::EepromPatchCode code{};
    auto at = code.begin();
    for (auto part : {std::span<const Byte>(kPatchVectors), std::span<const Byte>(kPatchInit),
                      std::span<const Byte>(kPatchRate), std::span<const Byte>(kPatchWait),
                      std::span<const Byte>(kPatchRateTable), std::span<const Byte>(kPatchDpiTable)}) {
        at = std::copy(part.begin(), part.end(), at);
    }
    std::copy(kPatchBalance.begin(), kPatchBalance.end(), code.end() - kPatchBalance.size());
    return code;
}

KeyCodeBytes keyBytes(std::uint32_t code) {
    return {static_cast<Byte>(code >> 24), static_cast<Byte>(code >> 16), static_cast<Byte>(code >> 8),
            static_cast<Byte>(code)};
}

void setProfile(ConfigImage& img, int profile, const ProfileCodes& codes) {
    for (int b = 1; b <= 12; ++b) {
        img.setKeyCode(profile, b, keyBytes(codes[static_cast<std::size_t>(b - 1)]));
    }
}

ConfigImage defaultConfigImage(int n) {
    const std::size_t i = static_cast<std::size_t>(n - 1);
    ConfigImage img;

    img.setVendorId(kVendorId);
    img.setProductId(kProductId);
    img.setByteAt(core::image::kReportRateBits, kReportRateBits);
    std::copy(kChipConfig.begin(), kChipConfig.end(), img.section(core::image::kChipConfig).begin());
    img.setEnabledDpiLevels(kEnabledDpiLevels);
    for (int level = 1; level <= 8; ++level) {
        img.setDpiLevel(level, kDpiSteps[level - 1]);
    }
    std::copy(kLightingParams[i].begin(), kLightingParams[i].end(),
              img.section(core::image::kLightingParams).begin());
    img.setFallTime(kFallTime);
    for (int c = 1; c <= 10; ++c) {
        img.setLedColor(c, kLedColors1[c - 1]);
    }
    if (n == 2) {
        img.setLedColor(1, kLedColor1Image2);
        img.setLedColor(6, kLedColor6Image2);
    }
    for (int level = 1; level <= 8; ++level) {
        img.setDpiColor(level, kDpiColors[level - 1]);
    }
    img.setProductString(kProductString);
    std::copy(kVendorDataHead.begin(), kVendorDataHead.end(), img.section(core::image::kVendorData).begin());

    img.setCurrentProfile(kCurrentProfile[i]);
    img.setLedMode(kLedMode);
    img.setCurrentDpi(0);
    for (int s = 0; s < 10; ++s) {
        img.setFireOffsetX(s, 0);
        img.setFireOffsetY(s, n == 1 ? kFireOffsetY1[s] : 0);
    }

    setProfile(img, 1, kProfile1);
    setProfile(img, 2, kProfile2[i]);
    setProfile(img, 3, kProfile3);

    img.setManuId(kManuId);
    img.setProId(kProId);
    for (int k = 1; k <= 3; ++k) {
        img.setFireKey(k, kFireKeys[k - 1]);
    }
    return img;
}

void requireImageNumber(int n) {
    if (n != 1 && n != 2) {
        throw std::out_of_range("default image number must be 1 or 2");
    }
}

} // namespace

ConfigBuffers buildDefaultImageBuffers(int n) {
    requireImageNumber(n);
    ConfigBuffers b;
    b.storageKind = StorageKind::I2C;
    b.workingImage = defaultConfigImage(n);
    b.reservedBlock.fill(kErased);
    b.deviceMacroArea.fill(0x00); // no device macros

    auto store = b.fireMacroStore.bytes();
    std::fill(store.begin() + core::FireMacroStore::kTailOffset, store.end(), kErased);
    auto bodies = fireMacroBodies(n);
    for (int s = 0; s < 10; ++s) {
        b.fireMacros.names[static_cast<std::size_t>(s)] = fireMacroName(s);
        b.fireMacros.bodies[static_cast<std::size_t>(s)] = bodies[static_cast<std::size_t>(s)].bytes();
    }

    b.patchHeaderRecord.fill(kErased);
    b.eepromPatchCode = defaultPatchCode();
    core::checkEEPatchCodeSection(b);

    // The same preparation a saved profile gets: marker, checksums, fire macros joined.
    b.dataBufToMemo();
    return b;
}

std::vector<Byte> buildDefaultImage(int n) {
    return core::writeProfileFile(buildDefaultImageBuffers(n));
}

std::vector<Byte> buildDefaultMacroLibrary() {
    constexpr std::size_t kRecords = 100;
    constexpr std::size_t kRecordSize = 16 + 256;
    return std::vector<Byte>(kRecords * kRecordSize, 0x00);
}

} // namespace tarvik::tools
