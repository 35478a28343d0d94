#pragma once
// What the window's parts share: the buffers of the read/write cycle, the settings the pages share
// at run time and the run-time state of the shell. Owned by the main window, handed to every page
// through its PageContext. Pages read and edit it; only the shell changes the language and the flags.
// What one page needs of another lives here, never in the other page's controls.

#include "core/image/ConfigBuffers.h"
#include "core/keys/FunctionCodeContext.h"
#include "core/macros/MacroLibrary.h"
#include "core/settings/SettingsState.h"
#include "core/text/GeneralLayout.h"
#include "core/text/LanguageTable.h"
#include "core/text/LayoutConfig.h"

#include <QColor>
#include <QString>

namespace tarvik::gui {

struct AppState {
    core::ConfigBuffers buffers;

    int languageIndex = 1; // 1..3: language table, layout table "org<n>", "L<n>_" pictures
    const core::LanguageTable* language = nullptr; // the table of languageIndex
    core::LayoutConfig layout;                     // the page-layout table of languageIndex
    core::GeneralLayout general;                   // the general table "ORG"

    bool applyingImage = false; // a configuration is being read, drawn or written: no page writes
    bool noDevicePage = false;  // the reset first page is shown: page buttons ignore clicks
    // SelectedButton: 1..12, the button whose assignment menu was opened last; the fire page gives
    // weapon presets to this button of Game Mode.
    int selectedButton = 1;
    // DPI, lighting and fire-key settings: taken from the WorkingImage whenever a configuration is
    // drawn, changed by the pages' handlers in between.
    core::SettingsState settings;
    // The parameter bytes remembered from the codes the mouse carries (the drawing's last step).
    core::CodeSuffixes codeSuffixes;

    // The PC macro library, loaded at start-up and saved to its file after every change.
    core::MacroLibrary macroLibrary;
    QString macroLibraryPath;
    // A failed save is reported once, until a save succeeds again.
    bool macroLibrarySaveFailed = false;
    // The library file could not be read whole (or belongs to the screenshot tour's run): the
    // library is edited in memory only and never saved over the file.
    bool macroLibraryReadOnly = false;

    // The text of a language key in the current language ("" when absent).
    QString text(const char* key) const {
        return language ? QString::fromStdString(language->text(key)) : QString();
    }
    QString layoutSection() const { return QStringLiteral("org%1").arg(languageIndex); }
    QString picturePrefix() const { return QStringLiteral("L%1_").arg(languageIndex); }

    // Keys of the current page-layout table.
    int layoutInt(const std::string& key, int defaultValue = 0) const {
        return layout.readInteger(layoutSection().toStdString(), key, defaultValue);
    }
    bool layoutEnabled(const std::string& key) const {
        return layout.readSwitch(layoutSection().toStdString(), key);
    }
    // A colour given as <prefix>_R, <prefix>_G, <prefix>_B ("Color_A").
    QColor layoutColor(const std::string& prefix) const {
        const core::LayoutColor c = layout.readColor(layoutSection().toStdString(), prefix);
        return QColor(c.red, c.green, c.blue);
    }
};

} // namespace tarvik::gui
