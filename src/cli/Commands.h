#pragma once
// tarvikctl: the mouse from the command line.
//
// Exit codes: 0 success; 1 usage (a wrong command line, or a file or value that is refused);
// 2 no mouse, or not allowed to use it (no udev rule, another product line, the window holds it);
// 3 the mouse refused or left during the operation. Messages go to stderr, results to stdout.

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace tarvik::core {
class HidTransport;
}

namespace tarvik::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 1,
    kExitNoMouse = 2,
    kExitMouseFailed = 3,
};

// args[0] is the program name.
int runTarvikctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Builds the transport each session of a run talks over when no virtual mouse is asked for.
using TransportMaker = std::function<std::unique_ptr<core::HidTransport>()>;
// The same over the transport makeTransport builds instead of the system's HID devices (empty:
// hidapi), for tests that keep a hand on the mouse a run talks to.
int runTarvikctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const TransportMaker& makeTransport);

} // namespace tarvik::cli
