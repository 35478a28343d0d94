// The window's backups over the virtual mouse: one before the run's first change, the question when
// none can be kept, and the way back from the tray icon's menu.

#include "core/image/ConfigImage.h"
#include "emulator/VirtualMouse.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/keys/KeysPage.h"
#include "gui/shell/MainWindow.h"
#include "gui/skin/CaptionLabel.h"
#include "support/ClickAt.h"
#include "support/Transcript.h"
#include "support/WaitFor.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <memory>

using namespace tarvik;
using gui::MainWindow;
using gui::testing::clickAt;
using gui::testing::hoverAt;
using gui::testing::topLevel;
using gui::testing::waitFor;

namespace {

class BackupWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        m_stateHome = m_folder.filePath(QStringLiteral("state"));
        ASSERT_TRUE(QDir().mkpath(m_stateHome));
        m_oldStateHome = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", m_stateHome.toLocal8Bit());
        gui::MessageSeam::setAnswerer(&m_answers);
    }
    void TearDown() override {
        m_window.reset();
        gui::MessageSeam::setAnswerer(nullptr);
        if (m_mounted)
            ::umount(m_stateHome.toLocal8Bit().constData());
        qputenv("XDG_STATE_HOME", m_oldStateHome);
    }

    void openWindow() {
        gui::DeviceSession::Options options;
        options.runtime.emulator = core::StorageKind::I2C;
        options.runtime.timeScale = 0.02;
        m_transcript = m_folder.filePath(QStringLiteral("transcript.txt"));
        options.runtime.transcriptPath = m_transcript.toStdString();
        m_window = std::make_unique<MainWindow>(options);
        m_window->show();
        m_window->start();
        ASSERT_TRUE(waitFor([&] { return m_window->deviceConnected() && !m_window->coversShown(); }));
        m_window->completePages();
        ASSERT_EQ(MainWindow::backupFolder(), std::filesystem::path(backupFolder().toStdString()));
    }

    template <typename T = QWidget> T* find(const QString& name) const {
        T* widget = m_window->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    emulator::VirtualMouse& mouse() { return *m_window->session().virtualMouse(); }
    int mode() { return m_window->workMode(); }
    std::array<std::uint8_t, 4> stored(int button) {
        const std::vector<std::uint8_t> memory = mouse().memory();
        const std::size_t at = 192 + 49 * (mode() - 1) + 4 * (button - 1);
        return {memory[at], memory[at + 1], memory[at + 2], memory[at + 3]};
    }

    QString backupFolder() const { return m_stateHome + QStringLiteral("/tarvik-config/backups"); }
    QStringList backups() const {
        return QDir(backupFolder()).entryList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name);
    }
    QByteArray readAll(const QString& path) const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The profile Save writes for the mouse as it is now.
    QByteArray saved() {
        const QString path = m_folder.filePath(QStringLiteral("saved-%1.bin").arg(++m_saves));
        EXPECT_EQ(m_window->cycle().saveProfile(core::StorageKind::I2C, {}, path.toStdString()),
                  core::CycleResult::Done);
        return readAll(path);
    }
    // The reports of the transcript from line `from` on that change the mouse.
    int changingReports(int from = 0) {
        int n = 0;
        for (const QString& line : gui::testing::transcriptLines(m_transcript, from))
            n += line.startsWith("SET 40 05") || line.startsWith("SET 40 07") ||
                         line.startsWith("SET 40 0E") || line.startsWith("SET 41")
                     ? 1
                     : 0;
        return n;
    }
    int transcriptLines() { return static_cast<int>(gui::testing::transcriptLineCount(m_transcript)); }

    // Game Mode through its navigation entry: the key page's menus work on the mode shown.
    void gameMode() { clickAt(find(QStringLiteral("Btn_Switch_1"))); }

    // Button `button` of the work mode shown gets the right mouse key, through its menus.
    void assignRightKey(int button) {
        clickAt(m_window->keysPage()->key(button));
        hoverAt(find(QStringLiteral("Key_Standard")));
        clickAt(find(QStringLiteral("Key_Right")));
    }

    QTemporaryDir m_folder;
    QString m_stateHome;
    QByteArray m_oldStateHome;
    QString m_transcript;
    bool m_mounted = false;
    int m_saves = 0;
    gui::MessageSeam::Answerer m_answers;
    std::unique_ptr<MainWindow> m_window;
};

using Code = std::array<std::uint8_t, 4>;
constexpr Code kRightKey{0x01, 0x02, 0x00, 0x00};

