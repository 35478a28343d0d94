#pragma once
// Reading and writing the macro files: the library file beside the program, the single-macro and
// library export files and the device macro export file. The formats themselves are in
// MacroLibrary and DeviceMacroTable; this is only the way to and from the disk.

#include "core/image/FileIo.h"
#include "core/macros/MacroTypes.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarvik::core {

// The name under which Export One, Export All and the device export write: the chosen name with
// ".bin" appended, whatever it already ends with ("abc" -> "abc.bin", "abc.bin" -> "abc.bin.bin").
std::filesystem::path exportFilePath(const std::filesystem::path& chosen);

// At most `maxBytes` bytes from the start of a regular file (longer files give their first
// `maxBytes`); nothing (and the error) when it cannot be read or is no regular file.
std::optional<std::vector<Byte>> readFilePrefix(const std::filesystem::path& path, std::size_t maxBytes,
                                                FileResult* result = nullptr);

} // namespace tarvik::core
