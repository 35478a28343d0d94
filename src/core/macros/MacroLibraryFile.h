#pragma once
// The MacroLibraryFile "Tarvik-Macro.bin": the whole library, loaded once at start-up and written
// again after every change.

#include "core/macros/MacroFiles.h"
#include "core/macros/MacroLibrary.h"

#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

namespace tarvik::core {

inline constexpr std::string_view kMacroLibraryFileName = "Tarvik-Macro.bin";

// The built-in default library "PCMacroData" (27,200 bytes, every name empty).
std::vector<Byte> defaultMacroLibraryImage();

class MacroLibraryFile {
public:
    explicit MacroLibraryFile(std::filesystem::path path) : m_path(std::move(path)) {}

    // The library file in a folder: `macroPath` when it is not empty, else `programDirectory`. A
    // folder named without a trailing separator is completed with one.
    static MacroLibraryFile in(std::string_view macroPath, const std::filesystem::path& programDirectory);

    const std::filesystem::path& path() const { return m_path; }

    struct LoadResult {
        MacroLibrary library;
        bool created = false; // the file did not exist and was written from the default image
        FileResult file;      // a read or create failure; the library is then the default one
        // False when something stands at the path that could not be read whole (no permission, no
        // regular file, a link): saving would put the default library in place of the user's, so
        // the library in memory must not be saved there.
        bool savable = true;
        // A file of another size than a library's (longer, or cut short) was renamed to this name,
        // so that the next save cannot cut it; the library holds the records it read whole.
        std::filesystem::path keptAside;
    };

    // CheckPCMacro: the library in the file; when there is no file, the default image, written out
    // as the new file. A file that exists but cannot be read, is no regular file, or is a link is
    // left alone and reported in `file` with `savable` false; the library is then the default one.
    // A regular file of the wrong size is read and kept aside (see `keptAside`); when it cannot be
    // renamed, it is left where it is and `savable` is false.
    LoadResult loadOrCreate(std::span<const Byte> defaultImage) const;

    // RefreshPCMacro: writes the whole library, keeping the file's mode (a new file is 0600, the
    // library being the user's own). A link at the path is refused, never followed. A failure leaves
    // the previous file whole.
    FileResult save(const MacroLibrary& library) const;

private:
    std::filesystem::path m_path;
};

// Export All: the whole library under the chosen name with ".bin" appended.
FileResult exportLibrary(const MacroLibrary& library, const std::filesystem::path& chosen);

// Export One: the single-macro file of a slot under the chosen name with ".bin" appended.
FileResult exportMacro(const MacroLibrary& library, std::size_t slot, const std::filesystem::path& chosen);

// The bytes Import One and Import All read from a chosen file (never more than a library file).
std::optional<std::vector<Byte>> readMacroFile(const std::filesystem::path& path,
                                               FileResult* result = nullptr);

} // namespace tarvik::core
