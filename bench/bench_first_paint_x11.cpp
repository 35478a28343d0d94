// What a user waits for, on a real X server: from launching the program to its window's first paint,
// and the resident memory it holds once the virtual mouse has been read. The program (with the
// virtual mouse) and a bare Qt window of the same size (bench_bare_window) are started in turns on an
// Xvfb of the benchmark's own, so that both see the same machine; medians over the rounds.
//
//   bench_first_paint_x11 [--rounds N] [--program PATH] [--bare PATH] [--smaps] [--paint-only]
//                         [--verbose]
//
// launch->paint  from just before posix_spawn to the first damage the server reports inside the
//                launched process's window. Qt creates its windows without a background, so mapping
//                one draws nothing: the first damage is the first frame the process puts on screen,
//                which is what a user sees appear (an Expose only says the server wants a frame).
// read done      from launch until the transcript of the exchange with the mouse has been quiet for
//                half a second after it began: the full read is over (program only)
// at paint       resident memory when the first paint was seen: what the first frame needed
// VmRSS          resident memory from /proc/PID/status, two seconds after the first paint and, for
//                the program, not before the read is done; VmHWM is the peak until then
// --smaps        after the last round, resident memory of each process by mapping (/proc/PID/smaps)
// --paint-only   each start is ended at its first paint: no read, no memory. For comparing two
//                builds of the program in turns, one given as --bare (a difference of a millisecond
//                or two needs a few hundred rounds on a busy machine).
//
// Both run with a session message bus of the benchmark's own and a runtime folder on a memory file
// system, as in a desktop session.
//
// Goals: first paint within 1.25 times the bare window's, resident memory at most 40 MB. The exit
// status is 0 even when a goal is missed: this is a measurement, not a test.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "BenchStats.h"
#include "platform/PointerTestServers.h"
#include "platform/XvfbServer.h"

extern char** environ;

namespace {

constexpr double kPaintRatioGoal = 1.25;
constexpr double kMemoryGoalMb = 40.0;
constexpr int kSettleMs = 2000;        // after the first paint, before memory is read
constexpr int kPaintOnlyPauseMs = 300; // after a start ended at its first paint, before the next
constexpr int kQuietMs = 500;          // a transcript this long unchanged: the read is over
constexpr int kGiveUpMs = 20000;       // no paint or no read by then: the round fails

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Large enough that neither window is cut, so both paint the same area.
constexpr const char* kScreen = "1280x1024x24";

struct Sample {
    double paintMs = 0;
    double readMs = 0; // 0: no read watched
    double rssAtPaintMb = 0;
    double rssMb = 0;
    double hwmMb = 0;
    int paintedWidth = 0, paintedHeight = 0;
};

long statusKb(pid_t pid, const char* key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const std::string tag = std::string(key) + ":";
    while (std::getline(status, line))
        if (line.rfind(tag, 0) == 0)
            return std::stol(line.substr(tag.size()));
    return -1;
}

// Resident kilobytes per mapping: files by name, the heap and stack as the kernel names them, and
// every nameless mapping together as anonymous memory.
std::string smapsSummary(pid_t pid) {
    std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
    std::map<std::string, long> byName;
    std::string line, name;
    while (std::getline(smaps, line)) {
        std::istringstream fields(line);
        std::string first;
        fields >> first;
        if (first.find('-') != std::string::npos && first.back() != ':') {
            std::string perms, offset, dev, inode;
            fields >> perms >> offset >> dev >> inode;
            std::getline(fields, name);
            name.erase(0, name.find_first_not_of(' '));
            if (name.empty())
                name = "[anonymous]";
        } else if (first == "Rss:") {
            long kb = 0;
            fields >> kb;
            byName[name] += kb;
        }
    }
    std::vector<std::pair<long, std::string>> sorted;
    long total = 0;
    for (const auto& [mapping, kb] : byName) {
        sorted.emplace_back(kb, mapping);
        total += kb;
    }
    std::sort(sorted.rbegin(), sorted.rend());
    std::ostringstream out;
    char row[600];
    long rest = 0;
    for (const auto& [kb, mapping] : sorted) {
        if (kb < 200) {
            rest += kb;
            continue;
        }
        std::snprintf(row, sizeof row, "  %8.1f MB  %s\n", static_cast<double>(kb) / 1024.0, mapping.c_str());
        out << row;
    }
    std::snprintf(row, sizeof row, "  %8.1f MB  (mappings under 0.2 MB each)\n  %8.1f MB  total\n",
                  static_cast<double>(rest) / 1024.0, static_cast<double>(total) / 1024.0);
    out << row;
    return out.str();
}

class Bench {
public:
    // The display must have the DAMAGE extension; damageEvent is its first event number.
    Bench(Display* display, int damageEvent, bool verbose, bool paintOnly, std::string sessionBus)
        : m_display(display), m_damageEvent(damageEvent), m_verbose(verbose), m_paintOnly(paintOnly),
          m_sessionBus(std::move(sessionBus)) {
        m_root = DefaultRootWindow(display);
        m_pidAtom = XInternAtom(display, "_NET_WM_PID", False);
        // Raw rectangles: every drawing operation is reported as it happens, with no need to
        // acknowledge. Damage on the root window covers what is drawn into any window on it.
        m_damage = XDamageCreate(display, m_root, XDamageReportRawRectangles);
        XSelectInput(display, m_root, SubstructureNotifyMask);
        XSync(display, False);
    }

