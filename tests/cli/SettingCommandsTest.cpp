// tarvikctl's `set` commands over a virtual mouse that refuses what they write: each fails with
// exit 3 and says so, and the mouse keeps what it held. Run in this process, on a state file of
// this test's own.

#include "cli/Commands.h"
#include "emulator/VirtualMouse.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace tarvik;
using ::testing::HasSubstr;

namespace {

struct Outcome {
    int code = -1;
    std::string err;
};

class SettingCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        // Locks and the window's single-instance file of this test alone.
        qputenv("XDG_RUNTIME_DIR", m_folder.path().toLocal8Bit());
        qputenv("TMPDIR", m_folder.path().toLocal8Bit());
        const QString locks = m_folder.filePath(QStringLiteral("locks"));
        ASSERT_TRUE(QDir().mkpath(locks));
        QFile::setPermissions(locks,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("TARVIK_LOCK_DIR", locks.toLocal8Bit());
        m_state = m_folder.filePath(QStringLiteral("mouse.state")).toStdString();
    }
    void TearDown() override { qunsetenv("TARVIK_LOCK_DIR"); }

    Outcome tarvikctl(std::vector<std::string> args) {
        args.insert(args.begin(), {"tarvikctl", "--virtual-mouse", "i2c", "--virtual-mouse-state", m_state});
        std::ostringstream out;
        std::ostringstream err;
        Outcome run;
        run.code = cli::runTarvikctl(args, out, err);
        run.err = err.str();
        return run;
    }

    // The virtual mouse as its state file keeps it: stored memory, then the live settings.
    std::vector<core::Byte> mouse() {
        emulator::VirtualMouse::Options options;
        options.statePath = m_state;
        emulator::VirtualMouse virtualMouse(options);
        std::vector<core::Byte> all = virtualMouse.memory();
        const auto live = virtualMouse.liveSettings();
        all.insert(all.end(), live.begin(), live.end());
        return all;
    }

    QTemporaryDir m_folder;
    std::string m_state;
};

// The state file becomes a link the virtual mouse will not write through: it reads as before, but
// refuses every report that would change it.
TEST_F(SettingCommandsTest, ARefusedReportFailsEverySettingWithExitThreeAndAMessage) {
    ASSERT_EQ(tarvikctl({"show"}).code, 0);
    const QString state = QString::fromStdString(m_state);
    const QString kept = m_folder.filePath(QStringLiteral("kept.state"));
    ASSERT_TRUE(QFile::rename(state, kept));
    ASSERT_TRUE(QFile::link(kept, state));
    const std::vector<core::Byte> before = mouse();

    const std::vector<std::vector<std::string>> commands = {
        {"set", "mode", "game"},
        {"set", "button", "game", "4", "Volume +"},
        {"set", "button", "office", "3", "Ctrl+Alt+A"},
        {"set", "dpi", "2", "7"},
        {"set", "dpi-level", "2"},
        {"set", "dpi-color", "1", "#102030"},
        {"set", "rate", "250"},
        {"set", "lighting", "1"},
        {"set", "step-time", "7"},
        {"set", "light-color", "2", "405060"},
    };
    for (const auto& command : commands) {
        std::string line;
        for (const std::string& word : command)
            line += word + " ";
        SCOPED_TRACE(line);
        const Outcome run = tarvikctl(command);
        EXPECT_EQ(run.code, 3);
        EXPECT_THAT(run.err, HasSubstr("the mouse did not take all of"));
        // Nothing read the mouse again after the failure: no run may say it did.
        EXPECT_THAT(run.err, ::testing::Not(HasSubstr("read again")));
        EXPECT_EQ(mouse(), before);
    }
}

// A button the rules refuse is a usage error, told in the words the window uses, and sends nothing.
TEST_F(SettingCommandsTest, TheLastLeftKeyIsRefusedBeforeAnythingIsSent) {
    ASSERT_EQ(tarvikctl({"set", "button", "game", "1", "Left Key"}).code, 0);
    const std::vector<core::Byte> before = mouse();
    const struct {
        std::vector<std::string> command;
        const char* says;
    } cases[] = {
        {{"set", "button", "office", "1", "Volume +"}, "Office Mode keeps one button with Left Key"},
        {{"set", "button", "game", "1", "Ctrl+A"}, "button 1 is the only Left Key of Game Mode"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        const Outcome run = tarvikctl(c.command);
        EXPECT_EQ(run.code, 1);
        EXPECT_THAT(run.err, HasSubstr(c.says));
        EXPECT_EQ(mouse(), before);
    }
}

} // namespace
