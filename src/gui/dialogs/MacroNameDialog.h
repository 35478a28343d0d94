#pragma once
// The "Macro Name" dialog: a skinned, borderless window over the main window that asks for a name of
// at most eight characters. It does not block the window behind it; what a confirmed name does is
// the opener's business (a library macro's new name or rename, a fire macro's rename), so the same
// dialog serves the macro and the fire pages.

#include <QWidget>

#include <functional>

class QKeyEvent;
class QLineEdit;

namespace tarvik::gui {

struct AppState;
class CaptionLabel;
class PictureControl;

class MacroNameDialog : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 8;

    using Apply = std::function<void(const QString& name)>;

    // The dialog is a tool window of `mainWindow`, laid out from the state's current layout section.
    MacroNameDialog(const AppState& state, QWidget* mainWindow);

    // Opens (or raises) the dialog with an empty edit, centred on the main window. Confirm closes it
    // and hands the text to `apply`; an empty text is not handed over.
    void ask(Apply apply);

    // Confirm, Clear and Close as their buttons do them.
    void confirm();
    void clearName();

    QLineEdit* edit() const { return m_edit; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void applyLayout();
    CaptionLabel* addButton(const QString& name, const QString& picture, const char* textKey);

    const AppState& m_state;
    QWidget* m_mainWindow;
    PictureControl* m_background = nullptr;
    QLineEdit* m_edit = nullptr;
    CaptionLabel* m_title = nullptr;
    CaptionLabel* m_confirm = nullptr;
    CaptionLabel* m_clear = nullptr;
    CaptionLabel* m_close = nullptr;
    Apply m_apply;
};

} // namespace tarvik::gui
