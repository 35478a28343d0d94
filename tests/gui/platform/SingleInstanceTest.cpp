#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <cstdlib>

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
    process.start(SINGLE_INSTANCE_HELPER, {key, mode});
    EXPECT_TRUE(process.waitForStarted());
    EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 15000));
    return {process.exitCode(), QString::fromLatin1(process.readAllStandardOutput()).trimmed()};
}

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        key = QStringLiteral("tarvik-test-%1-%2")
                  .arg(::getpid())
                  .arg(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override {
        QFile::remove(QDir(QDir::tempPath()).filePath(key + ".lock"));
        QFile::remove(QDir(QDir::tempPath()).filePath(key));
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
    ASSERT_TRUE(QFileInfo::exists(QDir(QDir::tempPath()).filePath(key)));

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

    QLocalSocket stranger;
    stranger.connectToServer(first.socketPath());
    ASSERT_TRUE(stranger.waitForConnected(1000));
    stranger.write("hello\n");
    stranger.flush();
    ASSERT_TRUE(QTest::qWaitFor([&] { return stranger.state() == QLocalSocket::UnconnectedState; }, 3000));
    EXPECT_EQ(raised.size(), 0);

    // A silent one is let go after a while too.
    QLocalSocket silent;
    silent.connectToServer(first.socketPath());
    ASSERT_TRUE(silent.waitForConnected(1000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return silent.state() == QLocalSocket::UnconnectedState; }, 5000));
    EXPECT_EQ(raised.size(), 0);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
