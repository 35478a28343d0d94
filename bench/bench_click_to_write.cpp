// One click on the real main window (offscreen) over the virtual mouse, timed from the press to the
// last report of the write it makes, with the link's waits scaled to almost nothing: our own time
// for a click. Goal: under 1 ms.
//
// BM_ClickDpiStep       Advanced page: DPI level 1 alternates between step 3 and step 9 (one live
//                       setting written: one report)
// BM_ClickLightingMode  Breathing Light page: the lighting mode alternates between two effects
//
// The write is made inside the click's handler, so the time runs until the click returns, which
// also counts the pictures changed and the events pumped around the transfer: an upper bound. After
// every click the event loop is drained and the benchmark fails if a report arrived afterwards (the
// write would then not be over when the click returns) or if the click sent none.
// The DevTimer is stopped once the mouse has been read: at the scaled interval it would poll the
// mouse on every turn of the event loop, which a user's click never meets at 3.5 s.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "core/device/RuntimeOptions.h"
#include "emulator/VirtualMouse.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/shell/MainWindow.h"

using namespace tarvik;

namespace {

constexpr int kAdvancedPage = 2;
constexpr int kLightingPage = 3;
constexpr int kReadWaitMs = 30000;

struct ReadWindow {
    gui::MessageSeam::Answerer answers; // a message box would otherwise wait for a user
    std::unique_ptr<gui::MainWindow> window;
    bool ready = false;

    ReadWindow() {
        gui::MessageSeam::setAnswerer(&answers);
        gui::DeviceSession::Options options;
        options.runtime.emulator = core::StorageKind::I2C;
        options.runtime.timeScale = core::RuntimeOptions::kMinTimeScale;
        options.runtime.transcriptPath.clear();
        window = std::make_unique<gui::MainWindow>(options);
        window->show();
        window->start();
        QElapsedTimer waited;
        waited.start();
        while (
            !(window->deviceConnected() && !window->coversShown() && window->cycle().configurationRead()) &&
            waited.elapsed() < kReadWaitMs)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        window->completePages();
        window->session().devTimer().stop();
        QApplication::processEvents();
        ready = window->deviceConnected() && !window->coversShown();
    }
    ~ReadWindow() {
        window.reset();
        gui::MessageSeam::setAnswerer(nullptr);
    }
    emulator::VirtualMouse& mouse() { return *window->session().virtualMouse(); }
};

std::unique_ptr<ReadWindow> g_window;

ReadWindow& readWindow() {
    if (!g_window)
        g_window = std::make_unique<ReadWindow>();
    return *g_window;
}

// Where a user clicks: at the control's centre, to whatever the window's hit-testing finds there.
QWidget* pressTarget(QWidget& window, QWidget* control, QPoint& at) {
    const QPoint inWindow = control->mapTo(&window, control->rect().center());
    QWidget* hit = window.childAt(inWindow);
    if (hit)
        at = hit->mapFrom(&window, inWindow);
    return hit;
}

void runClicks(benchmark::State& state, int page, const QString& first, const QString& second) {
    ReadWindow& w = readWindow();
    if (!w.ready) {
        state.SkipWithError("the virtual mouse was not read");
        return;
    }
    w.window->openPage(page);
    QApplication::processEvents();
    QWidget* controls[2] = {w.window->findChild<QWidget*>(first), w.window->findChild<QWidget*>(second)};
    QWidget* targets[2] = {};
    QPoint points[2];
    for (int i = 0; i < 2; ++i) {
        if (!controls[i] || !controls[i]->isVisible()) {
            state.SkipWithError("a control to click is not on the screen");
            return;
        }
        targets[i] = pressTarget(*w.window, controls[i], points[i]);
        if (!(targets[i] == controls[i] || controls[i]->isAncestorOf(targets[i]))) {
            state.SkipWithError("a control to click is covered");
            return;
        }
    }
    int which = 0;
    int reports = 0;
    double seconds = 0;
    for (auto _ : state) {
        QApplication::processEvents();
        const int before = w.mouse().reportCount();

        const auto start = std::chrono::steady_clock::now();
        QTest::mouseClick(targets[which], Qt::LeftButton, {}, points[which]);
        const auto end = std::chrono::steady_clock::now();

        const int sent = w.mouse().reportCount() - before;
        QApplication::processEvents();
        const bool late = w.mouse().reportCount() - before != sent;
        if (sent == 0 || late) {
            state.SkipWithError(sent == 0 ? "the click wrote nothing" : "the write went on after the click");
            return;
        }
        const double elapsed = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(elapsed);
        seconds += elapsed;
        reports += sent;
        which = 1 - which;
    }
    const auto clicks = static_cast<double>(state.iterations());
    state.counters["reports_per_click"] = reports / clicks;
    state.counters["click_to_write_us"] = seconds / clicks * 1e6;
}

void BM_ClickDpiStep(benchmark::State& state) {
    runClicks(state, kAdvancedPage, QStringLiteral("Img_DPI1_3"), QStringLiteral("Img_DPI1_9"));
}
BENCHMARK(BM_ClickDpiStep)->Unit(benchmark::kMicrosecond)->UseManualTime();

void BM_ClickLightingMode(benchmark::State& state) {
    runClicks(state, kLightingPage, QStringLiteral("lbl_LED1"), QStringLiteral("lbl_LED2"));
}
BENCHMARK(BM_ClickLightingMode)->Unit(benchmark::kMicrosecond)->UseManualTime();

// The offscreen platform says on every click that it cannot raise the loading window; writing that
// to the terminal would be timed as part of the click, which no real desktop pays.
void dropPlatformNotices(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    qt_message_output(type, context, message);
}

} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(dropPlatformNotices);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    unsetenv("TARVIK_TRANSCRIPT");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_window.reset();
    return 0;
}
