#pragma once
// The loading window ("TFormLoadingUI"): a small borderless, always-on-top window with one animated
// picture ("WaitGif"), shown over the main window while a long transfer runs. It is placed once,
// when it is created, and stays there even if the main window moves.

#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <array>

class QLabel;

namespace tarvik::gui {

class LoadingWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 206;
    static constexpr int kHeight = 196;
    static constexpr int kPictureWidth = 200;
    static constexpr int kPictureHeight = 192;
    static constexpr int kFrameCount = 12; // Loading_00 .. Loading_11
    static constexpr int kFrameIntervalMs = 80;
    static constexpr int kBelowCentre = 40;

    // Places itself over mainWindow: centred horizontally, kBelowCentre pixels below the centre.
    explicit LoadingWindow(const QWidget& mainWindow);

    // Where the window goes over a main window with that geometry.
    static QPoint placement(const QRect& mainGeometry);

    int frameIndex() const { return m_frame; }
    QLabel* picture() const { return m_picture; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showFrame(int index);

    QLabel* m_picture = nullptr;
    QTimer m_animation;
    int m_frame = 0;
    // Frames decoded while the window is shown (each when first needed), let go when it hides: the
    // window shows only during transfers, and its frames would otherwise stay in memory for good.
    std::array<QPixmap, kFrameCount> m_frames;
};

} // namespace tarvik::gui
