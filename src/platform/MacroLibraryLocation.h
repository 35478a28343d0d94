#pragma once
// Where the window keeps the user's macro library, so that every program of the package that reads
// it looks in the same place.

#include <QString>

#include <filesystem>
#include <string>

namespace tarvik::platform {

// The window's application name, after which its data folder is named.
inline constexpr char kWindowApplicationName[] = "Gaming Mouse";

struct MacroLibraryLocation {
    std::filesystem::path path; // the library file
    // Where an earlier version kept the library beside the program: a new library in the data folder
    // starts from it. Empty when the layout names the folder.
    std::filesystem::path besideProgram;
};

// macroPath: the layout's "Path" (empty: the data folder of `applicationName` in the user's XDG data
// folder, as QStandardPaths::AppDataLocation gives it for that name); programDirectory: the
// program's own folder, which a relative "Path" and the earlier place are taken from.
MacroLibraryLocation macroLibraryLocation(const std::string& macroPath,
                                          const std::filesystem::path& programDirectory,
                                          const QString& applicationName);

} // namespace tarvik::platform
