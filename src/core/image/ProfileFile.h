#pragma once
// The profile file: everything a mouse stores, flat, without header or overall checksum; its kind
// is the StorageMarker at offset 495. The built-in default images use the same layout.

#include "core/image/ConfigBuffers.h"
#include "core/image/FileIo.h"
#include "core/image/FileLoadResult.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace tarvik::core {

namespace profile_file {
// Common part, both kinds
inline constexpr std::size_t kVendorSection = 0;
inline constexpr std::size_t kUserSection = 164;
inline constexpr std::size_t kProfiles = 192;
inline constexpr std::size_t kReservedBlock = 339;
inline constexpr image::Section kFiller{380, 104}; // every byte 0xFF
inline constexpr Byte kFillerByte = 0xFF;
inline constexpr std::size_t kFireKeyBlock = 484;
inline constexpr std::size_t kStorageMarker = 495;
inline constexpr std::size_t kCommonSize = 496;

// "I2C" file
inline constexpr std::size_t kI2CMacroArea = 496;
inline constexpr std::size_t kI2CFireMacroStore = 1008;
inline constexpr std::size_t kI2CPatchHeaderRecord = 1520;
inline constexpr std::size_t kI2CPatchCode = 1536;
inline constexpr std::size_t kI2CSize = 2048;

// "Flash" file
inline constexpr std::size_t kFlashMacroNames = 496;
inline constexpr std::size_t kFlashMacroBodies = 1008; // body i at 1008 + 256 i
inline constexpr std::size_t kFlashFireMacroStore = 9200;
inline constexpr std::size_t kFlashSectorHeader = 9712; // only when the patch is not locked
inline constexpr std::size_t kFlashPatchCode = 9736;    // only when the patch is not locked
inline constexpr std::size_t kFlashSize = 10760;
inline constexpr std::size_t kFlashLockedSize = 9712;
} // namespace profile_file

// Bytes of a profile file for a mouse of this kind: 2048, 10760, or 9712 for a "Flash" mouse whose
// patch is locked; 0 for StorageKind::None.
std::size_t profileFileSize(StorageKind kind, bool patchLocked);

// The file for the mouse in `buffers` (its storageKind and patchLocked): DataBuf sections, the
// ReservedBlock, the 0xFF filler, the FireKeyBlock, then the kind's stored areas. Writes the
// buffers as they are: run dataBufToMemo() first to get the marker, fresh checksums and the edited
// fire macros into them. Empty for StorageKind::None.
std::vector<Byte> writeProfileFile(const ConfigBuffers& buffers);

// Takes a profile file into `buffers` for the mouse they describe (storageKind, patchLocked):
// DataBuf sections and FireKeyBlock (not the ReservedBlock, not the filler), then the kind's
// stored areas, then splits the fire macro store into its editing copy. The sections keep the
// checksums the file carries. A file whose StorageMarker does not name the mouse's kind, or that
// is shorter than the kind needs, is refused and changes nothing; extra bytes are ignored.
FileLoadResult readProfileFile(std::span<const Byte> file, ConfigBuffers& buffers);

// The connected mouse as far as a profile file can name it: the vendor and product id it was opened
// with, and the identity bytes (ManuId, ProId) read from its FireKeyBlock.
struct MouseIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    Byte manuId = 0xFF;
    Byte proId = 0xFF;
};

// Everything that can be checked before a profile file is written to the mouse: its kind
// (StorageMarker), its size (at least what the kind needs, at most the largest file of that kind),
// the checksums of its five sections, and that its VendorId, ProductId and identity bytes are those
// of `mouse`. A file saved by this program from the same healthy mouse passes. Nothing is changed.
// A file read from disk carries its own checksums and is refused when one does not match. A profile
// built field by field from a checked document (the command line's JSON import) keeps the checksums
// the mouse holds, which single-setting writes leave behind as the mouse itself does; only its kind,
// size and identity are checked.
enum class ProfileSource { File, Built };
FileLoadResult checkProfileFile(std::span<const Byte> file, StorageKind kind, bool patchLocked,
                                const MouseIdentity& mouse, ProfileSource source = ProfileSource::File);

// The bytes of a profile file on disk: a regular file of at most the largest profile size. A FIFO,
// a device or a larger file is refused (without blocking) with the reason in `result`.
std::optional<std::vector<Byte>> readProfileFileFrom(const std::filesystem::path& path,
                                                     FileResult* result = nullptr);

// The name Save Profile writes: the chosen name with ".bin" appended (a name already ending in
// ".bin" gets a second one, as files and users rely on).
std::filesystem::path profileSavePath(const std::filesystem::path& chosen);

// The file dialog asked only about the name it returned; when the file Save Profile really writes
// (profileSavePath) already exists, it would be replaced without a question. True then: ask first.
bool saveReplacesUnconfirmedFile(const std::filesystem::path& chosen);

// The lenient reading used for the built-in default images: each piece of the layout for `kind`
// is copied as far as `file` reaches and the rest of every buffer stays as it was. The flash patch
// header and code are always taken; the StorageMarker is not checked. Nothing but the DataBuf
// sections, FireKeyBlock and the kind's stored areas is touched.
void fillFromProfileLayout(std::span<const Byte> file, StorageKind kind, ConfigBuffers& buffers);

} // namespace tarvik::core