    // One start: spawns `program`, waits for the first paint of its window and, with the mouse, for
    // the read its transcript shows; then reads its memory and ends it.
    std::optional<Sample> run(const std::string& program, bool withMouse, bool smaps,
                              const std::string& label) {
        // The runtime folder a desktop session gives is a memory file system (/run/user/UID): the
        // program's lock and socket are made there. /dev/shm is one where a folder on /tmp may be on
        // a disk, which would add a disk flush per start that no user pays.
        std::string folderTemplate =
            std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/bench-first-paint-XXXXXX";
        if (!mkdtemp(folderTemplate.data())) // mode 0700: usable as the program's runtime folder
            return std::nullopt;
        const std::string folder = folderTemplate;
        const std::string transcript = folder + "/transcript.txt";
        std::vector<std::string> env = environment(folder, withMouse ? transcript : std::string());
        std::vector<char*> envp;
        for (std::string& entry : env)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::string path = program;
        char* argv[] = {path.data(), nullptr};

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!m_verbose)
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

        XSync(m_display, True); // events of the round before are dropped
        pid_t pid = 0;
        const Clock::time_point launched = Clock::now();
        const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(spawned));
            std::filesystem::remove_all(folder);
            return std::nullopt;
        }

        Sample sample;
        const bool painted = waitForPaint(pid, launched, sample);
        bool read = !withMouse || m_paintOnly;
        if (painted && !read) {
            read = waitForQuiet(transcript, launched);
            sample.readMs = read ? msSince(launched) - kQuietMs : 0;
        }
        if (painted && read && !m_paintOnly) {
            const double settleUntil = sample.paintMs + kSettleMs;
            while (msSince(launched) < settleUntil)
                usleep(20000);
            sample.rssMb = static_cast<double>(statusKb(pid, "VmRSS")) / 1024.0;
            sample.hwmMb = static_cast<double>(statusKb(pid, "VmHWM")) / 1024.0;
            if (smaps)
                std::printf("\n%s, resident memory by mapping:\n%s", label.c_str(),
                            smapsSummary(pid).c_str());
        }
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        std::filesystem::remove_all(folder);
        // A start ended at its first paint has had no settling time: without a pause, the next start
        // would meet this one's ending (the server closing its window, the bus its connection, the
        // kernel its memory).
        if (m_paintOnly)
            usleep(kPaintOnlyPauseMs * 1000);
        if (!painted)
            std::fprintf(stderr, "%s: no window of it was painted within %d ms\n", label.c_str(), kGiveUpMs);
        else if (!read)
            std::fprintf(stderr, "%s: the virtual mouse was not read within %d ms\n", label.c_str(),
                         kGiveUpMs);
        if (!painted || !read)
            return std::nullopt;
        return sample;
    }

