#pragma once
// The two default images ("Default Setting 1" and "Default Setting 2") and the default macro
// library, built from their named field values.

#include "core/image/ConfigBuffers.h"

#include <string_view>
#include <vector>

namespace tarvik::tools {

// Buffers of default image n (1 or 2) for an "I2C" mouse, ready to be written as a profile file.
core::ConfigBuffers buildDefaultImageBuffers(int n);

// Default image n as the 2048-byte "I2C" profile file.
std::vector<core::Byte> buildDefaultImage(int n);

// The default PC macro library: 100 empty records of 272 bytes.
std::vector<core::Byte> buildDefaultMacroLibrary();

// File names under resources/images/.
inline constexpr std::string_view kDefaultImageFileNames[2] = {"TarvikData_Cfg1.bin", "TarvikData_Cfg2.bin"};
inline constexpr std::string_view kDefaultMacroLibraryFileName = "PCMacroData.bin";

} // namespace tarvik::tools
