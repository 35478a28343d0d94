#include "core/macros/MacroLibraryFile.h"

#include "resources/Resources.h"

#include <algorithm>
#include <system_error>

namespace tarvik::core {

std::vector<Byte> defaultMacroLibraryImage() {
    const auto resource = tarvik::resources::find("images/PCMacroData.bin");
    std::vector<Byte> image(kLibraryFileSize, 0);
    if (resource)
        std::copy_n(resource->begin(), std::min(resource->size(), image.size()), image.begin());
    return image;
}

MacroLibraryFile MacroLibraryFile::in(std::string_view macroPath,
                                      const std::filesystem::path& programDirectory) {
    const std::filesystem::path folder =
        macroPath.empty() ? programDirectory : std::filesystem::path(macroPath);
    return MacroLibraryFile(folder / std::string(kMacroLibraryFileName));
}

MacroLibraryFile::LoadResult MacroLibraryFile::loadOrCreate(std::span<const Byte> defaultImage) const {
    LoadResult result;
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(m_path, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) {
        result.library = MacroLibrary::fromBytes(defaultImage);
        result.file = {"Cannot read \"" + m_path.string() + "\": " + ec.message()};
        return result;
    }
    if (std::filesystem::is_symlink(status) && !std::filesystem::exists(m_path, ec)) {
        // The user's link to a library kept elsewhere (an unmounted disk, a moved folder): creating a
        // file here would cut the link for good.
        result.library = MacroLibrary::fromBytes(defaultImage);
        result.file = {"Cannot read \"" + m_path.string() + "\": it is a link to a file that does not exist"};
        return result;
    }
    if (std::filesystem::exists(status)) {
        // Anything but a regular file (a FIFO would block start-up) is refused and left alone.
        FileResult read;
        const auto bytes = readFilePrefix(m_path, kLibraryFileSize, &read);
        result.library = MacroLibrary::fromBytes(bytes ? std::span<const Byte>(*bytes) : defaultImage);
        result.file = read;
        return result;
    }
    result.library = MacroLibrary::fromBytes(defaultImage);
    result.file = save(result.library);
    result.created = result.file.ok();
    return result;
}

FileResult MacroLibraryFile::save(const MacroLibrary& library) const {
    return writeFileReplacing(m_path, library.toBytes());
}

FileResult exportLibrary(const MacroLibrary& library, const std::filesystem::path& chosen) {
    return writeFileReplacing(exportFilePath(chosen), library.toBytes());
}

FileResult exportMacro(const MacroLibrary& library, std::size_t slot, const std::filesystem::path& chosen) {
    const auto record = library.exportOne(slot);
    if (!record)
        return {"No macro to export"};
    return writeFileReplacing(exportFilePath(chosen), *record);
}

std::optional<std::vector<Byte>> readMacroFile(const std::filesystem::path& path, FileResult* result) {
    return readFilePrefix(path, kLibraryFileSize, result);
}

} // namespace tarvik::core
