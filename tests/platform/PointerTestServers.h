#pragma once
// Servers that the pointer-settings tests start for themselves, so that nothing of the desktop they
// run on is touched: an X server without a screen and a session message bus. Each one tells where it
// listens over a pipe once it is ready, which also picks a free display or address without guessing.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace tarvik::platform::testing {

class ChildServer {
public:
    ChildServer() = default;
    ChildServer(const ChildServer&) = delete;
    ChildServer& operator=(const ChildServer&) = delete;
    ~ChildServer() { stop(); }

    // Runs args with "{fd}" in any of them replaced by the number of a pipe's writing end, and waits
    // for the first line written there. False when the program does not start or stays silent.
    bool start(std::vector<std::string> args, int timeoutMs = 10000) {
        int fds[2];
        if (pipe(fds) != 0) {
            return false;
        }
        fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        for (std::string& arg : args) {
            if (const std::size_t at = arg.find("{fd}"); at != std::string::npos) {
                arg.replace(at, 4, std::to_string(fds[1]));
            }
        }
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);

        // A crashed test must not leave its servers running: they end with the process that started them.
        const pid_t parent = getpid();
        m_pid = fork();
        if (m_pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent) {
                _exit(127);
            }
            const int devNull = open("/dev/null", O_WRONLY);
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        if (m_pid < 0) {
            close(fds[0]);
            return false;
        }

        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::string line;
        bool complete = false;
        while (!complete && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fds[0], POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) {
                continue;
            }
            char c = 0;
            if (read(fds[0], &c, 1) != 1) {
                break;
            }
            complete = c == '\n';
            if (!complete) {
                line += c;
            }
        }
        close(fds[0]);
        if (!complete) {
            stop();
            return false;
        }
        m_line = line;
        return true;
    }

    void stop() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

    const std::string& line() const { return m_line; }

private:
    pid_t m_pid = -1;
    std::string m_line;
};

// An X server of its own; display() is its name, such as ":3". It keeps running when the last client
// leaves, rather than resetting and turning the next one away for a moment.
class XvfbServer {
public:
    bool start() {
        if (!m_server.start({"Xvfb", "-displayfd", "{fd}", "-noreset", "-nolisten", "tcp", "-screen", "0",
                             "320x240x24"})) {
            return false;
        }
        m_display = ":" + m_server.line();
        return true;
    }
    const std::string& display() const { return m_display; }

private:
    ChildServer m_server;
    std::string m_display;
};

// A session message bus of its own; address() goes into DBUS_SESSION_BUS_ADDRESS.
class SessionBus {
public:
    bool start() { return m_server.start({"dbus-daemon", "--session", "--nofork", "--print-address={fd}"}); }
    const std::string& address() const { return m_server.line(); }

private:
    ChildServer m_server;
};

} // namespace tarvik::platform::testing
