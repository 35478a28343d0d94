#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "ManualClock.h"
#include "ProfileChanges.h"
#include "TestImage.h"
#include "core/cycle/ConfigCycle.h"
#include "core/cycle/WorkModeSwitch.h"
#include "core/device/DeviceDiscovery.h"
#include "core/edit/SettingEdits.h"
#include "core/image/Checksum.h"
#include "core/image/PatchFile.h"
#include "core/image/ProfileFile.h"
#include "core/macros/MacroName.h"
#include "emulator/EmulatorTransport.h"

using namespace tarvik;
using core::Byte;
using core::CycleResult;
using core::StorageKind;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

// The window as the cycle sees it: a log of what it was asked to do.
struct RecordingCycleUi : core::CycleUi {
    void beginBusy() override { events.push_back("begin busy"); }
    void endBusy() override { events.push_back("end busy"); }
    void showLoading() override { events.push_back("show loading"); }
    void hideLoading() override { events.push_back("hide loading"); }
    void setDevTimerEnabled(bool enabled) override { events.push_back(enabled ? "timer on" : "timer off"); }
    void processEvents() override {}
    void closeKeyMenus() override { events.push_back("close menus"); }
    void refreshPcMacroNames() override { events.push_back("pc macros"); }
    void redrawDeviceMacros() override { events.push_back("device macros"); }
    void redrawFireMacros() override { events.push_back("fire macros"); }
    void clearDeviceMacroViews() override { events.push_back("clear device macros"); }
    void clearFireMacroViews() override { events.push_back("clear fire macros"); }
    void refreshUi() override {
        events.push_back("draw");
        applyingWhileDrawing = applying != nullptr && *applying;
    }
    void readOsMouseParameters() override { events.push_back("os mouse"); }

    std::vector<std::string> events;
    const bool* applying = nullptr;
    bool applyingWhileDrawing = false;
};

std::string hex(std::span<const Byte> bytes) {
    std::string out;
    for (Byte b : bytes) {
        char cell[4];
        std::snprintf(cell, sizeof cell, "%02X ", b);
        out += cell;
    }
    if (!out.empty()) {
        out.pop_back();
    }
    return out;
}

// One command report (its bytes after the report id) and the data reports that followed it.
struct Exchange {
    std::string command;
    int dataReports = 0; // fetched (reads) or sent (writes)
    bool operator==(const Exchange&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const Exchange& e) {
        return os << "{" << e.command << " / " << e.dataReports << "}";
    }
};

std::vector<Exchange> exchanges(emulator::VirtualMouse& mouse) {
    std::vector<Exchange> out;
    for (const auto& r : mouse.reportLog()) {
        if (r.kind == emulator::ReportRecord::Kind::Set && r.bytes.at(0) == 0x40) {
            out.push_back({hex(std::span<const Byte>(r.bytes).subspan(1)), 0});
        } else if (!out.empty() && r.kind != emulator::ReportRecord::Kind::In) {
            ++out.back().dataReports;
        }
    }
    return out;
}

// Command 0x07 or 0x09 with its address and length.
Exchange memory(Byte command, std::uint16_t address, std::uint16_t length) {
    const Byte bytes[] = {command,
                          static_cast<Byte>(address >> 8),
                          static_cast<Byte>(address & 0xFF),
                          static_cast<Byte>(length >> 8),
                          static_cast<Byte>(length & 0xFF),
                          0,
                          0};
    return {hex(bytes), (length + 6) / 7};
}
Exchange readMem(std::uint16_t address, std::uint16_t length) {
    return memory(0x09, address, length);
}
Exchange writeMem(std::uint16_t address, std::uint16_t length) {
    return memory(0x07, address, length);
}

const Exchange kReadVendor{"06 00 00 00 A4 00 00", 24};
const Exchange kReadUser{"06 00 A4 00 1C 00 00", 4};

std::vector<Byte> bytesOf(std::span<const Byte> s) {
    return {s.begin(), s.end()};
}

class CycleTest : public ::testing::Test {
protected:
    CycleTest() { ui.applying = &applying; }

    // A mouse on the bus, opened, its log cleared. An empty image is built-in default image 1.
    void plug(StorageKind kind, std::vector<Byte> image) {
        emulator::VirtualMouse::Options options;
        options.kind = kind;
        options.image = std::move(image);
        options.keepLog = true;
        options.clock = &clock;
        mouse = bus.addMouse(options);
        ASSERT_EQ(link.openDevice(mouse->vendorId(), mouse->productId()), core::OpenResult::Opened);
        ASSERT_TRUE(link.connected());
        mouse->clearReportLog();
    }
    void plugTestMouse(StorageKind kind) {
        plug(kind, kind == StorageKind::Flash ? test::makeTestImage(core::profile_file::kFlashSize, 0xF0)
                                              : test::makeTestImage());
    }

    void readAll(StorageKind kind) {
        cycle.fullRead(kind, [this] { ui.events.push_back("ready"); });
        mouse->clearReportLog();
        ui.events.clear();
    }

    // Sets the mouse's live CurrentProfile as its mode button would.
    void setLiveWorkModeByte(Byte value) {
        ASSERT_TRUE(link.writeSetting(static_cast<Byte>(core::image::kCurrentProfile), value, 0, 0, 1));
        mouse->clearReportLog();
    }

    test::ManualClock clock;
    emulator::EmulatorTransport bus;
    core::NullLinkUi linkUi;
    core::DeviceLink link{bus, linkUi, clock};
    core::ConfigBuffers buffers;
    RecordingCycleUi ui;
    bool applying = false;
    core::ConfigCycle cycle{link, buffers, ui, applying, StorageKind::I2C};
    std::shared_ptr<emulator::VirtualMouse> mouse;
};

// --- full read ---------------------------------------------------------------------------------

TEST_F(CycleTest, FullReadOfAnI2CMouseExchangesTheLiveSettingsThenTheStoredRegionsInOrder) {
    plugTestMouse(StorageKind::I2C);
    cycle.fullRead(StorageKind::I2C, {});
    EXPECT_THAT(exchanges(*mouse),
                ElementsAre(kReadVendor, kReadUser, readMem(192, 147), readMem(339, 41), readMem(484, 12),
                            readMem(496, 256), readMem(752, 256), readMem(1536, 256), readMem(1792, 256),
                            readMem(1008, 16), readMem(1024, 256), readMem(1280, 256)));

    const auto memory = mouse->memory();
    const auto live = mouse->liveSettings();
    auto span = [&](std::size_t from, std::size_t n) {
        return std::vector<Byte>(memory.begin() + static_cast<std::ptrdiff_t>(from),
                                 memory.begin() + static_cast<std::ptrdiff_t>(from + n));
    };
    EXPECT_EQ(bytesOf(buffers.dataBuf.section({0, 192})), std::vector<Byte>(live.begin(), live.end()));
    EXPECT_EQ(bytesOf(buffers.dataBuf.section(core::image::kProfileRun)), span(192, 147));
    EXPECT_EQ(bytesOf(buffers.reservedBlock), span(339, 41));
    EXPECT_EQ(bytesOf(buffers.dataBuf.section(core::image::kFireKeyBlock)), span(484, 12));
    EXPECT_EQ(bytesOf(buffers.fireMacroStore.bytes()), span(1536, 512));
    EXPECT_EQ(bytesOf(buffers.fireMacros.names[3]), span(1536 + 48, 16));
    EXPECT_EQ(bytesOf(buffers.fireMacros.bodies[9]), span(1536 + 160 + 9 * 32, 32));
    EXPECT_EQ(bytesOf(buffers.patchHeaderRecord), span(1008, 16));
    EXPECT_EQ(bytesOf(buffers.eepromPatchCode), span(1024, 512));
    EXPECT_EQ(buffers.workingImage, buffers.dataBuf);
    EXPECT_EQ(buffers.storageKind, StorageKind::I2C);
    EXPECT_EQ(cycle.deviceMacroTable().kind(), StorageKind::I2C);
    EXPECT_TRUE(cycle.buttonCodeTable().inStep());
}

