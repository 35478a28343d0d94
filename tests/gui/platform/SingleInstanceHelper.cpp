// single_instance_helper <key> claim|crash|plant [directory]
//   claim: prints "first" (exit 0) or "another" (exit 3)
//   crash: claims, prints the outcome and dies without cleaning up, as a crashed copy would
//   plant: as another user (nobody, when started as root), holds a lock file and listens on the
//          socket of the key in directory, as a stranger would; prints "planted", then for a few
//          seconds prints "received <line>" for whatever a connection sends (exit 4 when it cannot
//          become another user, 5 when planting fails)
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/SingleInstance.h"

using tarvik::platform::SingleInstance;

namespace {

constexpr uid_t kNobody = 65534;

// A listener anybody may connect to, as a stranger would set one up; -1 when it cannot.
int listenOpenly(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(native.size()) >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, native.constData(), static_cast<std::size_t>(native.size()));
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::unlink(address.sun_path);
    if (listener < 0 || ::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(address.sun_path, 0777) != 0 || ::listen(listener, 8) != 0)
        return -1;
    return listener;
}

int plant(const QString& key, const QString& directory) {
    QLockFile lock(QDir(directory).filePath(key + ".lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0))
        return 5;
    const int listener = listenOpenly(QDir(directory).filePath(key));
    if (listener < 0)
        return 5;
    QSocketNotifier incoming(listener, QSocketNotifier::Read);
    QObject::connect(&incoming, &QSocketNotifier::activated, [listener] {
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            return;
        auto* readable = new QSocketNotifier(connection, QSocketNotifier::Read, qApp);
        QObject::connect(readable, &QSocketNotifier::activated, [readable, connection] {
            char buffer[256];
            const ssize_t got = ::recv(connection, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got <= 0) {
                readable->setEnabled(false);
                ::close(connection);
                return;
            }
            std::printf("received %s\n", QByteArray(buffer, got).trimmed().constData());
            std::fflush(stdout);
        });
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