private:
    // The caller's environment for a start on the private server: Qt's X11 platform, Qt's own default
    // style, a runtime folder of its own (so that a copy the user runs does not count as running
    // already), and the virtual mouse with a transcript when asked for.
    std::vector<std::string> environment(const std::string& folder, const std::string& transcript) const {
        static const char* const kDropped[] = {
            "DISPLAY=",         "WAYLAND_DISPLAY=",       "QT_QPA_PLATFORM=",         "QT_STYLE_OVERRIDE=",
            "TARVIK_EMULATOR=", "TARVIK_TRANSCRIPT=",     "TARVIK_SCREENSHOTS=",      "TARVIK_TIME_SCALE=",
            "XDG_RUNTIME_DIR=", "TARVIK_EMULATOR_STATE=", "DBUS_SESSION_BUS_ADDRESS="};
        std::vector<std::string> env;
        for (char** entry = environ; *entry; ++entry) {
            const std::string text = *entry;
            if (std::none_of(std::begin(kDropped), std::end(kDropped),
                             [&](const char* prefix) { return text.rfind(prefix, 0) == 0; }))
                env.push_back(text);
        }
        env.push_back(std::string("DISPLAY=") + DisplayString(m_display));
        env.emplace_back("QT_QPA_PLATFORM=xcb");
        if (!m_sessionBus.empty())
            env.push_back("DBUS_SESSION_BUS_ADDRESS=" + m_sessionBus);
        env.push_back("XDG_RUNTIME_DIR=" + folder);
        if (!transcript.empty()) {
            env.emplace_back("TARVIK_EMULATOR=i2c");
            env.push_back("TARVIK_TRANSCRIPT=" + transcript);
        }
        return env;
    }

    long windowPid(Window window) const {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        long pid = -1;
        if (XGetWindowProperty(m_display, window, m_pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                               &after, &data) == Success &&
            data) {
            if (type == XA_CARDINAL && format == 32 && count == 1)
                pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
            XFree(data);
        }
        return pid;
    }

    bool waitForPaint(pid_t pid, Clock::time_point launched, Sample& sample) {
        bool mapped = false;
        int x = 0, y = 0, width = 0, height = 0;
        while (msSince(launched) < kGiveUpMs) {
            if (!XPending(m_display)) {
                pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
                poll(&fd, 1, 50);
                continue;
            }
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == MapNotify && !mapped && windowPid(event.xmap.window) == pid) {
                XWindowAttributes attributes;
                if (XGetWindowAttributes(m_display, event.xmap.window, &attributes) &&
                    attributes.width >= 200 && attributes.height >= 200) {
                    mapped = true;
                    x = attributes.x;
                    y = attributes.y;
                    width = attributes.width;
                    height = attributes.height;
                    if (m_verbose)
                        std::fprintf(stderr, "  mapped %dx%d+%d+%d after %.1f ms\n", width, height, x, y,
                                     msSince(launched));
                }
            } else if (event.type == m_damageEvent + XDamageNotify && mapped) {
                const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
                const XRectangle& r = damage.area;
                const bool inside =
                    r.x < x + width && r.x + r.width > x && r.y < y + height && r.y + r.height > y;
                if (inside) {
                    sample.paintMs = msSince(launched);
                    sample.rssAtPaintMb = static_cast<double>(statusKb(pid, "VmRSS")) / 1024.0;
                    sample.paintedWidth = r.width;
                    sample.paintedHeight = r.height;
                    if (m_verbose)
                        std::fprintf(stderr, "  first paint %dx%d+%d+%d after %.1f ms\n", r.width, r.height,
                                     r.x, r.y, sample.paintMs);
                    return true;
                }
            }
        }
        return false;
    }

    bool waitForQuiet(const std::string& transcript, Clock::time_point launched) const {
        std::error_code error;
        std::uintmax_t size = 0;
        Clock::time_point changed = Clock::now();
        while (msSince(launched) < kGiveUpMs) {
            const std::uintmax_t now = std::filesystem::file_size(transcript, error);
            if (!error && now != size) {
                size = now;
                changed = Clock::now();
            } else if (size > 0 && msSince(changed) >= kQuietMs) {
                return true;
            }
            usleep(10000);
        }
        return false;
    }

    Display* m_display;
    int m_damageEvent;
    bool m_verbose;
    bool m_paintOnly;
    std::string m_sessionBus; // empty: none
    Window m_root = 0;
    Atom m_pidAtom = None;
    Damage m_damage = 0;
};

struct Summary {
    tarvik::bench::Spread paint, read, rssAtPaint, rss, hwm;
};

