#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ManualClock.h"
#include "TestImage.h"
#include "core/cycle/ConfigCycle.h"
#include "core/device/DeviceDiscovery.h"
#include "core/image/ProfileFile.h"
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

TEST_F(CycleTest, FlashFireStoreWhoseReadIsRefusedKeepsStoreAndEditingCopyTogether) {
    plugTestMouse(StorageKind::Flash);
    readAll(StorageKind::Flash);
    const core::ConfigBuffers before = buffers;

    // Where the store's read command falls in a full read, counted on a read that succeeds.
    cycle.fullRead(StorageKind::Flash, {});
    const auto log = mouse->reportLog();
    const auto at = std::find_if(log.begin(), log.end(), [](const emulator::ReportRecord& r) {
        return r.bytes.size() == 8 && r.bytes[0] == 0x40 && r.bytes[1] == 0x09 && r.bytes[2] == 0x70;
    });
    ASSERT_NE(at, log.end());
    const int offset = static_cast<int>(at - log.begin()) + 1;

    emulator::Faults faults;
    faults.refuseReport = mouse->reportCount() + offset;
    mouse->setFaults(faults);
    mouse->writeMemory(0x7000, std::vector<Byte>(512, 0x33)); // would show if the read were taken
    cycle.fullRead(StorageKind::Flash, {});
    EXPECT_EQ(buffers.fireMacroStore, before.fireMacroStore);
    EXPECT_EQ(buffers.fireMacros, before.fireMacros);
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

std::vector<Byte> otherI2CProfile() {
    auto file = test::makeTestImage();
    for (std::size_t i = 4; i < file.size(); ++i) {
        if (i != 484 && i != 485 && i != 495) {
            file[i] ^= 0x5A;
        }
    }
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

TEST_F(CycleTest, LoadProfileRefusesForeignAndShortFilesWithoutAnyChange) {
    plugTestMouse(StorageKind::I2C);
    readAll(StorageKind::I2C);
    const core::ConfigBuffers before = buffers;
    struct Case {
        std::vector<Byte> file;
        core::LoadRefusal refusal;
    };
    const Case cases[] = {
        {test::makeTestImage(core::profile_file::kFlashSize, 0xF0), core::LoadRefusal::StorageKindMismatch},
        {test::makeTestImage(2047), core::LoadRefusal::TooShort},
    };
    for (const auto& c : cases) {
        bool restarted = false;
        core::FileLoadResult why;
        EXPECT_EQ(cycle.loadProfile(
                      c.file, [&] { restarted = true; }, &why),
                  CycleResult::Refused);
        EXPECT_EQ(why.refusal, c.refusal);
        EXPECT_FALSE(restarted);
        EXPECT_FALSE(applying);
        EXPECT_TRUE(mouse->reportLog().empty());
        EXPECT_EQ(buffers, before);
    }
}

// --- with discovery ------------------------------------------------------------------------------

// The window's side of discovery, wired to the cycle as the main window wires it.
struct DiscoveryWindow : core::DiscoveryUi {
    void showNoDevice() override { events.push_back("no device"); }
    void showDeviceReady() override { events.push_back("ready"); }
    void startFullRead() override {
        events.push_back("full read");
        cycle->fullRead(discovery->storageKind(), [this] { discovery->showDeviceReady(); });
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

} // namespace
