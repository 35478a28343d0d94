#pragma once
// Who else uses the mouse. While the window runs it holds the mouse, and a second program talking to
// the mouse would interleave its reports with the window's; two tarvikctl runs on one mouse would
// each write what they read before the other's change.

#include <QLockFile>

#include <memory>
#include <string>
#include <vector>

namespace tarvik::cli {

// The process id of a live copy of the window holding its single-instance lock; 0 when none does.
// The lock is looked for where the window of this user keeps it with this environment, and also in
// the places it keeps it with any other (the user's /run/user folder, the private folder in /tmp),
// so that a different or missing XDG_RUNTIME_DIR does not hide a running window (TARVIK_LOCK_DIR,
// when set, stands for those places). A lock left behind
// by a copy that died does not count.
long long windowHoldingMouse();

// The folders windowHoldingMouse() looks in, in order, without repeats.
std::vector<std::string> windowLockFolders();

// tarvikctl's own lock on one mouse, per user, held from before the mouse is read until the run
// ends. Its folder does not depend on the environment: /run/user/<uid> when that is the user's
// private folder, else /tmp/tarvik-config-<uid> (TARVIK_LOCK_DIR names another, for tests and
// sandboxes).
class MouseLock {
public:
    // mouseKey names the mouse (its device path, or the virtual mouse's state file).
    explicit MouseLock(const std::string& mouseKey);
    ~MouseLock();

    // Takes the lock, waiting up to waitMs for another tarvikctl to finish. False when another
    // holds it still; holder() then names its process.
    bool acquire(int waitMs);
    long long holder() const { return m_holder; }
    std::string path() const;

    static std::string folder();

private:
    std::unique_ptr<QLockFile> m_lock;
    long long m_holder = 0;
};

} // namespace tarvik::cli
