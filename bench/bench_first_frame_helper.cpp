// One start-up in a process of its own, driven by bench_first_frame.
//
//   bench_first_frame_helper bare   a plain QWidget of the main window's size
//   bench_first_frame_helper main   the main window as the program builds it, with the defaults of
//                                   image 1 drawn and no mouse; the session is never started, so
//                                   nothing polls
//   bench_first_frame_helper pictures   lists the skin pictures the shown main window has decoded,
//                                   with their sizes: what its first frame decoded
//
// Both are timed the same way: the frame counts as done when the window has handled the exposure or
// update request during which it or a widget on it was first painted (the whole window, children
// included, has been painted and flushed by then). The helper prints one line and ends:
//
//   frame main_ns=<steady clock at main()> built_ns=<window built, before show()>
//         painted_ns=<steady clock at the end of the first frame> vmhwm_kb=<VmHWM>
//         maxrss_kb=<ru_maxrss> style=<style> size=<w>x<h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMap>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "gui/shell/MainWindow.h"
#include "gui/skin/PictureControl.h"

namespace {

constexpr int kWidth = 1030;
constexpr int kHeight = 662;
constexpr int kGiveUpMs = 20000;
// How long the picture listing leaves the shown window to its event loop.
constexpr int kSettleMs = 500;

long long steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

long vmHwmKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

long maxRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class FirstFrame : public QObject {
public:
    FirstFrame(QWidget& window, long long mainNs, long long builtNs)
        : m_window(window), m_mainNs(mainNs), m_builtNs(builtNs) {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    // A frame is drawn while the window handles an exposure or an update request. The application's
    // filter sees that event before anybody handles it, so a check posted now runs as soon as the
    // frame is flushed, before whatever the window itself posts while drawing. The check reports if
    // something of the window was painted (a window covered by opaque children is not painted itself).
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_reported)
            return false;
        const QEvent::Type type = event->type();
        if (type == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == &m_window)
            m_painted = true;
        const bool drawing = (type == QEvent::Expose && watched == m_window.windowHandle()) ||
                             (type == QEvent::UpdateRequest && watched == &m_window);
        if (drawing)
            QTimer::singleShot(0, this, [this] {
                if (m_painted && !m_reported) {
                    m_reported = true;
                    report();
                }
            });
        return false;
    }

private:
    void report() {
        const long long paintedNs = steadyNs();
        std::printf("frame main_ns=%lld built_ns=%lld painted_ns=%lld vmhwm_kb=%ld maxrss_kb=%ld style=%s "
                    "size=%dx%d\n",
                    m_mainNs, m_builtNs, paintedNs, vmHwmKb(), maxRssKb(),
                    qPrintable(QApplication::style()->name()), m_window.width(), m_window.height());
        std::fflush(stdout);
        QApplication::quit();
    }

    QWidget& m_window;
    long long m_mainNs;
    long long m_builtNs;
    bool m_painted = false;
    bool m_reported = false;
};

} // namespace

int main(int argc, char** argv) {
    const long long mainNs = steadyNs();
    const char* kind = argc > 1 ? argv[1] : "";
    const bool bare = std::strcmp(kind, "bare") == 0;
    const bool pictures = std::strcmp(kind, "pictures") == 0;
    if (!bare && !pictures && std::strcmp(kind, "main") != 0) {
        std::fprintf(stderr, "usage: %s bare|main|pictures\n", argv[0]);
        return 2;
    }

    QApplication app(argc, argv);
    if (pictures) {
        // Shown, and left a moment for whatever the first frame queued: pictures of closed pages
        // wait for them to open, so what is listed is what the first frame decoded.
        tarvik::gui::MainWindow window;
        window.show();
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < kSettleMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QMap<QString, QSize> shown; // lower-case name -> size, each decoded once
        for (const auto* control : window.findChildren<tarvik::gui::PictureControl*>())
            if (!control->pictureName().isEmpty() && !control->pixmap().isNull())
                shown.insert(control->pictureName().toLower(), control->pixmap().size());
        long long bytes = 0;
        for (auto it = shown.cbegin(); it != shown.cend(); ++it) {
            std::printf("%-20s %4d x %4d\n", qPrintable(it.key()), it.value().width(), it.value().height());
            bytes += 4LL * it.value().width() * it.value().height();
        }
        std::printf("%lld pictures, %.1f MB as 32-bit pixels\n", static_cast<long long>(shown.size()),
                    static_cast<double>(bytes) / (1024.0 * 1024.0));
        return 0;
    }
    std::unique_ptr<QWidget> window;
    if (bare) {
        window = std::make_unique<QWidget>();
        window->resize(kWidth, kHeight);
    } else {
        window = std::make_unique<tarvik::gui::MainWindow>();
    }

    FirstFrame frame(*window, mainNs, steadyNs());
    window->show();
    bool timedOut = false;
    QTimer::singleShot(kGiveUpMs, &app, [&timedOut] {
        timedOut = true;
        QApplication::quit();
    });
    app.exec();
    if (timedOut) {
        std::fprintf(stderr, "the window was never painted\n");
        return 1;
    }
    return 0;
}
