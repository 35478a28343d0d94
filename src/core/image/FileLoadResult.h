#pragma once
// What a reader of an outside file (profile, patch data) says about it: taken, or refused and why.
// A refused file has changed no buffer.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvik::core {

// The fixed text the window shows for any refused profile or patch file.
inline constexpr std::string_view kLoadingBinError = "Loading .bin is error!";

enum class LoadRefusal {
    None,
    NoStorageKind,       // no "I2C" or "Flash" mouse to load for
    TooShort,            // fewer bytes than the mouse's kind needs
    StorageKindMismatch, // the file's StorageMarker names the other kind (or none)
    TooLong,             // more bytes than any file for the mouse's kind holds
    BadChecksum,         // a section's checksum does not match its bytes: damaged, or not a profile
    OtherMouse,          // saved from another mouse: vendor id, product id or identity bytes differ
};

struct FileLoadResult {
    LoadRefusal refusal = LoadRefusal::None;
    std::size_t size = 0;    // bytes offered
    std::size_t needed = 0;  // bytes the kind needs
    std::size_t section = 0; // BadChecksum: offset of the first section whose checksum is wrong

    bool ok() const { return refusal == LoadRefusal::None; }
    explicit operator bool() const { return ok(); }
    // A plain-English account for diagnostics and tests; users see kLoadingBinError.
    std::string reason() const;
};

} // namespace tarvik::core
