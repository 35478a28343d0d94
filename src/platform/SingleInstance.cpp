#include "platform/SingleInstance.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <functional>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tarvik::platform {

namespace {

constexpr char kRaiseRequest[] = "raise\n";
constexpr char kRaiseAnswer[] = "ok\n";
constexpr int kConnectWaitMs = 200;
constexpr int kAnswerWaitMs = 1000;
constexpr int kRetryPauseMs = 50;
constexpr qint64 kMaxRequest = 64;
constexpr int kBacklog = 8;

QString userId() {
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

#ifdef Q_OS_UNIX
// A folder (not a link to one) of this user's that nobody else may write to.
bool isPrivateFolder(const QString& path, bool followLink) {
    struct stat info {};
    const QByteArray native = QFile::encodeName(path);
    const int got = followLink ? ::stat(native.constData(), &info) : ::lstat(native.constData(), &info);
    return got == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 022) == 0;
}

bool makePrivateFolder(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    return isPrivateFolder(path, false);
}

// The user id at the other end of a connected local socket; -1 when it cannot be told.
long peerUserId(int descriptor) {
#ifdef Q_OS_LINUX
    struct ucred credentials {};
    socklen_t length = sizeof credentials;
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0) {
        return static_cast<long>(credentials.uid);
    }
#else
    uid_t uid = 0;
    gid_t gid = 0;
    if (::getpeereid(static_cast<int>(descriptor), &uid, &gid) == 0) {
        return static_cast<long>(uid);
    }
#endif
    return -1;
}

bool peerIsThisUser(int descriptor) {
    return peerUserId(descriptor) == static_cast<long>(::getuid());
}
#endif

// The address of a socket file; false when the path is too long for one.
bool socketAddress(const QString& path, sockaddr_un& address) {
    const QByteArray native = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (native.isEmpty() || static_cast<std::size_t>(native.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, native.constData(), static_cast<std::size_t>(native.size()));
    return true;
}

void closeDescriptor(int descriptor) {
    // A close interrupted by a signal has closed the descriptor all the same on Linux: never retried.
    ::close(descriptor);
}

// Waits until the descriptor is ready for `events` or the deadline passes.
bool waitFor(int descriptor, short events, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd entry{descriptor, events, 0};
        const int got = ::poll(&entry, 1, static_cast<int>(deadline.remainingTime()));
        if (got > 0)
            return true;
        if (got == 0 || errno != EINTR)
            return false;
    }
}

// One connection from a later copy, on the first copy's event loop: read until a whole request line
// has arrived, answer it and close. A connection that says nothing is closed after a while.
class Connection : public QObject {
public:
    Connection(int descriptor, QObject* parent, std::function<void()> raise)
        : QObject(parent), m_descriptor(descriptor), m_readable(descriptor, QSocketNotifier::Read),
          m_raise(std::move(raise)) {
        connect(&m_readable, &QSocketNotifier::activated, this, &Connection::read);
        QTimer::singleShot(kAnswerWaitMs * 2, this, &Connection::finish);
    }
    ~Connection() override {
        if (m_descriptor >= 0)
            closeDescriptor(m_descriptor);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void read() {
        if (m_descriptor < 0)
            return;
        char buffer[kMaxRequest + 1];
        for (;;) {
            const auto room = static_cast<std::size_t>(kMaxRequest + 1 - m_pending.size());
            const ssize_t got = ::recv(m_descriptor, buffer, room, MSG_DONTWAIT);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return; // the rest of the line is still on its way
            if (got <= 0) {
                // The other end went away (or failed) before a whole line.
                finish();
                return;
            }
            m_pending.append(buffer, got);
            switch (SingleInstance::readRequest(m_pending)) {
            case SingleInstance::Request::Incomplete:
                continue;
            case SingleInstance::Request::Raise:
                // Three bytes into an empty socket buffer: they go at once or not at all, and the
                // answer only confirms.
                ::send(m_descriptor, kRaiseAnswer, sizeof kRaiseAnswer - 1, MSG_DONTWAIT | MSG_NOSIGNAL);
                finish();
                m_raise();
                return;
            case SingleInstance::Request::Other:
            case SingleInstance::Request::TooLong:
                finish();
                return;
            }
        }
    }

private:
    void finish() {
        if (m_descriptor < 0)
            return;
        m_readable.setEnabled(false);
        closeDescriptor(m_descriptor);
        m_descriptor = -1;
        deleteLater();
    }

    int m_descriptor;
    QSocketNotifier m_readable;
    std::function<void()> m_raise;
    QByteArray m_pending;
};

} // namespace

QString SingleInstance::runtimeDirectory() {
#ifdef Q_OS_UNIX
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime, true)) {
        return QDir::cleanPath(runtime);
    }
    const QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("tarvik-config-") + userId());
    if (makePrivateFolder(own)) {
        return own;
    }
    // Somebody else took the name in the shared folder: the home folder is the user's alone.
    const QString cache = QDir(QDir::homePath()).filePath(QStringLiteral(".cache"));
    QDir().mkpath(cache);
    const QString home = QDir(cache).filePath(QStringLiteral("tarvik-config"));
    makePrivateFolder(home);
    return home;
#else
    return QDir::tempPath();
#endif
}

SingleInstance::SingleInstance(QString key, QString directory, QObject* parent)
    : QObject(parent), m_key(std::move(key)), m_directory(std::move(directory)),
      m_lock(QDir(m_directory).filePath(m_key + ".lock")) {
    // The lock is held for the whole run: only a dead holder makes it stale, never its age.
    m_lock.setStaleLockTime(0);
}

