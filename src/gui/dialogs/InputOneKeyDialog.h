#pragma once
// "Input One Key" (TForm4): takes the one key that replaces a key line of the macro being edited.
// The rules are InputOneKeyLogic's; the replacement itself is the caller's (the macro editor).

#include "core/keys/InputOneKeyLogic.h"
#include "gui/dialogs/SkinnedDialog.h"

#include <functional>
#include <optional>
#include <utility>

namespace tarvik::gui {

class InputOneKeyDialog : public SkinnedDialog {
    Q_OBJECT
public:
    // Confirm: the key name (the edit text) and the step text ("A CODE:8204").
    using Replace = std::function<void(const QString& keyName, const QString& stepText)>;

    // stepKind: 1 the edited line presses a key, 2 it releases one.
    InputOneKeyDialog(const AppState& state, QWidget* main, int stepKind, Replace replace);

    const core::InputOneKeyLogic& logic() const { return m_logic; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    core::InputOneKeyLogic m_logic;
    // What the edit held before the Tab press now down, to undo it when the Tab turns out held.
    std::optional<std::pair<core::InputOneKeyLogic, QString>> m_beforeTab;
    // What the edit held before the modifiers pressed just before a Ctrl+Tab.
    std::optional<std::pair<core::InputOneKeyLogic, QString>> m_beforeModifiers;
    Replace m_replace;
};

} // namespace tarvik::gui
