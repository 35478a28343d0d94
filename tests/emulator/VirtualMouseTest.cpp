#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include <sys/mount.h>
#include <unistd.h>

#include "ManualClock.h"
#include "TestImage.h"
#include "core/device/RuntimeOptions.h"
#include "core/device/TranscriptTransport.h"
#include "core/image/MemoryMap.h"
#include "emulator/EmulatorTransport.h"
#include "emulator/TransportFactory.h"
#include "resources/Resources.h"

using namespace tarvik;
using core::Byte;
using core::StorageKind;
using emulator::VirtualMouse;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
namespace mm = core::memmap;

namespace {

using namespace std::chrono_literals;
using Report = std::array<Byte, 8>;

std::vector<Byte> slice(std::span<const Byte> bytes, std::size_t from, std::size_t length) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from),
            bytes.begin() + static_cast<std::ptrdiff_t>(from + length)};
}

// The mouse spoken to in raw reports, with no DeviceLink in between.
class VirtualMouseTest : public ::testing::Test {
protected:
    std::shared_ptr<VirtualMouse> plug(StorageKind kind = StorageKind::I2C, std::vector<Byte> image = {}) {
        VirtualMouse::Options options;
        options.kind = kind;
        options.image = std::move(image);
        options.clock = &clock;
        auto mouse = bus.addMouse(options);
        return mouse;
    }

    std::unique_ptr<core::HidHandle> openInterface(int index) {
        for (const auto& info : bus.enumerate()) {
            if (info.path.starts_with("virtual:mouse") && info.path.ends_with("/" + std::to_string(index))) {
                return bus.open(info.path);
            }
        }
        return nullptr;
    }
    std::unique_ptr<core::HidHandle> openConfig() { return openInterface(VirtualMouse::kConfigInterface); }

    static bool set(core::HidHandle& handle, Report report) { return handle.setFeature(report); }
    static std::optional<Report> get(core::HidHandle& handle) {
        Report report{0x41, 0, 0, 0, 0, 0, 0, 0};
        if (!handle.getFeature(report)) {
            return std::nullopt;
        }
        return report;
    }

    std::vector<Byte> shipped() {
        auto bytes = resources::find("images/TarvikData_Cfg1.bin").value();
        return {bytes.begin(), bytes.end()};
    }

    test::ManualClock clock;
    emulator::EmulatorTransport bus;
};

TEST_F(VirtualMouseTest, AnI2CMouseStartsFromDefaultImage1) {
    auto mouse = plug();
    const auto image = shipped();
    EXPECT_EQ(mouse->vendorId(), image[0] << 8 | image[1]);
    EXPECT_EQ(mouse->productId(), image[2] << 8 | image[3]);
    const auto live = mouse->liveSettings();
    EXPECT_EQ(std::vector<Byte>(live.begin(), live.end()), slice(image, 0, 192));
    const auto memory = mouse->memory();
    ASSERT_EQ(memory.size(), mm::i2c::kMemorySize);
    // Profile sections, reserved block, fire key block and macro area sit where the file has them;
    // the fire macro store, patch header and patch code move.
    EXPECT_EQ(slice(memory, 192, 147), slice(image, 192, 147));
    EXPECT_EQ(slice(memory, 339, 41), slice(image, 339, 41));
    EXPECT_EQ(slice(memory, 484, 12), slice(image, 484, 12));
    EXPECT_EQ(slice(memory, 496, 512), slice(image, 496, 512));
    EXPECT_EQ(slice(memory, 1008, 16), slice(image, 1520, 16));
    EXPECT_EQ(slice(memory, 1024, 512), slice(image, 1536, 512));
    EXPECT_EQ(slice(memory, 1536, 512), slice(image, 1008, 512));
}