QString SingleInstance::socketName() const {
    // A full path: the socket lives beside the lock, not in the shared temporary folder.
    return QDir(m_directory).filePath(m_key);
}

void SingleInstance::removeForeignLock() {
#ifdef Q_OS_UNIX
    struct stat info {};
    const QByteArray native = QFile::encodeName(m_lock.fileName());
    if (::lstat(native.constData(), &info) == 0 && info.st_uid != ::getuid()) {
        // Not a lock of any copy of ours, whatever process id it names.
        QFile::remove(m_lock.fileName());
    }
#endif
}

SingleInstance::~SingleInstance() {
    stopListening();
    m_lock.unlock();
}

void SingleInstance::stopListening() {
    if (m_listener < 0)
        return;
    m_incoming.reset();
    closeDescriptor(m_listener);
    m_listener = -1;
    // Still holding the lock: the socket file is ours to remove.
    QFile::remove(socketName());
}

QString SingleInstance::keyForTitle(const QString& title) {
    QString key;
    bool gap = false;
    for (const QChar c : title.toLower()) {
        if (c.isLetterOrNumber() && c.unicode() < 0x80) {
            if (gap && !key.isEmpty()) {
                key += QLatin1Char('-');
            }
            gap = false;
            key += c;
        } else {
            gap = true;
        }
    }
    return key + QLatin1Char('-') + userId();
}

QString SingleInstance::lockFilePath() const {
    return m_lock.fileName();
}

QString SingleInstance::socketPath() const {
    return m_listener >= 0 ? socketName() : QString();
}

bool SingleInstance::isListening() const {
    return m_listener >= 0;
}

SingleInstance::Outcome SingleInstance::claim(int timeoutMs) {
    if (m_lock.isLocked()) {
        return Outcome::First;
    }
    removeForeignLock();
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        // tryLock takes over a lock whose holder has died.
        if (m_lock.tryLock(0)) {
            becomeFirst();
            return Outcome::First;
        }
        const Answer answer = askRunningToRaise(kConnectWaitMs);
        if (answer == Answer::Raised) {
            return Outcome::AnotherRunning;
        }
        // Another user's listener is no copy of ours, and waiting would not make it one.
        if (answer == Answer::Stranger || deadline.hasExpired()) {
            break;
        }
        // The holder is alive but not listening yet: it is still starting.
        QThread::msleep(kRetryPauseMs);
    }
    // Someone holds the lock but never answers (a lock file we cannot read, a copy hung at start):
    // run rather than refuse to start.
    m_lock.removeStaleLockFile();
    m_lock.tryLock(0);
    becomeFirst();
    return Outcome::First;
}

bool SingleInstance::becomeFirst() {
    stopListening();
    sockaddr_un address{};
    if (!socketAddress(socketName(), address))
        return false;
    // Holding the lock means no live copy listens: a socket file left by a crashed one is stale.
    ::unlink(address.sun_path);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener < 0)
        return false;
    // The folder is the user's alone; the file's own mode says the same to anyone who looks.
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(address.sun_path, 0600) != 0 || ::listen(listener, kBacklog) != 0) {
        closeDescriptor(listener);
        return false;
    }
    m_listener = listener;
    m_incoming = std::make_unique<QSocketNotifier>(listener, QSocketNotifier::Read);
    connect(m_incoming.get(), &QSocketNotifier::activated, this, &SingleInstance::answer);
    return true;
}

SingleInstance::Answer SingleInstance::askRunningToRaise(int waitMs) {
    sockaddr_un address{};
    if (!socketAddress(socketName(), address))
        return Answer::Nobody;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0)
        return Answer::Nobody;
    const auto give = [socket](Answer answer) {
        closeDescriptor(socket);
        return answer;
    };
    // A listener whose queue is full makes a non-blocking connect fail with EAGAIN: try again until
    // the wait is over. No socket file, or nobody behind it, is nobody.
    const QDeadlineTimer connectDeadline(waitMs);
    while (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN || connectDeadline.hasExpired())
            return give(Answer::Nobody);
        QThread::msleep(5);
    }
    if (!peerIsThisUser(socket)) {
        // Whoever listens there gets nothing from us, not even the request.
        return give(Answer::Stranger);
    }
    const QDeadlineTimer answerDeadline(kAnswerWaitMs);
    const char* request = kRaiseRequest;
    std::size_t left = sizeof kRaiseRequest - 1;
    while (left > 0) {
        const ssize_t sent = ::send(socket, request, left, MSG_NOSIGNAL);
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(socket, POLLOUT, answerDeadline))
            continue;
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            break;
        request += sent;
        left -= static_cast<std::size_t>(sent);
    }
    // The answer only confirms; a copy that accepted the connection is running either way.
    waitFor(socket, POLLIN, answerDeadline);
    return give(Answer::Raised);
}

SingleInstance::Request SingleInstance::readRequest(QByteArrayView pending) {
    const qsizetype end = pending.indexOf('\n');
    if (end < 0) {
        // Nothing of ours sends more than a short line.
        return pending.size() > kMaxRequest ? Request::TooLong : Request::Incomplete;
    }
    return pending.first(end + 1) == QByteArrayView(kRaiseRequest) ? Request::Raise : Request::Other;
}

void SingleInstance::answer() {
    for (;;) {
        const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return; // nothing more waiting (or nothing that can be taken now)
        }
        if (!peerIsThisUser(connection)) {
            closeDescriptor(connection);
            continue;
        }
        auto* reader = new Connection(connection, this, [this] { emit raiseRequested(); });
        // The request may have arrived with the connection itself.
        reader->read();
    }
}

} // namespace tarvik::platform
