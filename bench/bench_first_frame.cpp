// Start-up to the first painted frame and peak memory, each start in a fresh process: a bare QWidget
// of the main window's size beside the main window itself (defaults drawn, no mouse), alternating in
// the same run so that both see the same machine.
//
//   bench_first_frame [--runs N] [--helper PATH] [--verbose]   (--verbose keeps the helper's stderr)
//
// spawn->frame  from just before posix_spawn to the end of the window's first paint: loading the
//               program and its libraries, QApplication, building the window, the first frame
// main->frame   the same from the top of main(), without loading and linking
// main->built   of which: QApplication and building the window, up to show()
// VmHWM         peak resident memory of the helper when the first frame is done
//
// Goals: the same as bench_first_paint_x11's, which measures on an X server what a user waits for:
// the main window's first frame within 1.25 times the bare window's (median spawn->frame), and its
// peak memory at most 40 MB with Qt's default style. Offscreen the figures come out lower than on a
// server, so meeting them here is necessary, not sufficient. The exit status is 0 even when a goal is missed:
// this is a measurement, not a test.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "BenchStats.h"

extern char** environ;

namespace {

constexpr double kFrameRatioGoal = 1.25;
constexpr double kPeakMemoryGoalMb = 40.0;

struct Sample {
    double spawnToFrameMs = 0;
    double mainToFrameMs = 0;
    double mainToBuiltMs = 0;
    double vmHwmMb = 0;
    double maxRssMb = 0;
    std::string style;
    std::string size;
};

long long steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string field(const std::string& line, const std::string& key) {
    const std::string tag = " " + key + "=";
    const auto at = line.find(tag);
    if (at == std::string::npos)
        return {};
    const auto start = at + tag.size();
    return line.substr(start, line.find(' ', start) - start);
}

// The helper's environment: the offscreen platform, Qt's own default style, and no virtual mouse,
// transcript or screenshots, whatever the caller's shell has set.
std::vector<std::string> helperEnvironment() {
    static const char* const kDropped[] = {"QT_QPA_PLATFORM=",   "QT_STYLE_OVERRIDE=",  "TARVIK_EMULATOR=",
                                           "TARVIK_TRANSCRIPT=", "TARVIK_SCREENSHOTS=", "TARVIK_TIME_SCALE="};
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (std::none_of(std::begin(kDropped), std::end(kDropped),
                         [&](const char* prefix) { return text.rfind(prefix, 0) == 0; }))
            env.push_back(text);
    }
    env.emplace_back("QT_QPA_PLATFORM=offscreen");
    return env;
}

std::optional<Sample> runOnce(const std::string& helper, const char* kind, bool verbose) {
    int out[2];
    if (pipe(out) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (!verbose) // Qt's notes about the offscreen platform, once per start
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);

    std::vector<std::string> env = helperEnvironment();
    std::vector<char*> envp;
    for (std::string& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string program = helper;
    std::string argument = kind;
    char* argv[] = {program.data(), argument.data(), nullptr};

    pid_t pid = 0;
    const long long spawnNs = steadyNs();
    const int spawned = posix_spawn(&pid, helper.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        std::fprintf(stderr, "cannot start %s: %s\n", helper.c_str(), std::strerror(spawned));
        return std::nullopt;
    }

    std::string text;
    char buffer[512];
    for (;;) {
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n > 0)
            text.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);

    const auto line = text.find("frame ");
    if (line == std::string::npos || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s: the helper did not report a frame (status %d)\n", kind, status);
        return std::nullopt;
    }
    const std::string report = " " + text.substr(line, text.find('\n', line) - line);
    Sample sample;
    const long long mainNs = std::stoll(field(report, "main_ns"));
    const long long builtNs = std::stoll(field(report, "built_ns"));
    const long long paintedNs = std::stoll(field(report, "painted_ns"));
    sample.mainToBuiltMs = static_cast<double>(builtNs - mainNs) / 1e6;
    sample.spawnToFrameMs = static_cast<double>(paintedNs - spawnNs) / 1e6;
    sample.mainToFrameMs = static_cast<double>(paintedNs - mainNs) / 1e6;
    sample.vmHwmMb = std::stod(field(report, "vmhwm_kb")) / 1024.0;
    sample.maxRssMb = std::stod(field(report, "maxrss_kb")) / 1024.0;
    sample.style = field(report, "style");
    sample.size = field(report, "size");
    return sample;
}

