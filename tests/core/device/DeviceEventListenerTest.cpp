#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "LinkFixture.h"
#include "core/device/DeviceDiscovery.h"
#include "core/device/DeviceEventListener.h"

using namespace tarvik;
using core::Byte;
using emulator::VirtualMouse;
using ::testing::ElementsAre;

namespace {

using namespace std::chrono_literals;

// The user-interface thread's queue: the listener posts from its thread, the test runs the tasks.
class QueuePoster : public core::EventPoster {
public:
    void post(std::function<void()> task) override {
        {
            std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
        }
        m_posted.notify_all();
    }

    // Runs the next task, waiting for one at most timeout; false when none came.
    bool runNext(std::chrono::milliseconds timeout = 2000ms) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            if (!m_posted.wait_for(lock, timeout, [this] { return !m_tasks.empty(); })) {
                return false;
            }
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_tasks;
};

// The window's refreshes: read the status byte back, as the pages do.
struct Sink : core::DeviceEventSink {
    explicit Sink(core::DeviceDiscovery& d) : discovery(d) {}
    void refreshCurrentDpiStatus() override {
        dpi.push_back(discovery.readCurrentDpi());
        at.push_back(std::chrono::steady_clock::now());
    }
    void refreshCurrentProfileStatus() override {
        profile.push_back(discovery.readCurrentProfile());
        at.push_back(std::chrono::steady_clock::now());
    }
    core::DeviceDiscovery& discovery;
    std::vector<Byte> dpi;
    std::vector<Byte> profile;
    std::vector<std::chrono::steady_clock::time_point> at;
};

struct NoWindow : core::DiscoveryUi {
    void showNoDevice() override {}
    void showDeviceReady() override {}
    void startFullRead() override {}
    void refreshErrorAP() override {}
    void showMessageDialog(std::string_view) override {}
    void showMessageBox(std::string_view) override {}
    void setDevTimerEnabled(bool) override {}
    void setApplyingImage(bool) override {}
    void showPermissionProblem() override {}
};

class DeviceEventListenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        VirtualMouse::Options options;
        options.clock = &clock;
        options.keepLog = true;
        mouse = bus.addMouse(options);
        listener.start();
        discovery.devTimerTimer();
        ASSERT_TRUE(link.connected());
        ASSERT_EQ(discovery.storageKind(), core::StorageKind::I2C);
    }

    void TearDown() override { listener.stop(); }

    // A 200 ms wait becomes 10 ms.
    core::Clock clock{0.05};
    emulator::EmulatorTransport bus;
    std::shared_ptr<VirtualMouse> mouse;
    core::NullLinkUi linkUi;
    core::DeviceLink link{bus, linkUi, clock};
    NoWindow window;
    core::DeviceDiscovery discovery{link, window, core::DefaultIdentity::fromResources().value()};
    QueuePoster poster;
    Sink sink{discovery};
    core::DeviceEventListener listener{link, poster, sink};
};

TEST_F(DeviceEventListenerTest, ADpiButtonReleasedAsksForTheDpiAbout200msLater) {
    mouse->pressButton(VirtualMouse::kDpiUp);
    const auto released = std::chrono::steady_clock::now();
    mouse->releaseButtons();
    ASSERT_TRUE(poster.runNext());
    EXPECT_THAT(sink.dpi, ElementsAre(1));
    EXPECT_TRUE(sink.profile.empty());
    EXPECT_GE(sink.at[0] - released, clock.scaled(200ms));
}

TEST_F(DeviceEventListenerTest, EachButtonKindAsksForItsOwnRefresh) {
    mouse->pressButton(VirtualMouse::kDpiCycle);
    mouse->pressButton(VirtualMouse::kModeButton);
    mouse->releaseButtons();
    ASSERT_TRUE(poster.runNext());
    ASSERT_TRUE(poster.runNext());
    EXPECT_THAT(sink.dpi, ElementsAre(1));
    EXPECT_THAT(sink.profile, ElementsAre(0xF1));
    // DPI first, then the work mode, each after its own wait.
    EXPECT_GE(sink.at[1] - sink.at[0], clock.scaled(200ms) / 2);
}

TEST_F(DeviceEventListenerTest, NothingIsAskedForBeforeTheRelease) {
    mouse->pressButton(VirtualMouse::kDpiDown);
    EXPECT_FALSE(poster.runNext(50ms));
    mouse->releaseButtons();
    EXPECT_TRUE(poster.runNext());
    EXPECT_THAT(sink.dpi, ElementsAre(0));
}

TEST_F(DeviceEventListenerTest, ARefreshWaitsForTheTransferInProgress) {
    {
        core::DeviceLink::TransferScope transfer(link);
        mouse->pressButton(VirtualMouse::kDpiUp);
        mouse->releaseButtons();
        ASSERT_TRUE(poster.runNext()); // delivered while the transfer pumps events
        EXPECT_TRUE(sink.dpi.empty());
    }
    // The end of the transfer posts the refresh again.
    ASSERT_TRUE(poster.runNext());
    EXPECT_THAT(sink.dpi, ElementsAre(1));
}

