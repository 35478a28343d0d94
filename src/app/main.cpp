#include <QApplication>

#include "gui/device/ScreenshotTour.h"
#include "gui/shell/MainWindow.h"
#include "platform/SingleInstance.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Only one copy runs: a later one asks the first to come to the front and ends.
    tarvik::platform::SingleInstance instance;
    if (instance.claim() == tarvik::platform::SingleInstance::Outcome::AnotherRunning)
        return 0;
    QApplication::setApplicationName(QStringLiteral("Gaming Mouse"));

    tarvik::gui::MainWindow window;
    QObject::connect(&instance, &tarvik::platform::SingleInstance::raiseRequested, &window, [&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
    });

    std::unique_ptr<tarvik::gui::ScreenshotTour> tour;
    if (const QString directory = tarvik::gui::ScreenshotTour::directoryFromEnvironment();
        !directory.isEmpty()) {
        tour = std::make_unique<tarvik::gui::ScreenshotTour>(
            window, tarvik::gui::ScreenshotTour::mainWindowPages(), directory);
        tour->startOn(&window, &tarvik::gui::MainWindow::deviceReady);
    }

    window.show();
    window.start();
    return app.exec();
}
