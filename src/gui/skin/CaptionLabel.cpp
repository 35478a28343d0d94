#include "gui/skin/CaptionLabel.h"

#include <QMouseEvent>

namespace tarvik::gui {

CaptionLabel::CaptionLabel(const QString& objectName, QWidget* parent) : QLabel(parent) {
    setObjectName(objectName);
    setAttribute(Qt::WA_TranslucentBackground);
    setAlignment(Qt::AlignCenter);
}

int CaptionLabel::trailingNumber() const {
    const QString name = objectName();
    int start = name.size();
    while (start > 0 && name.at(start - 1).isDigit())
        --start;
    return start == name.size() ? 0 : name.mid(start).toInt();
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

} // namespace tarvik::gui