TEST_F(CycleTest, FullReadOfAFlashMouseReadsTheSectorFirstThenMacrosNamesFireStoreAndPatch) {
    plugTestMouse(StorageKind::Flash);
    cycle.fullRead(StorageKind::Flash, {});
    std::vector<Exchange> expected{kReadVendor, kReadUser, readMem(0x1000, 256), readMem(0x6000, 12)};
    for (std::uint16_t i = 0; i < 32; ++i) {
        expected.push_back(readMem(static_cast<std::uint16_t>(0x4000 + 256 * i), 256));
    }
    expected.push_back(readMem(0x3000, 512));
    expected.push_back(readMem(0x7000, 512));
    expected.push_back(readMem(0xC000, 1024));
    EXPECT_THAT(exchanges(*mouse), ElementsAreArray(expected));

    const auto sector = mouse->readMemory(0x1000, 256);
    EXPECT_EQ(bytesOf(buffers.flashSector), sector);
    EXPECT_EQ(bytesOf(buffers.flashSectorHeader), std::vector<Byte>(sector.begin(), sector.begin() + 24));
    EXPECT_EQ(bytesOf(buffers.dataBuf.section(core::image::kProfileRun)),
              std::vector<Byte>(sector.begin() + 24, sector.begin() + 171));
    EXPECT_EQ(bytesOf(buffers.reservedBlock), std::vector<Byte>(sector.begin() + 171, sector.begin() + 212));
    EXPECT_EQ(bytesOf(buffers.dataBuf.section(core::image::kFireKeyBlock)), mouse->readMemory(0x6000, 12));
    EXPECT_EQ(bytesOf(buffers.flashMacroBodies[5]), mouse->readMemory(0x4500, 256));
    EXPECT_EQ(bytesOf(buffers.flashMacroNames[31]), mouse->readMemory(0x3000 + 31 * 16, 16));
    EXPECT_EQ(bytesOf(buffers.fireMacroStore.bytes()), mouse->readMemory(0x7000, 512));
    EXPECT_EQ(bytesOf(buffers.flashPatchCode), mouse->readMemory(0xC000, 1024));
    EXPECT_FALSE(buffers.patchLocked);
    EXPECT_EQ(cycle.deviceMacroTable().kind(), StorageKind::Flash);
}

TEST_F(CycleTest, FullReadOfAFlashMouseTakesPatchLockedFromTheSectorHeader) {
    auto image = test::makeTestImage(core::profile_file::kFlashSize, 0xF0);
    image[core::profile_file::kFlashSectorHeader] = 0x80;
    plug(StorageKind::Flash, image);
    cycle.fullRead(StorageKind::Flash, {});
    EXPECT_TRUE(buffers.patchLocked);
}

TEST_F(CycleTest, FullReadRunsInsideTheBusyStateAndEndsReady) {
    plugTestMouse(StorageKind::I2C);
    bool applyingAtReady = false;
    bool transferAtReady = false;
    cycle.fullRead(StorageKind::I2C, [&] {
        ui.events.push_back("ready");
        applyingAtReady = applying;
        transferAtReady = link.transferInProgress();
    });
    EXPECT_THAT(ui.events, ElementsAre("begin busy", "pc macros", "device macros", "fire macros", "draw",
                                       "os mouse", "ready", "end busy"));
    EXPECT_TRUE(applyingAtReady);
    EXPECT_TRUE(transferAtReady); // listener refreshes wait until the image is drawn
    EXPECT_TRUE(ui.applyingWhileDrawing);
    EXPECT_FALSE(applying);
    EXPECT_FALSE(link.transferInProgress());
}

TEST_F(CycleTest, StoredWorkModeByteF1IsWorkModeTwoAfterDrawing) {
    plugTestMouse(StorageKind::I2C);
    setLiveWorkModeByte(0xF1);
    cycle.fullRead(StorageKind::I2C, {});
    EXPECT_EQ(buffers.dataBuf.currentProfile(), 0xF1);
    EXPECT_EQ(buffers.workingImage.workMode(), 2);
}

// --- reads that miss reports ----------------------------------------------------------------------

// A mouse, a link and a cycle of their own, for sweeps that need a fresh mouse for every run.
struct Rig {
    explicit Rig(StorageKind kind)
        : Rig(kind,
              kind == StorageKind::Flash ? test::makeTestImage(core::profile_file::kFlashSize, 0xF0)
                                         : test::makeTestImage(),
              false) {}
    // A mouse starting from the profile file `image` (empty: built-in default image 1), recording
    // its reports when asked.
    Rig(StorageKind kind, std::vector<Byte> image, bool keepLog) {
        emulator::VirtualMouse::Options options;
        options.kind = kind;
        options.image = std::move(image);
        options.keepLog = keepLog;
        options.clock = &clock;
        mouse = bus.addMouse(options);
        link.openDevice(mouse->vendorId(), mouse->productId());
    }
    // One key assignment, as a page makes it.
    CycleResult assign() {
        cycle.buttonCodeTable().set(2, 3, "0300E900");
        return cycle.commitKeyBlock(core::ConfigCycle::Variant::Complete);
    }

    test::ManualClock clock;
    emulator::EmulatorTransport bus;
    core::NullLinkUi linkUi;
    core::DeviceLink link{bus, linkUi, clock};
    core::ConfigBuffers buffers;
    RecordingCycleUi ui;
    bool applying = false;
    core::ConfigCycle cycle{link, buffers, ui, applying, StorageKind::I2C};
    std::shared_ptr<emulator::VirtualMouse> mouse;
};

class ReadSweepTest : public ::testing::TestWithParam<StorageKind> {};

// The mouse refuses one report of the full read, at every position in turn; then a key is assigned.
// The read must be repeated rather than taken with 0xFF in it, so that the mouse ends exactly as
// after an undisturbed read and assignment.
TEST_P(ReadSweepTest, ARefusedReportAnywhereInTheFullReadNeverReachesTheMouse) {
    const StorageKind kind = GetParam();
    Rig reference(kind);
    const int start = reference.mouse->reportCount();
    ASSERT_EQ(reference.cycle.fullRead(kind, {}), CycleResult::Done);
    const int reports = reference.mouse->reportCount() - start;
    ASSERT_EQ(reference.assign(), CycleResult::Done);
    const auto memory = reference.mouse->memory();
    const auto live = reference.mouse->liveSettings();

    std::vector<int> wrong;
    for (int position = 1; position <= reports; ++position) {
        Rig rig(kind);
        emulator::Faults faults;
        faults.refuseReport = rig.mouse->reportCount() + position;
        rig.mouse->setFaults(faults);
        const int before = rig.mouse->reportCount();
        const bool read = rig.cycle.fullRead(kind, {}) == CycleResult::Done;
        const bool repeated = rig.mouse->reportCount() - before > reports;
        if (!read || !repeated || rig.assign() != CycleResult::Done || rig.mouse->memory() != memory ||
            rig.mouse->liveSettings() != live) {
            wrong.push_back(position);
        }
    }
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " of " << reports << " positions, the first at "
                               << (wrong.empty() ? 0 : wrong.front());
}

INSTANTIATE_TEST_SUITE_P(BothKinds, ReadSweepTest, ::testing::Values(StorageKind::I2C, StorageKind::Flash),
                         [](const auto& kindInfo) {
                             return kindInfo.param == StorageKind::I2C ? "I2C" : "Flash";
                         });

