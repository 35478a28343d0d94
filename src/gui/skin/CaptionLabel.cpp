#include "gui/skin/CaptionLabel.h"

#include "gui/skin/KeyboardFocus.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <QTextOption>

#include <cmath>

namespace tarvik::gui {

CaptionLabel::CaptionLabel(const QString& objectName, QWidget* parent) : QLabel(parent) {
    setObjectName(objectName);
    setAttribute(Qt::WA_TranslucentBackground);
    setAlignment(Qt::AlignCenter);
    // Tab reaches it, a click does not take focus: the pointer user's window stays as it was.
    setFocusPolicy(Qt::TabFocus);
    keyboard::installAccessibility();
}

void CaptionLabel::setText(const QString& newText) {
    if (needsDocument(newText)) {
        QLabel::setText(newText);
        return;
    }
    // QLabel makes its document when the text is set to a label that takes focus; without focus for
    // that moment it makes none, and the caption draws the text itself.
    const Qt::FocusPolicy policy = focusPolicy();
    setFocusPolicy(Qt::NoFocus);
    QLabel::setText(newText);
    setFocusPolicy(policy);
}

bool CaptionLabel::event(QEvent* event) {
    // QLabel makes the document of a label that takes focus when it is polished, too.
    if (event->type() == QEvent::Polish && !drawsThroughDocument() && !needsDocument(text())) {
        const Qt::FocusPolicy policy = focusPolicy();
        setFocusPolicy(Qt::NoFocus);
        const bool handled = QLabel::event(event);
        setFocusPolicy(policy);
        return handled;
    }
    return QLabel::event(event);
}

bool CaptionLabel::needsDocument(const QString& text) const {
    if (wordWrap() || textFormat() == Qt::RichText || testAttribute(Qt::WA_StyleSheet))
        return true;
    if ((textFormat() == Qt::AutoText && Qt::mightBeRichText(text)) || text.isRightToLeft())
        return true;
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
           text.contains(QChar::ParagraphSeparator) || text.contains(QChar::LineSeparator);
}

bool CaptionLabel::drawsThroughDocument() const {
    // QLabel's document lives in the text control it makes as a child of the label.
    for (const QObject* child : children())
        if (child->inherits("QWidgetTextControl"))
            return true;
    return false;
}

void CaptionLabel::makeDocument() {
    const QString text = this->text();
    QLabel::clear();
    QLabel::setText(text);
}

QRect CaptionLabel::textRect() const {
    // As QLabel places its document: the indent is taken on the aligned side.
    QRect rect = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    int indent = this->indent();
    if (indent < 0 && frameWidth())
        indent = fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - margin();
    if (indent > 0) {
        const Qt::Alignment align = QStyle::visualAlignment(Qt::LeftToRight, alignment());
        if (align & Qt::AlignLeft)
            rect.setLeft(rect.left() + indent);
        if (align & Qt::AlignRight)
            rect.setRight(rect.right() - indent);
        if (align & Qt::AlignTop)
            rect.setTop(rect.top() + indent);
        if (align & Qt::AlignBottom)
            rect.setBottom(rect.bottom() - indent);
    }
    return rect;
}

namespace {

// The text as a document lays out its one paragraph: one line `width` wide, aligned in it.
struct OneLine {
    QTextLayout layout;
    qreal height = 0;

    OneLine(const QString& text, const QFont& font, Qt::Alignment alignment, qreal width)
        : layout(text, font) {
        QTextOption option(alignment);
        option.setWrapMode(QTextOption::ManualWrap);
        option.setTabStopDistance(80);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(width);
        // A line wider than its room gets the width of its text, as in a document: it starts at the
        // left whatever the alignment, and the part outside the label is cut off.
        if (line.naturalTextWidth() > width)
            line.setLineWidth(line.naturalTextWidth());
        line.setPosition(QPointF(0, 0));
        layout.endLayout();
        height = std::ceil(line.ascent() + line.descent() + line.leading());
    }
};

} // namespace

void CaptionLabel::paintOwnText(QPainter& painter) const {
    const QRect rect = textRect();
    const OneLine text(this->text(), font(), alignment(), rect.width());
    qreal top = 0;
    if (alignment() & Qt::AlignVCenter)
        top = std::max((rect.height() - text.height) / 2, qreal(0));
    else if (alignment() & Qt::AlignBottom)
        top = std::max(rect.height() - text.height, qreal(0));
    const QRect area = QRectF(rect.x(), rect.y() + top, rect.width(), rect.height()).toAlignedRect();
    const QPalette palette = this->palette();
    const QColor colour = foregroundRole() != QPalette::Text && isEnabled() ? palette.color(foregroundRole())
                                                                            : palette.color(QPalette::Text);
    painter.save();
    painter.translate(area.topLeft());
    painter.setClipRect(QRect(QPoint(0, 0), area.size()));
    painter.setPen(colour);
    text.layout.draw(&painter, QPointF(0, 0));
    painter.restore();
}

bool CaptionLabel::drawsOwnText() const {
    return !text().isEmpty() && !drawsThroughDocument() && !needsDocument(text());
}

QSize CaptionLabel::sizeHint() const {
    if (!drawsOwnText())
        return QLabel::sizeHint();
    int extraWidth = 2 * margin();
    int extraHeight = extraWidth;
    int indent = this->indent();
    if (indent < 0 && frameWidth())
        indent = fontMetrics().horizontalAdvance(QLatin1Char('x')) - 2 * margin();
    if (indent > 0) {
        if (alignment() & (Qt::AlignLeft | Qt::AlignRight))
            extraWidth += indent;
        if (alignment() & (Qt::AlignTop | Qt::AlignBottom))
            extraHeight += indent;
    }
    const OneLine line(text(), font(), alignment(), 1e6);
    const QSize textSize(int(std::ceil(line.layout.lineAt(0).naturalTextWidth())), int(line.height));
    const QMargins margins = contentsMargins();
    return QSize(textSize.width() + extraWidth + margins.left() + margins.right(),
                 textSize.height() + extraHeight + margins.top() + margins.bottom())
        .expandedTo(minimumSize());
}

QSize CaptionLabel::minimumSizeHint() const {
    if (!drawsOwnText())
        return QLabel::minimumSizeHint();
    return sizeHint();
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
    // QLabel would make its document for the focus; a caption's text is not selected or followed.
    QFrame::focusInEvent(event);
    emit focusEntered();
}

void CaptionLabel::focusOutEvent(QFocusEvent* event) {
    if (event->reason() != Qt::ActiveWindowFocusReason)
        m_keyboardFocus = false;
    update();
    QFrame::focusOutEvent(event);
    emit focusLeft();
}

void CaptionLabel::paintEvent(QPaintEvent* event) {
    if (drawsOwnText()) {
        QPainter painter(this);
        drawFrame(&painter);
        paintOwnText(painter);
    } else {
        // Made wrapping, or put under a style sheet, after its text was set: it draws through the
        // document from now on.
        if (!text().isEmpty() && !drawsThroughDocument())
            makeDocument();
        QLabel::paintEvent(event);
    }
    if (m_keyboardFocus && hasFocus()) {
        QPainter painter(this);
        keyboard::paintFrame(this, painter);
    }
}

} // namespace tarvik::gui
