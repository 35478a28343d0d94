#include "gui/skin/PictureControl.h"

#include "gui/skin/Skin.h"

#include <QMouseEvent>

namespace tarvik::gui {

PictureControl::PictureControl(const QString& objectName, QWidget* parent) : QLabel(parent) {
    setObjectName(objectName);
    setScaledContents(false);
}

void PictureControl::setPicture(const QString& name) {
    if (name.compare(m_pictureName, Qt::CaseInsensitive) == 0 && (m_pending || !pixmap().isNull()))
        return;
    m_pictureName = name;
    // Most pictures sit on pages that are not open yet; decoding them all would cost start-up time
    // and memory for pages the user may never open.
    if (!isVisible()) {
        const QSize size = Skin::pictureSize(name);
        if (size.isValid()) {
            m_pending = true;
            setPixmap(QPixmap());
            resize(size);
            updateOpacity();
            return;
        }
    }
    showPicture();
}

void PictureControl::showPicture() {
    m_pending = false;
    const QPixmap pixmap = Skin::picture(m_pictureName);
    setPixmap(pixmap);
    if (!pixmap.isNull())
        resize(pixmap.deviceIndependentSize().toSize());
    updateOpacity();
}

void PictureControl::updateOpacity() {
    // An opaque picture that fills the control hides whatever lies beneath: nothing there is painted.
    const QPixmap shown = pixmap();
    setAttribute(Qt::WA_OpaquePaintEvent, !m_pending && !shown.isNull() && !shown.hasAlphaChannel() &&
                                              shown.deviceIndependentSize().toSize() == size());
}

void PictureControl::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    updateOpacity();
}

void PictureControl::showEvent(QShowEvent* event) {
    if (m_pending)
        showPicture();
    QLabel::showEvent(event);
}

void PictureControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit pressed();
    QLabel::mousePressEvent(event);
}

} // namespace tarvik::gui
