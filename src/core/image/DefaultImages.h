#pragma once
// The two built-in default images ("Default Setting 1" and "2", and what the window shows without
// a mouse): profile files embedded as resources, read into two ConfigBuffers of their own.

#include "core/image/ConfigBuffers.h"

#include <array>
#include <span>
#include <string_view>

namespace tarvik::core {

inline constexpr std::string_view kDefaultImagePaths[2] = {"images/TarvikData_Cfg1.bin",
                                                           "images/TarvikData_Cfg2.bin"};

// Default buffers 1 and 2 (index 0 and 1).
using DefaultImageBuffers = std::array<ConfigBuffers, 2>;

// The kind a default image was built for, from its StorageMarker at offset 495: "I2C" for 0xE0,
// "Flash" for 0xF0, None for anything else or a resource too short to hold the byte.
DefaultImageKind defaultImageKindOf(std::span<const Byte> imageFile);

// Fills `into` from the bytes of one default image laid out for `kind`. A resource shorter than
// the layout fills what it holds and leaves the rest of each buffer as it was.
void fillDefaultImage(std::span<const Byte> imageFile, DefaultImageKind kind, ConfigBuffers& into);

// LoadDefaultImages: both embedded images into default buffers 1 and 2. A missing resource leaves
// its buffers as they were.
void loadDefaultImages(DefaultImageKind kind, DefaultImageBuffers& defaults);

} // namespace tarvik::core
