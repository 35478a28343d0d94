#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ManualClock.h"
#include "core/device/DeviceDiscovery.h"
#include "emulator/EmulatorTransport.h"

using namespace tarvik;
using core::LinkState;
using core::StorageKind;
using ::testing::ElementsAre;

namespace {

// The main window as discovery sees it: it records what it was asked to do. Its full read ends as
// the real one does: ready state, DevTimer on.
struct RecordingUi : core::DiscoveryUi, core::LinkUi {
    void showNoDevice() override { events.push_back("no device"); }
    void showDeviceReady() override { events.push_back("ready"); }
    void startFullRead() override {
        events.push_back("full read");
        readAt.push_back(clock->now());
        if (discovery && readFails) {
            discovery->fullReadFailed();
        } else if (discovery) {
            discovery->showDeviceReady();
        }
        setDevTimerEnabled(true);
    }
    void refreshErrorAP() override { events.push_back("first page"); }
    void showMessageDialog(std::string_view key) override { events.push_back("dialog " + std::string(key)); }
    void showMessageBox(std::string_view key) override { events.push_back("box " + std::string(key)); }
    void setDevTimerEnabled(bool enabled) override { devTimer = enabled; }
    void setApplyingImage(bool applying) override { applyingImage = applying; }
    void showPermissionProblem() override { events.push_back("permission"); }
    void showMouseNotAnswering() override { events.push_back("not answering"); }
    void showReadFailed() override { events.push_back("read failed"); }
    void linkLost() override { events.push_back("link lost"); }

    void showLoading() override {}
    void hideLoading() override {}
    void pumpEvents() override {
        if (onPump) {
            onPump();
        }
    }

    int count(const std::string& event) const {
        return static_cast<int>(std::count(events.begin(), events.end(), event));
    }

    std::vector<std::string> events;
    std::vector<core::Clock::TimePoint> readAt;
    bool devTimer = true;
    bool applyingImage = false;
    core::Clock* clock = nullptr;
    core::DeviceDiscovery* discovery = nullptr;
    std::function<void()> onPump;
    bool readFails = false;
};

class DiscoveryTest : public ::testing::Test {
protected:
    DiscoveryTest() {
        ui.clock = &clock;
        ui.discovery = &discovery;
        keyboard = bus.addOtherDevice(0x046A, 0x0011, 2);
    }

    std::shared_ptr<emulator::VirtualMouse> plugMouse(StorageKind kind = StorageKind::I2C) {
        emulator::VirtualMouse::Options options; // the built-in default image 1
        options.kind = kind;
        options.clock = &clock;
        return bus.addMouse(options);
    }

    // One tick, timed on the virtual clock.
    std::chrono::nanoseconds tick() {
        const auto start = clock.now();
        discovery.devTimerTimer();
        return clock.now() - start;
    }

