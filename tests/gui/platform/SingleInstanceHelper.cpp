// single_instance_helper <key> claim|crash|plant [directory]
//   claim: prints "first" (exit 0) or "another" (exit 3)
//   crash: claims, prints the outcome and dies without cleaning up, as a crashed copy would
//   plant: as another user (nobody, when started as root), holds a lock file and listens on the
//          socket of the key in directory, as a stranger would; prints "planted", then for a few
//          seconds prints "received <line>" for whatever a connection sends (exit 4 when it cannot
//          become another user, 5 when planting fails)
#include <QCoreApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <grp.h>
#include <unistd.h>

#include "platform/SingleInstance.h"

using tarvik::platform::SingleInstance;

namespace {

constexpr uid_t kNobody = 65534;

int plant(const QString& key, const QString& directory) {
    QLockFile lock(QDir(directory).filePath(key + ".lock"));
    lock.setStaleLockTime(0);
    QLocalServer server;
    server.setSocketOptions(QLocalServer::WorldAccessOption);
    if (!lock.tryLock(0) || !server.listen(QDir(directory).filePath(key))) {
        return 5;
    }
    QObject::connect(&server, &QLocalServer::newConnection, [&server] {
        while (QLocalSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket] {
                std::printf("received %s\n", socket->readAll().trimmed().constData());
                std::fflush(stdout);
            });
        }
    });
    std::puts("planted");
    std::fflush(stdout);
    QTimer::singleShot(8000, qApp, &QCoreApplication::quit);
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fputs("usage: single_instance_helper <key> claim|crash|plant [directory]\n", stderr);
        return 2;
    }
    const bool planting = std::strcmp(argv[2], "plant") == 0;
    if (planting && ::getuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
        return 4;
    }
    QCoreApplication app(argc, argv);
    const QString key = QString::fromLocal8Bit(argv[1]);
    const QString directory =
        argc == 4 ? QString::fromLocal8Bit(argv[3]) : SingleInstance::runtimeDirectory();
    if (planting) {
        return plant(key, directory);
    }
    SingleInstance instance(key, directory);
    const bool first = instance.claim() == SingleInstance::Outcome::First;
    std::puts(first ? "first" : "another");
    std::fflush(stdout);
    if (std::strcmp(argv[2], "crash") == 0) {
        std::_Exit(first ? 0 : 3);
    }
    return first ? 0 : 3;
}