TEST_F(CycleTest, AReadThatKeepsMissingReportsTakesNothingAndEveryWriteIsRefused) {
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    const core::ConfigBuffers before = buffers;
    mouse->writeMemory(200, std::vector<Byte>(8, 0x44)); // would show if anything were taken
    emulator::Faults faults;
    faults.failFetches = true;
    mouse->setFaults(faults);

    bool ready = false;
    EXPECT_EQ(cycle.fullRead(StorageKind::I2C, [&] { ready = true; }), CycleResult::NotRead);
    EXPECT_FALSE(ready);
    EXPECT_EQ(buffers, before);
    EXPECT_THAT(ui.events, ElementsAre("begin busy", "pc macros", "end busy")); // nothing drawn
    EXPECT_FALSE(applying);
    const auto sent = exchanges(*mouse);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), kReadVendor), core::ConfigCycle::kFullReadAttempts);

    // The mouse answers again, but nothing may be written before it has been read whole.
    mouse->setFaults({});
    mouse->clearReportLog();
    cycle.buttonCodeTable().set(1, 1, "0300E900");
    EXPECT_EQ(cycle.commitKeyBlock(core::ConfigCycle::Variant::Complete), CycleResult::NotRead);
    EXPECT_EQ(cycle.writeAllToDevice(), CycleResult::NotRead);
    EXPECT_EQ(cycle.defaultSettings(1, {}), CycleResult::NotRead);
    EXPECT_EQ(cycle.loadProfile(core::writeProfileFile(before), {}), CycleResult::NotRead);
    EXPECT_TRUE(mouse->reportLog().empty());

    readAll(StorageKind::I2C);
    EXPECT_EQ(cycle.commitKeyBlock(core::ConfigCycle::Variant::Complete), CycleResult::Done);
}

TEST_F(CycleTest, WhatWasReadOverAnEarlierOpeningIsNotWrittenToTheMouseOpenedNow) {
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    ASSERT_TRUE(cycle.configurationRead());
    ASSERT_EQ(link.openDevice(mouse->vendorId(), mouse->productId()), core::OpenResult::Opened);
    mouse->clearReportLog();
    EXPECT_FALSE(cycle.configurationRead());
    EXPECT_EQ(cycle.commitKeyBlock(core::ConfigCycle::Variant::KeysOnly), CycleResult::NotRead);
    EXPECT_TRUE(mouse->reportLog().empty());
}

// --- drawing ------------------------------------------------------------------------------------

TEST_F(CycleTest, DataBufToUICopiesTheImageRebuildsTheTableAndDrawsWithApplyingImageSet) {
    buffers.dataBuf.setKeyCode(3, 12, {0x03, 0x00, 0xEA, 0x00});
    buffers.dataBuf.setCurrentProfile(0x02);
    cycle.dataBufToUI();
    EXPECT_EQ(buffers.workingImage, buffers.dataBuf);
    EXPECT_EQ(cycle.buttonCodeTable().text(36), "0300EA00");
    EXPECT_TRUE(cycle.buttonCodeTable().inStep());
    EXPECT_THAT(ui.events, ElementsAre("draw"));
    EXPECT_TRUE(ui.applyingWhileDrawing);
    EXPECT_FALSE(applying);
}

// --- CommitKeyBlock ----------------------------------------------------------------------------

struct CommitCase {
    core::ConfigCycle::Variant variant;
    bool writesFireKeyBlock;
};

class CommitTest : public CycleTest, public ::testing::WithParamInterface<CommitCase> {};

TEST_P(CommitTest, I2CWritesTheProfilesThenMakesTheMouseTakeThemUp) {
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    setLiveWorkModeByte(0xF1);
    buffers.dataBuf.setFireKey(1, {3, 0x0100}); // reaches the mouse only with the complete variant
    cycle.buttonCodeTable().set(2, 3, "0300E900");

    EXPECT_EQ(cycle.commitKeyBlock(GetParam().variant), CycleResult::Done);

    std::vector<Exchange> expected{writeMem(192, 147)};
    if (GetParam().writesFireKeyBlock) {
        expected.push_back(writeMem(484, 12));
    }
    expected.push_back(kReadUser);
    expected.push_back({"05 00 A4 0F 00 00 01", 0});
    expected.push_back({"05 00 A4 F1 00 00 01", 0});
    EXPECT_THAT(exchanges(*mouse), ElementsAreArray(expected));

    const auto stored = mouse->readMemory(241, 49);
    EXPECT_THAT(std::vector<Byte>(stored.begin() + 8, stored.begin() + 12),
                ElementsAre(0x03, 0x00, 0xE9, 0x00));
    EXPECT_TRUE(buffers.workingImage.checksumValid(core::image::kProfileSection[1]));
    EXPECT_EQ(stored[48], buffers.workingImage.checksum(core::image::kProfileSection[1]));
    EXPECT_EQ(mouse->activeKeyCodes(1)[8], 0x03); // taken up
    EXPECT_EQ(buffers.workingImage.currentProfile(), 0xF1);
    const bool blockWritten = mouse->readMemory(484 + 2, 3) == std::vector<Byte>{0x02, 0x01, 0x00};
    EXPECT_EQ(blockWritten, GetParam().writesFireKeyBlock);
}

INSTANTIATE_TEST_SUITE_P(Variants, CommitTest,
                         ::testing::Values(CommitCase{core::ConfigCycle::Variant::Complete, true},
                                           CommitCase{core::ConfigCycle::Variant::KeysOnly, false}));

TEST_F(CycleTest, FlashCommitRewritesTheWholeSectorKeepingHeaderReservedAndTail) {
    plugTestMouse(StorageKind::Flash);
    readAll(StorageKind::Flash);
    const auto before = mouse->readMemory(0x1000, 256);
    cycle.buttonCodeTable().set(1, 1, "01020000");

    EXPECT_EQ(cycle.commitKeyBlock(core::ConfigCycle::Variant::Complete), CycleResult::Done);
    const auto modeByte = hex(std::span<const Byte>(&buffers.workingImage.bytes()[164], 1));
    EXPECT_THAT(exchanges(*mouse), ElementsAre(writeMem(0x1000, 256), writeMem(0x6000, 12), kReadUser,
                                               Exchange{"05 00 A4 0F 00 00 01", 0},
                                               Exchange{"05 00 A4 " + modeByte + " 00 00 01", 0}));

    const auto after = mouse->readMemory(0x1000, 256);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 24, after.begin()));      // header
    EXPECT_TRUE(std::equal(before.begin() + 171, before.end(), after.begin() + 171)); // reserved and rest
    EXPECT_EQ(std::vector<Byte>(after.begin() + 24, after.begin() + 171),
              bytesOf(buffers.workingImage.section(core::image::kProfileRun)));
    EXPECT_THAT(std::vector<Byte>(after.begin() + 24, after.begin() + 28),
                ElementsAre(0x01, 0x02, 0x00, 0x00));
    EXPECT_TRUE(buffers.workingImage.checksumValid(core::image::kProfileSection[0]));
}

TEST_F(CycleTest, CommitSendsNothingWhileApplyingImage) {
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    const auto dataBefore = buffers.dataBuf;
    cycle.buttonCodeTable().set(1, 2, "0300E900");
    applying = true;
    EXPECT_EQ(cycle.commitKeyBlock(core::ConfigCycle::Variant::Complete), CycleResult::Skipped);
    EXPECT_TRUE(mouse->reportLog().empty());
    EXPECT_EQ(buffers.dataBuf, dataBefore);
    EXPECT_EQ(buffers.workingImage.keyCode(1, 2), (core::KeyCodeBytes{0x03, 0x00, 0xE9, 0x00}));
}

