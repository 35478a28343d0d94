#pragma once
// A private X server for one test run: Xvfb on a display number it picks itself (-displayfd), and an
// injecting client that sends input through XTEST, as a keyboard and a mouse would.

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvik::test {

class XvfbServer {
public:
    // `screen`: width x height x depth of its one screen. `quiet`: the server's own messages go nowhere.
    explicit XvfbServer(const std::string& screen = "640x480x24", bool quiet = false) {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            close(fds[0]);
            if (quiet) {
                const int null = open("/dev/null", O_WRONLY);
                dup2(null, STDERR_FILENO);
            }
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset", "-ac", "-screen",
                   "0", screen.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (!number.empty())
            m_display = ":" + number;
    }
    ~XvfbServer() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":n", or empty when the server did not start.
    const std::string& display() const { return m_display; }

    // Switches the server's keyboard layout ("us", "de", ...) as a user's desktop does; true when
    // setxkbmap did it.
    bool setLayout(const std::string& layout) const {
        const std::string command = "setxkbmap -display " + m_display + " " + layout + " 2>&1";
        return std::system(command.c_str()) == 0;
    }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

// Another client of the server: it injects input and owns a window that can take the focus.
class XInjector {
public:
    explicit XInjector(const std::string& display) : m_display(XOpenDisplay(display.c_str())) {}
    ~XInjector() {
        if (m_display)
            XCloseDisplay(m_display);
    }
    XInjector(const XInjector&) = delete;
    XInjector& operator=(const XInjector&) = delete;

    Display* display() const { return m_display; }

    // `delayMs`: the server waits that long before it performs the event, so the gap between two
    // events is known in the server's own time.
    void key(unsigned long keysym, bool press, unsigned long delayMs = 0) {
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, keysym), press ? True : False, delayMs);
        XFlush(m_display);
    }
    // A key by its X key code, i.e. by its place on the keyboard, whatever the layout makes of it.
    void keycode(unsigned code, bool press, unsigned long delayMs = 0) {
        XTestFakeKeyEvent(m_display, code, press ? True : False, delayMs);
        XFlush(m_display);
    }
    void button(unsigned number, bool press, unsigned long delayMs = 0) {
        XTestFakeButtonEvent(m_display, number, press ? True : False, delayMs);
        XFlush(m_display);
    }
    void sync() { XSync(m_display, False); }

    // A mapped window of this client with the input focus.
    Window focusOwnWindow() {
        const Window w =
            XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 100, 100, 0, 0, 0);
        XSelectInput(m_display, w, StructureNotifyMask);
        XMapWindow(m_display, w);
        XEvent e;
        do
            XNextEvent(m_display, &e);
        while (e.type != MapNotify);
        XSetInputFocus(m_display, w, RevertToParent, CurrentTime);
        XSync(m_display, False);
        return w;
    }

    Window focus() {
        Window w = 0;
        int revert = 0;
        XGetInputFocus(m_display, &w, &revert);
        return w;
    }

private:
    Display* m_display;
};

} // namespace tarvik::test
