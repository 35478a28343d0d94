#pragma once
// A transparent caption label ("Btn_...", "Key1", menu entries): it carries the text and receives
// the mouse for the picture beneath it.
//
// A QLabel that Tab can reach builds a text document for every text it is given and draws through
// it. A caption draws its one line of plain text itself, at the same pixels, and builds no document;
// rich, wrapped, right-to-left or multi-line text and captions under a style sheet still draw
// through one.
// Give a caption its text through setText() of this class: a text set through QLabel's gets its
// document, which only costs time.

#include <QAccessible>
#include <QLabel>
#include <QString>

class QPainter;

namespace tarvik::gui {

class CaptionLabel : public QLabel {
    Q_OBJECT
public:
    CaptionLabel(const QString& objectName, QWidget* parent);

    void setText(const QString& text);

    // Whether the text is drawn through a text document (see above).
    bool drawsThroughDocument() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

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
    bool event(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The text cannot be drawn as one plain line: it needs the document.
    bool needsDocument(const QString& text) const;
    // The caption draws its text itself: a text that needs no document, and none was made.
    bool drawsOwnText() const;
    // Sets the text again with the document QLabel makes for a label that takes focus.
    void makeDocument();
    // The rectangle the text is laid out in: the contents less the margin and the indent.
    QRect textRect() const;
    // Draws the text as QLabel draws it through its document.
    void paintOwnText(QPainter& painter) const;

    QAccessible::Role m_role = QAccessible::Button;
    bool m_checkable = false;
    bool m_checked = false;
    bool m_keyboardFocus = false; // focus arrived by a key: the frame is drawn
};

} // namespace tarvik::gui