TEST_F(CycleTest, FailedUserSectionReadBackKeepsTheDrawnWorkModeInsteadOfFF) {
    plugTestMouse(StorageKind::I2C);
    setLiveWorkModeByte(0x02);
    readAll(StorageKind::I2C);
    const auto userBefore = bytesOf(buffers.workingImage.section(core::image::kUserSection));
    emulator::Faults faults;
    faults.failFetches = true;
    mouse->setFaults(faults);

    EXPECT_EQ(cycle.commitKeyBlock(core::ConfigCycle::Variant::KeysOnly), CycleResult::Done);
    const auto sent = exchanges(*mouse);
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent.back().command, "05 00 A4 02 00 00 01");
    EXPECT_EQ(bytesOf(buffers.workingImage.section(core::image::kUserSection)), userBefore);
    EXPECT_EQ(bytesOf(buffers.dataBuf.section(core::image::kUserSection)), userBefore);
}

TEST_F(CycleTest, CommitWithoutAMouseOnlyPreparesDataBuf) {
    cycle.buttonCodeTable().set(3, 1, "0617003C");
    EXPECT_EQ(cycle.commitKeyBlock(core::ConfigCycle::Variant::Complete), CycleResult::NoDevice);
    EXPECT_EQ(buffers.dataBuf.keyCode(3, 1), (core::KeyCodeBytes{0x06, 0x17, 0x00, 0x3C}));
    EXPECT_TRUE(buffers.dataBuf.checksumValid(core::image::kProfileSection[2]));
}

// --- writing everything ---------------------------------------------------------------------------

TEST_F(CycleTest, DefaultSettingTwoOnAnI2CMouseWritesImageTwoInOrderThenRestartsIt) {
    plug(StorageKind::I2C, {}); // built-in default image 1
    readAll(StorageKind::I2C);
    ASSERT_EQ(mouse->readMemory(245, 4), (std::vector<Byte>{0x0B, 0x17, 0x03, 0x02}));
    int reportsAtRestart = -1;
    bool applyingAtRestart = true;
    const auto result = cycle.defaultSettings(2, [&] {
        reportsAtRestart = static_cast<int>(mouse->reportLog().size());
        applyingAtRestart = applying;
    });
    EXPECT_EQ(result, CycleResult::Done);

    EXPECT_EQ(mouse->readMemory(245, 4), (std::vector<Byte>{0x0B, 0x10, 0x01, 0x02})); // profile 2, button 2
    EXPECT_EQ(mouse->readMemory(257, 4), (std::vector<Byte>{0x0B, 0x11, 0x01, 0x02})); // profile 2, button 5
    EXPECT_EQ(mouse->readMemory(289, 1), std::vector<Byte>{0x4E});

    const auto sent = exchanges(*mouse);
    ASSERT_EQ(sent.size(), 55u + 10u + 9u);
    for (std::size_t i = 0; i < 65; ++i) {
        const unsigned offset = i < 55 ? 3 * i : 164 + 3 * (i - 55);
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "05 00 %02X", offset);
        EXPECT_EQ(sent[i].command.substr(0, 8), prefix) << i;
    }
    EXPECT_THAT(std::vector<Exchange>(sent.begin() + 65, sent.end()),
                ElementsAre(writeMem(192, 147), writeMem(484, 12), writeMem(496, 256), writeMem(752, 256),
                            writeMem(1536, 256), writeMem(1792, 256), writeMem(1008, 16), writeMem(1024, 256),
                            writeMem(1280, 256)));
    EXPECT_EQ(reportsAtRestart, static_cast<int>(mouse->reportLog().size()));
    EXPECT_FALSE(applyingAtRestart);
    EXPECT_EQ(mouse->liveSettings()[164], buffers.dataBuf.currentProfile());
    EXPECT_EQ(cycle.buttonCodeTable().text(2, 2), "0B100102");
    EXPECT_THAT(ui.events, ElementsAre("close menus", "begin busy", "clear device macros", "device macros",
                                       "clear fire macros", "fire macros", "show loading", "draw",
                                       "hide loading", "timer on"));
}

TEST_F(CycleTest, DefaultSettingsChangeNothingWithoutAMouseOrForAnotherKind) {
    bool restarted = false;
    EXPECT_EQ(cycle.defaultSettings(1, [&] { restarted = true; }), CycleResult::NoDevice);

    plugTestMouse(StorageKind::Flash); // the default images are "I2C"
    readAll(StorageKind::Flash);
    const core::ConfigBuffers before = buffers;
    EXPECT_EQ(cycle.defaultSettings(1, [&] { restarted = true; }), CycleResult::WrongKind);
    EXPECT_TRUE(mouse->reportLog().empty());
    EXPECT_EQ(buffers, before);
    EXPECT_FALSE(restarted);
}

struct FlashWriteCase {
    bool patchLocked;
};

class FlashWriteAllTest : public CycleTest, public ::testing::WithParamInterface<FlashWriteCase> {};

TEST_P(FlashWriteAllTest, WritesEveryFlashAreaInOrderAndTheLockedPatchNever) {
    plugTestMouse(StorageKind::Flash);
    readAll(StorageKind::Flash);
    buffers.patchLocked = GetParam().patchLocked;
    buffers.flashPatchCode.fill(0x5C);
    const auto patchBefore = mouse->readMemory(0xC000, 1024);

    EXPECT_EQ(cycle.writeAllToDevice(), CycleResult::Done);

    auto sent = exchanges(*mouse);
    ASSERT_EQ(sent.size(), 65u + 4u + 32u + (GetParam().patchLocked ? 0u : 1u));
    std::vector<Exchange> expected{writeMem(0x1000, 256), writeMem(0x6000, 12), writeMem(0x3000, 512)};
    for (std::uint16_t i = 0; i < 32; ++i) {
        expected.push_back(writeMem(static_cast<std::uint16_t>(0x4000 + 256 * i), 256));
    }
    expected.push_back(writeMem(0x7000, 512));
    if (!GetParam().patchLocked) {
        expected.push_back(writeMem(0xC000, 1024));
    }
    EXPECT_THAT(std::vector<Exchange>(sent.begin() + 65, sent.end()), ElementsAreArray(expected));
    EXPECT_EQ(mouse->readMemory(0xC000, 1024),
              GetParam().patchLocked ? patchBefore : std::vector<Byte>(1024, 0x5C));
}

INSTANTIATE_TEST_SUITE_P(PatchLock, FlashWriteAllTest,
                         ::testing::Values(FlashWriteCase{false}, FlashWriteCase{true}));

// --- no device and profile files ------------------------------------------------------------------

TEST_F(CycleTest, InitNoDeviceDrawsDefaultImageOneAndSendsNothing) {
    plugTestMouse(StorageKind::I2C); // present, but initNoDevice must not talk to it
    cycle.initNoDevice();
    EXPECT_TRUE(mouse->reportLog().empty());

    const auto& defaults = cycle.defaultImages()[0];
    EXPECT_EQ(buffers.dataBuf.section(core::image::kProfileRun).size(), 147u);
    EXPECT_TRUE(std::ranges::equal(buffers.dataBuf.bytes(), defaults.dataBuf.bytes()));
    EXPECT_EQ(buffers.workingImage, buffers.dataBuf);
    EXPECT_EQ(cycle.buttonCodeTable().text(2, 2), "0B170302");
    EXPECT_EQ(cycle.buttonCodeTable().text(1, 3), "0300E900");
    EXPECT_TRUE(cycle.buttonCodeTable().inStep());
    EXPECT_EQ(buffers.fireMacros, buffers.fireMacroStore.split());
    EXPECT_EQ(cycle.deviceMacroTable().kind(), StorageKind::I2C);
    EXPECT_THAT(ui.events, ElementsAre("device macros", "fire macros", "draw"));
}

// Gives the five sections of a profile file their checksums, as a file saved by the program has.
using test::fixChecksums;

