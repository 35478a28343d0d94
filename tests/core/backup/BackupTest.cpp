// The backup store (names, retention, the same bytes twice, files that are not its own), the list of
// what changed, and the gate before every change on the link.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../device/LinkFixture.h"
#include "core/backup/BackupStore.h"
#include "core/image/DefaultImages.h"
#include "core/macros/DeviceMacroTable.h"
#include "core/macros/MacroLibrary.h"

using namespace tarvik;
using core::Byte;
using ::testing::ElementsAre;

namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/backup-test-XXXXXX";
        m_path = ::mkdtemp(pattern);
    }
    ~TempFolder() {
        std::error_code error;
        fs::remove_all(m_path, error);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

std::vector<Byte> bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const core::MouseIdentity kMouse{0x1209, 0x0001, 0x12, 0x34};
const core::MouseIdentity kOtherMouse{0x1209, 0x0001, 0x56, 0x78};

TEST(BackupStoreTest, KeepsTheLastTwentyOfEachMouseInTheOrderTheyWereTaken) {
    TempFolder folder;
    // A clock that stands still: names must still be new and sort in the order taken.
    const auto now = std::chrono::system_clock::from_time_t(1'800'000'000);
    core::BackupStore store(folder.path() / "backups", [now] { return now; });
    ASSERT_TRUE(store.save(kOtherMouse, std::vector<Byte>(8, 0xEE)));
    std::vector<fs::path> taken;
    for (int i = 0; i < 25; ++i) {
        const auto saved = store.save(kMouse, std::vector<Byte>(8, static_cast<Byte>(i)));
        ASSERT_TRUE(saved) << saved.result.error;
        ASSERT_TRUE(saved.written);
        taken.push_back(saved.file);
    }
    const auto kept = store.list(kMouse);
    ASSERT_EQ(kept.size(), 20u);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        EXPECT_EQ(kept[i].file, taken[24 - i]) << "newest first";
    }
    EXPECT_EQ(bytesOf(kept.front().file), std::vector<Byte>(8, 24));
    EXPECT_EQ(kept.front().mouse, "1209-0001-1234");
    EXPECT_EQ(kept.front().time, "2027-01-15 08:00:00 UTC");
    EXPECT_EQ(store.list(kOtherMouse).size(), 1u) << "another mouse's backups are not counted";
    EXPECT_EQ(store.list().size(), 21u);
}

TEST(BackupStoreTest, TheSameBytesAsTheNewestAreNotKeptAgain) {
    TempFolder folder;
    core::BackupStore store(folder.path());
    const auto first = store.save(kMouse, std::vector<Byte>{1, 2, 3});
    ASSERT_TRUE(first.written);
    const auto again = store.save(kMouse, std::vector<Byte>{1, 2, 3});
    EXPECT_TRUE(again);
    EXPECT_FALSE(again.written);
    EXPECT_EQ(again.file, first.file);
    EXPECT_TRUE(store.save(kMouse, std::vector<Byte>{1, 2, 4}).written);
    EXPECT_TRUE(store.save(kMouse, std::vector<Byte>{1, 2, 3}).written) << "only the newest counts";
    EXPECT_EQ(store.list(kMouse).size(), 3u);
}

TEST(BackupStoreTest, FilesThatAreNotItsOwnAndLinksAreLeftAlone) {
    TempFolder folder;
    const fs::path outside = folder.path() / "outside";
    std::ofstream(outside) << "kept";
    const fs::path backups = folder.path() / "backups";
    fs::create_directories(backups);
    // Named like the oldest backup of the mouse, but a link: never listed, followed or removed.
    const fs::path link = backups / "1209-0001-1234-20000101T000000.000Z.bin";
    fs::create_symlink(outside, link);
    std::ofstream(backups / "1209-0001-1234-notes.bin") << "mine";
    core::BackupStore store(backups);
    for (int i = 0; i < 22; ++i) {
        ASSERT_TRUE(store.save(kMouse, std::vector<Byte>(4, static_cast<Byte>(i))));
    }
    EXPECT_EQ(store.list(kMouse).size(), 20u);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(bytesOf(outside), (std::vector<Byte>{'k', 'e', 'p', 't'}));
    EXPECT_TRUE(fs::exists(backups / "1209-0001-1234-notes.bin"));
}

TEST(BackupStoreTest, AFolderThatCannotBeMadeIsAReason) {
    TempFolder folder;
    std::ofstream(folder.path() / "file") << "x";
    core::BackupStore store(folder.path() / "file" / "backups");
    const auto saved = store.save(kMouse, std::vector<Byte>{1});
    EXPECT_FALSE(saved);
    EXPECT_THAT(saved.result.error, ::testing::HasSubstr("file/backups"));
    EXPECT_FALSE(core::BackupStore({}).save(kMouse, std::vector<Byte>{1}));
}

TEST(BackupChangesTest, NamesWhatDiffers) {
    core::DefaultImageBuffers defaults;
    core::loadDefaultImages(core::StorageKind::I2C, defaults);
    core::ConfigBuffers base = defaults[0];
    base.storageKind = core::StorageKind::I2C;
    core::MacroLibrary library;
    ASSERT_EQ(library.addNew("Burst"), core::MacroLibrary::Result::Done);
    core::DeviceMacroTable table;
    table.loadEeprom(base.deviceMacroArea);
    ASSERT_EQ(table.add(library.slot(0).name, library.slot(0).body), core::DeviceMacroTable::Result::Done);
    base.deviceMacroArea = table.eepromArea();
    const auto profileOf = [](core::ConfigBuffers b) { return core::backupProfileOf(b); };
    const auto then = profileOf(base);

    struct Case {
        const char* name;
        std::function<void(core::ConfigBuffers&)> change;
        std::vector<std::string> said;
    };
    const std::vector<Case> cases = {
        {"nothing", [](core::ConfigBuffers&) {}, {}},
        {"work mode",
         [](core::ConfigBuffers& b) { b.dataBuf.setWorkMode(b.dataBuf.workMode() == 2 ? 1 : 2); },
         {"work mode"}},
        {"buttons",
         [](core::ConfigBuffers& b) {
             b.dataBuf.setKeyCode(2, 5, {0x01, 0x02, 0x00, 0x00});
             b.dataBuf.setKeyCode(3, 12, {0x01, 0x04, 0x00, 0x00});
         },
         {"buttons (Game Mode 5, Third Mode 12)"}},
        {"DPI and lighting",
         [](core::ConfigBuffers& b) {
             b.dataBuf.setDpiColor(2, {1, 2, 3});
             b.dataBuf.setLedColor(1, {4, 5, 6});
         },
         {"DPI", "lighting"}},
        {"macros",
         [&](core::ConfigBuffers& b) {
             core::DeviceMacroTable t;
             t.loadEeprom(b.deviceMacroArea);
             ASSERT_EQ(t.remove(0), core::DeviceMacroTable::Result::Done);
             ASSERT_EQ(library.addNew("Reload"), core::MacroLibrary::Result::Done);
             ASSERT_EQ(t.add(library.slot(1).name, library.slot(1).body),
                       core::DeviceMacroTable::Result::Done);
             b.deviceMacroArea = t.eepromArea();
         },
         {"macros (-\"Burst\", +\"Reload\")"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core::ConfigBuffers now = base;
        c.change(now);
        EXPECT_EQ(core::describeChanges(then, profileOf(now), core::StorageKind::I2C, false), c.said);
    }
}

// --- the gate on the link ------------------------------------------------------------------------

class WriteGateTest : public test::LinkFixture {
protected:
    void SetUp() override {
        open();
        link.setWriteGate([this] {
            ++asked;
            return allow;
        });
    }
    int sentCommands() {
        int n = 0;
        for (const std::string& line : test::mouseLines(*mouse)) {
            n += line.starts_with("SET 40 05") || line.starts_with("SET 40 07") ||
                         line.starts_with("SET 40 0E") || line.starts_with("SET 41")
                     ? 1
                     : 0;
        }
        return n;
    }
    int asked = 0;
    bool allow = false;
};

TEST_F(WriteGateTest, AClosedGateSendsNothingAndTheWriteCountsAsNotStored) {
    const auto memory = mouse->memory();
    const core::DeviceLink::WriteCheck check(link);
    EXPECT_FALSE(link.writeSetting(0xA4, 0x01, 0, 0, 1));
    const Byte block[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    link.writeSettingsBlock(0x00, block);
    EXPECT_FALSE(link.writeMemory(0x00C0, block));
    EXPECT_FALSE(link.resetCommand());
    EXPECT_FALSE(check.allStored());
    EXPECT_EQ(sentCommands(), 0);
    EXPECT_EQ(mouse->memory(), memory);
    // Reads are not changes.
    std::array<Byte, 7> read{};
    EXPECT_TRUE(link.readMemory(0x00C0, 7, read, core::Loading::Hidden));
    EXPECT_TRUE(link.lastReadComplete());
}

TEST_F(WriteGateTest, OneTransferMeetsOneDecision) {
    {
        core::DeviceLink::TransferScope action(link);
        link.writeSetting(0xA4, 0x01, 0, 0, 1);
        const Byte block[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
        link.writeSettingsBlock(0x00, block);
        EXPECT_EQ(asked, 1);
    }
    // The next action is asked again; an open gate lets it through.
    allow = true;
    EXPECT_TRUE(link.writeSetting(0xA4, 0x01, 0, 0, 1));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(sentCommands(), 1);
    link.setWriteGate({});
    EXPECT_TRUE(link.writeSetting(0xA4, 0x00, 0, 0, 1));
    EXPECT_EQ(asked, 2);
}

} // namespace
