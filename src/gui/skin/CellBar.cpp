#include "gui/skin/CellBar.h"

#include "gui/skin/KeyboardFocus.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QPainter>

namespace tarvik::gui {

CellBar::CellBar(const QString& objectName, QWidget* parent) : QWidget(parent) {
    setObjectName(objectName);
    // The cells beneath keep every click; the bar itself is only for keys and screen readers.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::TabFocus);
    keyboard::installAccessibility();
}

void CellBar::setCells(std::vector<QWidget*> cells) {
    for (QWidget* cell : m_cells)
        cell->removeEventFilter(this);
    m_cells = std::move(cells);
    for (QWidget* cell : m_cells)
        cell->installEventFilter(this);
    fitToCells();
    if (!m_cells.empty()) {
        setEnabled(m_cells.front()->isEnabled());
        setVisible(m_cells.front()->isVisibleTo(parentWidget()));
    }
}

bool CellBar::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
        fitToCells();
        break;
    case QEvent::EnabledChange:
        if (!m_cells.empty() && watched == m_cells.front())
            setEnabled(m_cells.front()->isEnabled());
        break;
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        if (!m_cells.empty() && watched == m_cells.front())
            setVisible(event->type() == QEvent::ShowToParent);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CellBar::fitToCells() {
    QRect area;
    for (const QWidget* cell : m_cells)
        area = area.united(cell->geometry());
    setGeometry(area);
    raise();
}

void CellBar::setLabel(const QString& label, const QString& stepPattern) {
    if (label == m_label && stepPattern == m_stepPattern)
        return;
    m_label = label;
    m_stepPattern = stepPattern;
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
}

QString CellBar::spokenName() const {
    const int cell = current();
    if (cell < 1)
        return m_label;
    return QString(m_stepPattern).arg(m_label).arg(cell).arg(count()).arg(valueText(cell));
}

void CellBar::choose(int cell) {
    if (cell < 1 || cell > count() || !isEnabled())
        return;
    const int before = current();
    emit chosen(cell);
    // The page has drawn (and written) the choice; a screen reader hears the new step.
    if (current() != before) {
        QAccessibleValueChangeEvent changed(this, current());
        QAccessible::updateAccessibility(&changed);
        QAccessibleEvent renamed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
    }
}

void CellBar::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int now = current();
    const int from = now < 1 ? 1 : now;
    int to = 0;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        to = from - 1;
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        to = now < 1 ? 1 : from + 1;
        break;
    case Qt::Key_Home:
        to = 1;
        break;
    case Qt::Key_End:
        to = count();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // Past either end there is no cell to move to: nothing is written.
    if (to >= 1 && to <= count() && to != now)
        choose(to);
}

void CellBar::showEvent(QShowEvent* event) {
    fitToCells();
    QWidget::showEvent(event);
}

void CellBar::focusInEvent(QFocusEvent* event) {
    // The window coming back shows the frame as it was when the window lost the keyboard.
    m_keyboardFocus = keyboard::takeFocusReason(this, event->reason());
    update();
    QWidget::focusInEvent(event);
}

void CellBar::focusOutEvent(QFocusEvent* event) {
    if (event->reason() != Qt::ActiveWindowFocusReason)
        m_keyboardFocus = false;
    update();
    QWidget::focusOutEvent(event);
}

void CellBar::paintEvent(QPaintEvent* /*event*/) {
    if (!m_keyboardFocus || !hasFocus())
        return;
    QPainter painter(this);
    keyboard::paintFrame(this, painter);
}

} // namespace tarvik::gui
