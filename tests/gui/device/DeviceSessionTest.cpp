#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWidget>

#include <chrono>
#include <vector>

#include "emulator/EmulatorTransport.h"
#include "emulator/VirtualMouse.h"
#include "gui/device/DeviceSession.h"
#include "gui/device/LoadingWindow.h"
#include "support/Transcript.h"

using namespace tarvik;
using namespace std::chrono_literals;
using emulator::VirtualMouse;
using gui::DeviceSession;

namespace {

// The main window's side of discovery and the listener: the full read only reports the device
// ready; the refreshes read the status bytes back as the pages do.
struct FakeWindow : core::DiscoveryUi, core::DeviceEventSink {
    DeviceSession* session = nullptr;
    int fullReads = 0;
    int noDevice = 0;
    int permissionProblems = 0;
    std::vector<std::string> messages;
    std::vector<core::Byte> dpiRead;
    std::vector<core::Byte> profileRead;
    std::vector<QThread*> refreshThreads;
    QElapsedTimer sinceStart;
    std::vector<qint64> dpiRefreshAt;

    void showNoDevice() override { ++noDevice; }
    void showDeviceReady() override {}
    void startFullRead() override {
        ++fullReads;
        session->discovery().showDeviceReady();
        session->setDevTimerEnabled(true);
    }
    void refreshErrorAP() override {}
    void showMessageDialog(std::string_view key) override { messages.emplace_back(key); }
    void showMessageBox(std::string_view key) override { messages.emplace_back(key); }
    void setDevTimerEnabled(bool enabled) override { session->setDevTimerEnabled(enabled); }
    void setApplyingImage(bool) override {}
    void showPermissionProblem() override { ++permissionProblems; }

    void refreshCurrentDpiStatus() override {
        refreshThreads.push_back(QThread::currentThread());
        dpiRefreshAt.push_back(sinceStart.elapsed());
        dpiRead.push_back(session->discovery().readCurrentDpi());
    }
    void refreshCurrentProfileStatus() override {
        refreshThreads.push_back(QThread::currentThread());
        profileRead.push_back(session->discovery().readCurrentProfile());
    }
};

class DeviceSessionTest : public ::testing::Test {
protected:
    static constexpr double kScale = 0.1;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        window.sinceStart.start();
    }

    void makeSession(core::StorageKind kind = core::StorageKind::I2C) {
        DeviceSession::Options options;
        options.runtime.emulator = kind;
        options.runtime.timeScale = kScale;
        options.runtime.transcriptPath = transcriptPath().toStdString();
        session = std::make_unique<DeviceSession>(window, window, options);
        window.session = session.get();
    }

    QString transcriptPath() const { return dir.filePath("transcript.txt"); }

    QStringList transcript() const { return tarvik::gui::testing::transcriptLines(transcriptPath()); }

    // Starts the session and waits until the polling tick has found the mouse.
    void startAndWaitForRead() {
        session->start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.fullReads > 0; }, 10000));
    }

    QTemporaryDir dir;
    FakeWindow window;
    std::unique_ptr<DeviceSession> session;
};

TEST_F(DeviceSessionTest, DevTimerTickFindsTheMouseAndStartsTheFullRead) {
    makeSession();
    auto* timer = session->findChild<QTimer*>("DevTimer");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 350); // 3500 ms at a tenth of real time
    EXPECT_FALSE(timer->isActive());
    ASSERT_NE(session->virtualMouse(), nullptr);
    EXPECT_FALSE(session->transcriptFailed());

    QElapsedTimer elapsed;
    elapsed.start();
    startAndWaitForRead();
    // One tick, then the 2.1 s wait for what was plugged in, both scaled.
    EXPECT_GE(elapsed.elapsed(), 350 + 210 - 20);
    EXPECT_EQ(window.fullReads, 1);
    EXPECT_TRUE(session->link().connected());
    EXPECT_EQ(session->discovery().state(), core::LinkState::Ready);
    EXPECT_EQ(session->discovery().storageKind(), core::StorageKind::I2C);
    EXPECT_TRUE(window.messages.empty());
    // The probe went through the transcript.
    EXPECT_TRUE(transcript().contains("SET 40 0D 00 00 00 00 00 00"));

    // Later ticks see no change and do not read again.
    QTest::qWait(3 * 350);
    EXPECT_EQ(window.fullReads, 1);
}