TEST_F(DeviceEventListenerTest, TheListenerFollowsTheLinkThroughUnplugAndReplug) {
    mouse->unplug();
    discovery.devTimerTimer();
    EXPECT_FALSE(link.connected());
    mouse->plug();
    discovery.devTimerTimer();
    ASSERT_TRUE(link.connected());
    mouse->pressButton(VirtualMouse::kDpiUp);
    mouse->releaseButtons();
    ASSERT_TRUE(poster.runNext());
    EXPECT_THAT(sink.dpi, ElementsAre(1));
}

TEST_F(DeviceEventListenerTest, StoppingEndsTheThreadMidWaitAndClosingNeedsNoReads) {
    mouse->pressButton(VirtualMouse::kDpiUp);
    mouse->releaseButtons();
    listener.stop(); // possibly inside the 200 ms wait
    EXPECT_FALSE(listener.running());
    const int reports = mouse->reportCount();
    link.dropLink();
    EXPECT_EQ(mouse->openHandleCount(), 0);
    // Whatever was posted before the stop may still run; nothing is written to the mouse.
    while (poster.runNext(30ms)) {
    }
    for (const auto& record : mouse->reportLog()) {
        EXPECT_NE(record.bytes[1], 0x05);
        EXPECT_NE(record.bytes[1], 0x07);
    }
    EXPECT_GE(mouse->reportCount(), reports);
}

TEST(DeviceEventListenerLifetimeTest, TasksPostedBeforeTheListenerWentAwayDoNothing) {
    core::Clock clock(0.01);
    emulator::EmulatorTransport bus;
    VirtualMouse::Options options;
    options.clock = &clock;
    auto mouse = bus.addMouse(options);
    core::NullLinkUi linkUi;
    core::DeviceLink link(bus, linkUi, clock);
    NoWindow window;
    core::DeviceDiscovery discovery(link, window, core::DefaultIdentity::fromResources().value());
    QueuePoster poster;
    Sink sink(discovery);
    {
        core::DeviceEventListener listener(link, poster, sink);
        listener.start();
        discovery.devTimerTimer();
        mouse->pressButton(VirtualMouse::kDpiUp);
        mouse->releaseButtons();
        std::this_thread::sleep_for(50ms);
    } // stopped and gone, with its task still queued
    EXPECT_TRUE(poster.runNext(100ms));
    EXPECT_TRUE(sink.dpi.empty());
    // The link outlives the listener and still closes cleanly.
    link.dropLink();
    EXPECT_EQ(mouse->openHandleCount(), 0);
}

// --- the transcript --------------------------------------------------------------------------------

TEST(TranscriptTest, TheTranscriptMatchesTheReportsExchangedByteForByte) {
    const auto path = std::filesystem::temp_directory_path() / "tarvik_transcript_test.txt";
    std::filesystem::remove(path);
    core::Clock clock(0.01);
    auto emulatorBus = std::make_unique<emulator::EmulatorTransport>();
    VirtualMouse::Options options;
    options.clock = &clock;
    options.keepLog = true;
    auto mouse = emulatorBus->addMouse(options);
    auto writer = std::make_shared<core::TranscriptWriter>(path.string());
    ASSERT_TRUE(writer->isOpen());
    core::TranscriptTransport transport(std::move(emulatorBus), writer);
    {
        core::NullLinkUi linkUi;
        core::DeviceLink link(transport, linkUi, clock);
        NoWindow window;
        core::DeviceDiscovery discovery(link, window, core::DefaultIdentity::fromResources().value());
        QueuePoster poster;
        Sink sink(discovery);
        core::DeviceEventListener listener(link, poster, sink);
        listener.start();
        discovery.devTimerTimer();

        std::array<Byte, 147> profiles{};
        link.readMemory(192, 147, profiles, core::Loading::Shown);
        link.writeSetting(56, 10, 0, 0, 1);
        link.writeMemory(484, std::span<const Byte>(profiles).first(12));
        emulator::Faults faults;
        faults.refuseReport = mouse->reportCount() + 2;
        mouse->setFaults(faults);
        std::array<Byte, 12> block{};
        link.readMemory(484, 12, block, core::Loading::Hidden); // its first fetch fails
        mouse->pressButton(VirtualMouse::kModeButton);
        mouse->releaseButtons();
        ASSERT_TRUE(poster.runNext());
        listener.stop();
    }

    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    const auto expected = test::mouseLines(*mouse);
    EXPECT_EQ(lines, expected);
    EXPECT_GE(lines.size(), 40u);
    EXPECT_THAT(lines, ::testing::Contains("SET 40 05 00 38 0A 00 00 01"));
    EXPECT_THAT(lines, ::testing::Contains("GET 41 00 00 00 00 00 00 00 FAILED"));
    EXPECT_THAT(lines, ::testing::Contains("IN 42 00 00 08 00 00 00 00"));
    EXPECT_THAT(lines, ::testing::Contains("IN 42 00 00 00 00 00 00 00"));
    std::filesystem::remove(path);
}

} // namespace
