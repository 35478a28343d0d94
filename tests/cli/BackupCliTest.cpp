// The backups tarvikctl keeps before a run's first change of the mouse, and the way back: tarvikctl
// as a separate process against the virtual mouse kept in a state file, its backups in a folder of
// the test's own.

#include "core/image/ConfigBuffers.h"
#include "core/image/ProfileFile.h"
#include "core/macros/MacroLibrary.h"
#include "core/macros/MacroLibraryFile.h"
#include "emulator/VirtualMouse.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <string>
#include <vector>

using namespace tarvik;
using ::testing::HasSubstr;

namespace {

struct ToolRun {
    int code = -1;
    std::string out;
    std::string err;
};

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The reports of a transcript that change the mouse: settings and memory writes, the restart.
std::vector<std::string> changingReports(const QString& transcript) {
    std::vector<std::string> found;
    for (const QByteArray& line : readAll(transcript).split('\n')) {
        if (line.startsWith("SET 40 05") || line.startsWith("SET 40 07") || line.startsWith("SET 40 0E") ||
            line.startsWith("SET 41")) {
            found.push_back(line.toStdString());
        }
    }
    return found;
}

class BackupCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        m_stateHome = path(QStringLiteral("state"));
        m_mouse = path(QStringLiteral("mouse.state"));
        ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("locks"))));
        QFile::setPermissions(path(QStringLiteral("locks")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    void TearDown() override {
        if (m_mounted) {
            ::umount(m_stateHome.toLocal8Bit().constData());
        }
    }

    QString path(const QString& name) const { return m_folder.filePath(name); }
    QString backupFolder() const { return m_stateHome + QStringLiteral("/tarvik-config/backups"); }
    QStringList backups() const {
        return QDir(backupFolder()).entryList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name);
    }

    ToolRun tarvikctl(const QStringList& args, const QString& transcript = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TARVIK_TIME_SCALE"), QStringLiteral("0.01"));
        env.insert(QStringLiteral("TMPDIR"), m_folder.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder.path());
        // Locks and windows of this test only: a window another test program runs meanwhile (their
        // locks live in the user's usual folders) must not make tarvikctl leave the mouse alone.
        env.insert(QStringLiteral("TARVIK_LOCK_DIR"), path(QStringLiteral("locks")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_STATE_HOME"), m_stateHome);
        env.remove(QStringLiteral("TARVIK_EMULATOR"));
        env.remove(QStringLiteral("TARVIK_TRANSCRIPT"));
        if (!transcript.isEmpty()) {
            env.insert(QStringLiteral("TARVIK_TRANSCRIPT"), transcript);
        }
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TARVIKCTL),
                      QStringList{QStringLiteral("--virtual-mouse"), QStringLiteral("i2c"),
                                  QStringLiteral("--virtual-mouse-state"), m_mouse} +
                          args);
        ToolRun run;
        if (!process.waitForFinished(60000)) {
            ADD_FAILURE() << "tarvikctl did not finish: " << args.join(' ').toStdString();
            process.kill();
            return run;
        }
        run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = process.readAllStandardOutput().toStdString();
        run.err = process.readAllStandardError().toStdString();
        return run;
    }

    // The profile file of the mouse as it is now, as Save writes it.
    QByteArray profileNow() {
        const QString file = path(QStringLiteral("now-%1.bin").arg(++m_saves));
        EXPECT_EQ(tarvikctl({QStringLiteral("profile"), QStringLiteral("save"), file}).code, 0);
        return readAll(file);
    }

    struct Memory {
        std::vector<core::Byte> stored;
        std::array<core::Byte, 192> live;
        bool operator==(const Memory&) const = default;
    };
    Memory memory() const {
        emulator::VirtualMouse::Options options;
        options.statePath = m_mouse.toStdString();
        emulator::VirtualMouse mouse(options);
        return {mouse.memory(), mouse.liveSettings()};
    }

    // A full disk where the backups go; false when this machine lets no file system be mounted.
    bool fillBackupDisk() {
        EXPECT_TRUE(QDir().mkpath(m_stateHome));
        if (::mount("tmpfs", m_stateHome.toLocal8Bit().constData(), "tmpfs", 0, "size=64k") != 0) {
            return false;
        }
        m_mounted = true;
        QFile fill(m_stateHome + QStringLiteral("/fill"));
        EXPECT_TRUE(fill.open(QIODevice::WriteOnly));
        const QByteArray block(4096, '\0');
        while (fill.write(block) == block.size() && fill.flush()) {
        }
        return true;
    }

    QTemporaryDir m_folder;
    QString m_stateHome;
    QString m_mouse;
    bool m_mounted = false;
    int m_saves = 0;
};