struct Summary {
    tarvik::bench::Spread spawn, fromMain, built, hwm, rss;
};

Summary summarise(const std::vector<Sample>& samples) {
    return {tarvik::bench::spreadOf(samples, &Sample::spawnToFrameMs),
            tarvik::bench::spreadOf(samples, &Sample::mainToFrameMs),
            tarvik::bench::spreadOf(samples, &Sample::mainToBuiltMs),
            tarvik::bench::spreadOf(samples, &Sample::vmHwmMb),
            tarvik::bench::spreadOf(samples, &Sample::maxRssMb)};
}

std::string defaultHelper(const char* argv0) {
#ifdef TARVIK_FIRST_FRAME_HELPER
    if (access(TARVIK_FIRST_FRAME_HELPER, X_OK) == 0)
        return TARVIK_FIRST_FRAME_HELPER;
#endif
    std::string self = argv0;
    const auto slash = self.rfind('/');
    return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) +
           "/bench_first_frame_helper";
}

} // namespace

int main(int argc, char** argv) {
    int runs = 11;
    bool verbose = false;
    std::string helper = defaultHelper(argv[0]);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--helper") == 0 && i + 1 < argc)
            helper = argv[++i];
        else if (std::strcmp(argv[i], "--verbose") == 0)
            verbose = true;
        else {
            std::fprintf(stderr, "usage: %s [--runs N] [--helper PATH] [--verbose]\n", argv[0]);
            return 2;
        }
    }

    // One start of each first, not counted: the page cache and, for the main window, the PC macro
    // library the first start creates beside the program.
    for (const char* kind : {"bare", "main"})
        if (!runOnce(helper, kind, verbose))
            return 1;

    std::vector<Sample> bare, window;
    for (int i = 0; i < runs; ++i) {
        auto bareRun = runOnce(helper, "bare", verbose);
        auto windowRun = runOnce(helper, "main", verbose);
        if (!bareRun || !windowRun)
            return 1;
        bare.push_back(*bareRun);
        window.push_back(*windowRun);
    }

    const Summary b = summarise(bare);
    const Summary m = summarise(window);
    std::printf("first frame, %d runs each, QT_QPA_PLATFORM=offscreen, style %s, windows %s / %s\n", runs,
                bare.front().style.c_str(), bare.front().size.c_str(), window.front().size.c_str());
    std::printf("%-12s %14s %10s %10s %14s %14s %12s %12s %14s\n", "window", "spawn->frame", "min", "max",
                "main->frame", "main->built", "VmHWM med", "VmHWM max", "ru_maxrss max");
    for (const auto& [name, s] : {std::pair{"bare QWidget", b}, std::pair{"MainWindow", m}})
        std::printf("%-12s %11.1f ms %7.1f ms %7.1f ms %11.1f ms %11.1f ms %9.1f MB %9.1f MB %11.1f MB\n",
                    name, s.spawn.median, s.spawn.min, s.spawn.max, s.fromMain.median, s.built.median,
                    s.hwm.median, s.hwm.max, s.rss.max);

    const double ratio = m.spawn.median / b.spawn.median;
    const double mainRatio = m.fromMain.median / b.fromMain.median;
    std::printf("ratio MainWindow / bare: %.2f (spawn->frame), %.2f (main->frame); goal <= %.2f: %s\n", ratio,
                mainRatio, kFrameRatioGoal, ratio <= kFrameRatioGoal ? "met" : "MISSED");
    std::printf("MainWindow peak memory %.1f MB (bare %.1f MB); goal <= %.0f MB: %s\n", m.hwm.max, b.hwm.max,
                kPeakMemoryGoalMb, m.hwm.max <= kPeakMemoryGoalMb ? "met" : "MISSED");
    return 0;
}
