#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarvik::platform {

namespace {

constexpr char kRaiseRequest[] = "raise\n";
constexpr char kRaiseAnswer[] = "ok\n";
constexpr int kConnectWaitMs = 200;
constexpr int kAnswerWaitMs = 1000;
constexpr int kRetryPauseMs = 50;
constexpr qint64 kMaxRequest = 64;

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
long peerUserId(qintptr descriptor) {
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

bool peerIsThisUser(qintptr descriptor) {
    return peerUserId(descriptor) == static_cast<long>(::getuid());
}
#endif

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
    if (m_server) {
        m_server->close();
    }
    m_lock.unlock();
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
    return m_server ? m_server->fullServerName() : QString();
}

bool SingleInstance::isListening() const {
    return m_server && m_server->isListening();
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
    // Holding the lock means no live copy listens: a socket file left by a crashed one is stale.
    QLocalServer::removeServer(socketName());
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::answer);
    return m_server->listen(socketName());
}

SingleInstance::Answer SingleInstance::askRunningToRaise(int waitMs) {
    QLocalSocket socket;
    socket.connectToServer(socketName());
    if (!socket.waitForConnected(waitMs)) {
        return Answer::Nobody;
    }
#ifdef Q_OS_UNIX
    if (!peerIsThisUser(socket.socketDescriptor())) {
        // Whoever listens there gets nothing from us, not even the request.
        socket.abort();
        return Answer::Stranger;
    }
#endif
    socket.write(kRaiseRequest);
    socket.waitForBytesWritten(kAnswerWaitMs);
    // The answer only confirms; a copy that accepted the connection is running either way.
    socket.waitForReadyRead(kAnswerWaitMs);
    socket.disconnectFromServer();
    return Answer::Raised;
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
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
#ifdef Q_OS_UNIX
        if (!peerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
#endif
        QPointer<QLocalSocket> guard(socket);
        auto handleRequest = [this, guard] {
            if (!guard) {
                return;
            }
            const QByteArray pending = guard->peek(kMaxRequest + 1);
            switch (readRequest(pending)) {
            case Request::Incomplete:
                return;
            case Request::TooLong:
                guard->abort();
                return;
            case Request::Raise:
                guard->write(kRaiseAnswer);
                guard->flush();
                emit raiseRequested();
                break;
            case Request::Other:
                break;
            }
            guard->disconnectFromServer();
        };
        connect(socket, &QLocalSocket::readyRead, this, handleRequest);
        // A client that connects and says nothing is not kept for ever.
        QTimer::singleShot(kAnswerWaitMs * 2, socket, [guard] {
            if (guard) {
                guard->abort();
            }
        });
        // The request may have arrived with the connection itself.
        handleRequest();
    }
}

} // namespace tarvik::platform
