#pragma once
// Every buffer of the read/write cycle in one state object: the two copies of the ConfigImage and
// what the mouse stores beside it. The main window owns one; the pages, the device session and the
// profile and patch files work on it. The default images are held in the same shape.

#include "core/image/ConfigImage.h"
#include "core/image/FireMacroStore.h"
#include "core/image/MemoryMap.h"

#include <array>
#include <cstddef>
#include <span>

namespace tarvik::core {

namespace buffers {
inline constexpr std::size_t kReservedBlockSize = 41;
inline constexpr std::size_t kFlashSectorSize = 256;
inline constexpr std::size_t kFlashSectorHeaderSize = memmap::flash::kSectorHeaderSize; // 24
inline constexpr std::size_t kDeviceMacroAreaSize = 512;                                // "I2C"
inline constexpr std::size_t kFlashMacroCount = memmap::flash::kMacroCount;             // 32
inline constexpr std::size_t kFlashMacroNameSize = 16;
inline constexpr std::size_t kFlashMacroBodySize = memmap::flash::kMacroBodySize; // 256
inline constexpr std::size_t kPatchHeaderRecordSize = 16;                         // "I2C"
inline constexpr std::size_t kEepromPatchCodeSize = 512;
inline constexpr std::size_t kFlashPatchCodeSize = 1024;
} // namespace buffers

using ReservedBlock = std::array<Byte, buffers::kReservedBlockSize>;
using FlashSector = std::array<Byte, buffers::kFlashSectorSize>;
using FlashSectorHeader = std::array<Byte, buffers::kFlashSectorHeaderSize>;
using DeviceMacroArea = std::array<Byte, buffers::kDeviceMacroAreaSize>;
using FlashMacroNames = std::array<std::array<Byte, buffers::kFlashMacroNameSize>, buffers::kFlashMacroCount>;
using FlashMacroBodies =
    std::array<std::array<Byte, buffers::kFlashMacroBodySize>, buffers::kFlashMacroCount>;
using PatchHeaderRecord = std::array<Byte, buffers::kPatchHeaderRecordSize>;
using EepromPatchCode = std::array<Byte, buffers::kEepromPatchCodeSize>;
using FlashPatchCode = std::array<Byte, buffers::kFlashPatchCodeSize>;

// The kind of the built-in default images, read from their StorageMarker: same values as the
// StorageKind of a mouse, so the two compare directly.
using DefaultImageKind = StorageKind;

struct ConfigBuffers {
    ConfigImage workingImage; // what the pages show and edit
    ConfigImage dataBuf;      // what goes to and comes from the mouse and files
    ReservedBlock reservedBlock{};

    // "Flash" only: the last read (or assembled) sector at 0x1000 and its 24-byte header.
    FlashSector flashSector{};
    FlashSectorHeader flashSectorHeader{};

    DeviceMacroArea deviceMacroArea{};   // "I2C": the packed macros at 496-1007
    FlashMacroNames flashMacroNames{};   // "Flash": 32 names at 0x3000
    FlashMacroBodies flashMacroBodies{}; // "Flash": 32 bodies at 0x4000 + 256 i

    FireMacroStore fireMacroStore; // the committed store
    FireMacroSlots fireMacros;     // the editing copy of its names and bodies

    PatchHeaderRecord patchHeaderRecord{}; // "I2C": PatchHeader in bytes 0-7
    EepromPatchCode eepromPatchCode{};     // "I2C"
    FlashPatchCode flashPatchCode{};       // "Flash"

    // "Flash": byte 0 of the sector header was 0x80 at the last read; the flash patch code is then
    // neither written nor exchanged with profile files.
    bool patchLocked = false;

    StorageKind storageKind = StorageKind::None; // of the mouse in hand

    // --- The fire macro store and its editing copy
    void splitFireMacroStore() { fireMacros = fireMacroStore.split(); }
    void joinFireMacroStore() { fireMacroStore.join(fireMacros); }

    // --- Copies between the two images
    // The whole DataBuf into the WorkingImage, as before every drawing of the pages.
    void copyDataBufToWorkingImage() { workingImage = dataBuf; }
    // One part of the WorkingImage towards the mouse: its checksum is recomputed first when it is
    // one of the five checksummed sections (or the profile run), then it is copied into DataBuf.
    void commitToDataBuf(image::Section s);
    // The three profile sections with fresh checksums, as every rewrite of the key codes needs.
    void commitProfilesToDataBuf() { commitToDataBuf(image::kProfileRun); }
    // Preparation of a profile file: StorageMarker from storageKind (left alone when None), fresh
    // checksums of all five sections, the whole image copied into DataBuf, and the editing copy of
    // the fire macros joined into the store so that the file holds what the pages show.
    void dataBufToMemo();

    // --- The "Flash" sector: header, DataBuf profile run, ReservedBlock, the rest as last read.
    std::span<const Byte, buffers::kFlashSectorSize> assembleFlashSector();
    // The other way, after the sector was read: header, profile run into DataBuf, ReservedBlock,
    // and patchLocked from header byte 0.
    void takeFlashSector();

    // Default settings and the no-device start take over a default image: the DataBuf sections and
    // FireKeyBlock; by kind the device macros and the patch header (record or sector header) and
    // patch code; and the fire macro store, split into the editing copy. The ReservedBlock and
    // patchLocked stay as they are.
    void takeDefaultImage(const ConfigBuffers& defaults, DefaultImageKind kind);

    bool operator==(const ConfigBuffers&) const = default;
};

} // namespace tarvik::core
