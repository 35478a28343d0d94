// The yardstick of bench_first_paint_x11: a plain Qt Widgets window of the main window's size, with
// nothing on it, started and left running until it is ended.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(1030, 662);
    window.show();
    return app.exec();
}
