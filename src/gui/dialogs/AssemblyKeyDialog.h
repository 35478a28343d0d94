#pragma once
// "Assembly Key" (TForm2): up to two keys typed into the edit plus the Ctrl, Shift, Alt and Win
// boxes make a key combination for the selected button. The rules are AssemblyKeyLogic's; the
// dialog forwards key presses and box clicks and shows its edit text.

#include "core/keys/AssemblyKeyLogic.h"
#include "gui/dialogs/SkinnedDialog.h"

#include <optional>
#include <utility>

#include <QHash>
#include <QString>

#include <functional>

class QCheckBox;

namespace tarvik::gui {

class AssemblyKeyDialog : public SkinnedDialog {
    Q_OBJECT
public:
    struct Handlers {
        // Confirm: the caption and the code, for the button selected at this moment.
        std::function<void(const QString& caption, const QString& code)> confirmed;
        // Clear, for a window that keeps something of the dialog's until it confirms; may be empty.
        std::function<void()> cleared;
    };

    AssemblyKeyDialog(const AppState& state, QWidget* main, Handlers handlers);

    // Opens the dialog with an empty edit and the edit focused.
    void open();

    const core::AssemblyKeyLogic& logic() const { return m_logic; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void boxToggled(core::AssemblyKeyLogic::Modifier modifier, bool checked);
    void showEditText();

    core::AssemblyKeyLogic m_logic;
    // What the edit held before the Tab press now down, to undo it when the Tab turns out held.
    std::optional<std::pair<core::AssemblyKeyLogic, QHash<QString, QString>>> m_beforeTab;
    // What the edit held before the modifiers pressed just before a Ctrl+Tab.
    std::optional<std::pair<core::AssemblyKeyLogic, QHash<QString, QString>>> m_beforeModifiers;
    Handlers m_handlers;
    std::array<QCheckBox*, 4> m_boxes{};
    // Key table name -> the name with the layout's character beside it, for the keys taken.
    QHash<QString, QString> m_shownNames;
};

} // namespace tarvik::gui
