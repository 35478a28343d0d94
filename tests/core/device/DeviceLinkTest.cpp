#include "LinkFixture.h"

#include <gmock/gmock.h>

#include <numeric>

#include "core/image/MemoryMap.h"

using namespace tarvik;
using core::Byte;
using core::Loading;
using test::LinkFixture;
using ::testing::Each;
using ::testing::ElementsAre;

namespace {

std::vector<Byte> sequence(std::size_t length, Byte first) {
    std::vector<Byte> bytes(length);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

class DeviceLinkTest : public LinkFixture {};

TEST_F(DeviceLinkTest, WriteSettingSendsOneExactReportAndChangesTheLiveValue) {
    open();
    EXPECT_TRUE(link.writeSetting(56, 10, 0, 0, 1));
    EXPECT_THAT(test::mouseLines(*mouse), ElementsAre("SET 40 05 00 38 0A 00 00 01"));
    EXPECT_EQ(mouse->liveSettings()[56], 10);
    // The loading window goes up and down around the report, with events processed each time.
    EXPECT_EQ(ui.shows, 1);
    EXPECT_EQ(ui.hides, 1);
    EXPECT_EQ(ui.pumps, 2);
}

TEST_F(DeviceLinkTest, WriteSettingsBlockSendsThreeBytesPerReport) {
    open();
    const auto vendor = sequence(164, 0x20);
    EXPECT_TRUE(link.writeSettingsBlock(0, vendor));
    const auto log = mouse->reportLog();
    ASSERT_EQ(log.size(), 55u);
    EXPECT_THAT(log.back().bytes,
                ElementsAre(0x40, 0x05, 0x00, 162, vendor[162], vendor[163], vendor[161], 2));
    const auto live = mouse->liveSettings();
    EXPECT_TRUE(std::equal(vendor.begin(), vendor.end(), live.begin()));
    EXPECT_EQ(ui.shows, 55);
    EXPECT_EQ(ui.hides, 0); // left to the caller

    mouse->clearReportLog();
    const auto user = sequence(28, 0x90);
    EXPECT_TRUE(link.writeSettingsBlock(164, user));
    const auto userLog = mouse->reportLog();
    ASSERT_EQ(userLog.size(), 10u);
    EXPECT_EQ(userLog.back().bytes[3], 164 + 27);
    EXPECT_EQ(userLog.back().bytes[7], 1);
    const auto live2 = mouse->liveSettings();
    EXPECT_TRUE(std::equal(user.begin(), user.end(), live2.begin() + 164));
}

TEST_F(DeviceLinkTest, WriteMemoryCarriesThePreviousChunkTailInAShortLastChunk) {
    open();
    const auto block = sequence(12, 0xA0);
    EXPECT_TRUE(link.writeMemory(484, block));
    EXPECT_THAT(test::mouseLines(*mouse),
                ElementsAre("SET 40 07 01 E4 00 0C 00 00", "SET 41 A0 A1 A2 A3 A4 A5 A6",
                            "SET 41 A7 A8 A9 AA AB A5 A6"));
    EXPECT_EQ(mouse->readMemory(484, 12), block);
    EXPECT_EQ(mouse->readMemory(496, 1)[0], test::makeTestImage()[496]); // nothing past the end
}

TEST_F(DeviceLinkTest, ShortWriteHasFillerOfFFWhenThereIsNoPreviousChunk) {
    open();
    const Byte two[] = {0x11, 0x22};
    EXPECT_TRUE(link.writeMemory(0x0400, two));
    EXPECT_THAT(test::mouseLines(*mouse),
                ElementsAre("SET 40 07 04 00 00 02 00 00", "SET 41 11 22 FF FF FF FF FF"));
}

TEST_F(DeviceLinkTest, ReadMemoryStoresOnlyTheValidBytesOfTheLastChunk) {
    mouse = addMouse(core::StorageKind::Flash, 0x0002);
    open(0x0002);
    const auto block = sequence(14, 0x30);
    mouse->writeMemory(0x6000, block);

    std::array<Byte, 14> destination{};
    destination.fill(0x00);
    EXPECT_TRUE(link.readMemory(0x6000, 12, destination, Loading::Hidden));
    const auto lines = test::mouseLines(*mouse);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "SET 40 09 60 00 00 0C 00 00");
    EXPECT_EQ(lines[2], "GET 41 37 38 39 3A 3B 00 00");
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 12, destination.begin()));
    // The destination is pre-filled in full; the two bytes past the length stay 0xFF.
    EXPECT_EQ(destination[12], 0xFF);
    EXPECT_EQ(destination[13], 0xFF);
    EXPECT_EQ(ui.pumps, 0);
    // Every fetch is followed by the gap the mouse needs.
    EXPECT_EQ(clock.spins(), 2);
    EXPECT_EQ(clock.spun(), std::chrono::microseconds(1000));
}

