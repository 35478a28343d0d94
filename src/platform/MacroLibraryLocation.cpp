#include "platform/MacroLibraryLocation.h"

#include "core/macros/MacroLibraryFile.h"

#include <QStandardPaths>

#include <system_error>

namespace tarvik::platform {

namespace {

bool somethingAt(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

} // namespace

MacroLibraryLocation macroLibraryLocation(const std::string& macroPath,
                                          const std::filesystem::path& programDirectory) {
    MacroLibraryLocation location;
    if (!macroPath.empty()) {
        location.path = core::MacroLibraryFile::in(macroPath, programDirectory).path();
        return location;
    }
    // The generic data folder, not the application's: its name must not depend on the name the
    // asking program gives itself, as both the window and tarvikctl read the library.
    const std::filesystem::path data =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
    location.path = core::MacroLibraryFile::in((data / kDataFolderName).string(), {}).path();
    location.earlierDataFolder =
        core::MacroLibraryFile::in((data / kEarlierDataFolderName).string(), {}).path();
    location.besideProgram = core::MacroLibraryFile::in("", programDirectory).path();
    return location;
}

std::string moveEarlierLibrary(const MacroLibraryLocation& location) {
    if (location.earlierDataFolder.empty() || somethingAt(location.path) ||
        !somethingAt(location.earlierDataFolder))
        return {};
    std::error_code ec;
    std::filesystem::create_directories(location.path.parent_path(), ec);
    if (!ec)
        std::filesystem::rename(location.earlierDataFolder, location.path, ec);
    if (ec)
        return "The macro library \"" + location.earlierDataFolder.string() + "\" could not be moved to \"" +
               location.path.string() + "\": " + ec.message();
    // The earlier folder held nothing else of ours; an empty one is no use to anybody.
    std::filesystem::remove(location.earlierDataFolder.parent_path(), ec);
    return {};
}

std::filesystem::path libraryToRead(const MacroLibraryLocation& location) {
    for (const auto* candidate : {&location.path, &location.earlierDataFolder, &location.besideProgram})
        if (!candidate->empty() && somethingAt(*candidate))
            return *candidate;
    return {};
}

OpenedMacroLibrary openMacroLibrary(const MacroLibraryLocation& location) {
    OpenedMacroLibrary opened;
    if (std::string moved = moveEarlierLibrary(location); !moved.empty())
        opened.problems.push_back(std::move(moved));
    std::vector<core::Byte> start = core::defaultMacroLibraryImage();
    if (!location.besideProgram.empty()) {
        // The user's data folder may not exist yet on a new account.
        std::error_code ec;
        std::filesystem::create_directories(location.path.parent_path(), ec);
        if (!somethingAt(location.path))
            if (auto old = core::readMacroFile(location.besideProgram))
                start = std::move(*old);
    }
    auto loaded = core::MacroLibraryFile(location.path).loadOrCreate(start);
    opened.library = std::move(loaded.library);
    // A library that could not be read whole is never saved over: the window works on what is in
    // memory, and nothing is written until the user puts a readable library in its place.
    opened.savable = loaded.savable;
    if (!loaded.file)
        opened.problems.push_back(loaded.file.error);
    return opened;
}

} // namespace tarvik::platform
