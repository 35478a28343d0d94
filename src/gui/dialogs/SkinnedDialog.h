#pragma once
// The small input dialogs of the window: a borderless window drawn by the "Msg" picture and shaped
// by its colour key, always on top, never modal, centred on the main window when it opens. Each
// opening builds a new dialog, which deletes itself when it closes.
//
// A dialog reads its layout group (K or L) and its texts when it is built, from the current
// language's tables: a language switch does not touch a dialog already open.

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;

namespace tarvik::gui {

struct AppState;
class CaptionLabel;
class PictureControl;

class SkinnedDialog : public QWidget {
    Q_OBJECT
public:
    static constexpr QRgb kColourKey = 0xFF800000; // maroon

    // The layout group's prefixes: "K" reads Size_K, Color_K, Color_K_AK; "L" Size_L, Color_L,
    // Color_L_MN. main: a widget of the window the dialog is centred on; the dialog lives no longer
    // than it.
    SkinnedDialog(const QString& objectName, const AppState& state, const char* group, QWidget* main);

    // Places the dialog over the centre of the main window and shows it without blocking anything.
    void open();

    QLabel* title() const { return m_title; }
    QLineEdit* edit() const { return m_edit; }
    CaptionLabel* confirmButton() const { return m_confirm; }
    CaptionLabel* clearButton() const { return m_clear; }
    CaptionLabel* closeButton() const { return m_close; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // The title at (x, y) with its text, the read-only edit at (x, y) with width w, and the three
    // click labels over their pictures, captioned with the language keys given.
    void placeTitle(const char* objectName, const char* textKey, const char* xKey, const char* yKey);
    void placeEdit(const char* objectName, const char* xKey, const char* yKey, const char* wKey);
    void placeButtons(const char* confirmKey, const char* clearKey, const char* prefix);

    // For an edit that takes every key, Tab and Escape included: a keyboard user leaves it with
    // Ctrl+Tab, or by holding Tab (with Shift, the other way), since a tap of Tab is a key to enter.
    // Ctrl+Tab works where the keyboard does not repeat keys. The hint line under the edit says so.
    void placeKeyHint();
    // `key` repeats a held Tab: focus has moved on out of the edit and the caller undoes what the
    // first press of that Tab entered.
    bool leftEditOnHeldTab(const QKeyEvent& key);
    // `key` is Ctrl+Tab (or Ctrl+Shift+Tab): focus has moved on out of the edit and the caller undoes
    // what the modifiers pressed just before it entered. Neither dialog loses a key by it: the
    // Assembly Key dialog takes no key typed with a modifier held (its boxes give the modifiers), and
    // Input One Key takes Ctrl and Tab each by a tap of its own.
    bool leftEditOnControlTab(const QKeyEvent& key);
    // A press of Shift, Ctrl, Alt, AltGr or a Windows key.
    static bool isModifierPress(const QKeyEvent& key);
    QLabel* keyHint() const { return m_keyHint; }

    const AppState& state() const { return m_state; }
    QFont fontOfSize(int add) const;
    QColor textColour() const;

private:
    CaptionLabel* makeButton(const QString& name, const QString& pictureFamily, const char* textKey, int x,
                             int y);

    const AppState& m_state;
    QString m_group;
    QWidget* m_main;
    QLabel* m_title = nullptr;
    QLineEdit* m_edit = nullptr;
    CaptionLabel* m_confirm = nullptr;
    CaptionLabel* m_clear = nullptr;
    CaptionLabel* m_close = nullptr;
    QLabel* m_keyHint = nullptr;
};

} // namespace tarvik::gui