TEST_F(DeviceLinkTest, ReadsWithTheLoadingWindowPumpOncePerChunk) {
    open();
    std::array<Byte, 164> vendor{};
    EXPECT_TRUE(link.readSettingsBlock(0, 164, vendor, Loading::Shown));
    EXPECT_EQ(mouse->reportLog().size(), 1u + 24u);
    EXPECT_EQ(ui.pumps, 24);
    const auto live = mouse->liveSettings();
    EXPECT_TRUE(std::equal(vendor.begin(), vendor.end(), live.begin()));

    std::array<Byte, 256> half{};
    ui.pumps = 0;
    EXPECT_TRUE(link.readMemory(496, 256, half, Loading::Shown));
    EXPECT_EQ(ui.pumps, 37);
    EXPECT_EQ(std::vector<Byte>(half.begin(), half.end()), mouse->readMemory(496, 256));
}

TEST_F(DeviceLinkTest, UnplugInTheMiddleOfAReadStillSucceedsWithFFForTheMissingBytes) {
    open();
    emulator::Faults faults;
    faults.unplugAtReport = mouse->reportCount() + 4; // the command and two fetches get through
    mouse->setFaults(faults);

    std::array<Byte, 41> destination{};
    EXPECT_TRUE(link.readMemory(339, 41, destination, Loading::Shown));
    const auto stored = mouse->readMemory(339, 41);
    EXPECT_TRUE(std::equal(stored.begin(), stored.begin() + 14, destination.begin()));
    EXPECT_THAT(std::vector<Byte>(destination.begin() + 14, destination.end()), Each(0xFF));
    EXPECT_EQ(clock.spins(), 2); // no gap after a failed fetch
}

TEST_F(DeviceLinkTest, RefusedReportEndsAMemoryWriteARefusedFetchIsOnlyNoticedByCompleteness) {
    open();
    emulator::Faults faults;
    faults.refuseReport = mouse->reportCount() + 1;
    mouse->setFaults(faults);
    const auto block = sequence(12, 0x50);
    EXPECT_FALSE(link.writeMemory(484, block));
    EXPECT_EQ(mouse->reportLog().size(), 1u); // nothing after the refused command

    // A refused data report: the later chunk would land in its place, so none is sent.
    const auto before = mouse->readMemory(484, 12);
    const std::size_t logged = mouse->reportLog().size();
    const std::uint64_t failed = link.failedWriteReports();
    faults.refuseReport = mouse->reportCount() + 2; // the first data report
    mouse->setFaults(faults);
    EXPECT_FALSE(link.writeMemory(484, block));
    EXPECT_EQ(mouse->reportLog().size(), logged + 2);
    EXPECT_EQ(link.failedWriteReports(), failed + 1);
    EXPECT_EQ(mouse->readMemory(484, 12), before);

    faults.refuseReport = mouse->reportCount() + 2; // the first fetch
    mouse->setFaults(faults);
    std::array<Byte, 12> read{};
    EXPECT_TRUE(link.readMemory(484, 12, read, Loading::Hidden));
    EXPECT_FALSE(link.lastReadComplete());
    EXPECT_THAT(std::vector<Byte>(read.begin(), read.begin() + 7), Each(0xFF));
    // ...and the mouse, not having sent the first chunk, sends it in the second fetch.
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 5, read.begin() + 7));
}

