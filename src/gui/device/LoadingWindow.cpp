#include "gui/device/LoadingWindow.h"

#include <QLabel>
#include <QPainter>

#include "gui/skin/Skin.h"

namespace tarvik::gui {

LoadingWindow::LoadingWindow(const QWidget& mainWindow)
    : QWidget(nullptr,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus) {
    setObjectName(QStringLiteral("TFormLoadingUI"));
    // Black is the see-through colour: only the animation itself shows, blended over what is below.
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowOpacity(0.9);
    setFixedSize(kWidth, kHeight);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("WaitGif"));
    m_picture->setScaledContents(true);
    m_picture->setGeometry((kWidth - kPictureWidth) / 2, (kHeight - kPictureHeight) / 2, kPictureWidth,
                           kPictureHeight);

    m_animation.setInterval(kFrameIntervalMs);
    connect(&m_animation, &QTimer::timeout, this, [this] { showFrame((m_frame + 1) % kFrameCount); });

    // The main window's geometry as it is now: the loading window is not moved afterwards.
    move(placement(mainWindow.geometry()));
}

QPoint LoadingWindow::placement(const QRect& mainGeometry) {
    // C++ division truncates toward zero, as the placement rule asks.
    const int left = mainGeometry.left() + (mainGeometry.width() - kWidth) / 2;
    const int top = mainGeometry.top() + (mainGeometry.height() - kHeight) / 2 + kBelowCentre;
    return {left, top};
}

void LoadingWindow::showFrame(int index) {
    m_frame = index;
    QPixmap& frame = m_frames[static_cast<std::size_t>(index)];
    if (frame.isNull())
        frame = Skin::transientPicture(QStringLiteral("Loading_%1").arg(index, 2, 10, QLatin1Char('0')));
    m_picture->setPixmap(frame);
}

void LoadingWindow::showEvent(QShowEvent* event) {
    // The animation goes on where it stopped, before the window's first frame is painted.
    showFrame(m_frame);
    // Animating a hidden window would only burn time between transfers.
    m_animation.start();
    QWidget::showEvent(event);
}

void LoadingWindow::hideEvent(QHideEvent* event) {
    m_animation.stop();
    m_picture->clear();
    m_frames = {};
    QWidget::hideEvent(event);
}

void LoadingWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
}

} // namespace tarvik::gui
