// tarvikctl's commands that rewrite the mouse's stored regions, run in this process over a virtual
// mouse the test keeps a hand on: whichever report of a command's write the mouse refuses, the
// command fails with exit 3 and says so, and the mouse reads whole afterwards.

#include "cli/Commands.h"
#include "core/device/Clock.h"
#include "core/macros/MacroLibrary.h"
#include "core/macros/MacroLibraryFile.h"
#include "emulator/EmulatorTransport.h"
#include "emulator/VirtualMouse.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

using namespace tarvik;
using ::testing::HasSubstr;

namespace {

namespace fs = std::filesystem;
using core::Byte;

constexpr double kTimeScale = 0.0001;

struct ToolRun {
    int code = -1;
    std::string out;
    std::string err;
};

std::vector<Byte> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Whether a report is one of a read or of finding the mouse (a read command, the probe, a fetched
// data report): refusing it loses no write.
bool isRead(const emulator::ReportRecord& report) {
    return report.kind == emulator::ReportRecord::Kind::Get ||
           (report.bytes.at(0) == 0x40 &&
            (report.bytes[1] == 0x06 || report.bytes[1] == 0x09 || report.bytes[1] == 0x0D));
}

bool isReset(const emulator::ReportRecord& report) {
    return report.kind == emulator::ReportRecord::Kind::Set && report.bytes.at(0) == 0x40 &&
           report.bytes[1] == 0x0E;
}

class StoreCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarvik-store-commands-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_folder = pattern;
        // The locks, the window's single-instance lock, the macro library and the backups of these
        // runs live here, never in the user's own folders.
        for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
            ::setenv(name, m_folder.c_str(), 1);
        }
        fs::create_directories(m_folder / "locks");
        fs::permissions(m_folder / "locks", fs::perms::owner_all);
        ::setenv("TARVIK_LOCK_DIR", (m_folder / "locks").c_str(), 1);
        ::setenv("TARVIK_TIME_SCALE", std::to_string(kTimeScale).c_str(), 1);
        for (const char* name : {"TARVIK_EMULATOR", "TARVIK_EMULATOR_STATE", "TARVIK_TRANSCRIPT"}) {
            ::unsetenv(name);
        }
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    // A virtual "I2C" mouse starting from the profile file `image` (empty: built-in default image 1).
    std::shared_ptr<emulator::VirtualMouse> mouseFrom(const std::vector<Byte>& image, bool keepLog = false) {
        emulator::VirtualMouse::Options options;
        options.kind = core::StorageKind::I2C;
        options.image = image;
        options.keepLog = keepLog;
        options.clock = &m_clock;
        return std::make_shared<emulator::VirtualMouse>(options);
    }

    ToolRun tarvikctl(const std::shared_ptr<emulator::VirtualMouse>& mouse, std::vector<std::string> args) {
        args.insert(args.begin(), "tarvikctl");
        std::ostringstream out;
        std::ostringstream err;
        ToolRun run;
        run.code = cli::runTarvikctl(args, out, err, [mouse] {
            auto bus = std::make_unique<emulator::EmulatorTransport>();
            bus->addMouse(mouse);
            return bus;
        });
        run.out = out.str();
        run.err = err.str();
        return run;
    }

    // The profile file of the mouse as it is now.
    std::vector<Byte> imageOf(const std::shared_ptr<emulator::VirtualMouse>& mouse) {
        const fs::path file = m_folder / "image.bin";
        EXPECT_EQ(tarvikctl(mouse, {"profile", "save", file.string()}).code, 0);
        return readBytes(file);
    }

    // The mouse refuses one report of the command at every position from its first report after
    // the mouse was read up to its restart (or its last report), each time on a mouse started from
    // `image`.
    void sweep(const std::vector<Byte>& image, const std::vector<std::string>& args) {
        SCOPED_TRACE(::testing::PrintToString(args));
        std::vector<std::string> command = {"--no-backup"};
        command.insert(command.end(), args.begin(), args.end());

        auto reading = mouseFrom(image);
        ASSERT_EQ(tarvikctl(reading, {"macros", "list"}).code, 0);
        const int read = reading->reportCount();
        auto reference = mouseFrom(image, true);
        const ToolRun undisturbed = tarvikctl(reference, command);
        ASSERT_EQ(undisturbed.code, 0) << undisturbed.err;
        const auto log = reference->reportLog();
        const auto after = reference->memory();
        auto last = static_cast<int>(log.size());
        for (int i = read; i < static_cast<int>(log.size()); ++i) {
            if (isReset(log[static_cast<std::size_t>(i)])) {
                last = i + 1;
                break;
            }
        }
        ASSERT_LT(read, last) << "the command sent nothing";

        std::vector<std::string> wrong;
        for (int position = read + 1; position <= last; ++position) {
            auto mouse = mouseFrom(image);
            emulator::Faults faults;
            faults.refuseReport = position;
            mouse->setFaults(faults);
            const ToolRun run = tarvikctl(mouse, command);
            mouse->setFaults({});
            std::string what;
            // A refused read loses no write. Nor does the refused restart: a mouse may leave the bus
            // before it answers the report that restarts it, so that report's failure is no sign.
            const auto& report = log[static_cast<std::size_t>(position - 1)];
            const bool nothingLost = isRead(report) || isReset(report);
            if (run.code == 0 && !(nothingLost && mouse->memory() == after)) {
                what += " exit 0";
            } else if (run.code != 0 && run.code != 3) {
                what += " exit " + std::to_string(run.code);
            }
            if (run.code == 3 && run.err.rfind("tarvikctl: ", 0) != 0) {
                what += " no message";
            }
            if (const ToolRun again = tarvikctl(mouse, {"macros", "list"}); again.code != 0) {
                what += " no whole read after: " + again.err;
            }
            if (!what.empty()) {
                wrong.push_back("at " + std::to_string(position - read) + ":" + what);
            }
        }
        EXPECT_TRUE(wrong.empty()) << wrong.size() << " of " << last - read
                                   << " positions, the first: " << (wrong.empty() ? "" : wrong.front());
    }