// A sound file of the same mouse (same ids) with other settings in every other byte.
std::vector<Byte> otherI2CProfile() {
    auto file = test::makeTestImage();
    for (std::size_t i = 4; i < file.size(); ++i) {
        if (i != 484 && i != 485 && i != 495) {
            file[i] ^= 0x5A;
        }
    }
    fixChecksums(file);
    return file;
}

TEST_F(CycleTest, LoadProfileWritesTheFileButNotItsReservedBlockThenRestarts) {
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    const auto reservedBefore = mouse->readMemory(339, 41);
    const auto file = otherI2CProfile();
    int restarts = 0;
    EXPECT_EQ(cycle.loadProfile(file, [&] { ++restarts; }), CycleResult::Done);
    EXPECT_EQ(restarts, 1);
    EXPECT_FALSE(applying);

    auto fileSpan = [&](std::size_t from, std::size_t n) {
        return std::vector<Byte>(file.begin() + static_cast<std::ptrdiff_t>(from),
                                 file.begin() + static_cast<std::ptrdiff_t>(from + n));
    };
    const auto live = mouse->liveSettings();
    EXPECT_EQ(std::vector<Byte>(live.begin(), live.end()), fileSpan(0, 192));
    EXPECT_EQ(mouse->readMemory(192, 147), fileSpan(192, 147));
    EXPECT_EQ(mouse->readMemory(339, 41), reservedBefore);
    EXPECT_EQ(mouse->readMemory(484, 12), fileSpan(484, 12));
    EXPECT_EQ(mouse->readMemory(496, 512), bytesOf(buffers.deviceMacroArea));
    EXPECT_EQ(mouse->readMemory(1536, 512), fileSpan(1008, 512));
    EXPECT_EQ(mouse->readMemory(1008, 16), fileSpan(1520, 16));
    EXPECT_EQ(mouse->readMemory(1024, 512), fileSpan(1536, 512));
    EXPECT_EQ(buffers.workingImage, buffers.dataBuf);
}

TEST_F(CycleTest, LoadProfileRefusesWhatCannotBeThisMousesProfileWithoutSendingAnything) {
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    const core::ConfigBuffers before = buffers;
    auto changed = [](std::initializer_list<std::pair<std::size_t, Byte>> bytes, bool fix = true) {
        auto file = otherI2CProfile();
        for (const auto& [at, value] : bytes) {
            file[at] = value;
        }
        if (fix) {
            fixChecksums(file);
        }
        return file;
    };
    auto withTail = otherI2CProfile();
    withTail.push_back(0);
    auto shortFile = otherI2CProfile();
    shortFile.pop_back();
    struct Case {
        const char* what;
        std::vector<Byte> file;
        core::LoadRefusal refusal;
    };
    const Case cases[] = {
        {"Flash file", test::makeTestImage(core::profile_file::kFlashSize, 0xF0),
         core::LoadRefusal::StorageKindMismatch},
        {"short", shortFile, core::LoadRefusal::TooShort},
        {"long", withTail, core::LoadRefusal::TooLong},
        {"vendor section damaged", changed({{100, 0x00}}, false), core::LoadRefusal::BadChecksum},
        {"user section damaged", changed({{170, 0x00}}, false), core::LoadRefusal::BadChecksum},
        {"profile 3 damaged", changed({{300, 0x00}}, false), core::LoadRefusal::BadChecksum},
        {"other vendor id", changed({{1, 0x0A}}), core::LoadRefusal::OtherMouse},
        {"other product id", changed({{3, 0x02}}), core::LoadRefusal::OtherMouse},
        {"other ManuId", changed({{484, 0x00}}), core::LoadRefusal::OtherMouse},
        {"other ProId", changed({{485, 0x00}}), core::LoadRefusal::OtherMouse},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        bool restarted = false;
        core::FileLoadResult why;
        EXPECT_EQ(cycle.loadProfile(
                      c.file, [&] { restarted = true; }, &why),
                  CycleResult::Refused);
        EXPECT_EQ(why.refusal, c.refusal) << why.reason();
        EXPECT_FALSE(restarted);
        EXPECT_FALSE(applying);
        EXPECT_TRUE(mouse->reportLog().empty());
        EXPECT_EQ(buffers, before);
    }
}

// --- saving ---------------------------------------------------------------------------------------

