#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>

#ifdef Q_OS_UNIX
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

} // namespace

SingleInstance::SingleInstance(QString key, QObject* parent)
    : QObject(parent), m_key(std::move(key)), m_lock(QDir(QDir::tempPath()).filePath(m_key + ".lock")) {
    // The lock is held for the whole run: only a dead holder makes it stale, never its age.
    m_lock.setStaleLockTime(0);
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
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        // tryLock takes over a lock whose holder has died.
        if (m_lock.tryLock(0)) {
            becomeFirst();
            return Outcome::First;
        }
        if (askRunningToRaise(kConnectWaitMs)) {
            return Outcome::AnotherRunning;
        }
        if (deadline.hasExpired()) {
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
    QLocalServer::removeServer(m_key);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::answer);
    return m_server->listen(m_key);
}

bool SingleInstance::askRunningToRaise(int waitMs) {
    QLocalSocket socket;
    socket.connectToServer(m_key);
    if (!socket.waitForConnected(waitMs)) {
        return false;
    }
    socket.write(kRaiseRequest);
    socket.waitForBytesWritten(kAnswerWaitMs);
    // The answer only confirms; a copy that accepted the connection is running either way.
    socket.waitForReadyRead(kAnswerWaitMs);
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::answer() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QPointer<QLocalSocket> guard(socket);
        auto readRequest = [this, guard] {
            if (!guard) {
                return;
            }
            if (!guard->canReadLine()) {
                // Nothing of ours sends more than a short line.
                if (guard->bytesAvailable() > kMaxRequest) {
                    guard->abort();
                }
                return;
            }
            const QByteArray line = guard->readLine(kMaxRequest);
            if (line == kRaiseRequest) {
                guard->write(kRaiseAnswer);
                guard->flush();
                emit raiseRequested();
            }
            guard->disconnectFromServer();
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        // A client that connects and says nothing is not kept for ever.
        QTimer::singleShot(kAnswerWaitMs * 2, socket, [guard] {
            if (guard) {
                guard->abort();
            }
        });
        // The request may have arrived with the connection itself.
        readRequest();
    }
}

} // namespace tarvik::platform