TEST_F(DeviceSessionTest, MouseButtonsRefreshOnTheUiThreadAfterTheRelease) {
    makeSession();
    startAndWaitForRead();
    auto mouse = session->virtualMouse();

    // Nothing happens while the button is held.
    mouse->pressButton(VirtualMouse::kDpiUp);
    QTest::qWait(100);
    EXPECT_TRUE(window.dpiRead.empty());

    const qint64 releasedAt = window.sinceStart.elapsed();
    mouse->releaseButtons();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.dpiRead.empty(); }, 5000));
    // 200 ms after the release at a tenth of real time.
    EXPECT_GE(window.dpiRefreshAt.front() - releasedAt, 20 - 2);
    EXPECT_LT(window.dpiRefreshAt.front() - releasedAt, 1000);
    EXPECT_EQ(window.dpiRead.front(), mouse->currentDpi());
    EXPECT_TRUE(window.profileRead.empty());

    mouse->pressButton(VirtualMouse::kModeButton);
    mouse->releaseButtons();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.profileRead.empty(); }, 5000));
    EXPECT_EQ(window.profileRead.front(), mouse->currentProfile());
    EXPECT_EQ(window.dpiRead.size(), 1u);

    for (QThread* thread : window.refreshThreads) {
        EXPECT_EQ(thread, qApp->thread());
    }
}

TEST_F(DeviceSessionTest, ShutdownStopsTheListenerAndSendsNothing) {
    makeSession();
    startAndWaitForRead();
    auto mouse = session->virtualMouse();
    const qsizetype before = transcript().size();

    // A release whose refresh is due only after the shutdown.
    mouse->pressButton(VirtualMouse::kDpiDown);
    mouse->releaseButtons();
    // The listener takes the events; its refresh is still 20 ms away (and, should this thread be
    // slow, whatever it posted cannot run before the shutdown: no events are processed here).
    QThread::msleep(5);
    session->shutdown();

    EXPECT_FALSE(session->listener().running());
    EXPECT_FALSE(session->link().connected());
    EXPECT_FALSE(session->findChild<QTimer*>("DevTimer")->isActive());
    QTest::qWait(300);
    EXPECT_TRUE(window.dpiRead.empty());
    EXPECT_EQ(window.fullReads, 1);
    // Only the input reports of the button, nothing sent or fetched.
    const QStringList lines = transcript();
    for (qsizetype i = before; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].startsWith("IN ")) << lines[i].toStdString();
    }

    // Enabling the timer again (a late handler) does not bring polling back.
    session->setDevTimerEnabled(true);
    EXPECT_FALSE(session->findChild<QTimer*>("DevTimer")->isActive());
    session->shutdown(); // a second call is harmless
}

TEST_F(DeviceSessionTest, ShutdownDuringThePlugInWaitOpensNothing) {
    makeSession();
    // The window is closed from an event handled while the tick waits for the mouse to settle.
    QTimer::singleShot(0, session.get(), [&] { session->shutdown(); });
    session->discovery().devTimerTimer();

    EXPECT_EQ(window.fullReads, 0);
    EXPECT_FALSE(session->link().connected());
    EXPECT_TRUE(transcript().isEmpty()) << transcript().join('\n').toStdString();
}

TEST_F(DeviceSessionTest, ShutdownWithARefreshAlreadyPostedDropsIt) {
    makeSession();
    startAndWaitForRead();
    auto mouse = session->virtualMouse();
    const qsizetype before = transcript().size();

    mouse->pressButton(VirtualMouse::kDpiUp);
    mouse->releaseButtons();
    // Let the listener post its refresh without running the event loop.
    QThread::msleep(200);
    session->shutdown();
    QTest::qWait(100);
    EXPECT_TRUE(window.dpiRead.empty());
    const QStringList lines = transcript();
    for (qsizetype i = before; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].startsWith("IN ")) << lines[i].toStdString();
    }
}

