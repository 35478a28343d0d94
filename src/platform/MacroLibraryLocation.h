#pragma once
// Where the window keeps the user's macro library, so that every program of the package that reads
// it looks in the same place.

#include "core/macros/MacroLibrary.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tarvik::platform {

// The folder of the program's own data under the user's XDG data folder.
inline constexpr char kDataFolderName[] = "tarvik-config";
// Where earlier versions kept the library in the user's data folder.
inline constexpr char kEarlierDataFolderName[] = "Gaming Mouse";

struct MacroLibraryLocation {
    std::filesystem::path path; // the library file
    // The library in the data folder of an earlier version: moved to `path` once, when nothing is
    // there yet. Empty when the layout names the folder.
    std::filesystem::path earlierDataFolder;
    // Where a still earlier version kept the library beside the program: a new library starts from
    // a copy of it (the program's folder is not the user's to move files out of). Empty when the
    // layout names the folder.
    std::filesystem::path besideProgram;
};

// macroPath: the layout's "Path" (empty: the folder "tarvik-config" of the user's XDG data folder,
// $XDG_DATA_HOME or ~/.local/share); programDirectory: the program's own folder, which a relative
// "Path" and the earliest place are taken from.
MacroLibraryLocation macroLibraryLocation(const std::string& macroPath,
                                          const std::filesystem::path& programDirectory);

// Moves the library of the earlier data folder to `location.path` when there is one there and none
// at `location.path` yet (the folder is made as needed). Empty on success or when there was nothing
// to move; otherwise why it stayed where it is (it is then read from there, see libraryToRead).
std::string moveEarlierLibrary(const MacroLibraryLocation& location);

// The file a reader that must not change anything (tarvikctl) takes the library from: the library
// when it is there, else the earlier data folder's, else the one beside the program; empty when
// there is none at all.
std::filesystem::path libraryToRead(const MacroLibraryLocation& location);

// The library the window works on in this run, as openMacroLibrary found it.
struct OpenedMacroLibrary {
    core::MacroLibrary library;
    // False when the file could not be read whole: the library is then edited in memory only, as a
    // save would put what is in memory in place of the user's file.
    bool savable = true;
    // What the user is told once the window is up, one line each (nothing when all went well).
    std::vector<std::string> problems;
};

// The window's start-up library: an earlier data folder's library is moved over first; when nothing
// is at `location.path` yet, the new library starts from the one beside the program (or the default
// library when there is none there) and is written out; otherwise the file is read.
OpenedMacroLibrary openMacroLibrary(const MacroLibraryLocation& location);

} // namespace tarvik::platform
