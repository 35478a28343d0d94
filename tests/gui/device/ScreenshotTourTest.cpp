#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "gui/device/WindowActivation.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/skin/KeyboardFocus.h"
#include "gui/tour/ScreenshotTour.h"

using tarvik::gui::CaptionLabel;
using tarvik::gui::ScreenshotTour;

namespace {

// A window of three pages in three colours, each with its own copy of the navigation bar, as the
// main window has; "Btn_Hide_k" is an entry the layout hides.
class ThreePageWindow : public QWidget {
public:
    ThreePageWindow() {
        resize(300, 200);
        m_pages = new QStackedWidget(this);
        m_pages->setGeometry(0, 0, 300, 200);
        const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
        for (int k = 1; k <= 3; ++k) {
            auto* page = new QWidget;
            page->setAutoFillBackground(true);
            QPalette palette = page->palette();
            palette.setColor(QPalette::Window, colours[k - 1]);
            page->setPalette(palette);
            const char* entries[] = {"Btn_Red_", "Btn_Green_", "Btn_Blue_", "Btn_Hide_"};
            for (int e = 0; e < 4; ++e) {
                auto* entry = new CaptionLabel(QString("%1%2").arg(entries[e]).arg(k), page);
                entry->setGeometry(10 + 60 * e, 150, 50, 20);
                entry->setVisible(e != 3);
                if (e < 3) {
                    QObject::connect(entry, &CaptionLabel::clicked, this,
                                     [this, e] { m_pages->setCurrentIndex(e); });
                }
            }
            m_pages->addWidget(page);
        }
    }

private:
    QStackedWidget* m_pages;
};

QColor colourAt(const QString& path) {
    QImage image(path);
    return image.isNull() ? QColor() : image.pixelColor(5, 5);
}

TEST(ScreenshotTourTest, OpensEachReachablePageAfterReadyAndSavesIt) {
    QTemporaryDir dir;
    ThreePageWindow window;
    window.show();
    const QString folder = dir.filePath("shots");
    ScreenshotTour tour(window,
                        {{"Btn_Blue_", "blue.png"},
                         {"Btn_Hide_", "hidden.png"},
                         {"Btn_Green_", "green.png"},
                         {"", "as-is.png"},
                         {"Btn_Red_", "red.png"}},
                        folder);
    tour.setQuitWhenDone(false);
    QSignalSpy finished(&tour, &ScreenshotTour::finished);

    QTimer ready;
    ready.setSingleShot(true);
    tour.startOn(&ready, &QTimer::timeout);
    QTest::qWait(100);
    EXPECT_FALSE(QDir(folder).exists()); // nothing before the window is ready
    ready.start(0);

    ASSERT_TRUE(finished.wait(5000));
    EXPECT_TRUE(finished.front().front().toBool());
    EXPECT_EQ(tour.skippedButtons(), QStringList{"Btn_Hide_"});
    const QStringList expected{
        QDir(folder).absoluteFilePath("blue.png"), QDir(folder).absoluteFilePath("green.png"),
        QDir(folder).absoluteFilePath("as-is.png"), QDir(folder).absoluteFilePath("red.png")};
    EXPECT_EQ(tour.savedFiles(), expected);
    EXPECT_EQ(colourAt(expected[0]), QColor(Qt::blue));
    EXPECT_EQ(colourAt(expected[1]), QColor(Qt::green));
    EXPECT_EQ(colourAt(expected[2]), QColor(Qt::green));
    EXPECT_EQ(colourAt(expected[3]), QColor(Qt::red));
    EXPECT_FALSE(QFile::exists(QDir(folder).absoluteFilePath("hidden.png")));
    EXPECT_EQ(QImage(expected[0]).size(), window.size());

    // A second ready signal does not run the tour again.
    ready.start(0);
    QTest::qWait(2 * ScreenshotTour::kSettleMs);
    EXPECT_EQ(finished.size(), 1);
}

// A stop that shows keyboard focus keeps its frame to itself: the next stop's picture has none.
TEST(ScreenshotTourTest, AFocusFrameStaysInItsOwnPicture) {
    QTemporaryDir dir;
    ThreePageWindow window;
    window.show();
    tarvik::gui::keyboard::setFrameColour(QColor(255, 0, 255));
    const QString folder = dir.filePath("shots");
    auto focusGreen = [](QWidget& w) -> QWidget* {
        w.findChild<QWidget*>("Btn_Green_1")->setFocus(Qt::TabFocusReason);
        return nullptr;
    };
    ScreenshotTour tour(window, {{"Btn_Red_", "focus.png", focusGreen}, {"Btn_Red_", "after.png"}}, folder);
    tour.setQuitWhenDone(false);
    QSignalSpy finished(&tour, &ScreenshotTour::finished);
    QTimer ready;
    ready.setSingleShot(true);
    tour.startOn(&ready, &QTimer::timeout);
    ready.start(0);
    ASSERT_TRUE(finished.wait(5000));
    const QPoint frameCorner = window.findChild<QWidget*>("Btn_Green_1")->geometry().topLeft();
    EXPECT_EQ(QImage(QDir(folder).filePath("focus.png")).pixelColor(frameCorner), QColor(255, 0, 255));
    EXPECT_EQ(QImage(QDir(folder).filePath("after.png")).pixelColor(frameCorner), QColor(Qt::red));
}

TEST(ScreenshotTourTest, ShapedWindowIsSeeThroughOutsideItsShape) {
    ThreePageWindow window;
    window.setMask(QRegion(10, 10, 200, 100));
    const QImage picture = ScreenshotTour::windowPicture(window);
    ASSERT_EQ(picture.size(), window.size());
    EXPECT_EQ(qAlpha(picture.pixel(5, 5)), 0);
    EXPECT_EQ(qAlpha(picture.pixel(250, 150)), 0);
    EXPECT_EQ(picture.pixelColor(20, 20), QColor(Qt::red));
}

TEST(ScreenshotTourTest, GivesUpWhenTheWindowNeverBecomesReady) {
    QTemporaryDir dir;
    ThreePageWindow window;
    ScreenshotTour tour(window, {{"Btn_Red_", "red.png"}}, dir.filePath("shots"));
    tour.setQuitWhenDone(false);
    tour.setTimeout(100);
    QSignalSpy finished(&tour, &ScreenshotTour::finished);
    QTimer never;
    tour.startOn(&never, &QTimer::timeout);
    ASSERT_TRUE(finished.wait(3000));
    EXPECT_FALSE(finished.front().front().toBool());
    EXPECT_TRUE(tour.savedFiles().isEmpty());
}

TEST(ScreenshotTourTest, UnwritableFolderFails) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ThreePageWindow window;
    ScreenshotTour tour(window, {{"Btn_Red_", "red.png"}}, dir.filePath("file/shots"));
    tour.setQuitWhenDone(false);
    QSignalSpy finished(&tour, &ScreenshotTour::finished);
    tour.start();
    ASSERT_TRUE(finished.size() == 1 || finished.wait(3000));
    EXPECT_FALSE(finished.front().front().toBool());
}

} // namespace

namespace {

TEST(ScreenshotTourTest, ScreenshotModeComesFromTheEnvironment) {
    ThreePageWindow window;
    qunsetenv("TARVIK_SCREENSHOTS");
    EXPECT_EQ(ScreenshotTour::fromEnvironment(window), nullptr);

    qputenv("TARVIK_SCREENSHOTS", "/tmp/somewhere");
    ScreenshotTour* tour = ScreenshotTour::fromEnvironment(window);
    qunsetenv("TARVIK_SCREENSHOTS");
    ASSERT_NE(tour, nullptr);
    EXPECT_EQ(tour->parent(), &window);
    EXPECT_FALSE(tour->running());
}

TEST(WindowActivationTest, MinimisedOrHiddenWindowComesBack) {
    QWidget window;
    window.resize(100, 100);
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    tarvik::gui::restoreAndRaise(window);
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());

    window.hide();
    tarvik::gui::restoreAndRaise(window);
    EXPECT_TRUE(window.isVisible());
}

} // namespace
