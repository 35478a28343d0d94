#pragma once
// Root may open anything, so access checks run in a child process that has become an ordinary user.

#include <functional>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvik::hid::test {

inline constexpr int kCannotDropRoot = 100;

// Exit status of check() run in a child as user nobody (or as the current user when that is not
// root); kCannotDropRoot when the child could not give up root, -1 when it did not exit normally.
inline int runAsOrdinaryUser(const std::function<int()>& check) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::getuid() == 0) {
            constexpr uid_t kNobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
                ::_exit(kCannotDropRoot);
            }
        }
        ::_exit(check());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

} // namespace tarvik::hid::test