TEST_F(DeviceLinkTest, WithoutADeviceNothingIsSentAndReadsGiveFF) {
    std::array<Byte, 8> destination{};
    EXPECT_FALSE(link.connected());
    EXPECT_FALSE(link.writeSetting(56, 1, 0, 0, 1));
    const Byte bytes[] = {1, 2, 3};
    EXPECT_FALSE(link.writeSettingsBlock(0, bytes));
    EXPECT_FALSE(link.writeMemory(0, bytes));
    EXPECT_FALSE(link.readMemory(0, 8, destination, Loading::Shown));
    EXPECT_THAT(destination, Each(0xFF));
    destination.fill(0);
    EXPECT_FALSE(link.readSettingsBlock(0, 8, destination, Loading::Hidden));
    EXPECT_THAT(destination, Each(0xFF));
    EXPECT_FALSE(link.probeCommand());
    EXPECT_FALSE(link.resetCommand());
    link.receiveDataChunk();
    EXPECT_THAT(link.stagingBuffer(), Each(0xFF));
    EXPECT_EQ(mouse->reportCount(), 0);
    EXPECT_EQ(ui.shows + ui.pumps, 0);
}

TEST_F(DeviceLinkTest, AReadLongerThanItsDestinationStoresOnlyWhatFits) {
    open();
    std::array<Byte, 20> buffer{};
    buffer.fill(0x5A);
    EXPECT_TRUE(link.readMemory(192, 147, std::span<Byte>(buffer).first(10), Loading::Hidden));
    EXPECT_EQ(std::vector<Byte>(buffer.begin(), buffer.begin() + 10), mouse->readMemory(192, 10));
    EXPECT_THAT(std::vector<Byte>(buffer.begin() + 10, buffer.end()), Each(0x5A));
    EXPECT_EQ(mouse->reportLog().size(), 1u + 21u); // still the whole exchange
}

TEST_F(DeviceLinkTest, ProbeAndStatusReadsSeeTheStorageKindAndLiveValues) {
    open();
    EXPECT_TRUE(link.probeCommand());
    EXPECT_EQ(link.stagingBuffer()[1], 0x3A);
    EXPECT_EQ(link.stagingBuffer()[2], 0xC0);
    mouse->pressButton(emulator::VirtualMouse::kDpiUp);
    Byte dpi = 0;
    EXPECT_TRUE(
        link.readMemory(core::memmap::i2c::kCurrentDpi, 1, std::span<Byte>(&dpi, 1), Loading::Hidden));
    EXPECT_EQ(dpi, 1);
}

TEST_F(DeviceLinkTest, ResetMakesTheMouseLeaveTheBus) {
    open();
    const int before = link.countDevices();
    EXPECT_TRUE(link.resetCommand());
    EXPECT_EQ(link.countDevices(), before - emulator::VirtualMouse::kInterfaceCount);
    EXPECT_FALSE(link.linkedInterfacePresent());
}

// --- opening -------------------------------------------------------------------------------------

class OpenDeviceTest : public LinkFixture {};

TEST_F(OpenDeviceTest, OpensTheConfigurationInterfaceAndProbesIt) {
    const int other = bus.addOtherDevice(0x046A, 0x0011, 2);
    (void)other;
    EXPECT_EQ(link.countDevices(), 2 + emulator::VirtualMouse::kInterfaceCount);
    EXPECT_EQ(link.openDevice(test::kTestVendor, test::kTestProduct), core::OpenResult::Opened);
    EXPECT_TRUE(link.connected());
    EXPECT_TRUE(link.readHandleValid());
    EXPECT_EQ(link.linkVid(), test::kTestVendor);
    EXPECT_EQ(link.linkPid(), test::kTestProduct);
    EXPECT_EQ(link.featureReportLength(), 8);
    EXPECT_EQ(link.inputReportLength(), emulator::VirtualMouse::kInputReportLength);
    EXPECT_EQ(link.deviceVersion(), 0x0100);
    EXPECT_THAT(test::mouseLines(*mouse),
                ElementsAre("SET 40 0D 00 00 00 00 00 00", "GET 41 00 3A C0 00 00 00 00"));
    EXPECT_EQ(mouse->openHandleCount(), 2);
}

