#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <cstdio>

#include "gui/device/WindowActivation.h"
#include "gui/shell/MainWindow.h"
#include "gui/tour/ScreenshotTour.h"
#include "platform/FontWarmUp.h"
#include "platform/HeapWarmUp.h"
#include "platform/SingleInstance.h"

namespace {

enum class Parsed { Run, Exit, Fail };

// The command line is read before the window's application exists, so that --help and --version
// work without a display. Its switches only set the environment the rest of the program reads.
Parsed parseCommandLine(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvik-config"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configures gaming mice built on the Tarvik controller."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption virtualMouse(
        QStringLiteral("virtual-mouse"),
        QStringLiteral("Talk to the built-in virtual mouse with <kind> memory (i2c or flash) instead of "
                       "the system's mice; the same as TARVIK_EMULATOR=<kind>."),
        QStringLiteral("kind"));
    const QCommandLineOption virtualMouseState(
        QStringLiteral("virtual-mouse-state"),
        QStringLiteral("Keep the virtual mouse's memory in <file> across runs; the same as "
                       "TARVIK_EMULATOR_STATE=<file>."),
        QStringLiteral("file"));
    parser.addOption(virtualMouse);
    parser.addOption(virtualMouseState);
    // Qt's own switches (-platform offscreen, -style ...) stay usable: QApplication takes them later.
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
          "qwindowtitle", "session", "display", "geometry", "style", "stylesheet", "qmljsdebugger"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption qtFlag(QString::fromLatin1(name));
        qtFlag.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtFlag);
    }
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "tarvik-config: %s\n", qPrintable(parser.errorText()));
        return Parsed::Fail;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return Parsed::Exit;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("tarvik-config %s\n", TARVIK_VERSION);
        return Parsed::Exit;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "tarvik-config: unexpected argument '%s'\n",
                     qPrintable(parser.positionalArguments().constFirst()));
        return Parsed::Fail;
    }
    if (parser.isSet(virtualMouse)) {
        const QString kind = parser.value(virtualMouse).toLower();
        if (kind != QLatin1String("i2c") && kind != QLatin1String("flash")) {
            std::fprintf(stderr, "tarvik-config: --virtual-mouse takes i2c or flash, not '%s'\n",
                         qPrintable(parser.value(virtualMouse)));
            return Parsed::Fail;
        }
        qputenv("TARVIK_EMULATOR", kind.toLatin1());
    }
    if (parser.isSet(virtualMouseState)) {
        qputenv("TARVIK_EMULATOR_STATE", QFile::encodeName(parser.value(virtualMouseState)));
    }
    return Parsed::Run;
}

// Every size the skin generator draws; the window, the tray and the task bar each take the one
// that suits them. The pictures are decoded here, as PNG by name: an icon given files asks a reader
// to find each file's format, and that loads every image plugin of the system to ask each one.
QIcon programIcon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImageReader reader(QStringLiteral(":/icons/tarvik-config-%1.png").arg(size), "PNG");
        reader.setAutoDetectImageFormat(false); // the built-in PNG reader, without asking any plugin
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace

int main(int argc, char** argv) {
    // Without arguments there is nothing to parse, and no application object is set up and torn
    // down before the real one.
    switch (argc > 1 ? parseCommandLine(argc, argv) : Parsed::Run) {
    case Parsed::Exit:
        return 0;
    case Parsed::Fail:
        return 1;
    case Parsed::Run:
        break;
    }
    // While the application connects to the display, the heap the window is built in is mapped and
    // the font configuration loads beside it.
    const tarvik::platform::HeapWarmUp heap(2 * 1024 * 1024);
    const tarvik::platform::FontWarmUp fonts;
    QApplication app(argc, argv);
    // Only one copy runs: a later one asks the first to come to the front and ends.
    tarvik::platform::SingleInstance instance;
    if (instance.claim() == tarvik::platform::SingleInstance::Outcome::AnotherRunning)
        return 0;
    QApplication::setApplicationName(QStringLiteral("Gaming Mouse"));
    QApplication::setDesktopFileName(QStringLiteral("org.tarvik.TarvikConfig"));

    // A screenshot run shows libraries of its own: the window is told before it loads the user's.
    const QString screenshots = tarvik::gui::ScreenshotTour::directoryFromEnvironment();
    tarvik::gui::MainWindow window(tarvik::gui::DeviceSession::Options(), nullptr, screenshots);
    QObject::connect(&instance, &tarvik::platform::SingleInstance::raiseRequested, &window,
                     [&window] { tarvik::gui::restoreAndRaise(window); });

    std::unique_ptr<tarvik::gui::ScreenshotTour> tour;
    if (!screenshots.isEmpty()) {
        tour = std::make_unique<tarvik::gui::ScreenshotTour>(
            window, tarvik::gui::ScreenshotTour::mainWindowPages(), screenshots);
        tour->startOn(&window, &tarvik::gui::MainWindow::deviceReady);
    }

    // The icon is for the task bar and the tray, not for the window's first frame: it is decoded
    // and handed to the X server once that frame is out. The tray icon is made after it.
    QObject::connect(&window, &tarvik::gui::MainWindow::firstFrameShown, &window,
                     [] { QApplication::setWindowIcon(programIcon()); });

    window.show();
    window.start();
    return app.exec();
}
