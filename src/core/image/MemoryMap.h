#pragma once
// Where each part of the configuration lives in the mouse's stored memory, per storage kind,
// and the addresses of the live settings. Addresses are those of commands 0x07 and 0x09.

#include <cstddef>
#include <cstdint>

namespace tarvik::core::memmap {

struct Region {
    std::uint16_t address;
    std::size_t length;
};

// Live settings: ConfigImage offsets 0-191, one-byte offsets of commands 0x05 and 0x06.
inline constexpr std::size_t kLiveSettingsSize = 192;

namespace i2c {
inline constexpr std::size_t kMemorySize = 2048;
inline constexpr std::uint16_t kCurrentProfile = 164; // status byte
inline constexpr std::uint16_t kCurrentDpi = 166;     // status byte
inline constexpr Region kProfiles{192, 147};
inline constexpr Region kReservedBlock{339, 41};
inline constexpr Region kUnused{380, 104};
inline constexpr Region kFireKeyBlock{484, 12};
inline constexpr Region kMacroArea{496, 512};       // written and read as two 256-byte halves
inline constexpr Region kPatchHeader{1008, 16};     // PatchHeader in bytes 0-7
inline constexpr Region kPatchCode{1024, 512};      // two 256-byte halves
inline constexpr Region kFireMacroStore{1536, 512}; // two 256-byte halves
inline constexpr std::size_t kHalf = 256;
} // namespace i2c

namespace flash {
inline constexpr Region kSector{0x1000, 256};
inline constexpr std::size_t kSectorHeaderSize = 24;   // sector bytes 0-23
inline constexpr std::size_t kSectorProfiles = 24;     // 147 bytes
inline constexpr std::size_t kSectorReserved = 171;    // 41 bytes
inline constexpr std::size_t kSectorRest = 212;        // 44 bytes written back as read
inline constexpr std::size_t kSectorPatchLockByte = 0; // 0x80 = patch locked
inline constexpr std::uint8_t kPatchLockedValue = 0x80;
inline constexpr std::size_t kSectorPatchHeader = 8;     // 8 bytes
inline constexpr std::uint16_t kCurrentProfile = 0x2000; // status byte
inline constexpr std::uint16_t kCurrentDpi = 0x2002;     // status byte
inline constexpr Region kMacroNames{0x3000, 512};        // 32 x 16
inline constexpr std::uint16_t kMacroBodies = 0x4000;    // 32 x 256, body i at 0x4000 + 256 i
inline constexpr std::size_t kMacroCount = 32;
inline constexpr std::size_t kMacroBodySize = 256;
inline constexpr Region kFireKeyBlock{0x6000, 12};
inline constexpr Region kFireMacroStore{0x7000, 512};
inline constexpr Region kPatchCode{0xC000, 1024};
} // namespace flash

} // namespace tarvik::core::memmap
