// One QApplication for the whole executable, without a display.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // Before anything asks for the process-wide clock, which the virtual mouse uses.
    setenv("TARVIK_TIME_SCALE", "0.01", 0);
    // ctest's test discovery runs the executable without the test environment.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Backups kept before a change go here, never into the user's own state folder; the tarvikctl
    // processes the tests start inherit it.
    QTemporaryDir state;
    setenv("XDG_STATE_HOME", state.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
