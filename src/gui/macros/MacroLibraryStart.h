#pragma once
// The PC macro library the window starts with: where it is kept, the move from where earlier
// versions kept it, and the library of a screenshot run, which leaves the user's alone.

#include <QString>
#include <QStringList>

#include <string>

namespace tarvik::gui {

struct AppState;

struct MacroLibrarySource {
    // The folder the general layout names for the library ("" for the user's data folder).
    std::string layoutFolder;
    // The program's own folder, which a relative layout folder and the earliest library are taken
    // from.
    std::string programFolder;
    // Not empty in a screenshot run: the default library is shown and kept in this folder, and the
    // user's library is neither opened nor created.
    QString screenshotFolder;
};

// Loads the library into state (macroLibrary, macroLibraryPath, macroLibraryReadOnly). Returns what
// the user is to be told, one line each; empty when all went well.
QStringList loadMacroLibrary(AppState& state, const MacroLibrarySource& source);

} // namespace tarvik::gui