Summary summarise(const std::vector<Sample>& samples) {
    return {
        tarvik::bench::spreadOf(samples, &Sample::paintMs), tarvik::bench::spreadOf(samples, &Sample::readMs),
        tarvik::bench::spreadOf(samples, &Sample::rssAtPaintMb),
        tarvik::bench::spreadOf(samples, &Sample::rssMb), tarvik::bench::spreadOf(samples, &Sample::hwmMb)};
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 8;
    bool verbose = false;
    bool smaps = false;
    bool paintOnly = false;
    std::string program = TARVIK_PROGRAM;
    std::string bare = TARVIK_BARE_WINDOW;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--program") == 0 && i + 1 < argc)
            program = argv[++i];
        else if (std::strcmp(argv[i], "--bare") == 0 && i + 1 < argc)
            bare = argv[++i];
        else if (std::strcmp(argv[i], "--smaps") == 0)
            smaps = true;
        else if (std::strcmp(argv[i], "--paint-only") == 0)
            paintOnly = true;
        else if (std::strcmp(argv[i], "--verbose") == 0)
            verbose = true;
        else {
            std::fprintf(stderr,
                         "usage: %s [--rounds N] [--program PATH] [--bare PATH] [--smaps] [--paint-only] "
                         "[--verbose]\n",
                         argv[0]);
            return 2;
        }
    }

    const tarvik::test::XvfbServer server(kScreen, true);
    if (server.display().empty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    Display* display = XOpenDisplay(server.display().c_str());
    if (!display) {
        std::fprintf(stderr, "cannot open the display %s\n", server.display().c_str());
        return 1;
    }
    int damageEvent = 0, damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
        std::fprintf(stderr, "the X server has no DAMAGE extension\n");
        return 1;
    }
    // A desktop session has a message bus, which Qt asks at start-up (accessibility, the tray): both
    // windows get one of the benchmark's own. Without one, the bus library tries to launch a bus
    // for each start, a path no desktop user takes.
    tarvik::platform::testing::SessionBus sessionBus;
    const bool withBus = sessionBus.start();
    Bench bench(display, damageEvent, verbose, paintOnly, withBus ? sessionBus.address() : std::string());

    // One start of each first, not counted: the page cache, and the files the program's first start
    // creates.
    if (!bench.run(bare, false, false, "bare window") || !bench.run(program, true, false, "program"))
        return 1;

    std::vector<Sample> bareSamples, programSamples;
    for (int i = 0; i < rounds; ++i) {
        const bool last = i + 1 == rounds;
        auto b = bench.run(bare, false, smaps && last, "bare window");
        auto p = bench.run(program, true, smaps && last, "program");
        if (!b || !p)
            return 1;
        bareSamples.push_back(*b);
        programSamples.push_back(*p);
    }

    const Summary b = summarise(bareSamples);
    const Summary p = summarise(programSamples);
    std::printf("\nfirst paint on Xvfb %s (%s), %s, %d rounds in turns, medians; windows %dx%d / %dx%d "
                "painted first\n",
                server.display().c_str(), kScreen, withBus ? "session bus" : "no session bus (dbus-daemon?)",
                rounds, bareSamples.front().paintedWidth, bareSamples.front().paintedHeight,
                programSamples.front().paintedWidth, programSamples.front().paintedHeight);
    std::printf("%-14s %14s %9s %9s %12s %10s %10s %10s %10s\n", "window", "launch->paint", "min", "max",
                "read done", "at paint", "VmRSS", "VmRSS max", "VmHWM");
    std::printf("%-14s %11.1f ms %6.1f ms %6.1f ms %12s %7.1f MB %7.1f MB %7.1f MB %7.1f MB\n",
                "bare Qt window", b.paint.median, b.paint.min, b.paint.max, "-", b.rssAtPaint.median,
                b.rss.median, b.rss.max, b.hwm.median);
    std::printf("%-14s %11.1f ms %6.1f ms %6.1f ms %9.1f ms %7.1f MB %7.1f MB %7.1f MB %7.1f MB\n", "program",
                p.paint.median, p.paint.min, p.paint.max, p.read.median, p.rssAtPaint.median, p.rss.median,
                p.rss.max, p.hwm.median);
    const double paintRatio = p.paint.median / b.paint.median;
    std::printf("first paint: program / bare %.2f; goal <= %.2f: %s\n", paintRatio, kPaintRatioGoal,
                paintRatio <= kPaintRatioGoal ? "met" : "MISSED");
    if (!paintOnly)
        std::printf("resident memory: program %.1f MB, program / bare %.2f; goal <= %.0f MB: %s\n",
                    p.rss.median, p.rss.median / b.rss.median, kMemoryGoalMb,
                    p.rss.median <= kMemoryGoalMb ? "met" : "MISSED");
    XCloseDisplay(display);
    return 0;
}
