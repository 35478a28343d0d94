#pragma once
// main() of the benchmarks that measure the window offscreen: no virtual mouse and no transcript, so
// the window shows the defaults and never polls. `beforeExit` lets go of what the benchmarks kept
// while the application still exists.

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <functional>

namespace tarvik::bench {

inline int runOffscreenBenchmarks(int argc, char** argv, const std::function<void()>& beforeExit = {}) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    unsetenv("TARVIK_EMULATOR");
    unsetenv("TARVIK_TRANSCRIPT");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (beforeExit)
        beforeExit();
    return 0;
}

} // namespace tarvik::bench
