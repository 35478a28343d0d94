// The main() of every GUI test program: one application for the whole program, without a display,
// the virtual mouse time-scaled, and the user's own files out of reach.
#include "GuiTestMain.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace tarvik::gui::testing {

// Programs that need more than this (another platform, a scale factor) define their own.
__attribute__((weak)) void beforeApplication() {}

} // namespace tarvik::gui::testing

int main(int argc, char** argv) {
    // Before anything asks for the process-wide clock, which a virtual mouse without a clock of its
    // own uses.
    setenv("TARVIK_TIME_SCALE", "0.05", 0);
    // ctest's test discovery runs the program without the test environment: never ask for a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    tarvik::gui::testing::beforeApplication();
    // Backups of the virtual mouse go to a folder of this run, never the user's state folder.
    QTemporaryDir stateHome;
    setenv("XDG_STATE_HOME", stateHome.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    // The macro library and the other files of the user go to Qt's test folders, never the user's own.
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
