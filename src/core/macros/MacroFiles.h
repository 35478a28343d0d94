#pragma once
// Reading and writing the macro files: the library file beside the program, the single-macro and
// library export files and the device macro export file. The formats themselves are in
// MacroLibrary and DeviceMacroTable; this is only the way to and from the disk.

#include "core/macros/MacroTypes.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarvik::core {

// The outcome of a file operation: empty error text on success, otherwise a sentence naming the
// file and the reason, ready to show.
struct FileResult {
    std::string error;
    bool ok() const { return error.empty(); }
    explicit operator bool() const { return ok(); }
};

// The name under which Export One, Export All and the device export write: the chosen name with
// ".bin" appended, whatever it already ends with ("abc" -> "abc.bin", "abc.bin" -> "abc.bin.bin").
std::filesystem::path exportFilePath(const std::filesystem::path& chosen);

// Replaces (or creates) a file so that it is either the old file or the whole new one: the bytes go
// to a temporary file in the same folder, which is flushed and then renamed over the target. On
// failure the target is untouched and the temporary file removed.
FileResult writeFileReplacing(const std::filesystem::path& path, std::span<const Byte> bytes);

// At most `maxBytes` bytes from the start of a file; nothing (and the error) when it cannot be read.
std::optional<std::vector<Byte>> readFilePrefix(const std::filesystem::path& path, std::size_t maxBytes,
                                                FileResult* result = nullptr);

} // namespace tarvik::core
