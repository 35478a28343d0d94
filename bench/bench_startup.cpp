// Start-up: what stands between starting the program and a window that shows the mouse, without the
// waits the polling itself asks for (the first tick after 3.5 s, 2.1 s for what was plugged in).
//
// BM_MainWindowCreate  building the main window (skin, layout and language tables, default image,
//                      the first page) and showing it, up to its first paint
// BM_MainWindowComplete  the same, and then the other pages built as after the first frame
// BM_SessionCreate     the device session over the virtual mouse: transport, link, discovery,
//                      listener, DevTimer
// BM_FindAndIdentify   one polling tick with the waits scaled to nothing: counting, opening, probe,
//                      identity read, up to the hand-over to the full read
// BM_LoadingWindow     creating and placing the loading window
// BM_SingleInstance    claiming the single-instance lock and socket, and giving them back

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QWidget>

#include <cstdlib>
#include <memory>

#include "gui/device/DeviceSession.h"
#include "gui/device/LoadingWindow.h"
#include "gui/shell/MainWindow.h"
#include "platform/SingleInstance.h"

using namespace tarvik;

namespace {

struct Window : core::DiscoveryUi, core::DeviceEventSink {
    int fullReads = 0;
    void showNoDevice() override {}
    void showDeviceReady() override {}
    void startFullRead() override { ++fullReads; }
    void refreshErrorAP() override {}
    void showMessageDialog(std::string_view) override {}
    void showMessageBox(std::string_view) override {}
    void setDevTimerEnabled(bool) override {}
    void setApplyingImage(bool) override {}
    void showPermissionProblem() override {}
    void refreshCurrentDpiStatus() override {}
    void refreshCurrentProfileStatus() override {}
};

gui::DeviceSession::Options emulated() {
    gui::DeviceSession::Options options;
    options.runtime.emulator = core::StorageKind::I2C;
    options.runtime.transcriptPath.clear();
    options.runtime.timeScale = 0.0; // every wait returns at once
    return options;
}

void BM_MainWindowCreate(benchmark::State& state) {
    for (auto _ : state) {
        gui::MainWindow window(emulated());
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.isVisible());
    }
}
BENCHMARK(BM_MainWindowCreate)->Unit(benchmark::kMillisecond);

void BM_MainWindowComplete(benchmark::State& state) {
    for (auto _ : state) {
        gui::MainWindow window(emulated());
        window.show();
        QApplication::processEvents();
        window.completePages();
        benchmark::DoNotOptimize(window.pagesComplete());
    }
}
BENCHMARK(BM_MainWindowComplete)->Unit(benchmark::kMillisecond);

void BM_SessionCreate(benchmark::State& state) {
    Window window;
    for (auto _ : state) {
        gui::DeviceSession session(window, window, emulated());
        benchmark::DoNotOptimize(&session.link());
    }
}
BENCHMARK(BM_SessionCreate)->Unit(benchmark::kMicrosecond);

void BM_FindAndIdentify(benchmark::State& state) {
    Window window;
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<gui::DeviceSession>(window, window, emulated());
        const int before = window.fullReads;
        state.ResumeTiming();
        session->discovery().devTimerTimer();
        if (window.fullReads != before + 1) {
            state.SkipWithError("the mouse was not found");
            break;
        }
        state.PauseTiming();
        session.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FindAndIdentify)->Unit(benchmark::kMicrosecond);

void BM_LoadingWindow(benchmark::State& state) {
    QWidget main;
    main.setGeometry(100, 100, 1030, 662);
    for (auto _ : state) {
        gui::LoadingWindow loading(main);
        benchmark::DoNotOptimize(loading.pos());
    }
}
BENCHMARK(BM_LoadingWindow)->Unit(benchmark::kMicrosecond);

void BM_SingleInstance(benchmark::State& state) {
    const QString key = QStringLiteral("tarvik-bench-%1").arg(QCoreApplication::applicationPid());
    for (auto _ : state) {
        platform::SingleInstance instance(key);
        benchmark::DoNotOptimize(instance.claim());
    }
}
BENCHMARK(BM_SingleInstance)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The virtual mouse's own delays follow the process-wide clock.
    setenv("TARVIK_TIME_SCALE", "0.000001", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