TEST_F(BackupWindowTest, AnAssignmentLeavesOneBackupOfTheMouseAsItWasBefore) {
    openWindow();
    const QByteArray before = saved();
    ASSERT_EQ(before.size(), 2048);
    EXPECT_TRUE(backups().isEmpty()) << "reading and saving change nothing";

    gameMode();
    assignRightKey(2);
    ASSERT_EQ(stored(2), kRightKey);
    ASSERT_EQ(backups().size(), 1);
    EXPECT_EQ(readAll(backupFolder() + "/" + backups().front()), before);

    // The run's later changes are covered by it.
    assignRightKey(4);
    EXPECT_EQ(stored(4), kRightKey);
    EXPECT_EQ(backups().size(), 1);
    EXPECT_TRUE(m_answers.messages.isEmpty()) << m_answers.messages.join('|').toStdString();
}

TEST_F(BackupWindowTest, AFullDiskAsksBeforeAnythingReachesTheMouse) {
    if (::mount("tmpfs", m_stateHome.toLocal8Bit().constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    m_mounted = true;
    QFile fill(m_stateHome + QStringLiteral("/fill"));
    ASSERT_TRUE(fill.open(QIODevice::WriteOnly));
    const QByteArray block(4096, '\0');
    while (fill.write(block) == block.size() && fill.flush()) {
    }
    openWindow();
    m_answers.nextConfirmations = {false};
    gameMode(); // refused as well; the page still shows the mode
    m_answers.messages.clear();
    const Code was = stored(2);
    ASSERT_NE(was, kRightKey);
    const auto memory = mouse().memory();

    // No: the question once, the assignment reported as not stored, and nothing sent.
    const int start = transcriptLines();
    m_answers.nextConfirmations = {false};
    assignRightKey(2);
    ASSERT_TRUE(waitFor([&] { return !m_window->busy(); }));
    ASSERT_GE(m_answers.messages.size(), 1);
    EXPECT_TRUE(m_answers.messages.front().contains(QStringLiteral("No space left on device")))
        << m_answers.messages.front().toStdString();
    EXPECT_EQ(m_answers.messages.count(m_answers.messages.front()), 1) << "asked once";
    EXPECT_EQ(changingReports(start), 0);
    EXPECT_EQ(mouse().memory(), memory);
    EXPECT_TRUE(m_answers.nextConfirmations.empty());

    // Yes: the change goes out, and the rest of the run asks no more.
    m_answers.messages.clear();
    m_answers.nextConfirmations = {true};
    assignRightKey(2);
    EXPECT_EQ(stored(2), kRightKey);
    EXPECT_EQ(m_answers.messages.size(), 1) << m_answers.messages.join('|').toStdString();
    assignRightKey(4);
    EXPECT_EQ(stored(4), kRightKey);
    EXPECT_EQ(m_answers.messages.size(), 1);
    EXPECT_TRUE(backups().isEmpty());
}

TEST_F(BackupWindowTest, TheTrayMenuRestoresAnEarlierConfiguration) {
    openWindow();
    const auto had = mouse().memory();
    gameMode();
    assignRightKey(2);
    ASSERT_NE(mouse().memory(), had);
    ASSERT_EQ(backups().size(), 1);

    // The tray icon's menu, clicked where its entry is.
    QMenu* menu = m_window->trayMenu();
    ASSERT_NE(menu, nullptr);
    menu->popup(QPoint(10, 10));
    ASSERT_TRUE(waitFor([&] { return menu->isVisible(); }));
    QAction* restore = menu->findChild<QAction*>(QStringLiteral("Act_RestoreBackup"));
    ASSERT_NE(restore, nullptr);
    EXPECT_EQ(restore->text(), QStringLiteral("Restore an earlier configuration..."));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(restore).center());

    QWidget* dialog = nullptr;
    ASSERT_TRUE(waitFor([&] { return (dialog = topLevel(QStringLiteral("dlgRestoreBackup"))) != nullptr; }));
    auto* list = dialog->findChild<QListWidget*>(QStringLiteral("LB_Backups"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 1);
    EXPECT_TRUE(list->item(0)->text().contains(QStringLiteral("buttons (Game Mode 2)")))
        << list->item(0)->text().toStdString();
    QSignalSpy ready(m_window.get(), &MainWindow::deviceReady);
    clickAt(dialog->findChild<QWidget*>(QStringLiteral("IB_Confirm")));
    ASSERT_TRUE(!ready.isEmpty() || ready.wait(20000))
        << "the mouse was not read again after the restore: "
        << m_answers.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(mouse().memory(), had);
    EXPECT_EQ(backups().size(), 1) << "this run's backup already covers the restore";
    EXPECT_TRUE(m_answers.messages.isEmpty()) << m_answers.messages.join('|').toStdString();
}

} // namespace
