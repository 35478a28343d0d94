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

namespace {

// A name beside `path` that nothing holds yet: "<path>.kept", "<path>.kept-2", ...
std::filesystem::path unusedBeside(const std::filesystem::path& path, const std::string& suffix) {
    std::error_code ec;
    for (int n = 1; n < 1000; ++n) {
        std::filesystem::path candidate = path;
        candidate += n == 1 ? suffix : suffix + "-" + std::to_string(n);
        if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, ec)))
            return candidate;
    }
    return {};
}

} // namespace

MacroLibraryFile::LoadResult MacroLibraryFile::loadOrCreate(std::span<const Byte> defaultImage) const {
    LoadResult result;
    auto refuse = [&](const std::string& text) {
        result.library = MacroLibrary::fromBytes(defaultImage);
        result.file = {text};
        result.savable = false;
        return result;
    };
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(m_path, ec);
    if (ec && ec != std::errc::no_such_file_or_directory)
        return refuse("Cannot read \"" + m_path.string() + "\": " + ec.message());
    if (std::filesystem::is_symlink(status)) {
        // The library is saved by replacing it; a link there would either be cut off from the file
        // it points to or have that file replaced, with whatever owner and mode it has.
        return refuse("Cannot use \"" + m_path.string() +
                      "\": it is a symbolic link; put the library file itself there");
    }
    if (!std::filesystem::exists(status)) {
        result.library = MacroLibrary::fromBytes(defaultImage);
        result.file = save(result.library);
        result.created = result.file.ok();
        return result;
    }
    // Anything but a regular file (a FIFO would block start-up) is refused and left alone. One byte
    // more than a library tells a longer file from a whole one.
    FileResult read;
    const auto bytes = readRegularFile(m_path, kLibraryFileSize + 1, Oversize::TakePrefix, &read);
    if (!bytes)
        return refuse(read.error);
    result.library = MacroLibrary::fromBytes(std::span<const Byte>(*bytes).first(
        std::min(bytes->size(), kLibraryFileSize) / kLibraryRecordSize * kLibraryRecordSize));
    if (bytes->size() == kLibraryFileSize)
        return result;

    // Longer than a library, or cut short (perhaps mid-record): the records read whole are taken,
    // and the file is set aside before anything can be saved over it.
    const std::string what =
        bytes->size() > kLibraryFileSize
            ? "is longer than a macro library (" + std::to_string(kLibraryFileSize) + " bytes)"
            : "is cut short (" + std::to_string(bytes->size()) + " of " + std::to_string(kLibraryFileSize) +
                  " bytes)";
    const std::filesystem::path aside = unusedBeside(m_path, ".kept");
    if (!aside.empty())
        std::filesystem::rename(m_path, aside, ec);
    if (aside.empty() || ec) {
        result.file = {"The macro library \"" + m_path.string() + "\" " + what +
                       " and could not be set aside" + (ec ? ": " + ec.message() : std::string()) +
                       "; it is not saved over"};
        result.savable = false;
        return result;
    }
    result.keptAside = aside;
    result.file = {"The macro library \"" + m_path.string() + "\" " + what +
                   "; the macros read whole are shown, and the file was kept as \"" + aside.string() + "\""};
    return result;
}

FileResult MacroLibraryFile::save(const MacroLibrary& library) const {
    return writeFileReplacing(m_path, library.toBytes(), Links::Refuse, 0600);
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
