#include "gui/skin/PictureControl.h"

#include "gui/skin/Skin.h"

#include <QMouseEvent>

namespace tarvik::gui {

PictureControl::PictureControl(const QString& objectName, QWidget* parent) : QLabel(parent) {
    setObjectName(objectName);
    setScaledContents(false);
}

void PictureControl::setPicture(const QString& name) {
    if (name.compare(m_pictureName, Qt::CaseInsensitive) == 0 && !pixmap().isNull())
        return;
    m_pictureName = name;
    const QPixmap pixmap = Skin::picture(name);
    setPixmap(pixmap);
    if (!pixmap.isNull())
        resize(pixmap.size());
}

void PictureControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit pressed();
    QLabel::mousePressEvent(event);
}

} // namespace tarvik::gui
