#pragma once
// "Password" (dlgPass): asks for the access code of the fire page's service mode. It is drawn like
// the "Macro Name" dialog and placed by the same layout keys; its texts are its own, in every
// language. The opener waits for it, so the window behind takes no input while it is open.

#include "gui/dialogs/SkinnedDialog.h"

class QLabel;

namespace tarvik::gui {

class AccessCodeDialog : public SkinnedDialog {
    Q_OBJECT
public:
    AccessCodeDialog(const AppState& state, QWidget* main);

    QLabel* prompt() const { return m_prompt; }

signals:
    // OK with the typed code; Cancel and the close box close without it.
    void answered(const QString& code);

private:
    QLabel* m_prompt = nullptr;
};

} // namespace tarvik::gui