class SaveTest : public CycleTest {
protected:
    SaveTest() {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    ~SaveTest() override { std::filesystem::remove_all(folder); }
    static std::vector<Byte> contents(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("tarvik_save_" + std::to_string(::getpid()) + "_" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
};

TEST_F(SaveTest, ASavedFileOfAHealthyMouseLoadsBackIntoIt) {
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    const auto path = folder / "mouse.bin";
    ASSERT_EQ(cycle.saveProfile(StorageKind::I2C, {}, path), CycleResult::Done);
    const auto saved = contents(path);
    ASSERT_EQ(saved.size(), 2048u);
    EXPECT_EQ(saved, core::writeProfileFile(buffers));

    int restarts = 0;
    core::FileLoadResult why;
    EXPECT_EQ(cycle.loadProfile(
                  saved, [&] { ++restarts; }, &why),
              CycleResult::Done)
        << why.reason();
    EXPECT_EQ(restarts, 1);
}

TEST_F(SaveTest, AMouseThatLeavesDuringTheReReadWritesNoFile) {
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    const auto path = folder / "mouse.bin";
    const std::vector<Byte> old(2048, 0x11);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(old.data()), 2048);

    emulator::Faults faults;
    faults.unplugAtReport = mouse->reportCount() + 200; // inside the stored-memory reads
    mouse->setFaults(faults);
    core::FileResult written{"not touched"};
    EXPECT_EQ(cycle.saveProfile(StorageKind::I2C, {}, path, &written), CycleResult::NotRead);
    EXPECT_EQ(written.error, "not touched");
    EXPECT_EQ(contents(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1); // no leftovers
    EXPECT_FALSE(mouse->present());
}

TEST_F(SaveTest, AFileThatCannotBeWrittenIsReported) {
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    core::FileResult written;
    EXPECT_EQ(cycle.saveProfile(StorageKind::I2C, {}, folder / "missing" / "mouse.bin", &written),
              CycleResult::FileFailed);
    EXPECT_NE(written.error.find("mouse.bin"), std::string::npos) << written.error;
}

// --- with discovery ------------------------------------------------------------------------------

// The window's side of discovery, wired to the cycle as the main window wires it.
struct DiscoveryWindow : core::DiscoveryUi {
    void showNoDevice() override { events.push_back("no device"); }
    void showDeviceReady() override { events.push_back("ready"); }
    void startFullRead() override {
        events.push_back("full read");
        if (cycle->fullRead(discovery->storageKind(), [this] { discovery->showDeviceReady(); }) !=
            CycleResult::Done) {
            discovery->fullReadFailed();
        }
    }
    void refreshErrorAP() override {}
    void showMessageDialog(std::string_view key) override { events.push_back(std::string(key)); }
    void showMessageBox(std::string_view key) override { events.push_back(std::string(key)); }
    void setDevTimerEnabled(bool) override {}
    void setApplyingImage(bool value) override { *applying = value; }
    void showPermissionProblem() override {}

    core::ConfigCycle* cycle = nullptr;
    core::DeviceDiscovery* discovery = nullptr;
    bool* applying = nullptr;
    std::vector<std::string> events;
};

class DiscoveryCycleTest : public CycleTest {
protected:
    DiscoveryCycleTest() {
        window.cycle = &cycle;
        window.discovery = &discovery;
        window.applying = &applying;
    }
    DiscoveryWindow window;
    core::DeviceDiscovery discovery{link, window, core::DefaultIdentity::fromResources().value()};
};

TEST_F(DiscoveryCycleTest, AnAcceptedMouseIsReadAndAfterDefaultSettingsReadBackFromItsRestart) {
    emulator::VirtualMouse::Options options; // built-in default image 1
    options.clock = &clock;
    mouse = bus.addMouse(options);
    discovery.devTimerTimer();
    ASSERT_THAT(window.events, ElementsAre("full read", "ready"));
    EXPECT_EQ(buffers.storageKind, StorageKind::I2C);
    EXPECT_EQ(cycle.buttonCodeTable().text(2, 2), "0B170302");
    EXPECT_FALSE(applying);

    window.events.clear();
    cycle.buttonCodeTable().set(2, 2, "01010000"); // drawn but never sent: overwritten by the defaults
    EXPECT_EQ(cycle.defaultSettings(2, [this] { discovery.resetAndRefind(); }), CycleResult::Done);
    EXPECT_EQ(mouse->resetCount(), 1);
    EXPECT_THAT(window.events, ElementsAre("no device", "full read", "ready"));
    EXPECT_EQ(discovery.state(), core::LinkState::Ready);
    // What the pages show now came back from the restarted mouse.
    EXPECT_EQ(cycle.buttonCodeTable().text(2, 2), "0B100102");
    EXPECT_EQ(cycle.buttonCodeTable().text(2, 5), "0B110102");
    EXPECT_EQ(buffers.workingImage.ledColor(1), (core::Rgb{0xFF, 0x00, 0x00}));
    EXPECT_FALSE(applying);
}

// Identity bytes broken (as a write cut off over them once left them) lock the mouse out of every
// write, default settings included; only the repair, asked for on purpose, writes the defaults, and
// the mouse then comes back accepted and read.
TEST_F(DiscoveryCycleTest, AMouseRefusedForItsIdentityIsRepairedOnlyOnPurpose) {
    emulator::VirtualMouse::Options options;
    options.clock = &clock;
    mouse = bus.addMouse(options);
    const auto good = mouse->readMemory(484, 2);
    mouse->setIdentity(0x12, 0x34);
    discovery.devTimerTimer();
    ASSERT_EQ(discovery.state(), core::LinkState::RefusedIdentity);
    ASSERT_TRUE(applying);
    EXPECT_NE(cycle.defaultSettings(1, [this] { discovery.resetAndRefind(); }), CycleResult::Done);
    EXPECT_NE(cycle.commitKeyBlock(core::ConfigCycle::Variant::Complete), CycleResult::Done);
    EXPECT_EQ(mouse->readMemory(484, 2), (std::vector<Byte>{0x12, 0x34}));

    // A read that does not get every report writes nothing and keeps the mouse held.
    emulator::Faults faults;
    faults.failFetches = true;
    mouse->setFaults(faults);
    EXPECT_EQ(cycle.repairWithDefaults(discovery.storageKind(), 1, [this] { discovery.resetAndRefind(); }),
              CycleResult::NotRead);
    EXPECT_TRUE(applying);
    EXPECT_EQ(mouse->resetCount(), 0);
    mouse->setFaults({});

    window.events.clear();
    EXPECT_EQ(cycle.repairWithDefaults(discovery.storageKind(), 1, [this] { discovery.resetAndRefind(); }),
              CycleResult::Done);
    EXPECT_EQ(mouse->readMemory(484, 2), good);
    EXPECT_EQ(mouse->resetCount(), 1);
    EXPECT_EQ(discovery.state(), core::LinkState::Ready);
    EXPECT_TRUE(cycle.configurationRead());
    EXPECT_FALSE(applying);
}

// --- writes that do not go through -----------------------------------------------------------------

// One user action's write sequence, as the window starts it, with what it reports.
enum class Action { WorkMode, KeyBlock, Defaults, LoadProfile, Program };

const char* actionName(Action a) {
    static constexpr const char* kNames[] = {"work mode", "key block", "defaults", "profile load", "program"};
    return kNames[static_cast<int>(a)];
}

struct FaultCase {
    Action action;
    bool unplug;  // the mouse leaves the bus instead of refusing one report
    int atReport; // counted from the action's first report
};

class WriteFaultTest : public CycleTest, public ::testing::WithParamInterface<FaultCase> {
protected:
    // True when the action says every report went through.
    bool run(Action action) {
        switch (action) {
        case Action::WorkMode:
            return core::switchWorkMode(cycle, link, buffers.workingImage, 2, true).stored();
        case Action::KeyBlock:
            cycle.buttonCodeTable().set(2, 3, "0300E900");
            return cycle.commitKeyBlock(core::ConfigCycle::Variant::Complete) == CycleResult::Done;
        case Action::Defaults:
            return cycle.defaultSettings(2, [this] { ++restarts; }) == CycleResult::Done;
        case Action::LoadProfile:
            return cycle.loadProfile(otherI2CProfile(), [this] { ++restarts; }) == CycleResult::Done;
        case Action::Program:
            return cycle.programPatch(std::vector<Byte>(528, 0x11), [this] { ++restarts; }) ==
                   CycleResult::Done;
        }
        return false;
    }
    int restarts = 0;
};

TEST_P(WriteFaultTest, AReportThatDoesNotGoThroughIsReportedAndTheRestartStillFollows) {
    const FaultCase c = GetParam();
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    emulator::Faults faults;
    (c.unplug ? faults.unplugAtReport : faults.refuseReport) = mouse->reportCount() + c.atReport;
    mouse->setFaults(faults);

    EXPECT_FALSE(run(c.action)) << actionName(c.action);
    const bool restarts_ =
        c.action == Action::Defaults || c.action == Action::LoadProfile || c.action == Action::Program;
    EXPECT_EQ(restarts, restarts_ ? 1 : 0) << actionName(c.action);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, WriteFaultTest,
    ::testing::Values(FaultCase{Action::WorkMode, false, 5}, FaultCase{Action::WorkMode, true, 2},
                      FaultCase{Action::KeyBlock, false, 10}, FaultCase{Action::KeyBlock, true, 3},
                      // after the UserSection read-back: the take-up writes
                      FaultCase{Action::KeyBlock, false, 22 + 3 + 5 + 1},
                      FaultCase{Action::Defaults, false, 70}, FaultCase{Action::Defaults, true, 200},
                      FaultCase{Action::LoadProfile, false, 1}, FaultCase{Action::LoadProfile, true, 300},
                      FaultCase{Action::Program, false, 2}, FaultCase{Action::Program, true, 40}));

TEST_P(WriteFaultTest, WithoutAFaultEveryActionReportsSuccess) {
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    EXPECT_TRUE(run(GetParam().action)) << actionName(GetParam().action);
}

// A refused read is no lost write: the key block still reports success when only the UserSection
// read-back fails (the take-up writes then use the mode as drawn).
TEST_F(CycleTest, ARefusedReadBackDuringACommitIsNotAFailedWrite) {
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    emulator::Faults faults;
    faults.failFetches = true;
    mouse->setFaults(faults);
    EXPECT_EQ(cycle.commitKeyBlock(core::ConfigCycle::Variant::KeysOnly), CycleResult::Done);
}

// --- one failed report at every position of every edit's write --------------------------------------

enum class Edit { KeyBlock, MacroAdd, MacroDelete, FireConfirm, LoadProfile, Defaults, Program };

// What the mouse holds at the start: the test image, or built-in default image 1 (real macros),
// also with one more macro added.
enum class Start { TestImage, BuiltIn, BuiltInWithMacro };

struct SweepCase {
    Edit edit;
    StorageKind kind;
    Start start;
};

std::string sweepName(const ::testing::TestParamInfo<SweepCase>& info) {
    static constexpr const char* kNames[] = {"KeyBlock",    "MacroAdd", "MacroDelete", "FireConfirm",
                                             "LoadProfile", "Defaults", "Program"};
    return std::string(kNames[static_cast<int>(info.param.edit)]) +
           (info.param.kind == StorageKind::I2C ? "I2C" : "Flash");
}

// A sound profile file of the rig's own mouse with other settings: the settings, profiles and the
// reserved block changed, the ids, identity bytes and marker kept.
std::vector<Byte> changedOwnProfile(Rig& rig) {
    rig.cycle.dataBufToMemo();
    return test::withOtherSettings(core::writeProfileFile(rig.buffers));
}

CycleResult runEdit(Rig& rig, Edit edit, const std::vector<Byte>& profile);

// The profile file a sweep's mice start from.
std::vector<Byte> sweepImage(const SweepCase& c) {
    if (c.start == Start::TestImage) {
        return c.kind == StorageKind::Flash ? test::makeTestImage(core::profile_file::kFlashSize, 0xF0)
                                            : test::makeTestImage();
    }
    if (c.start == Start::BuiltIn) {
        return {};
    }
    Rig rig(c.kind, std::vector<Byte>{}, false);
    if (rig.cycle.fullRead(c.kind, {}) != CycleResult::Done ||
        runEdit(rig, Edit::MacroAdd, {}) != CycleResult::Done) {
        return {};
    }
    rig.cycle.dataBufToMemo();
    return core::writeProfileFile(rig.buffers);
}

// The edit as its page makes it, on a rig whose configuration was read whole. The restart that
// follows a profile load, the default settings and a patch is left to the sweep.
CycleResult runEdit(Rig& rig, Edit edit, const std::vector<Byte>& profile) {
    auto& cycle = rig.cycle;
    switch (edit) {
    case Edit::KeyBlock:
        return rig.assign();
    case Edit::MacroAdd: {
        core::MacroBody body{};
        const Byte events[] = {0xA1, 0xFE, 0x00, 0x32, 0x21};
        std::copy(std::begin(events), std::end(events), body.begin());
        if (cycle.deviceMacroTable().add(core::nameToField("Sweep"), body) !=
            core::DeviceMacroTable::Result::Done) {
            return CycleResult::Refused;
        }
        return cycle.writeDeviceMacros();
    }
    case Edit::MacroDelete:
        if (cycle.deviceMacroTable().remove(0) != core::DeviceMacroTable::Result::Done) {
            return CycleResult::Refused;
        }
        return cycle.writeDeviceMacros();
    case Edit::FireConfirm: {
        rig.buffers.fireMacros.names[1] = core::nameToField("Sweep");
        rig.buffers.joinFireMacroStore();
        std::array<core::Rgb, 10> colours{};
        for (int c = 0; c < 10; ++c) {
            colours[static_cast<std::size_t>(c)] = core::Rgb{static_cast<Byte>(16 * c), 0x40, 0x80};
        }
        return cycle.commitFireMacros(colours);
    }
    case Edit::LoadProfile:
        return cycle.loadProfile(profile, {});
    case Edit::Defaults:
        return cycle.defaultSettings(2, {});
    case Edit::Program:
        if (rig.buffers.storageKind == StorageKind::I2C) {
            return cycle.programPatch(std::vector<Byte>(528, 0x11), {});
        }
        std::vector<Byte> file(0x8000 + 1024, 0x00);
        std::fill(file.begin() + 0x8000, file.end(), Byte{0x01});
        return cycle.programPatch(file, {});
    }
    return CycleResult::Refused;
}

// The stored-memory bytes a report log shows being written: memory writes, and on "I2C" the live
// settings, which the mouse keeps in the same memory.
std::vector<bool> writtenBytes(const std::vector<emulator::ReportRecord>& log, StorageKind kind,
                               std::size_t size) {
    std::vector<bool> written(size, false);
    auto mark = [&](std::size_t from, std::size_t n) {
        for (std::size_t i = from; i < std::min(size, from + n); ++i) {
            written[i] = true;
        }
    };
    for (const auto& r : log) {
        if (r.kind != emulator::ReportRecord::Kind::Set || r.bytes.at(0) != 0x40) {
            continue;
        }
        if (r.bytes[1] == 0x07) {
            mark(static_cast<std::size_t>(r.bytes[2] << 8 | r.bytes[3]),
                 static_cast<std::size_t>(r.bytes[4] << 8 | r.bytes[5]));
        } else if (r.bytes[1] == 0x05 && kind == StorageKind::I2C) {
            mark(r.bytes[3], r.bytes[7]);
        }
    }
    return written;
}

class WriteSweepTest : public ::testing::TestWithParam<SweepCase> {};

// Every report of the edit in turn is refused, and separately the mouse is unplugged as it arrives.
// Afterwards the mouse's memory holds, byte by byte, either what it held before or what the
// undisturbed edit leaves there, and nothing at all changed outside the bytes the edit writes; its
// identity bytes are one or the other as a pair; the edit does not claim success; and the mouse,
// plugged back in, reads whole.
TEST_P(WriteSweepTest, ARefusedReportOrAnUnpluggedMouseAtAnyPositionLeavesTheMouseReadable) {
    const SweepCase c = GetParam();
    const std::uint16_t identityAt = c.kind == StorageKind::I2C ? core::memmap::i2c::kFireKeyBlock.address
                                                                : core::memmap::flash::kFireKeyBlock.address;
    const std::vector<Byte> image = sweepImage(c);
    Rig reference(c.kind, image, true);
    ASSERT_EQ(reference.cycle.fullRead(c.kind, {}), CycleResult::Done);
    const std::vector<Byte> profile =
        c.edit == Edit::LoadProfile ? changedOwnProfile(reference) : std::vector<Byte>{};
    const auto before = reference.mouse->memory();
    reference.mouse->clearReportLog();
    const int start = reference.mouse->reportCount();
    ASSERT_EQ(runEdit(reference, c.edit, profile), CycleResult::Done);
    const int reports = reference.mouse->reportCount() - start;
    const auto log = reference.mouse->reportLog();
    ASSERT_EQ(static_cast<int>(log.size()), reports);
    const auto after = reference.mouse->memory();
    const auto written = writtenBytes(log, c.kind, before.size());
    ASSERT_NE(before, after) << "the edit must change the mouse for the sweep to show anything";

    std::vector<std::string> wrong;
    const bool verbose = std::getenv("SWEEP_VERBOSE") != nullptr;
    for (const bool unplug : {false, true}) {
        for (int position = 1; position <= reports; ++position) {
            Rig rig(c.kind, image, false);
            ASSERT_EQ(rig.cycle.fullRead(c.kind, {}), CycleResult::Done);
            emulator::Faults faults;
            (unplug ? faults.unplugAtReport : faults.refuseReport) = rig.mouse->reportCount() + position;
            rig.mouse->setFaults(faults);
            const CycleResult result = runEdit(rig, c.edit, profile);
            rig.mouse->setFaults({});
            const auto memory = rig.mouse->memory();

            const auto& report = log[static_cast<std::size_t>(position - 1)];
            // Unplugged between 0x0F and the work mode that make the mouse take up new key codes,
            // the mouse keeps the 0x0F: no report can reach it to put the mode back.
            const bool takeUpCut = unplug && report.bytes.at(0) == 0x40 && report.bytes[1] == 0x05 &&
                                   report.bytes[3] == core::image::kCurrentProfile;
            std::string what;
            for (std::size_t i = 0; i < memory.size() && what.empty(); ++i) {
                if (takeUpCut && c.kind == StorageKind::I2C && i == core::image::kCurrentProfile &&
                    memory[i] == 0x0F) {
                    continue;
                }
                if (memory[i] != before[i] && (!written[i] || memory[i] != after[i])) {
                    what = "byte " + std::to_string(i) + " changed";
                }
            }
            const bool identityBefore = std::equal(
                memory.begin() + identityAt, memory.begin() + identityAt + 2, before.begin() + identityAt);
            const bool identityAfter = std::equal(
                memory.begin() + identityAt, memory.begin() + identityAt + 2, after.begin() + identityAt);
            if (!identityBefore && !identityAfter) {
                what += " identity bytes mixed";
            }
            // Only a read that went unanswered (refused, or the mouse left as it came) can leave the
            // edit whole: then it may say so, and must be right. A read command or fetch.
            const bool readRefused =
                report.kind == emulator::ReportRecord::Kind::Get ||
                (report.bytes.at(0) == 0x40 && (report.bytes[1] == 0x06 || report.bytes[1] == 0x09));
            if (result == CycleResult::Done && !(readRefused && memory == after)) {
                what += " claimed stored";
            }
            if (!rig.link.connected() || unplug) {
                rig.mouse->plug();
                rig.link.openDevice(rig.mouse->vendorId(), rig.mouse->productId());
            }
            if (rig.cycle.fullRead(c.kind, {}) != CycleResult::Done) {
                what += " no whole read after";
            }
            if (!what.empty() && verbose) {
                std::cerr << (unplug ? "unplug" : "refuse") << " at " << position << ":" << what << " report "
                          << hex(report.bytes) << "\n";
            }
            if (!what.empty()) {
                wrong.push_back(std::string(unplug ? "unplug" : "refuse") + " at " +
                                std::to_string(position) + ":" + what);
            }
        }
    }
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " of " << 2 * reports
                               << " runs, the first: " << (wrong.empty() ? std::string() : wrong.front());
}

INSTANTIATE_TEST_SUITE_P(
    Edits, WriteSweepTest,
    ::testing::Values(SweepCase{Edit::KeyBlock, StorageKind::I2C, Start::TestImage},
                      SweepCase{Edit::KeyBlock, StorageKind::Flash, Start::TestImage},
                      SweepCase{Edit::MacroAdd, StorageKind::I2C, Start::BuiltIn},
                      SweepCase{Edit::MacroAdd, StorageKind::Flash, Start::BuiltIn},
                      SweepCase{Edit::MacroDelete, StorageKind::I2C, Start::BuiltInWithMacro},
                      SweepCase{Edit::MacroDelete, StorageKind::Flash, Start::BuiltInWithMacro},
                      SweepCase{Edit::FireConfirm, StorageKind::I2C, Start::TestImage},
                      SweepCase{Edit::FireConfirm, StorageKind::Flash, Start::TestImage},
                      SweepCase{Edit::LoadProfile, StorageKind::I2C, Start::TestImage},
                      SweepCase{Edit::LoadProfile, StorageKind::Flash, Start::TestImage},
                      SweepCase{Edit::Defaults, StorageKind::I2C, Start::TestImage},
                      SweepCase{Edit::Program, StorageKind::I2C, Start::TestImage},
                      SweepCase{Edit::Program, StorageKind::Flash, Start::TestImage}),
    sweepName);

// --- programming patch code --------------------------------------------------------------------------

TEST_F(CycleTest, ProgramOnAnI2CMouseWritesHeaderAndCodeReadsThemBackThenRestarts) {
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    std::vector<Byte> file(528, 0x00);
    file[8] = 0xAB; // bytes 8-15 of the record are kept as loaded
    int restarts = 0;
    int reportsAtRestart = -1;
    EXPECT_EQ(cycle.programPatch(file,
                                 [&] {
                                     ++restarts;
                                     reportsAtRestart = static_cast<int>(mouse->reportLog().size());
                                 }),
              CycleResult::Done);

    EXPECT_EQ(mouse->readMemory(1008, 16),
              (std::vector<Byte>{0x04, 0x00, 0x02, 0x00, 0x00, 0x1A, 0x01, 0x5A, 0xAB, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(mouse->readMemory(1024, 512), std::vector<Byte>(512, 0x00));
    EXPECT_THAT(exchanges(*mouse), ElementsAre(writeMem(1008, 16), writeMem(1024, 256), writeMem(1280, 256),
                                               readMem(1008, 16), readMem(1024, 512)));
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(reportsAtRestart, static_cast<int>(mouse->reportLog().size()));
    EXPECT_EQ(ui.events.front(), "begin busy");
}

struct FlashProgramCase {
    bool locked;
};

class FlashProgramTest : public CycleTest, public ::testing::WithParamInterface<FlashProgramCase> {};

TEST_P(FlashProgramTest, TheCodeGoesOutUnlessLockedAndTheSectorAlwaysWithTheNewHeader) {
    auto image = test::makeTestImage(core::profile_file::kFlashSize, 0xF0);
    image[core::profile_file::kFlashSize - 1024 - 24] = GetParam().locked ? 0x80 : 0x00; // sector byte 0
    plug(StorageKind::Flash, image);
    readAll(StorageKind::Flash);
    ASSERT_EQ(buffers.patchLocked, GetParam().locked);
    const auto codeBefore = mouse->readMemory(0xC000, 1024);
    std::vector<Byte> file(0x8000 + 1024, 0x00);
    std::fill(file.begin() + 0x8000, file.end(), Byte{0x01}); // sum 1024 = 0x0400, ^ 0x015A = 0x055A

    EXPECT_EQ(cycle.programPatch(file, {}), CycleResult::Done);

    std::vector<Exchange> expected;
    if (!GetParam().locked)
        expected.push_back(writeMem(0xC000, 1024));
    expected.push_back(writeMem(0x1000, 256));
    expected.push_back(readMem(0x1008, 8));
    if (!GetParam().locked)
        expected.push_back(readMem(0xC000, 1024));
    EXPECT_THAT(exchanges(*mouse), ElementsAreArray(expected));
    EXPECT_EQ(mouse->readMemory(0x1008, 8),
              (std::vector<Byte>{0xC0, 0x00, 0x04, 0x00, 0x00, 0x1A, 0x05, 0x5A}));
    EXPECT_EQ(mouse->readMemory(0xC000, 1024),
              GetParam().locked ? codeBefore : std::vector<Byte>(1024, 0x01));
}

INSTANTIATE_TEST_SUITE_P(PatchLock, FlashProgramTest,
                         ::testing::Values(FlashProgramCase{false}, FlashProgramCase{true}));

TEST_F(CycleTest, ProgramReportsAByteTheMouseDoesNotKeepAndStillRestarts) {
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    emulator::Faults faults;
    faults.corruptStoredByte = 1024 + 300;
    mouse->setFaults(faults);
    int restarts = 0;
    EXPECT_EQ(cycle.programPatch(std::vector<Byte>(528, 0x22), [&] { ++restarts; }),
              CycleResult::ReadBackDiffers);
    EXPECT_EQ(restarts, 1);
}

TEST_F(CycleTest, ProgramRefusesAShortFileAndWithoutAReadConfigurationSendsNothing) {
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    const core::ConfigBuffers before = buffers;
    int restarts = 0;
    core::FileLoadResult why;
    EXPECT_EQ(cycle.programPatch(
                  std::vector<Byte>(527, 0x00), [&] { ++restarts; }, &why),
              CycleResult::Refused);
    EXPECT_FALSE(why);
    EXPECT_EQ(buffers, before);

    link.dropLink();
    ASSERT_EQ(link.openDevice(mouse->vendorId(), mouse->productId()), core::OpenResult::Opened);
    mouse->clearReportLog();
    EXPECT_EQ(cycle.programPatch(std::vector<Byte>(528, 0x00), [&] { ++restarts; }), CycleResult::NotRead);
    EXPECT_TRUE(mouse->reportLog().empty());
    EXPECT_EQ(restarts, 0);
}

} // namespace
