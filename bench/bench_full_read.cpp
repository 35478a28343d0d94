// A full read of an "I2C" mouse (the two live-settings reads and the stored regions, in the order of
// the read/write cycle) against the virtual mouse with no latency of its own.
//
// BM_FullReadI2C runs it in real time, with the 500-microsecond gap after every fetched report the
// mouse needs; own_us_per_report is the time spent beyond those gaps, per report.
// BM_FullReadI2CWithoutGaps runs the same reports with the gaps scaled to nothing, which measures
// the same work without the noise of 141 ms of spinning. Both count the virtual mouse's own work
// as ours, so the figures are an upper bound.

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <ctime>

#include "core/device/DeviceLink.h"
#include "emulator/EmulatorTransport.h"

using namespace tarvik;
using core::Byte;
using core::Loading;

namespace {

struct Region {
    std::uint16_t address;
    std::uint16_t length;
};

// Stored regions of an "I2C" mouse, in the order they are read.
constexpr Region kStoredRegions[] = {{192, 147},  {339, 41},   {484, 12},  {496, 256},  {752, 256},
                                     {1536, 256}, {1792, 256}, {1008, 16}, {1024, 256}, {1280, 256}};

struct Counts {
    int reports = 0;
    int fetches = 0;
};

constexpr Counts countReports() {
    Counts counts;
    counts.reports += 2;
    counts.fetches += (164 + 6) / 7 + (28 + 6) / 7;
    for (const Region& region : kStoredRegions) {
        counts.reports += 1;
        counts.fetches += (region.length + 6) / 7;
    }
    counts.reports += counts.fetches;
    return counts;
}

constexpr Counts kCounts = countReports();
static_assert(kCounts.fetches == 282);

struct Buffers {
    std::array<Byte, 351> dataBuf{};
    std::array<Byte, 41> reserved{};
    std::array<Byte, 512> macros{};
    std::array<Byte, 512> fireMacros{};
    std::array<Byte, 16> patchHeader{};
    std::array<Byte, 512> patchCode{};
};

void fullRead(core::DeviceLink& link, Buffers& b) {
    const std::span<Byte> data(b.dataBuf);
    link.readSettingsBlock(0, 164, data.subspan(0, 164), Loading::Shown);
    link.readSettingsBlock(164, 28, data.subspan(164, 28), Loading::Shown);
    link.readMemory(192, 147, data.subspan(192, 147), Loading::Shown);
    link.readMemory(339, 41, b.reserved, Loading::Shown);
    link.readMemory(484, 12, data.subspan(339, 12), Loading::Shown);
    link.readMemory(496, 256, std::span<Byte>(b.macros).first(256), Loading::Shown);
    link.readMemory(752, 256, std::span<Byte>(b.macros).last(256), Loading::Shown);
    link.readMemory(1536, 256, std::span<Byte>(b.fireMacros).first(256), Loading::Shown);
    link.readMemory(1792, 256, std::span<Byte>(b.fireMacros).last(256), Loading::Shown);
    link.readMemory(1008, 16, b.patchHeader, Loading::Shown);
    link.readMemory(1024, 256, std::span<Byte>(b.patchCode).first(256), Loading::Shown);
    link.readMemory(1280, 256, std::span<Byte>(b.patchCode).last(256), Loading::Shown);
}

double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void runFullRead(benchmark::State& state, double timeScale) {
    core::Clock clock(timeScale);
    emulator::EmulatorTransport bus;
    emulator::VirtualMouse::Options options;
    options.clock = &clock;
    auto mouse = bus.addMouse(options);
    core::NullLinkUi ui;
    core::DeviceLink link(bus, ui, clock);
    if (link.openDevice(mouse->vendorId(), mouse->productId()) != core::OpenResult::Opened ||
        !link.connected()) {
        state.SkipWithError("the virtual mouse did not open");
        return;
    }
    Buffers buffers;
    const int before = mouse->reportCount();
    double seconds = 0;
    double cpuSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuSeconds();
        fullRead(link, buffers);
        cpuSeconds += threadCpuSeconds() - cpuStart;
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(buffers.dataBuf.data());
    }
    const auto iterations = static_cast<double>(state.iterations());
    if (mouse->reportCount() - before != kCounts.reports * static_cast<int>(state.iterations())) {
        state.SkipWithError("the read exchanged an unexpected number of reports");
        return;
    }
    const double gaps =
        iterations * kCounts.fetches * clock.scaled(core::DeviceLink::kFetchGap).count() * 1e-9;
    const double reports = iterations * kCounts.reports;
    state.counters["reports"] = kCounts.reports;
    state.counters["reports_per_s"] = reports / seconds;
    // Wall time beyond the gaps. On a busy machine it also counts the time the thread was not
    // running; without gaps, the thread's CPU time per report is given beside it. (With gaps the
    // CPU time says nothing: a spin that is preempted ends on the wall clock, having used less.)
    state.counters["own_us_per_report"] = (seconds - gaps) / reports * 1e6;
    if (gaps == 0) {
        state.counters["own_cpu_us_per_report"] = cpuSeconds / reports * 1e6;
    }
}

void BM_FullReadI2C(benchmark::State& state) {
    runFullRead(state, 1.0);
}
void BM_FullReadI2CWithoutGaps(benchmark::State& state) {
    runFullRead(state, 0.0);
}

} // namespace

BENCHMARK(BM_FullReadI2C)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_FullReadI2CWithoutGaps)->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK_MAIN();