TEST_F(BackupCliTest, AChangeLeavesOneBackupOfTheMouseAsItWasBefore) {
    ASSERT_EQ(tarvikctl({"set", "mode", "game"}).code, 0); // the mouse as the user had it
    const QByteArray before = profileNow();
    ASSERT_EQ(before.size(), 2048);
    const QStringList earlier = backups();

    const ToolRun set = tarvikctl({"set", "button", "game", "9", "Volume +"});
    ASSERT_EQ(set.code, 0) << set.err;
    const QStringList after = backups();
    ASSERT_EQ(after.size(), earlier.size() + 1);
    EXPECT_EQ(readAll(backupFolder() + "/" + after.back()), before);
    EXPECT_NE(profileNow(), before) << "the change did not reach the mouse";

    // Reading and saving change nothing and keep no backup; a run whose mouse holds what the newest
    // backup holds adds none either.
    ASSERT_EQ(tarvikctl({"show"}).code, 0);
    EXPECT_EQ(backups(), after);
    ASSERT_EQ(tarvikctl({"set", "mode", "game"}).code, 0);
    ASSERT_EQ(backups().size(), after.size() + 1);
    ASSERT_EQ(tarvikctl({"set", "mode", "game"}).code, 0);
    EXPECT_EQ(backups().size(), after.size() + 1);

    // --no-backup changes the mouse without one.
    ASSERT_EQ(tarvikctl({"--no-backup", "set", "mode", "office"}).code, 0);
    ASSERT_EQ(tarvikctl({"set", "mode", "game", "--no-backup"}).code, 0);
    EXPECT_EQ(backups().size(), after.size() + 1);
}

TEST_F(BackupCliTest, TwentyFiveChangingRunsLeaveTheLastTwentyOnly) {
    QStringList seen;
    for (int run = 0; run < 25; ++run) {
        // A new colour each run makes every run a change of the one before.
        const QString colour = QStringLiteral("#0000%1").arg(run + 1, 2, 16, QLatin1Char('0'));
        ASSERT_EQ(tarvikctl({"set", "dpi-color", "1", colour}).code, 0) << run;
        for (const QString& name : backups()) {
            if (!seen.contains(name)) {
                seen.push_back(name);
            }
        }
    }
    ASSERT_EQ(seen.size(), 25);
    // The oldest five went; a file that is not ours and a link named like ours stay untouched.
    EXPECT_EQ(backups(), seen.mid(5));

    QFile other(backupFolder() + "/notes.bin");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("mine");
    other.close();
    const QString outside = path(QStringLiteral("outside.bin"));
    QFile target(outside);
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write("kept");
    target.close();
    const QString link = backupFolder() + "/1209-0001-FFFF-20000101T000000.000Z.bin";
    ASSERT_TRUE(QFile::link(outside, link));
    ASSERT_EQ(tarvikctl({"set", "dpi-color", "1", "#FF0000"}).code, 0);
    EXPECT_EQ(readAll(outside), "kept");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFile::exists(backupFolder() + "/notes.bin"));
    EXPECT_EQ(QDir(backupFolder()).entryList({QStringLiteral("1209-*")}, QDir::Files).size(), 21)
        << "twenty of ours and the link";
}

