#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
#ifndef TARVIK_HAVE_GUI
    std::puts("tarvik-config: the main window is not built yet; nothing to show.");
    return 0;
#else
    return app.exec();
#endif
}
