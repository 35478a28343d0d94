#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <qplatformdefs.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/SingleInstance.h"

using tarvik::platform::SingleInstance;

namespace {

struct HelperRun {
    int exitCode = -1;
    QString output;
};

// Runs the helper while this process keeps answering on its socket.
HelperRun runHelper(const QString& key, const char* mode) {
    QProcess process;
    process.start(SINGLE_INSTANCE_HELPER, {key, QString::fromLatin1(mode)});
    EXPECT_TRUE(process.waitForStarted());
    EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 15000));
    return {process.exitCode(), QString::fromLatin1(process.readAllStandardOutput()).trimmed()};
}

// A plain connection to a socket file, as any local program can make one; closed when it goes.
class RawConnection {
public:
    explicit RawConnection(const QString& path)
        : m_descriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        const QByteArray native = QFile::encodeName(path);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (m_descriptor < 0 || static_cast<std::size_t>(native.size()) >= sizeof address.sun_path)
            return;
        std::memcpy(address.sun_path, native.constData(), static_cast<std::size_t>(native.size()));
        m_connected =
            ::connect(m_descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawConnection() {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool connected() const { return m_connected; }
    bool send(QByteArrayView bytes) {
        return ::send(m_descriptor, bytes.data(), static_cast<std::size_t>(bytes.size()), MSG_NOSIGNAL) ==
               bytes.size();
    }
    // True once the other end has closed the connection (everything it sent has been read).
    bool closedByPeer() {
        char buffer[64];
        const ssize_t got = ::recv(m_descriptor, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0)
            m_received.append(buffer, got);
        return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
    }
    const QByteArray& received() const { return m_received; }

private:
    int m_descriptor;
    bool m_connected = false;
    QByteArray m_received;
};

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        key = QStringLiteral("tarvik-test-%1-%2")
                  .arg(::getpid())
                  .arg(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override {
        QFile::remove(QDir(SingleInstance::runtimeDirectory()).filePath(key + ".lock"));
        QFile::remove(QDir(SingleInstance::runtimeDirectory()).filePath(key));
    }
    QString key;
};

TEST(SingleInstanceKeyTest, NamedAfterTheTitleAndTheUser) {
    const QString key = SingleInstance::keyForTitle("Tarvik Gaming Mouse v1.0");
    EXPECT_EQ(key, QStringLiteral("tarvik-gaming-mouse-v1-0-%1").arg(::getuid()));
    EXPECT_EQ(SingleInstance::keyForTitle(" /a//B\\c: "), QStringLiteral("a-b-c-%1").arg(::getuid()));
    EXPECT_EQ(SingleInstance().key(), key);
}

TEST_F(SingleInstanceTest, SecondCopyAsksTheFirstToRaiseAndIsToldToEnd) {
    SingleInstance first(key);
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    ASSERT_EQ(first.claim(), SingleInstance::Outcome::First);
    EXPECT_TRUE(first.isListening());

    const HelperRun second = runHelper(key, "claim");
    EXPECT_EQ(second.output, "another");
    EXPECT_EQ(second.exitCode, 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return raised.size() == 1; }, 2000));

    // And again for a third start.
    EXPECT_EQ(runHelper(key, "claim").output, "another");
    ASSERT_TRUE(QTest::qWaitFor([&] { return raised.size() == 2; }, 2000));
}

TEST_F(SingleInstanceTest, AfterTheFirstEndsTheNextStartRuns) {
    {
        SingleInstance first(key);
        ASSERT_EQ(first.claim(), SingleInstance::Outcome::First);
    }
    const HelperRun next = runHelper(key, "claim");
    EXPECT_EQ(next.output, "first");
    EXPECT_EQ(next.exitCode, 0);
}

TEST_F(SingleInstanceTest, LeftoversOfACrashedCopyAreTakenOver) {
    const HelperRun crashed = runHelper(key, "crash");
    ASSERT_EQ(crashed.output, "first");
    SingleInstance probe(key);
    // The crashed copy left its socket and its lock file behind.
    ASSERT_TRUE(QFileInfo::exists(probe.lockFilePath()));
    ASSERT_TRUE(QFileInfo::exists(QDir(probe.directory()).filePath(key)));

    QSignalSpy raised(&probe, &SingleInstance::raiseRequested);
    QElapsedTimer elapsed;
    elapsed.start();
    ASSERT_EQ(probe.claim(), SingleInstance::Outcome::First);
    EXPECT_LT(elapsed.elapsed(), 1000); // the dead holder is seen at once, not after the time-out
    EXPECT_TRUE(probe.isListening());

    EXPECT_EQ(runHelper(key, "claim").output, "another");
    EXPECT_TRUE(QTest::qWaitFor([&] { return raised.size() == 1; }, 2000));
}

