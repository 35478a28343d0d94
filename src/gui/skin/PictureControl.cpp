#include "gui/skin/PictureControl.h"

#include "gui/skin/Skin.h"

#include <QMouseEvent>
#include <QPainter>

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

QPixmap PictureControl::greyed(const QPixmap& picture) {
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // Its own lightness, dimmed: no colour of the picture (nor of the window behind) is left.
            const int grey = qGray(row[x]) * 3 / 4;
            row[x] = qRgba(grey, grey, grey, qAlpha(row[x]));
        }
    }
    QPixmap out = QPixmap::fromImage(image);
    out.setDevicePixelRatio(picture.devicePixelRatio());
    return out;
}

void PictureControl::paintEvent(QPaintEvent* event) {
    // The style's own disabled look blends the picture with the window colour, which on this skin
    // is the see-through key colour: a disabled picture would read as an error in red.
    if (isEnabled() || pixmap().isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    if (m_greyed.cacheKey() == 0 || m_greyedFrom != pixmap().cacheKey()) {
        m_greyedFrom = pixmap().cacheKey();
        m_greyed = greyed(pixmap());
    }
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), m_greyed);
}

void PictureControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit pressed();
    QLabel::mousePressEvent(event);
}

} // namespace tarvik::gui
