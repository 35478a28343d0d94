#include "gui/skin/CaptionLabel.h"

#include "gui/skin/KeyboardFocus.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tarvik::gui {

CaptionLabel::CaptionLabel(const QString& objectName, QWidget* parent) : QLabel(parent) {
    setObjectName(objectName);
    setAttribute(Qt::WA_TranslucentBackground);
    setAlignment(Qt::AlignCenter);
    // Tab reaches it, a click does not take focus: the pointer user's window stays as it was.
    setFocusPolicy(Qt::TabFocus);
    keyboard::installAccessibility();
}

int CaptionLabel::trailingNumber() const {
    const QString name = objectName();
    int start = name.size();
    while (start > 0 && name.at(start - 1).isDigit())
        --start;
    return start == name.size() ? 0 : name.mid(start).toInt();
}

void CaptionLabel::setAccessibleRole(QAccessible::Role role) {
    m_role = role;
    if (role == QAccessible::CheckBox || role == QAccessible::RadioButton)
        m_checkable = true;
}

void CaptionLabel::setChecked(bool on) {
    if (on == m_checked)
        return;
    m_checked = on;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void CaptionLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void CaptionLabel::enterEvent(QEnterEvent* event) {
    emit entered();
    QLabel::enterEvent(event);
}

void CaptionLabel::leaveEvent(QEvent* event) {
    emit left();
    QLabel::leaveEvent(event);
}

void CaptionLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (event->modifiers() & ~Qt::KeypadModifier)
            break;
        event->accept();
        activate();
        return;
    default:
        break;
    }
    QLabel::keyPressEvent(event);
}

void CaptionLabel::focusInEvent(QFocusEvent* event) {
    // The window coming back shows the frame as it was when the window lost the keyboard.
    m_keyboardFocus = keyboard::takeFocusReason(this, event->reason());
    update();
    QLabel::focusInEvent(event);
    emit focusEntered();
}

void CaptionLabel::focusOutEvent(QFocusEvent* event) {
    if (event->reason() != Qt::ActiveWindowFocusReason)
        m_keyboardFocus = false;
    update();
    QLabel::focusOutEvent(event);
    emit focusLeft();
}

void CaptionLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (m_keyboardFocus && hasFocus()) {
        QPainter painter(this);
        keyboard::paintFrame(this, painter);
    }
}

} // namespace tarvik::gui