TEST_F(VirtualMouseTest, AFlashMouseLaysTheImageOutInItsFlashMap) {
    auto fromI2C = plug(StorageKind::Flash);
    const auto image = shipped();
    auto memory = fromI2C->memory();
    const std::size_t sector = mm::flash::kSector.address;
    EXPECT_EQ(slice(memory, sector + 24, 147), slice(image, 192, 147));
    EXPECT_EQ(slice(memory, sector + 171, 41), slice(image, 339, 41));
    EXPECT_EQ(slice(memory, 0x6000, 11), slice(image, 484, 11));
    EXPECT_EQ(memory[0x600B], 0xF0);
    EXPECT_EQ(slice(memory, 0x7000, 512), slice(image, 1008, 512));

    const auto flashFile = test::makeTestImage(10760, 0xF0);
    auto fromFlashFile = plug(StorageKind::Flash, flashFile);
    memory = fromFlashFile->memory();
    EXPECT_EQ(slice(memory, sector, 24), slice(flashFile, 9712, 24));
    EXPECT_EQ(slice(memory, 0x3000, 512), slice(flashFile, 496, 512));
    EXPECT_EQ(slice(memory, 0x4000 + 256 * 31, 256), slice(flashFile, 1008 + 256 * 31, 256));
    EXPECT_EQ(slice(memory, 0x7000, 512), slice(flashFile, 9200, 512));
    EXPECT_EQ(slice(memory, 0xC000, 1024), slice(flashFile, 9736, 1024));
}

TEST_F(VirtualMouseTest, ItHasThreeInterfacesAndOnlyTheConfigurationOneAnswers) {
    auto mouse = plug();
    const int other = bus.addOtherDevice(0x046A, 0x0011, 2);
    auto interfaces = bus.enumerate();
    ASSERT_EQ(interfaces.size(), 5u);
    int eightByteFeatures = 0;
    for (const auto& info : interfaces) {
        eightByteFeatures += info.featureReportLength == 8;
    }
    EXPECT_EQ(eightByteFeatures, 1);
    auto pointer = openInterface(0);
    ASSERT_TRUE(pointer);
    EXPECT_FALSE(set(*pointer, {0x40, 0x0D, 0, 0, 0, 0, 0, 0}));
    bus.setOtherDevicePresent(other, false);
    EXPECT_EQ(bus.enumerate().size(), 3u);
}

TEST_F(VirtualMouseTest, TheProbeTellsTheStorageKind) {
    for (auto [kind, reply] :
         {std::pair{StorageKind::I2C, Byte{0xC0}}, std::pair{StorageKind::Flash, Byte{0x80}}}) {
        emulator::EmulatorTransport kindBus;
        VirtualMouse::Options options;
        options.kind = kind;
        options.clock = &clock;
        kindBus.addMouse(options);
        auto handle = kindBus.open(kindBus.enumerate()[2].path);
        ASSERT_TRUE(handle);
        ASSERT_TRUE(set(*handle, {0x40, 0x0D, 0, 0, 0, 0, 0, 0}));
        EXPECT_THAT(get(*handle).value(), ElementsAre(0x41, 0x00, 0x3A, reply, 0, 0, 0, 0));
    }
}

TEST_F(VirtualMouseTest, StatusBytesReadTheLiveValues) {
    for (StorageKind kind : {StorageKind::I2C, StorageKind::Flash}) {
        auto mouse = plug(kind);
        auto handle = bus.open(bus.enumerate().back().path);
        mouse->pressButton(VirtualMouse::kDpiUp);
        mouse->pressButton(VirtualMouse::kModeButton);
        const std::uint16_t profileAt =
            kind == StorageKind::I2C ? mm::i2c::kCurrentProfile : mm::flash::kCurrentProfile;
        const std::uint16_t dpiAt = kind == StorageKind::I2C ? mm::i2c::kCurrentDpi : mm::flash::kCurrentDpi;
        ASSERT_TRUE(set(*handle, {0x40, 0x09, Byte(profileAt >> 8), Byte(profileAt), 0, 1, 0, 0}));
        EXPECT_EQ(get(*handle).value()[1], 0xF1);
        ASSERT_TRUE(set(*handle, {0x40, 0x09, Byte(dpiAt >> 8), Byte(dpiAt), 0, 1, 0, 0}));
        EXPECT_EQ(get(*handle).value()[1], 1);
    }
}

