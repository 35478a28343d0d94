#include "cli/WindowLock.h"

#include "platform/SingleInstance.h"

#include <QLockFile>

namespace tarvik::cli {

bool windowHoldsMouse() {
    // The lock's place is the window's business: ask it rather than rebuild the path here.
    const platform::SingleInstance window;
    QLockFile lock(window.lockFilePath());
    lock.setStaleLockTime(0);
    // tryLock takes over a lock whose holder has died, so only a live window makes it fail.
    if (lock.tryLock(0)) {
        lock.unlock();
        return false;
    }
    return lock.error() == QLockFile::LockFailedError;
}

} // namespace tarvik::cli