TEST_F(BackupCliTest, RestoreBringsBackADeletedMacroAndAChangedButton) {
    core::MacroLibrary library;
    std::size_t slot = 0;
    ASSERT_EQ(library.addNew("Burst", &slot), core::MacroLibrary::Result::Done);
    ASSERT_TRUE(library.encode(slot, {"00", "1 RightKey CODE:00A2", "2 RightKey CODE:0022"}).fits);
    const QString libraryFolder = path(QStringLiteral("data/Gaming Mouse"));
    ASSERT_TRUE(QDir().mkpath(libraryFolder));
    ASSERT_TRUE(
        core::MacroLibraryFile(std::filesystem::path(libraryFolder.toStdString()) / "Tarvik-Macro.bin")
            .save(library));
    ASSERT_EQ(tarvikctl({"macros", "add", "Burst"}).code, 0);
    ASSERT_EQ(tarvikctl({"set", "button", "game", "4", "Burst"}).code, 0);
    const Memory had = memory();

    ASSERT_EQ(tarvikctl({"set", "button", "game", "3", "Volume +"}).code, 0);
    ASSERT_EQ(tarvikctl({"macros", "delete", "1"}).code, 0);
    ASSERT_NE(memory(), had);

    const ToolRun list = tarvikctl({"backup", "list"});
    ASSERT_EQ(list.code, 0);
    // Newest first: before the deletion, then before the button's change.
    EXPECT_THAT(list.out, HasSubstr("1  "));
    EXPECT_THAT(list.out, HasSubstr("changed since: buttons (Game Mode 4), macros (-\"Burst\")"));
    EXPECT_THAT(list.out,
                HasSubstr("changed since: buttons (Game Mode 3, Game Mode 4), macros (-\"Burst\")"));
    const std::size_t before = static_cast<std::size_t>(backups().size());

    const ToolRun restore = tarvikctl({"backup", "restore", "2"});
    ASSERT_EQ(restore.code, 0) << restore.err;
    EXPECT_EQ(memory(), had);
    // Restoring was a change too: the mouse as it was just before is kept.
    EXPECT_EQ(static_cast<std::size_t>(backups().size()), before + 1);
    EXPECT_THAT(tarvikctl({"backup", "list"}).out, HasSubstr("1  "));

    EXPECT_EQ(tarvikctl({"backup", "restore", "99"}).code, 1);
}

TEST_F(BackupCliTest, ABackupOfAnotherMouseIsRefused) {
    ASSERT_EQ(tarvikctl({"set", "mode", "game"}).code, 0);
    ASSERT_EQ(backups().size(), 1);
    const QByteArray own = readAll(backupFolder() + "/" + backups().front());
    // The same file as another mouse of the line would have given it: other identity bytes.
    core::ConfigBuffers buffers;
    buffers.storageKind = core::StorageKind::I2C;
    ASSERT_TRUE(core::readProfileFile(
        std::span(reinterpret_cast<const core::Byte*>(own.data()), static_cast<std::size_t>(own.size())),
        buffers));
    buffers.copyDataBufToWorkingImage();
    buffers.workingImage.setManuId(0x42);
    buffers.dataBufToMemo();
    const auto foreign = core::writeProfileFile(buffers);
    QFile file(backupFolder() + "/1209-0001-42FF-20990101T000000.000Z.bin");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(foreign.data()), static_cast<qint64>(foreign.size()));
    file.close();

    const ToolRun list = tarvikctl({"backup", "list"});
    EXPECT_THAT(list.out, HasSubstr("1  2099-01-01 00:00:00 UTC  1209-0001-42FF  (another mouse)"));
    const Memory before = memory();
    const QString transcript = path(QStringLiteral("restore.txt"));
    const ToolRun restore = tarvikctl({"backup", "restore", "1"}, transcript);
    EXPECT_EQ(restore.code, 1);
    EXPECT_THAT(restore.err, HasSubstr("another mouse"));
    EXPECT_TRUE(changingReports(transcript).empty());
    EXPECT_EQ(memory(), before);
}

TEST_F(BackupCliTest, AFullDiskRefusesTheChangeUntilNoBackupIsAskedFor) {
    if (!fillBackupDisk()) {
        GTEST_SKIP() << "no tmpfs can be mounted here";
    }
    const Memory before = memory();
    const QString transcript = path(QStringLiteral("full.txt"));
    for (const QStringList& args :
         {QStringList{"set", "mode", "game"}, QStringList{"set", "button", "game", "9", "Volume +"},
          QStringList{"set", "rate", "250"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        QFile::remove(transcript);
        const ToolRun run = tarvikctl(args, transcript);
        EXPECT_EQ(run.code, 1);
        EXPECT_THAT(run.err, HasSubstr("No space left on device"));
        EXPECT_THAT(run.err, HasSubstr("--no-backup"));
        EXPECT_THAT(run.err, ::testing::Not(HasSubstr("did not take"))) << "nothing was sent to refuse";
        EXPECT_EQ(changingReports(transcript), std::vector<std::string>{});
        EXPECT_EQ(memory(), before);
    }
    const ToolRun anyway = tarvikctl({"--no-backup", "set", "mode", "game"});
    EXPECT_EQ(anyway.code, 0) << anyway.err;
    EXPECT_NE(memory(), before);
}

} // namespace