TEST_F(OpenDeviceTest, TellsAMissingDeviceFromOneItMayNotOpen) {
    EXPECT_EQ(link.openDevice(0x1234, 0x5678), core::OpenResult::NotFound);
    EXPECT_EQ(link.deviceVersion(), core::DeviceLink::kDeviceVersionUnknown);
    emulator::Faults faults;
    faults.denyOpen = true;
    mouse->setFaults(faults);
    EXPECT_EQ(link.openDevice(test::kTestVendor, test::kTestProduct), core::OpenResult::PermissionDenied);
    EXPECT_FALSE(link.connected());
    EXPECT_FALSE(link.readHandleValid());
}

TEST_F(OpenDeviceTest, ARefusedProbeLeavesTheLinkOpenButNotConnected) {
    emulator::Faults faults;
    faults.refuseReport = 1;
    mouse->setFaults(faults);
    EXPECT_EQ(link.openDevice(test::kTestVendor, test::kTestProduct), core::OpenResult::Opened);
    EXPECT_FALSE(link.commandHandleValid());
    EXPECT_TRUE(link.dataHandleValid());
    EXPECT_FALSE(link.connected());
    EXPECT_FALSE(link.writeSetting(56, 1, 0, 0, 1));
}

TEST_F(OpenDeviceTest, KeepsTheLastMatchAndClosesTheHandlesOfTheOthers) {
    auto second = addMouse();
    EXPECT_EQ(link.openDevice(test::kTestVendor, test::kTestProduct), core::OpenResult::Opened);
    EXPECT_EQ(mouse->openHandleCount(), 0);
    EXPECT_EQ(second->openHandleCount(), 2);
    EXPECT_TRUE(link.writeSetting(56, 25, 0, 0, 1));
    EXPECT_EQ(second->liveSettings()[56], 25);
    EXPECT_NE(mouse->liveSettings()[56], 25);
}

TEST_F(OpenDeviceTest, DroppingOrReopeningTheLinkClosesItsHandles) {
    open();
    EXPECT_EQ(mouse->openHandleCount(), 2);
    EXPECT_EQ(link.openDevice(test::kTestVendor, test::kTestProduct), core::OpenResult::Opened);
    EXPECT_EQ(mouse->openHandleCount(), 2);
    link.dropLink();
    EXPECT_EQ(mouse->openHandleCount(), 0);
    EXPECT_FALSE(link.connected());
    EXPECT_FALSE(link.readHandleValid());
    EXPECT_EQ(link.linkVid(), 0);
    EXPECT_EQ(link.linkPid(), 0);
}

TEST_F(OpenDeviceTest, TheReadHandleIsHandedOverAndTakenBackBeforeItCloses) {
    struct Recorder : core::ReadHandleUser {
        void attachReadHandle(core::HidHandle& handle, std::uint16_t length) override {
            events.push_back("attach " + std::to_string(length));
            current = &handle;
        }
        void detachReadHandle() override {
            events.push_back("detach");
            current = nullptr;
        }
        std::vector<std::string> events;
        core::HidHandle* current = nullptr;
    } recorder;
    link.setReadHandleUser(&recorder);
    open();
    ASSERT_NE(recorder.current, nullptr);
    link.dropLink();
    EXPECT_THAT(recorder.events, ElementsAre("attach 8", "detach"));
    link.setReadHandleUser(nullptr);
}

TEST_F(DeviceLinkTest, TheIdleCallbackRunsWhenTheLastTransferEnds) {
    open();
    int idle = 0;
    bool busyDuringPump = false;
    link.setIdleCallback([&] { ++idle; });
    ui.onPump = [&] { busyDuringPump = busyDuringPump || link.transferInProgress(); };
    {
        core::DeviceLink::TransferScope scope(link);
        std::array<Byte, 12> block{};
        link.readMemory(484, 12, block, Loading::Shown);
        link.writeSetting(56, 10, 0, 0, 1);
        EXPECT_EQ(idle, 0);
    }
    EXPECT_EQ(idle, 1);
    EXPECT_TRUE(busyDuringPump);
    EXPECT_FALSE(link.transferInProgress());
}

} // namespace
