#include "cli/WindowLock.h"

#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvik::cli {

namespace {

// A folder (not a link) of this user's that nobody else may write to.
bool isPrivateFolder(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 022) == 0;
}

QString uid() {
    return QString::number(::getuid());
}

// The process id holding a lock file, or 0 when nobody alive does.
long long liveHolder(const QString& lockPath) {
    if (!QFile::exists(lockPath))
        return 0;
    QLockFile lock(lockPath);
    lock.setStaleLockTime(0);
    // tryLock takes over a lock whose holder has died, so only a live holder makes it fail.
    if (lock.tryLock(0)) {
        lock.unlock();
        return 0;
    }
    if (lock.error() != QLockFile::LockFailedError)
        return 0;
    qint64 pid = 0;
    QString host;
    QString application;
    lock.getLockInfo(&pid, &host, &application);
    return pid > 0 ? pid : -1;
}

} // namespace

std::vector<std::string> windowLockFolders() {
    std::vector<std::string> folders;
    auto add = [&](const QString& folder) {
        const std::string f = QDir::cleanPath(folder).toStdString();
        if (!folder.isEmpty() && std::find(folders.begin(), folders.end(), f) == folders.end())
            folders.push_back(f);
    };
    add(platform::SingleInstance::runtimeDirectory());
    // Where the window keeps its lock with a usual session (XDG_RUNTIME_DIR) and without one; a
    // folder named for tests and sandboxes stands for both.
    const QString named = qEnvironmentVariable("TARVIK_LOCK_DIR");
    if (!named.isEmpty()) {
        add(named);
    } else {
        add(QStringLiteral("/run/user/") + uid());
        add(QStringLiteral("/tmp/tarvik-config-") + uid());
    }
    return folders;
}

long long windowHoldingMouse() {
    const platform::SingleInstance window;
    const QString lockName = QFileInfo(window.lockFilePath()).fileName();
    for (const std::string& folder : windowLockFolders()) {
        const QString path = QDir(QString::fromStdString(folder)).filePath(lockName);
        if (!isPrivateFolder(QString::fromStdString(folder)))
            continue;
        if (const long long pid = liveHolder(path))
            return pid;
    }
    return 0;
}

std::string MouseLock::folder() {
    const QString named = qEnvironmentVariable("TARVIK_LOCK_DIR");
    if (!named.isEmpty())
        return named.toStdString();
    const QString run = QStringLiteral("/run/user/") + uid();
    if (isPrivateFolder(run))
        return run.toStdString();
    const QString own = QStringLiteral("/tmp/tarvik-config-") + uid();
    if (::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return isPrivateFolder(own) ? own.toStdString() : std::string();
}

MouseLock::MouseLock(const std::string& mouseKey) {
    const std::string dir = folder();
    if (dir.empty() || mouseKey.empty())
        return;
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(mouseKey), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    m_lock = std::make_unique<QLockFile>(
        QDir(QString::fromStdString(dir)).filePath(QStringLiteral("tarvikctl-%1-%2.lock").arg(uid(), hash)));
    // Held for the whole run: only a dead holder makes it stale, never its age.
    m_lock->setStaleLockTime(0);
}

MouseLock::~MouseLock() {
    if (m_lock)
        m_lock->unlock();
}

std::string MouseLock::path() const {
    return m_lock ? m_lock->fileName().toStdString() : std::string();
}

bool MouseLock::acquire(int waitMs) {
    // Without a private folder there is nowhere safe to keep a lock; the run goes on unguarded
    // rather than refusing every command.
    if (!m_lock)
        return true;
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        if (m_lock->tryLock(0))
            return true;
        if (m_lock->error() != QLockFile::LockFailedError)
            return true;
        qint64 pid = 0;
        QString host;
        QString application;
        m_lock->getLockInfo(&pid, &host, &application);
        m_holder = pid;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
}

} // namespace tarvik::cli