    test::ManualClock clock;
    emulator::EmulatorTransport bus;
    RecordingUi ui;
    core::DeviceLink link{bus, ui, clock};
    core::DefaultIdentity identity = core::DefaultIdentity::fromResources().value();
    int revManu = 0;
    int revPro = 0;
    core::DeviceDiscovery discovery{link, ui, identity, revManu, revPro};
    int keyboard = 0;
};

TEST_F(DiscoveryTest, TheShippedDefaultImageGivesTheIdentity) {
    EXPECT_EQ(identity.manuId, 0xFF);
    EXPECT_EQ(identity.proId, 0xFF);
    EXPECT_EQ(identity.defaultImageKind, StorageKind::I2C);
    EXPECT_THAT(discovery.vidPidTable(),
                ElementsAre(std::pair<std::uint32_t, std::uint32_t>(identity.vendorId, identity.productId),
                            std::pair<std::uint32_t, std::uint32_t>(0, 0)));
    auto mouse = plugMouse();
    EXPECT_EQ(mouse->vendorId(), identity.vendorId);
    EXPECT_EQ(mouse->productId(), identity.productId);
}

TEST_F(DiscoveryTest, FirstTickFindsTheMouseAndStartsTheReadAfterTheWait) {
    auto mouse = plugMouse();
    const auto start = clock.now();
    tick();
    EXPECT_THAT(ui.events, ElementsAre("full read", "ready"));
    ASSERT_EQ(ui.readAt.size(), 1u);
    EXPECT_EQ(ui.readAt[0] - start, std::chrono::milliseconds(2100));
    EXPECT_EQ(discovery.state(), LinkState::Ready);
    EXPECT_EQ(discovery.storageKind(), StorageKind::I2C);
    EXPECT_EQ(discovery.lastDeviceCount(), link.countDevices());
    EXPECT_TRUE(link.connected());

    // Nothing changed: the next tick does nothing.
    ui.events.clear();
    EXPECT_EQ(tick(), std::chrono::nanoseconds(0));
    EXPECT_TRUE(ui.events.empty());
}

TEST_F(DiscoveryTest, UnplugGivesNoDeviceWithinOneTickAndReplugFindsItAgain) {
    auto mouse = plugMouse();
    tick();
    ui.events.clear();

    mouse->unplug();
    EXPECT_EQ(tick(), std::chrono::nanoseconds(0));
    EXPECT_THAT(ui.events, ElementsAre("no device"));
    EXPECT_EQ(discovery.state(), LinkState::NoDevice);
    EXPECT_EQ(discovery.storageKind(), StorageKind::None);
    EXPECT_FALSE(link.connected());
    EXPECT_EQ(mouse->openHandleCount(), 0); // closed, not left behind

    ui.events.clear();
    mouse->plug();
    EXPECT_EQ(tick(), std::chrono::milliseconds(2100));
    EXPECT_THAT(ui.events, ElementsAre("full read", "ready"));
    EXPECT_TRUE(link.connected());
    EXPECT_EQ(mouse->openHandleCount(), 2);
}

TEST_F(DiscoveryTest, UnpluggingAnotherDeviceKeepsTheMouse) {
    auto mouse = plugMouse();
    tick();
    ui.events.clear();
    const int before = discovery.lastDeviceCount();

    bus.setOtherDevicePresent(keyboard, false);
    tick();
    EXPECT_TRUE(ui.events.empty());
    EXPECT_EQ(discovery.state(), LinkState::Ready);
    EXPECT_TRUE(link.connected());
    EXPECT_EQ(discovery.lastDeviceCount(), before - 2);

    // ...and the mouse going away afterwards is still noticed.
    mouse->unplug();
    tick();
    EXPECT_THAT(ui.events, ElementsAre("no device"));
}

TEST_F(DiscoveryTest, AFlashMouseIsRefusedWithTheShippedImages) {
    auto mouse = plugMouse(StorageKind::Flash);
    tick();
    EXPECT_THAT(ui.events, ElementsAre("dialog Str102", "first page"));
    EXPECT_EQ(discovery.state(), LinkState::RefusedKind);
    EXPECT_EQ(discovery.storageKind(), StorageKind::Flash);
    EXPECT_TRUE(link.connected()); // the link stays open
}

struct IdentityCase {
    std::uint8_t manu;
    std::uint8_t pro;
    int revManu;
    int revPro;
    bool accepted;
};

class IdentityTest : public DiscoveryTest, public ::testing::WithParamInterface<IdentityCase> {};

TEST_P(IdentityTest, IdentityBytesAreCheckedAgainstTheDefaultAndTheSecondPair) {
    const IdentityCase c = GetParam();
    core::DeviceDiscovery withPair(link, ui, identity, c.revManu, c.revPro);
    ui.discovery = &withPair;
    auto mouse = plugMouse();
    mouse->setIdentity(c.manu, c.pro);
    withPair.devTimerTimer();
    EXPECT_EQ(withPair.lastIdentityBytes(), std::make_pair(c.manu, c.pro));
    if (c.accepted) {
        EXPECT_THAT(ui.events, ElementsAre("full read", "ready"));
        EXPECT_FALSE(ui.applyingImage);
    } else {
        EXPECT_THAT(ui.events, ElementsAre("box Str107"));
        EXPECT_EQ(withPair.state(), LinkState::RefusedIdentity);
        EXPECT_TRUE(ui.applyingImage);
        EXPECT_TRUE(ui.devTimer); // on again once the box is closed
        EXPECT_TRUE(link.connected());
    }
}

INSTANTIATE_TEST_SUITE_P(Pairs, IdentityTest,
                         ::testing::Values(IdentityCase{0xFF, 0xFF, 0, 0, true},  // the default image's
                                           IdentityCase{0x00, 0x00, 0, 0, true},  // the shipped "ORG" pair
                                           IdentityCase{0x12, 0x34, 0, 0, false}, // someone else's
                                           IdentityCase{0xFF, 0x00, 0, 0, false}, // half of each
                                           IdentityCase{0x12, 0x34, 0x12, 0x34, true}));

TEST_F(DiscoveryTest, AMouseThatDoesNotAnswerIsNotIdentified) {
    struct Case {
        const char* name;
        emulator::Faults faults;
        std::vector<std::string> events;
    };
    // Reports 1 and 2 are the probe of opening; then the probe of identification (3, 4), the
    // FireKeyBlock read command (5) and its two fetches (6, 7).
    emulator::Faults probeRefused;
    probeRefused.refuseReport = 3;
    emulator::Faults wrongSignature;
    wrongSignature.probeReply = std::array<std::uint8_t, 2>{0x3B, 0xC0};
    emulator::Faults unknownKind;
    unknownKind.probeReply = std::array<std::uint8_t, 2>{0x3A, 0x40};
    emulator::Faults readCommandRefused;
    readCommandRefused.refuseReport = 5;
    // Fetches that fail leave 0xFF 0xFF, the default identity: that must not pass for it.
    emulator::Faults goneDuringRead;
    goneDuringRead.unplugAtReport = 6;
    const Case cases[] = {{"probe refused", probeRefused, {}},
                          {"wrong signature", wrongSignature, {}},
                          {"unknown kind", unknownKind, {}},
                          {"read refused", readCommandRefused, {}},
                          {"gone during the read", goneDuringRead, {"link lost"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ManualClock caseClock;
        emulator::EmulatorTransport caseBus;
        RecordingUi caseUi;
        caseUi.clock = &caseClock;
        core::DeviceLink caseLink(caseBus, caseUi, caseClock);
        core::DeviceDiscovery caseDiscovery(caseLink, caseUi, identity);
        emulator::VirtualMouse::Options options;
        options.clock = &caseClock;
        auto mouse = caseBus.addMouse(options);
        mouse->setFaults(c.faults);
        caseDiscovery.devTimerTimer();
        EXPECT_EQ(caseUi.events, c.events);
        EXPECT_EQ(caseDiscovery.state(), LinkState::Unidentified);
    }
}

TEST_F(DiscoveryTest, ResetAndRefindFindsTheRestartedMouseAndReadsItAgain) {
    auto mouse = plugMouse();
    tick();
    ui.events.clear();
    const auto start = clock.now();
    bool timerOffDuringWait = true;
    ui.onPump = [&] { timerOffDuringWait = timerOffDuringWait && !ui.devTimer; };

    discovery.resetAndRefind();
    EXPECT_EQ(mouse->resetCount(), 1);
    EXPECT_THAT(ui.events, ElementsAre("no device", "full read", "ready"));
    EXPECT_EQ(clock.now() - start, std::chrono::milliseconds(500 + 5100));
    EXPECT_TRUE(timerOffDuringWait);
    EXPECT_TRUE(ui.devTimer);
    EXPECT_EQ(mouse->openHandleCount(), 2); // the dead handles of before the reset are gone
    EXPECT_EQ(discovery.lastDeviceCount(), link.countDevices());
}

TEST_F(DiscoveryTest, PollingResumesWhenTheMouseDoesNotComeBackAfterAReset) {
    auto mouse = plugMouse();
    tick();
    emulator::Faults faults;
    faults.stayAwayAfterReset = true;
    mouse->setFaults(faults);
    ui.events.clear();

    discovery.resetAndRefind();
    EXPECT_THAT(ui.events, ElementsAre("no device", "no device"));
    EXPECT_EQ(discovery.state(), LinkState::NoDevice);
    EXPECT_TRUE(ui.devTimer);

    // Plugged in again by hand: the next tick sees the count rise.
    ui.events.clear();
    mouse->plug();
    tick();
    EXPECT_THAT(ui.events, ElementsAre("full read", "ready"));
}

TEST_F(DiscoveryTest, AReplugBetweenTwoPollsIsNoticedAtTheNextReport) {
    auto mouse = plugMouse();
    tick();
    const auto writeDpi = [&] { return link.writeSetting(166, 1, 0, 0, 1); };
    for (const bool byPostedCall : {true, false}) {
        SCOPED_TRACE(byPostedCall ? "searched again by the posted call" : "searched again by the next tick");
        ui.events.clear();
        mouse->unplug();
        mouse->plug(); // the count of devices is what it was
        tick();
        EXPECT_TRUE(ui.events.empty());
        EXPECT_TRUE(link.connected()); // nothing has told it yet

        EXPECT_FALSE(writeDpi());
        EXPECT_THAT(ui.events, ElementsAre("link lost"));
        EXPECT_TRUE(link.lost());
        EXPECT_FALSE(link.connected());
        const int reports = mouse->reportCount();
        EXPECT_FALSE(writeDpi()); // nothing more goes to a dead handle
        EXPECT_EQ(mouse->reportCount(), reports);

        ui.events.clear();
        if (byPostedCall) {
            EXPECT_TRUE(discovery.handleLostLink());
            EXPECT_FALSE(discovery.handleLostLink()); // once is enough
        } else {
            EXPECT_EQ(tick(), std::chrono::nanoseconds(0)); // at once, without the plug-in wait
        }
        EXPECT_THAT(ui.events, ElementsAre("no device", "full read", "ready"));
        EXPECT_EQ(discovery.state(), LinkState::Ready);
        EXPECT_TRUE(writeDpi());
        EXPECT_EQ(mouse->currentDpi(), 1);
        EXPECT_EQ(mouse->openHandleCount(), 2);
        EXPECT_EQ(discovery.lastDeviceCount(), link.countDevices());
    }
}

TEST_F(DiscoveryTest, AProbeThatFailsAfterAResetIsRetriedOnTheFollowingTicks) {
    auto mouse = plugMouse();
    tick();
    emulator::Faults silent;
    silent.probeReply = std::array<std::uint8_t, 2>{0x00, 0x00}; // up, but not answering yet
    mouse->setFaults(silent);
    ui.events.clear();
    discovery.resetAndRefind();
    EXPECT_THAT(ui.events, ElementsAre("no device"));
    EXPECT_EQ(discovery.state(), LinkState::Unidentified);
    EXPECT_TRUE(ui.devTimer);

    tick();
    EXPECT_EQ(discovery.failedAttempts(), 2);
    mouse->setFaults({}); // it has finished starting
    ui.events.clear();
    tick();
    EXPECT_THAT(ui.events, ElementsAre("full read", "ready"));
    EXPECT_EQ(discovery.failedAttempts(), 0);
}

TEST_F(DiscoveryTest, AMouseThatNeverAnswersIsTriedABoundedNumberOfTimesAndReported) {
    auto mouse = plugMouse();
    emulator::Faults silent;
    silent.probeReply = std::array<std::uint8_t, 2>{0x00, 0x00};
    mouse->setFaults(silent);
    for (int i = 0; i < core::DeviceDiscovery::kIdentifyAttempts + 3; ++i) {
        tick();
    }
    EXPECT_EQ(discovery.failedAttempts(), core::DeviceDiscovery::kIdentifyAttempts);
    EXPECT_EQ(ui.count("not answering"), 1);
    EXPECT_EQ(ui.count("full read"), 0);
    const int reports = mouse->reportCount();
    tick();
    EXPECT_EQ(mouse->reportCount(), reports); // left alone until it is plugged in again

    mouse->setFaults({});
    mouse->unplug();
    tick();
    mouse->plug();
    ui.events.clear();
    tick();
    EXPECT_THAT(ui.events, ElementsAre("full read", "ready"));
}

TEST_F(DiscoveryTest, AFullReadThatMissesReportsPutsTheCoversBackAndIsTriedAgain) {
    auto mouse = plugMouse();
    ui.readFails = true;
    tick();
    EXPECT_THAT(ui.events, ElementsAre("full read", "no device", "read failed"));
    EXPECT_EQ(discovery.state(), LinkState::Unread);
    EXPECT_TRUE(link.connected());

    ui.events.clear();
    tick();
    EXPECT_THAT(ui.events, ElementsAre("full read", "no device")); // told once
    ui.readFails = false;
    ui.events.clear();
    tick();
    EXPECT_THAT(ui.events, ElementsAre("full read", "ready"));
    EXPECT_EQ(discovery.state(), LinkState::Ready);
}

TEST_F(DiscoveryTest, AMouseThisUserMayNotOpenIsReportedAsSuch) {
    auto mouse = plugMouse();
    emulator::Faults faults;
    faults.denyOpen = true;
    mouse->setFaults(faults);
    tick();
    EXPECT_THAT(ui.events, ElementsAre("permission", "no device"));
}

TEST_F(DiscoveryTest, ATickDuringTheWaitOfAnotherDoesNothing) {
    auto mouse = plugMouse();
    int nested = 0;
    ui.onPump = [&] {
        if (discovery.pollingBusy()) {
            ++nested;
            discovery.devTimerTimer();
        }
    };
    tick();
    EXPECT_EQ(nested, 21);
    EXPECT_EQ(ui.count("full read"), 1);
}

TEST_F(DiscoveryTest, StatusBytesReadTheLiveValuesOfEachKind) {
    for (StorageKind kind : {StorageKind::I2C, StorageKind::Flash}) {
        emulator::EmulatorTransport kindBus;
        RecordingUi kindUi;
        kindUi.clock = &clock;
        core::DeviceLink kindLink(kindBus, kindUi, clock);
        core::DefaultIdentity anyKind = identity;
        anyKind.defaultImageKind = StorageKind::None;
        core::DeviceDiscovery kindDiscovery(kindLink, kindUi, anyKind);
        kindUi.discovery = &kindDiscovery;
        emulator::VirtualMouse::Options options;
        options.kind = kind;
        options.clock = &clock;
        auto mouse = kindBus.addMouse(options);
        EXPECT_EQ(kindDiscovery.readCurrentDpi(), 0xFF); // nothing identified yet: nothing read
        kindDiscovery.devTimerTimer();
        ASSERT_EQ(kindDiscovery.storageKind(), kind);
        mouse->pressButton(emulator::VirtualMouse::kDpiUp);
        mouse->pressButton(emulator::VirtualMouse::kModeButton);
        EXPECT_EQ(kindDiscovery.readCurrentDpi(), mouse->currentDpi());
        EXPECT_EQ(kindDiscovery.readCurrentDpi(), 1);
        EXPECT_EQ(kindDiscovery.readCurrentProfile(), 0xF1);
    }
}

TEST(DiscoveryScaledTest, TheTimeScaleShortensTheRealWaits) {
    core::Clock clock(0.01);
    emulator::EmulatorTransport bus;
    RecordingUi ui;
    ui.clock = &clock;
    core::DeviceLink link(bus, ui, clock);
    core::DeviceDiscovery discovery(link, ui, core::DefaultIdentity::fromResources().value());
    ui.discovery = &discovery;
    emulator::VirtualMouse::Options options;
    options.clock = &clock;
    bus.addMouse(options);
    const auto start = clock.now();
    discovery.devTimerTimer();
    ASSERT_THAT(ui.events, ElementsAre("full read", "ready"));
    EXPECT_GE(ui.readAt[0] - start, std::chrono::milliseconds(21));
    EXPECT_EQ(clock.scaledMs(core::DeviceDiscovery::kDevTimerInterval), std::chrono::milliseconds(35));
}

} // namespace
