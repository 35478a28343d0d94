#pragma once
// A transparent caption label ("Btn_...", "Key1", menu entries): it carries the text and receives
// the mouse for the picture beneath it.

#include <QAccessible>
#include <QLabel>
#include <QString>

namespace tarvik::gui {

class CaptionLabel : public QLabel {
    Q_OBJECT
public:
    CaptionLabel(const QString& objectName, QWidget* parent);

    // The number at the end of the object name ("Key7" -> 7, "Btn_Main_3" -> 3); 0 when none.
    int trailingNumber() const;

    // What a click does, for Enter, Space and a screen reader's press.
    void activate() { emit clicked(); }

    // A caption that stands for an on/off choice tells a screen reader whether it is on.
    void setCheckable(bool on) { m_checkable = on; }
    bool isCheckable() const { return m_checkable; }
    void setChecked(bool on);
    bool isChecked() const { return m_checked; }

    // What a screen reader calls it: a button unless the page makes it a check box or radio button
    // (which are checkable by their nature).
    void setAccessibleRole(QAccessible::Role role);
    QAccessible::Role accessibleRole() const { return m_role; }

    // Focus is here and came from a key: the frame is drawn.
    bool showsKeyboardFocus() const { return m_keyboardFocus && hasFocus(); }

signals:
    void clicked();
    void entered();
    void left();
    // Keyboard focus came here or went (whatever moved it).
    void focusEntered();
    void focusLeft();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QAccessible::Role m_role = QAccessible::Button;
    bool m_checkable = false;
    bool m_checked = false;
    bool m_keyboardFocus = false; // focus arrived by a key: the frame is drawn
};

} // namespace tarvik::gui