TEST_F(SingleInstanceTest, LockThatNobodyAnswersForDoesNotKeepTheProgramFromStarting) {
    SingleInstance instance(key);
    QFile lock(instance.lockFilePath());
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("not a lock file of ours\n");
    lock.close();

    ASSERT_EQ(instance.claim(300), SingleInstance::Outcome::First);
    EXPECT_TRUE(instance.isListening());
    EXPECT_EQ(runHelper(key, "claim").output, "another");
}

TEST_F(SingleInstanceTest, StrangerOnTheSocketIsNotTakenForARaiseRequest) {
    SingleInstance first(key);
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    ASSERT_EQ(first.claim(), SingleInstance::Outcome::First);

    RawConnection stranger(first.socketPath());
    ASSERT_TRUE(stranger.connected());
    ASSERT_TRUE(stranger.send("hello\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return stranger.closedByPeer(); }, 3000));
    EXPECT_EQ(raised.size(), 0);
    EXPECT_TRUE(stranger.received().isEmpty());

    // A silent one is let go after a while too.
    RawConnection silent(first.socketPath());
    ASSERT_TRUE(silent.connected());
    EXPECT_TRUE(QTest::qWaitFor([&] { return silent.closedByPeer(); }, 5000));
    EXPECT_EQ(raised.size(), 0);

    // So is one that sends a long line in pieces without ever ending it.
    RawConnection chatty(first.socketPath());
    ASSERT_TRUE(chatty.connected());
    ASSERT_TRUE(chatty.send(QByteArray(40, 'r')));
    QTest::qWait(50);
    ASSERT_TRUE(chatty.send(QByteArray(40, 'r')));
    EXPECT_TRUE(QTest::qWaitFor([&] { return chatty.closedByPeer(); }, 1000)); // before the silence limit
    EXPECT_EQ(raised.size(), 0);
}

TEST_F(SingleInstanceTest, RequestArrivingInPiecesIsAnsweredAndTheSocketIsPrivate) {
    QString path;
    {
        SingleInstance first(key);
        QSignalSpy raised(&first, &SingleInstance::raiseRequested);
        ASSERT_EQ(first.claim(), SingleInstance::Outcome::First);
        path = first.socketPath();
        QT_STATBUF info;
        ASSERT_EQ(QT_LSTAT(QFile::encodeName(path).constData(), &info), 0);
        EXPECT_TRUE(S_ISSOCK(info.st_mode));
        EXPECT_EQ(info.st_mode & 077, 0u);

        RawConnection later(path);
        ASSERT_TRUE(later.connected());
        ASSERT_TRUE(later.send("rai"));
        QTest::qWait(50);
        EXPECT_EQ(raised.size(), 0);
        ASSERT_TRUE(later.send("se\n"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return later.closedByPeer(); }, 3000));
        EXPECT_EQ(later.received(), "ok\n");
        EXPECT_EQ(raised.size(), 1);
    }
    // The copy that ended took its socket file with it.
    EXPECT_FALSE(QFileInfo::exists(path));
}

// Sets an environment variable for a scope and puts back what was there.
class EnvironmentScope {
public:
    EnvironmentScope(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        qputenv(name, value);
    }
    ~EnvironmentScope() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

bool privateToThisUser(const QString& folder) {
    QT_STATBUF info;
    return QT_LSTAT(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 022) == 0;
}

TEST(SingleInstanceFolderTest, LockAndSocketLiveInAFolderOnlyTheUserMayWriteTo) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    ASSERT_TRUE(
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    {
        EnvironmentScope xdg("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        EXPECT_EQ(SingleInstance::runtimeDirectory(), QDir::cleanPath(runtime.path()));
        SingleInstance instance(QStringLiteral("tarvik-folder-test"));
        EXPECT_TRUE(instance.lockFilePath().startsWith(runtime.path() + "/"));
    }
    // A runtime folder others may write to, or none: a private folder of the user's instead, never
    // the shared temporary folder itself.
    QTemporaryDir shared;
    ASSERT_TRUE(QFile::setPermissions(shared.path(), QFileDevice::Permissions(0x7777)));
    for (const QByteArray& value :
         {QFile::encodeName(shared.path()), QByteArray("relative/dir"), QByteArray()}) {
        EnvironmentScope xdg("XDG_RUNTIME_DIR", value);
        const QString folder = SingleInstance::runtimeDirectory();
        EXPECT_NE(folder, QDir::cleanPath(shared.path())) << value.constData();
        EXPECT_NE(folder, QDir::tempPath()) << value.constData();
        EXPECT_TRUE(privateToThisUser(folder)) << folder.toStdString();
    }
}

// The helper as another user, holding a lock file and listening on the key's socket in `folder`;
// false when it could not.
bool plantStranger(QProcess& stranger, const QString& key, const QString& folder) {
    stranger.start(SINGLE_INSTANCE_HELPER, {key, QStringLiteral("plant"), folder});
    if (!stranger.waitForStarted())
        return false;
    if (!QTest::qWaitFor([&] { return stranger.canReadLine() || stranger.state() != QProcess::Running; },
                         10000))
        return false;
    return stranger.readLine().trimmed() == "planted";
}

// Another user can plant a lock file and a listening socket where a copy of ours would have them
// (as here, in a folder that user may write to): that must neither stop this copy from starting nor
// hand that user the raise request.
TEST(SingleInstanceStrangerTest, ALockAndSocketOfAnotherUserDoNotStopTheProgram) {
    if (::getuid() != 0)
        GTEST_SKIP() << "needs root to run the planting helper as another user";
    QTemporaryDir shared;
    ASSERT_TRUE(shared.isValid());
    ASSERT_TRUE(QFile::setPermissions(shared.path(), QFileDevice::Permissions(0x7777)));
    const QString key = QStringLiteral("tarvik-stranger-%1").arg(::getpid());
    const QString socket = QDir(shared.path()).filePath(key);
    const QString lockPath = QDir(shared.path()).filePath(key + ".lock");

    // The stranger's listener behind a lock held by a live process of ours: it is asked nothing.
    QProcess listener;
    ASSERT_TRUE(plantStranger(listener, key, shared.path())) << "exit " << listener.exitCode();
    ASSERT_NE(QFileInfo(socket).ownerId(), ::getuid());
    QFile::remove(lockPath);
    QLockFile held(lockPath);
    ASSERT_TRUE(held.tryLock(0));
    {
        SingleInstance instance(key, shared.path());
        QElapsedTimer elapsed;
        elapsed.start();
        EXPECT_EQ(instance.claim(), SingleInstance::Outcome::First);
        EXPECT_LT(elapsed.elapsed(), SingleInstance::kDefaultTimeoutMs); // seen at once, no waiting
        EXPECT_TRUE(instance.isListening());
    }
    held.unlock();
    listener.kill();
    listener.waitForFinished();
    EXPECT_FALSE(listener.readAllStandardOutput().contains("received"));

    // The stranger's lock and listener both: this copy runs, and a later copy of ours finds it.
    QProcess planter;
    ASSERT_TRUE(plantStranger(planter, key, shared.path())) << "exit " << planter.exitCode();
    ASSERT_NE(QFileInfo(lockPath).ownerId(), ::getuid());
    SingleInstance instance(key, shared.path());
    EXPECT_EQ(instance.claim(), SingleInstance::Outcome::First);
    EXPECT_TRUE(instance.isListening());
    QSignalSpy raised(&instance, &SingleInstance::raiseRequested);
    QProcess second;
    second.start(SINGLE_INSTANCE_HELPER, {key, QStringLiteral("claim"), shared.path()});
    ASSERT_TRUE(second.waitForStarted());
    EXPECT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ(QString::fromLatin1(second.readAllStandardOutput()).trimmed(), QStringLiteral("another"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return raised.size() == 1; }, 2000));
    planter.kill();
    planter.waitForFinished();
    EXPECT_FALSE(planter.readAllStandardOutput().contains("received"));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
