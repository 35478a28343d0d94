// One QApplication for the whole executable, without a display; the virtual mouse runs time-scaled.
#include <QTemporaryDir>
#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // Before anything asks for the process-wide clock, which the virtual mouse uses.
    setenv("TARVIK_TIME_SCALE", "0.05", 0);
    // ctest's test discovery runs the executable without the test environment.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Backups of the virtual mouse go to a folder of this run, never the user's state folder.
    QTemporaryDir stateHome;
    setenv("XDG_STATE_HOME", stateHome.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    // The macro library and other user files go to a test folder, never the user's own.
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
