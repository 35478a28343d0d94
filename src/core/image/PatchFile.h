#pragma once
// Patch code: controller code the mouse keeps beside its configuration, described by an 8-byte
// PatchHeader whose checksum the mouse checks. Also the patch data file of the update page.

#include "core/image/ConfigBuffers.h"
#include "core/image/FileIo.h"
#include "core/image/FileLoadResult.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace tarvik::core {

namespace patch {
inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::uint16_t kFixed = 0x001A;
inline constexpr std::uint16_t kChecksumXor = 0x015A;
inline constexpr std::uint16_t kI2CAddress = memmap::i2c::kPatchCode.address;     // 0x0400
inline constexpr std::uint16_t kFlashAddress = memmap::flash::kPatchCode.address; // 0xC000
// Where the flash header sits in the FlashSector header.
inline constexpr std::size_t kFlashHeaderOffset = memmap::flash::kSectorPatchHeader; // 8

// Patch data file
inline constexpr std::size_t kFileI2CRecord = 0;
inline constexpr std::size_t kFileI2CCode = 16;
inline constexpr std::size_t kFileFlashCode = 0x8000;
} // namespace patch

struct PatchHeader {
    std::uint16_t address = 0; // of the patch code, big-endian in bytes 0-1
    std::uint16_t length = 0;  // bytes 2-3
    std::uint16_t fixed = patch::kFixed;
    std::uint16_t checksum = 0; // bytes 6-7

    std::array<Byte, patch::kHeaderSize> toBytes() const;
    static PatchHeader fromBytes(std::span<const Byte, patch::kHeaderSize> bytes);
    // The header for `code` stored at `address`, with its length and checksum.
    static PatchHeader forCode(std::uint16_t address, std::span<const Byte> code);

    bool operator==(const PatchHeader&) const = default;
};

// 16-bit sum of all code bytes (carries dropped) XOR 0x015A.
std::uint16_t patchCodeChecksum(std::span<const Byte> code);

// CheckEEPatchCodeSection: header 04 00 02 00 00 1A + checksum of the 512-byte "I2C" patch code into
// bytes 0-7 of the patch header record; bytes 8-15 stay as loaded.
void checkEEPatchCodeSection(ConfigBuffers& buffers);

// CheckPatchCodeSection: header C0 00 04 00 00 1A + checksum of the 1024-byte flash patch code
// into bytes 8-15 of the FlashSector header.
void checkPatchCodeSection(ConfigBuffers& buffers);

// Bytes a patch data file needs for a mouse of this kind: 528 ("I2C": record at 0, code at 16),
// 33792 ("Flash": code at 0x8000); 0 for StorageKind::None.
std::size_t patchFileSize(StorageKind kind);

// Takes a patch data file for the mouse in `buffers`: "I2C" the 16-byte header record and the
// 512-byte code, "Flash" the 1024-byte code. The content is not checked (it is the mouse's
// business), but a file shorter than the kind needs is refused and changes nothing, as is any file
// when the kind is None.
FileLoadResult readPatchFile(std::span<const Byte> file, ConfigBuffers& buffers);

// The bytes Load BIN takes from a patch data file on disk: a regular file, of which no more is read
// than the larger kind needs (data files may be whole memory images, so longer files are fine). A
// FIFO or a device is refused without blocking, with the reason in `result`.
std::optional<std::vector<Byte>> readPatchFileFrom(const std::filesystem::path& path,
                                                   FileResult* result = nullptr);

} // namespace tarvik::core
