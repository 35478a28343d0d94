#include "gui/macros/MacroLibraryStart.h"

#include "core/macros/MacroLibraryFile.h"
#include "gui/AppState.h"
#include "platform/MacroLibraryLocation.h"

#include <QDir>

namespace tarvik::gui {

QStringList loadMacroLibrary(AppState& state, const MacroLibrarySource& source) {
    if (!source.screenshotFolder.isEmpty()) {
        state.macroLibrary = core::MacroLibrary::fromBytes(core::defaultMacroLibraryImage());
        state.macroLibraryPath = QDir(source.screenshotFolder).filePath(QStringLiteral("macro-library.bin"));
        return {};
    }
    // A folder the layout names keeps the library; otherwise it lives in the user's data folder, as
    // the program's own folder is not writable when it is installed for every user.
    const platform::MacroLibraryLocation location =
        platform::macroLibraryLocation(source.layoutFolder, source.programFolder);
    platform::OpenedMacroLibrary opened = platform::openMacroLibrary(location);
    state.macroLibrary = std::move(opened.library);
    state.macroLibraryPath = QString::fromStdString(location.path.string());
    state.macroLibraryReadOnly = !opened.savable;
    QStringList problems;
    for (const std::string& problem : opened.problems)
        problems << QString::fromStdString(problem);
    if (!problems.isEmpty() && !opened.savable)
        problems << state.text("Str736"); // changes are kept in memory only in this run
    return problems;
}

} // namespace tarvik::gui