    // The window's macro library, where tarvikctl reads it, with one macro "Burst".
    void saveLibrary() {
        core::MacroLibrary library;
        std::size_t slot = 0;
        ASSERT_EQ(library.addNew("Burst", &slot), core::MacroLibrary::Result::Done);
        ASSERT_TRUE(library.encode(slot, {"00", "1 RightKey CODE:00A2", "2 RightKey CODE:0022"}).fits);
        fs::create_directories(m_folder / "tarvik-config");
        ASSERT_TRUE(core::MacroLibraryFile(m_folder / "tarvik-config" / "Tarvik-Macro.bin").save(library));
    }

    fs::path m_folder;
    core::Clock m_clock{kTimeScale};
};

TEST_F(StoreCommandsTest, MacroCommandsFailWhateverReportTheMouseRefuses) {
    ASSERT_NO_FATAL_FAILURE(saveLibrary());

    auto start = mouseFrom({});
    ASSERT_EQ(tarvikctl(start, {"--no-backup", "macros", "add", "Burst"}).code, 0);
    const std::vector<Byte> image = imageOf(start);
    sweep(image, {"macros", "add", "Burst"});
    sweep(image, {"macros", "delete", "1"});
}

TEST_F(StoreCommandsTest, ProfilePatchAndDefaultCommandsFailWhateverReportTheMouseRefuses) {
    // What the files hold: the mouse with another function on a button.
    auto changed = mouseFrom({});
    ASSERT_EQ(tarvikctl(changed, {"--no-backup", "set", "button", "game", "3", "Mute"}).code, 0);
    const fs::path profile = m_folder / "profile.bin";
    const fs::path json = m_folder / "profile.json";
    ASSERT_EQ(tarvikctl(changed, {"profile", "save", profile.string()}).code, 0);
    ASSERT_EQ(tarvikctl(changed, {"export", "--json", json.string()}).code, 0);
    const fs::path patch = m_folder / "patch.bin";
    {
        std::ofstream out(patch, std::ios::binary);
        for (int i = 0; i < 16 + 512; ++i) {
            out.put(static_cast<char>(i * 7 + 3));
        }
    }
    // A backup of the mouse as built-in default image 1 leaves it, saved before its first change.
    auto backedUp = mouseFrom({});
    ASSERT_EQ(tarvikctl(backedUp, {"set", "mode", "third"}).code, 0);
    const std::vector<Byte> image = imageOf(backedUp);

    sweep(image, {"profile", "load", profile.string()});
    sweep(image, {"import", "--json", json.string()});
    sweep(image, {"patch", patch.string()});
    sweep(image, {"defaults", "2"});
    sweep(image, {"backup", "restore", "1"});
}

TEST_F(StoreCommandsTest, AFailedWriteSaysWhetherTheMouseWasReadAgain) {
    ASSERT_NO_FATAL_FAILURE(saveLibrary());

    // No restart follows a macro write: nothing is said about reading the mouse again.
    auto mouse = mouseFrom({});
    ASSERT_EQ(tarvikctl(mouse, {"macros", "list"}).code, 0);
    emulator::Faults faults;
    faults.refuseReport = 2 * mouse->reportCount() + 3;
    mouse->setFaults(faults);
    const ToolRun macros = tarvikctl(mouse, {"--no-backup", "macros", "add", "Burst"});
    EXPECT_EQ(macros.code, 3);
    EXPECT_THAT(macros.err, HasSubstr("the mouse did not take all of the macros"));
    EXPECT_THAT(macros.err, ::testing::Not(HasSubstr("read again")));

    // Default settings restart the mouse, which is then read whole again.
    mouse->setFaults({});
    const int before = mouse->reportCount();
    ASSERT_EQ(tarvikctl(mouse, {"macros", "list"}).code, 0);
    faults.refuseReport = mouse->reportCount() + (mouse->reportCount() - before) + 40;
    mouse->setFaults(faults);
    const ToolRun defaults = tarvikctl(mouse, {"--no-backup", "defaults", "2"});
    EXPECT_EQ(defaults.code, 3);
    EXPECT_THAT(defaults.err,
                HasSubstr("the mouse did not take all of the default settings: it refused a report or "
                          "left; it restarted and was read again"));
}

} // namespace