TEST_F(DeviceSessionTest, TransfersShowTheLoadingWindowPlacedOverTheMainWindow) {
    makeSession();
    // Before it is placed, a transfer has no loading window to show.
    session->showLoading();
    EXPECT_EQ(session->loadingWindow(), nullptr);

    QWidget main;
    main.setGeometry(200, 100, 1030, 662);
    session->placeLoadingWindow(main);
    ASSERT_NE(session->loadingWindow(), nullptr);
    EXPECT_EQ(session->loadingWindow()->pos(), QPoint(200 + 412, 100 + 233 + 40));

    session->showLoading();
    EXPECT_TRUE(session->loadingWindow()->isVisible());
    session->hideLoading();
    EXPECT_FALSE(session->loadingWindow()->isVisible());

    // The pump runs what was posted to the user-interface thread.
    bool ran = false;
    session->post([&] { ran = true; });
    EXPECT_FALSE(ran);
    session->pumpEvents();
    EXPECT_TRUE(ran);

    // A read that shows the loading window leaves it hidden once the caller hides it.
    startAndWaitForRead();
    std::array<core::Byte, 30> buffer{};
    int shownDuringRead = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout,
                     [&] { shownDuringRead += session->loadingWindow()->isVisible(); });
    probe.start(0);
    session->link().readMemory(0, buffer.size(), buffer, core::Loading::Shown);
    probe.stop();
    EXPECT_GT(shownDuringRead, 0);
    session->hideLoading();
    EXPECT_FALSE(session->loadingWindow()->isVisible());
}

TEST_F(DeviceSessionTest, MouseThatMayNotBeOpenedGivesTheRuleToInstall) {
    makeSession();
    emulator::Faults faults;
    faults.denyOpen = true;
    session->virtualMouse()->setFaults(faults);
    session->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.permissionProblems > 0; }, 10000));
    EXPECT_EQ(window.fullReads, 0);

    std::string configPath;
    for (const auto& info : session->virtualBus()->enumerate()) {
        if (info.vendorId == session->discovery().defaultIdentity().vendorId &&
            info.featureReportLength == 8) {
            configPath = info.path;
        }
    }
    ASSERT_FALSE(configPath.empty());
    const QString advice = session->permissionAdvice();
    EXPECT_TRUE(advice.contains(QString::fromStdString(configPath))) << advice.toStdString();
    EXPECT_TRUE(advice.contains("70-tarvik-mouse.rules"));
}

TEST_F(DeviceSessionTest, TranscriptThatCannotBeWrittenIsReportedAndTheSessionStillRuns) {
    DeviceSession::Options options;
    options.runtime.emulator = core::StorageKind::I2C;
    options.runtime.timeScale = kScale;
    options.runtime.transcriptPath = dir.filePath("no/such/folder/transcript.txt").toStdString();
    session = std::make_unique<DeviceSession>(window, window, options);
    window.session = session.get();
    EXPECT_TRUE(session->transcriptFailed());
    startAndWaitForRead();
    EXPECT_TRUE(session->link().connected());
}

TEST_F(DeviceSessionTest, AVirtualMouseStateFileThatCannotBeTakenIsReportedAndLeftAlone) {
    const QString statePath = dir.filePath("mouse.state");
    {
        QFile state(statePath);
        ASSERT_TRUE(state.open(QIODevice::WriteOnly));
        state.write("not a state file");
    }
    DeviceSession::Options options;
    options.runtime.emulator = core::StorageKind::I2C;
    options.runtime.timeScale = kScale;
    options.runtime.emulatorStatePath = statePath.toStdString();
    session = std::make_unique<DeviceSession>(window, window, options);
    window.session = session.get();
    EXPECT_FALSE(session->stateProblem().isEmpty());
    session->shutdown();
    QFile state(statePath);
    ASSERT_TRUE(state.open(QIODevice::ReadOnly));
    EXPECT_EQ(state.readAll(), QByteArray("not a state file"));
}

TEST_F(DeviceSessionTest, WithoutTheEmulatorTheSystemTransportIsUsed) {
    DeviceSession::Options options;
    options.runtime.emulator = core::StorageKind::None;
    options.runtime.timeScale = kScale;
    int built = 0;
    options.makeSystemTransport = [&] {
        ++built;
        return std::make_unique<emulator::EmulatorTransport>();
    };
    session = std::make_unique<DeviceSession>(window, window, options);
    window.session = session.get();
    EXPECT_EQ(built, 1);
    EXPECT_EQ(session->virtualMouse(), nullptr);
    EXPECT_EQ(session->link().countDevices(), 0);
}

} // namespace