TEST_F(VirtualMouseTest, AResetLeavesTheBusAndComesBackWithLiveSettingsReloaded) {
    auto mouse = plug();
    auto handle = openConfig();
    ASSERT_TRUE(set(*handle, {0x40, 0x05, 0, 56, 25, 0, 0, 1})); // written: kept across the reset
    mouse->pressButton(VirtualMouse::kDpiUp);                    // the mouse's own change: not kept
    ASSERT_EQ(mouse->currentDpi(), 1);

    ASSERT_TRUE(set(*handle, {0x40, 0x0E, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(bus.enumerate().empty());
    EXPECT_FALSE(get(*handle));
    clock.advance(1499ms);
    EXPECT_TRUE(bus.enumerate().empty());
    clock.advance(1ms);
    EXPECT_EQ(bus.enumerate().size(), 3u);
    EXPECT_FALSE(set(*handle, {0x40, 0x0D, 0, 0, 0, 0, 0, 0})); // a handle of before stays dead
    EXPECT_EQ(mouse->liveSettings()[56], 25);
    EXPECT_EQ(mouse->currentDpi(), 0);
    EXPECT_EQ(mouse->resetCount(), 1);
}

TEST_F(VirtualMouseTest, NewKeyCodesAreTakenUpAfter0x0FAndARealWorkMode) {
    auto mouse = plug();
    auto handle = openConfig();
    const auto before = mouse->activeKeyCodes(1);
    // New codes for profile 2 in stored memory (49 bytes at 241: seven data reports).
    ASSERT_TRUE(set(*handle, {0x40, 0x07, 0x00, 0xF1, 0x00, 49, 0, 0}));
    for (int i = 0; i < 7; ++i) {
        const Byte b = static_cast<Byte>(0x10 + i);
        ASSERT_TRUE(set(*handle, {0x41, b, b, b, b, b, b, b}));
    }
    EXPECT_EQ(mouse->activeKeyCodes(1), before);
    ASSERT_TRUE(set(*handle, {0x40, 0x05, 0, 164, 0xF1, 0, 0, 1}));
    EXPECT_EQ(mouse->activeKeyCodes(1), before); // a work mode alone does not reload
    ASSERT_TRUE(set(*handle, {0x40, 0x05, 0, 164, 0x0F, 0, 0, 1}));
    ASSERT_TRUE(set(*handle, {0x40, 0x05, 0, 164, 0xF1, 0, 0, 1}));
    const auto after = mouse->activeKeyCodes(1);
    EXPECT_EQ(after[0], 0x10);
    EXPECT_EQ(after[47], 0x16);
    EXPECT_EQ(mouse->currentProfile(), 0xF1);
}

TEST_F(VirtualMouseTest, ButtonsChangeTheStatusAndSendInputReports) {
    auto mouse = plug(StorageKind::I2C, test::makeTestImage()); // four DPI levels, first one current
    auto config = openConfig();
    auto pointer = openInterface(0);
    struct Step {
        Byte button;
        Byte dpi;
        Byte profile;
    };
    const Step steps[] = {{VirtualMouse::kDpiDown, 0, 0x00},    {VirtualMouse::kDpiUp, 1, 0x00},
                          {VirtualMouse::kDpiUp, 2, 0x00},      {VirtualMouse::kDpiUp, 3, 0x00},
                          {VirtualMouse::kDpiUp, 3, 0x00},      {VirtualMouse::kDpiCycle, 0, 0x00},
                          {VirtualMouse::kModeButton, 0, 0xF1}, {VirtualMouse::kModeButton, 0, 0x02},
                          {VirtualMouse::kModeButton, 0, 0x00}};
    for (const Step& step : steps) {
        mouse->pressButton(step.button);
        EXPECT_EQ(mouse->currentDpi(), step.dpi);
        EXPECT_EQ(mouse->currentProfile(), step.profile);
        std::array<Byte, 8> input{};
        ASSERT_EQ(config->readInput(input, 100ms), 8);
        EXPECT_THAT(input, ElementsAre(0x42, 0, 0, step.button, 0, 0, 0, 0));
    }
    mouse->releaseButtons();
    std::array<Byte, 8> input{};
    ASSERT_EQ(config->readInput(input, 100ms), 8);
    EXPECT_EQ(input[3], 0);
    EXPECT_EQ(config->readInput(input, 1ms), 0);  // nothing more
    EXPECT_EQ(pointer->readInput(input, 1ms), 0); // the pointer interface reports nothing here
    mouse->unplug();
    EXPECT_EQ(config->readInput(input, 100ms), -1);
}

TEST_F(VirtualMouseTest, FaultsOnDemand) {
    auto mouse = plug();
    auto handle = openConfig();
    emulator::Faults faults;
    faults.refuseReport = 2;
    mouse->setFaults(faults);
    EXPECT_TRUE(set(*handle, {0x40, 0x05, 0, 56, 30, 0, 0, 1}));
    EXPECT_FALSE(set(*handle, {0x40, 0x05, 0, 56, 31, 0, 0, 1}));
    EXPECT_EQ(mouse->liveSettings()[56], 30); // refused: no effect

    faults = {};
    faults.failFetches = true;
    mouse->setFaults(faults);
    EXPECT_TRUE(set(*handle, {0x40, 0x0D, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(get(*handle));

    faults = {};
    faults.probeReply = std::array<Byte, 2>{0x3A, 0x55};
    faults.stayAwayAfterReset = true;
    mouse->setFaults(faults);
    EXPECT_TRUE(set(*handle, {0x40, 0x0D, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(get(*handle).value()[3], 0x55);
    EXPECT_TRUE(set(*handle, {0x40, 0x0E, 0, 0, 0, 0, 0, 0}));
    clock.advance(1h);
    EXPECT_FALSE(mouse->present());
    mouse->plug();
    EXPECT_TRUE(mouse->present());
    EXPECT_EQ(mouse->liveSettings()[56], 30);
}

TEST_F(VirtualMouseTest, UnknownReportsAndCommandsAreRefused) {
    plug();
    auto handle = openConfig();
    EXPECT_FALSE(set(*handle, {0x40, 0x33, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(set(*handle, {0x43, 0x05, 0, 0, 0, 0, 0, 0}));
    Report wrongId{0x40, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(handle->getFeature(wrongId));
    const Byte shortReport[] = {0x40, 0x0D};
    EXPECT_FALSE(handle->setFeature(shortReport));
}

// --- runtime switches ------------------------------------------------------------------------------

// A state file keeps what the mouse stores across runs: written after each write it keeps, read
// by the next mouse made over it, whatever kind that one was asked to be.
TEST_F(VirtualMouseTest, AStateFileKeepsTheMemoryAcrossRuns) {
    const auto folder = std::filesystem::temp_directory_path() / "tarvik_state_test";
    std::filesystem::create_directories(folder);
    for (const StorageKind kind : {StorageKind::I2C, StorageKind::Flash}) {
        SCOPED_TRACE(kind == StorageKind::I2C ? "I2C" : "Flash");
        const auto state = folder / "mouse.state";
        std::filesystem::remove(state);
        VirtualMouse::Options options;
        options.kind = kind;
        options.clock = &clock;
        options.statePath = state.string();
        auto mouse = std::make_shared<VirtualMouse>(options);
        emulator::EmulatorTransport ownBus;
        ownBus.addMouse(mouse);
        EXPECT_EQ(mouse->stateProblem(), "");
        EXPECT_FALSE(std::filesystem::exists(state)) << "nothing was written yet";
        std::unique_ptr<core::HidHandle> handle;
        for (const auto& info : ownBus.enumerate()) {
            if (info.featureReportLength == 8) {
                handle = ownBus.open(info.path);
            }
        }
        ASSERT_TRUE(handle);
        // A stored write of 7 bytes at 0x0400 and a live setting (the work mode).
        ASSERT_TRUE(set(*handle, {0x40, 0x07, 0x04, 0x00, 0x00, 0x07, 0x00, 0x00}));
        ASSERT_TRUE(set(*handle, {0x41, 1, 2, 3, 4, 5, 6, 7}));
        ASSERT_TRUE(std::filesystem::exists(state)) << "stored after the write";
        ASSERT_TRUE(set(*handle, {0x40, 0x05, 0x00, 0xA4, 0xF1, 0x00, 0x00, 0x01}));
        const std::vector<Byte> memory = mouse->memory();

        // The next run, asked for the other kind, is the same mouse.
        options.kind = kind == StorageKind::I2C ? StorageKind::Flash : StorageKind::I2C;
        VirtualMouse again(options);
        EXPECT_EQ(again.stateProblem(), "");
        EXPECT_EQ(again.kind(), kind);
        EXPECT_EQ(again.memory(), memory);
        EXPECT_THAT(again.readMemory(0x0400, 7), ElementsAre(1, 2, 3, 4, 5, 6, 7));
        EXPECT_EQ(again.currentProfile(), 0xF1);
    }
    std::filesystem::remove_all(folder);
}

TEST_F(VirtualMouseTest, AFileThatIsNotAStateFileIsReportedAndLeftAlone) {
    const auto file = std::filesystem::temp_directory_path() / "tarvik_not_a_state.txt";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "notes the user keeps here";
    }
    VirtualMouse::Options options;
    options.clock = &clock;
    options.statePath = file.string();
    {
        VirtualMouse mouse(options);
        EXPECT_NE(mouse.stateProblem().find("not a virtual mouse state file"), std::string::npos);
        EXPECT_EQ(mouse.memory(), VirtualMouse(VirtualMouse::Options{}).memory()) << "starts afresh";
        EXPECT_FALSE(mouse.storeState());
    }
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "notes the user keeps here");
    std::filesystem::remove(file);
}

// A mouse keeping its state in `statePath`, on a bus of its own, with its configuration interface.
struct StatefulMouse {
    explicit StatefulMouse(const std::filesystem::path& statePath, core::Clock& clock) {
        VirtualMouse::Options options;
        options.clock = &clock;
        options.statePath = statePath.string();
        mouse = std::make_shared<VirtualMouse>(options);
        bus.addMouse(mouse);
        for (const auto& info : bus.enumerate()) {
            if (info.featureReportLength == 8) {
                handle = bus.open(info.path);
            }
        }
    }
    // A stored write of 7 bytes at 0x0400; true when both reports were taken.
    bool storeSeven(Byte value) {
        const Report command{0x40, 0x07, 0x04, 0x00, 0x00, 0x07, 0x00, 0x00};
        const Report data{0x41, value, value, value, value, value, value, value};
        return handle->setFeature(command) && handle->setFeature(data);
    }
    bool setWorkMode(Byte mode) {
        const Report report{0x40, 0x05, 0x00, 0xA4, mode, 0x00, 0x00, 0x01};
        return handle->setFeature(report);
    }

    emulator::EmulatorTransport bus;
    std::shared_ptr<VirtualMouse> mouse;
    std::unique_ptr<core::HidHandle> handle;
};

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A folder for state files, removed with what is mounted on it.
class StateFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/tarvik_state_XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        folder = name;
    }
    void TearDown() override {
        if (mounted) {
            ::umount(folder.c_str());
        }
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(folder);
    }
    // A 64 KiB file system on the folder; false when this machine lets none be mounted.
    bool mountSmallDisk() {
        mounted = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k,mode=0700") == 0;
        return mounted;
    }

    std::filesystem::path folder;
    test::ManualClock clock;
    bool mounted = false;
};

enum class Broken { FullDisk, ReadOnly };

class StateStoreFailureTest : public StateFolderTest, public ::testing::WithParamInterface<Broken> {};

// A write the mouse cannot keep is a refused report: the host hears of it, the mouse says why, and
// the state file keeps the last state that was stored whole.
TEST_P(StateStoreFailureTest, AStoreThatFailsRefusesTheReportAndKeepsTheLastWholeState) {
    const bool root = ::geteuid() == 0;
    if (root && !mountSmallDisk()) {
        GTEST_SKIP() << "no tmpfs can be mounted here";
    }
    if (!root && GetParam() == Broken::FullDisk) {
        GTEST_SKIP() << "a full disk needs a tmpfs, which only root may mount";
    }
    const auto state = folder / "mouse.state";
    StatefulMouse m(state, clock);
    ASSERT_TRUE(m.handle);
    ASSERT_TRUE(m.storeSeven(0x11));
    const std::string whole = contents(state);
    ASSERT_FALSE(whole.empty());

    if (GetParam() == Broken::FullDisk) {
        std::ofstream fill(folder / "fill", std::ios::binary);
        const std::string block(4096, 'x');
        while (fill.write(block.data(), static_cast<std::streamsize>(block.size())) && fill.flush()) {
        }
    } else if (root) {
        ASSERT_EQ(::mount("tmpfs", folder.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
    } else {
        std::filesystem::permissions(folder,
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    }

    EXPECT_FALSE(m.storeSeven(0x22));
    EXPECT_FALSE(m.mouse->storeProblem().empty());
    EXPECT_FALSE(m.setWorkMode(0xF1));
    EXPECT_EQ(contents(state), whole);
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        EXPECT_THAT(entry.path().filename().string(), ::testing::AnyOf("mouse.state", "fill"))
            << "a temporary file was left behind";
    }
}

INSTANTIATE_TEST_SUITE_P(Disks, StateStoreFailureTest, ::testing::Values(Broken::FullDisk, Broken::ReadOnly),
                         [](const auto& broken) {
                             return broken.param == Broken::FullDisk ? "Full" : "ReadOnly";
                         });

// The state file replaced whole, under a name of its own: private, no link planted beside it is
// followed, and a state file that is itself a link is neither written through nor replaced.
TEST_F(StateFolderTest, LinksBesideOrInPlaceOfTheStateFileAreNeverFollowedOrReplaced) {
    const auto state = folder / "mouse.state";
    const auto victim = folder / "victim";
    {
        std::ofstream out(victim, std::ios::binary);
        out << "the user's own file";
    }
    std::filesystem::create_symlink(victim, folder / "mouse.state.part");
    {
        StatefulMouse m(state, clock);
        ASSERT_TRUE(m.storeSeven(0x33));
        EXPECT_EQ(m.mouse->storeProblem(), "");
    }
    EXPECT_EQ(contents(victim), "the user's own file");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "mouse.state.part"));
    EXPECT_EQ(std::filesystem::status(state).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 3) << "temporary files left";

    // The state file moved aside and a link put in its place: the mouse reads through it, but a
    // write is refused with the reason, and the link and what it points at stay as they were.
    const auto kept = folder / "kept.state";
    std::filesystem::rename(state, kept);
    std::filesystem::create_symlink(kept, state);
    const std::string before = contents(kept);
    StatefulMouse linked(state, clock);
    EXPECT_EQ(linked.mouse->stateProblem(), "");
    EXPECT_THAT(linked.mouse->readMemory(0x0400, 7), ElementsAre(0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33));
    EXPECT_FALSE(linked.storeSeven(0x44));
    EXPECT_THAT(linked.mouse->storeProblem(), ::testing::HasSubstr("symbolic link"));
    EXPECT_FALSE(linked.setWorkMode(0xF1));
    EXPECT_TRUE(std::filesystem::is_symlink(state));
    EXPECT_EQ(contents(kept), before);
}

TEST(RuntimeOptionsTest, SwitchesAreReadFromTheEnvironment) {
    struct Case {
        std::map<std::string, std::string> env;
        StorageKind emulator;
        std::string transcript;
        double scale;
        bool warned;
        std::string state = {};
    };
    const Case cases[] = {
        {{}, StorageKind::None, "", 1.0, false},
        {{{"TARVIK_EMULATOR", "i2c"}}, StorageKind::I2C, "", 1.0, false},
        {{{"TARVIK_EMULATOR", "FLASH"}, {"TARVIK_TIME_SCALE", "0.01"}}, StorageKind::Flash, "", 0.01, false},
        {{{"TARVIK_EMULATOR", "usb"}, {"TARVIK_TIME_SCALE", "fast"}}, StorageKind::None, "", 1.0, true},
        {{{"TARVIK_TIME_SCALE", "-2"}, {"TARVIK_TRANSCRIPT", "/tmp/t.txt"}},
         StorageKind::None,
         "/tmp/t.txt",
         1.0,
         true},
        {{{"TARVIK_TIME_SCALE", "0"}}, StorageKind::None, "", 1.0, true},
        // The range's edges, and values whose scaled waits would overflow or last for years.
        {{{"TARVIK_TIME_SCALE", "0.000001"}}, StorageKind::None, "", 1e-6, false},
        {{{"TARVIK_TIME_SCALE", "100"}}, StorageKind::None, "", 100.0, false},
        {{{"TARVIK_TIME_SCALE", "100.5"}}, StorageKind::None, "", 1.0, true},
        {{{"TARVIK_TIME_SCALE", "1e10"}}, StorageKind::None, "", 1.0, true},
        {{{"TARVIK_TIME_SCALE", "inf"}}, StorageKind::None, "", 1.0, true},
        {{{"TARVIK_TIME_SCALE", "nan"}}, StorageKind::None, "", 1.0, true},
        {{{"TARVIK_EMULATOR", "i2c"}, {"TARVIK_EMULATOR_STATE", "/tmp/m.state"}},
         StorageKind::I2C,
         "",
         1.0,
         false,
         "/tmp/m.state"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> warnings;
        auto options = core::RuntimeOptions::parse(
            [&](const char* name) -> std::optional<std::string> {
                auto it = c.env.find(name);
                return it == c.env.end() ? std::nullopt : std::optional<std::string>(it->second);
            },
            [&](const std::string& text) { warnings.push_back(text); });
        EXPECT_EQ(options.emulator, c.emulator);
        EXPECT_EQ(options.transcriptPath, c.transcript);
        EXPECT_DOUBLE_EQ(options.timeScale, c.scale);
        EXPECT_EQ(options.emulatorStatePath, c.state);
        ASSERT_EQ(warnings.size(), c.warned ? 1u : 0u);
        if (c.warned) {
            EXPECT_NE(warnings[0].find("TARVIK_TIME_SCALE"), std::string::npos) << warnings[0];
        }
    }
}

TEST(TransportFactoryTest, TheEmulatorReplacesTheSystemAndTheTranscriptWrapsEither) {
    int systemBuilt = 0;
    auto system = [&]() -> std::unique_ptr<core::HidTransport> {
        ++systemBuilt;
        auto bus = std::make_unique<emulator::EmulatorTransport>();
        bus->addOtherDevice(1, 2);
        return bus;
    };
    core::RuntimeOptions options;
    options.emulator = StorageKind::Flash;
    auto setup = emulator::makeTransport(options, system);
    EXPECT_EQ(systemBuilt, 0);
    ASSERT_TRUE(setup.mouse);
    EXPECT_EQ(setup.mouse->kind(), StorageKind::Flash);
    EXPECT_EQ(setup.transport->enumerate().size(), 2u + VirtualMouse::kInterfaceCount);

    const auto path = std::filesystem::temp_directory_path() / "tarvik_factory_transcript.txt";
    std::filesystem::remove(path);
    options.emulator = StorageKind::None;
    options.transcriptPath = path.string();
    setup = emulator::makeTransport(options, system);
    EXPECT_EQ(systemBuilt, 1);
    EXPECT_FALSE(setup.mouse);
    ASSERT_NE(dynamic_cast<core::TranscriptTransport*>(setup.transport.get()), nullptr);
    auto handle = setup.transport->open(setup.transport->enumerate()[0].path);
    ASSERT_TRUE(handle);
    const Byte probe[] = {0x40, 0x0D, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(handle->setFeature(probe));
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    EXPECT_EQ(line, "SET 40 0D 00 00 00 00 00 00 FAILED");
    std::filesystem::remove(path);

    options.transcriptPath = "/nonexistent-dir/transcript.txt";
    setup = emulator::makeTransport(options, system);
    EXPECT_TRUE(setup.transcriptFailed);
    EXPECT_TRUE(setup.transport);
}

TEST(TranscriptWriterTest, FileIsPrivateAndALinkInItsPlaceIsNeitherFollowedNorSilent) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("tarvik_transcript_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto path = dir / "transcript.txt";
    {
        core::TranscriptWriter writer(path.string());
        ASSERT_TRUE(writer.isOpen()) << writer.error();
    }
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    // Another user's link where the transcript is expected: the file it points to stays as it was.
    const auto victim = dir / "victim.txt";
    std::ofstream(victim) << "keep\n";
    const auto link = dir / "linked.txt";
    std::filesystem::create_symlink(victim, link);
    core::RuntimeOptions options;
    options.emulator = StorageKind::I2C;
    options.transcriptPath = link.string();
    ::testing::internal::CaptureStderr();
    const auto setup = emulator::makeTransport(options, {});
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(setup.transcriptFailed);
    EXPECT_NE(said.find(link.string()), std::string::npos) << said;
    auto handle = setup.transport->open(setup.transport->enumerate().back().path);
    ASSERT_TRUE(handle);
    const Byte probe[] = {0x40, 0x0D, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(handle->setFeature(probe));
    std::ifstream in(victim);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "keep\n");
    std::filesystem::remove_all(dir);
}

} // namespace
