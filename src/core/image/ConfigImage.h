#pragma once
// The mouse's configuration as one 351-byte image: five checksummed sections and the fire key
// block. Every offset used anywhere in the program is named here, once.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tarvik::core {

using Byte = std::uint8_t;

enum class StorageKind { None, I2C, Flash };

// Bits 7-6 of LedMode: which lighting hardware the mouse has.
enum class LightingKind { None, RGB, Sync, NT };

namespace image {

struct Section {
    std::size_t offset;
    std::size_t length; // checksum byte, when the section has one, is the last
};

inline constexpr std::size_t kImageSize = 351;

inline constexpr Section kVendorSection{0, 164};
inline constexpr Section kUserSection{164, 28};
inline constexpr Section kProfileSection[3] = {{192, 49}, {241, 49}, {290, 49}};
inline constexpr Section kProfileRun{192, 147}; // the three profile sections, always moved together
inline constexpr Section kFireKeyBlock{339, 12};

// VendorSection fields (big-endian where wider than a byte)
inline constexpr std::size_t kVendorId = 0;       // 16 bit
inline constexpr std::size_t kProductId = 2;      // 16 bit
inline constexpr std::size_t kReportRateBits = 4; // bits 5-4: 0 = 125 Hz .. 3 = 1000 Hz
inline constexpr Section kChipConfig{5, 38};
inline constexpr std::size_t kDpiLevelCount = 43; // enabled levels minus 1, 0-7
inline constexpr std::size_t kDpiLevels = 44;     // 4 bytes, 8 nibbles, level 1 low nibble of 44
inline constexpr Section kLightingParams{48, 8};
inline constexpr std::size_t kFallTime = 56;   // 5..50 in steps of 5
inline constexpr std::size_t kLedColors = 57;  // 10 colours x RGB
inline constexpr std::size_t kDpiColors = 87;  // 8 colours x RGB
inline constexpr Section kProductString{111, 16};
inline constexpr Section kVendorData{127, 36};

// UserSection fields
inline constexpr std::size_t kCurrentProfile = 164; // low nibble = work mode 0..2
inline constexpr std::size_t kLedMode = 165;        // bits 7-6 kind, bits 3-0 effect
inline constexpr std::size_t kCurrentDpi = 166;
inline constexpr std::size_t kModeParams = 167; // 4 bytes
inline constexpr std::size_t kFireOffsetX = 171; // 10 signed bytes
inline constexpr std::size_t kFireOffsetY = 181; // 10 signed bytes

// FireKeyBlock fields, as image offsets
inline constexpr std::size_t kManuId = 339;
inline constexpr std::size_t kProId = 340;
inline constexpr std::size_t kFireKeySettings = 341; // 3 keys x (count-1, delay hi, delay lo)
inline constexpr std::size_t kStorageMarker = 350;

inline constexpr Byte kMarkerI2C = 0xE0;
inline constexpr Byte kMarkerFlash = 0xF0;

inline constexpr std::size_t kButtons = 12;
inline constexpr std::size_t kDpiLevelSlots = 8;
inline constexpr Byte kNoDpiValue = 15;

} // namespace image

using ConfigImageBytes = std::array<Byte, image::kImageSize>;

} // namespace tarvik::core
