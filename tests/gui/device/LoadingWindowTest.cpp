#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QWidget>

#include "gui/device/LoadingWindow.h"
#include "gui/skin/Skin.h"

using tarvik::gui::LoadingWindow;
using tarvik::gui::Skin;

namespace {

struct Placement {
    QRect main;
    QPoint expected;
};

TEST(LoadingWindowTest, PlacedCentredAndFortyPixelsBelowTheCentre) {
    const Placement cases[] = {
        {{0, 0, 1030, 662}, {412, 273}},
        {{200, 100, 1030, 662}, {612, 373}},
        {{-50, -20, 1030, 662}, {362, 253}},
        // Odd differences: the half is truncated.
        {{0, 0, 1031, 663}, {412, 273}},
        // Smaller than the loading window: the division truncates toward zero, not down.
        {{0, 0, 101, 95}, {-52, -50 + 40}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadingWindow::placement(c.main), c.expected)
            << c.main.x() << "," << c.main.y() << " " << c.main.width() << "x" << c.main.height();
    }
}

TEST(LoadingWindowTest, ShapeAndPlacementAtCreationOnly) {
    QWidget main;
    main.setGeometry(300, 200, 1030, 662);
    LoadingWindow loading(main);

    EXPECT_EQ(loading.objectName(), "TFormLoadingUI");
    EXPECT_EQ(loading.size(), QSize(206, 196));
    EXPECT_EQ(loading.pos(), QPoint(300 + 412, 200 + 233 + 40));
    EXPECT_TRUE(loading.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(loading.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(loading.testAttribute(Qt::WA_TranslucentBackground));

    auto* picture = loading.findChild<QLabel*>("WaitGif");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->size(), QSize(200, 192));

    // Moving the main window later leaves the loading window where it was put.
    main.move(10, 10);
    loading.show();
    EXPECT_EQ(loading.pos(), QPoint(300 + 412, 200 + 233 + 40));
}

TEST(LoadingWindowTest, AnimatesOnlyWhileShown) {
    QWidget main;
    main.setGeometry(0, 0, 1030, 662);
    LoadingWindow loading(main);
    auto* picture = loading.findChild<QLabel*>("WaitGif");

    QTest::qWait(3 * LoadingWindow::kFrameIntervalMs);
    EXPECT_EQ(loading.frameIndex(), 0);

    loading.show();
    const QImage first = picture->pixmap().toImage();
    EXPECT_EQ(first, Skin::transientPicture(QStringLiteral("Loading_00")).toImage());
    ASSERT_TRUE(QTest::qWaitFor([&] { return loading.frameIndex() >= 2; }, 2000));
    EXPECT_NE(picture->pixmap().toImage(), first);

    // Cycles through all twelve frames and starts again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return loading.frameIndex() == 0; }, 5000));

    const QPixmap shown = picture->pixmap();
    loading.hide();
    const int stoppedAt = loading.frameIndex();
    QTest::qWait(3 * LoadingWindow::kFrameIntervalMs);
    EXPECT_EQ(loading.frameIndex(), stoppedAt);
    // Nothing holds the frames of a hidden window any more, neither the window nor the skin.
    EXPECT_TRUE(picture->pixmap().isNull());
    EXPECT_TRUE(shown.isDetached());

    // Shown again, it goes on with the frame where it stopped.
    loading.show();
    const QString name = QStringLiteral("Loading_%1").arg(stoppedAt, 2, 10, QLatin1Char('0'));
    EXPECT_EQ(picture->pixmap().toImage(), Skin::transientPicture(name).toImage());
}

} // namespace
