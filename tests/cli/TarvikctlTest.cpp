// tarvikctl as a separate process against the virtual mouse kept in a state file: what it sends
// compared with what the window sends for the same change, JSON round trips, refused files, profile
// files beside the window's, and the window's hold on the mouse.

#include "cli/CliSession.h"
#include "core/image/Checksum.h"
#include "core/image/ConfigImage.h"
#include "core/macros/MacroAddressTable.h"
#include "core/macros/MacroCodec.h"
#include "core/macros/MacroLibrary.h"
#include "core/macros/MacroLibraryFile.h"
#include "emulator/EmulatorTransport.h"
#include "emulator/VirtualMouse.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/shell/MainWindow.h"
#include "platform/MouseLocks.h"
#include "platform/SingleInstance.h"
#include "support/ClickAt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMap>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <cstdio>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace tarvik;
using ::testing::HasSubstr;

namespace {

constexpr double kTimeScale = 0.01;

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

std::vector<std::string> lines(const QString& path) {
    QFile file(path);
    std::vector<std::string> result;
    if (!file.open(QIODevice::ReadOnly)) {
        return result;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.isEmpty()) {
            result.push_back(line.toStdString());
        }
    }
    return result;
}

std::vector<std::string> from(const std::vector<std::string>& all, std::size_t first) {
    return first < all.size()
               ? std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(first), all.end())
               : std::vector<std::string>{};
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class TarvikctlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        // The window's single-instance lock lives here, for this test and the processes it starts,
        // so that a window a developer has open does not count.
        qputenv("TMPDIR", m_folder.path().toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", m_folder.path().toLocal8Bit());
        m_state = path("mouse.state");
        // The place the window's and tarvikctl's locks are looked for whatever XDG_RUNTIME_DIR says.
        ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("locks"))));
        QFile::setPermissions(path(QStringLiteral("locks")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    void TearDown() override {
        gui::MessageSeam::setAnswerer(nullptr);
        qunsetenv("TARVIK_LOCK_DIR");
    }

    QString path(const QString& name) const { return m_folder.filePath(name); }

    // tarvikctl over the virtual mouse of `kind` kept in m_state, writing a transcript when asked.
    Outcome tarvikctl(QStringList args, const QString& transcript = {},
                      const QString& kind = QStringLiteral("i2c")) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TARVIK_TIME_SCALE"), QString::number(kTimeScale));
        env.insert(QStringLiteral("TMPDIR"), m_folder.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
        env.insert(QStringLiteral("TARVIK_LOCK_DIR"), path(QStringLiteral("locks")));
        for (auto it = m_extraEnvironment.cbegin(); it != m_extraEnvironment.cend(); ++it) {
            if (it.value().isNull()) {
                env.remove(it.key());
            } else {
                env.insert(it.key(), it.value());
            }
        }
        env.remove(QStringLiteral("TARVIK_EMULATOR"));
        env.remove(QStringLiteral("TARVIK_TRANSCRIPT"));
        if (!transcript.isEmpty()) {
            env.insert(QStringLiteral("TARVIK_TRANSCRIPT"), transcript);
        }
        process.setProcessEnvironment(env);
        if (!kind.isEmpty()) {
            args = QStringList{QStringLiteral("--virtual-mouse"), kind,
                               QStringLiteral("--virtual-mouse-state"), m_state} +
                   args;
        }
        process.start(QStringLiteral(TARVIKCTL), args);
        Outcome run;
        if (!process.waitForFinished(60000)) {
            ADD_FAILURE() << "tarvikctl did not finish: " << args.join(' ').toStdString();
            process.kill();
            return run;
        }
        run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    // The reports a command sends beyond finding and reading the mouse, which `show` alone does.
    std::vector<std::string> reportsOf(const QStringList& args) {
        const QString reading = path(QStringLiteral("reading-%1.txt").arg(++m_runs));
        const QString doing = path(QStringLiteral("doing-%1.txt").arg(m_runs));
        EXPECT_EQ(tarvikctl({QStringLiteral("show")}, reading).code, 0);
        const Outcome run = tarvikctl(args, doing);
        EXPECT_EQ(run.code, 0) << run.err.toStdString();
        const auto read = lines(reading);
        const auto all = lines(doing);
        EXPECT_TRUE(std::equal(read.begin(), read.end(), all.begin())) << "the mouse was not read alike";
        return from(all, read.size());
    }

    // The mouse as the state file keeps it.
    std::vector<core::Byte> storedMemory() {
        emulator::VirtualMouse::Options options;
        options.statePath = m_state.toStdString();
        emulator::VirtualMouse mouse(options);
        EXPECT_EQ(mouse.stateProblem(), "");
        return mouse.memory();
    }

    // The live settings as the state file keeps them.
    std::array<core::Byte, 192> storedLive() {
        emulator::VirtualMouse::Options options;
        options.statePath = m_state.toStdString();
        emulator::VirtualMouse mouse(options);
        return mouse.liveSettings();
    }

    // The window over the same virtual mouse, found and read.
    std::unique_ptr<gui::MainWindow> openWindow(const QString& transcript) {
        gui::DeviceSession::Options options;
        options.runtime.emulator = core::StorageKind::I2C;
        options.runtime.emulatorStatePath = m_state.toStdString();
        options.runtime.timeScale = kTimeScale;
        options.runtime.transcriptPath = transcript.toStdString();
        auto window = std::make_unique<gui::MainWindow>(options);
        QSignalSpy ready(window.get(), &gui::MainWindow::deviceReady);
        window->show();
        window->start();
        EXPECT_TRUE(ready.wait(20000)) << "the window did not read the mouse";
        window->completePages();
        return window;
    }

    void click(gui::MainWindow& window, const char* name) {
        auto* widget = window.findChild<QWidget*>(QLatin1String(name));
        ASSERT_NE(widget, nullptr) << name;
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }

    // Library macros of two key steps each, under these names.
    static void addMacros(core::MacroLibrary& library, std::initializer_list<const char*> names) {
        std::size_t slot = 0;
        for (const char* name : names) {
            ASSERT_EQ(library.addNew(name, &slot), core::MacroLibrary::Result::Done);
            ASSERT_TRUE(library.encode(slot, {"00", "1 RightKey CODE:00A2", "2 RightKey CODE:0022"}).fits);
        }
    }
    // The library where the window keeps it and tarvikctl reads it.
    void saveLibrary(const core::MacroLibrary& library) {
        const QString folder = path(QStringLiteral("data/tarvik-config"));
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(core::MacroLibraryFile(std::filesystem::path(folder.toStdString()) / "Tarvik-Macro.bin")
                        .save(library));
    }

    QTemporaryDir m_folder;
    QString m_state;
    int m_runs = 0;
    // Set for the tarvikctl runs of a test (a null value removes the variable).
    QMap<QString, QString> m_extraEnvironment;
};

TEST_F(TarvikctlTest, WorkModeSwitchSendsWhatTheWindowSends) {
    for (const auto& [entry, mode] : {std::pair{"Btn_Switch_1", "game"}, std::pair{"Btn_Main_1", "office"}}) {
        SCOPED_TRACE(mode);
        QFile::remove(m_state);
        const QString windowTranscript = path(QStringLiteral("window-%1.txt").arg(mode));
        std::vector<std::string> fromWindow;
        {
            auto window = openWindow(windowTranscript);
            const std::size_t before = lines(windowTranscript).size();
            click(*window, entry);
            fromWindow = from(lines(windowTranscript), before);
        }
        const std::vector<core::Byte> afterWindow = storedMemory();
        QFile::remove(m_state);
        const auto fromTool =
            reportsOf({QStringLiteral("set"), QStringLiteral("mode"), QString::fromLatin1(mode)});
        ASSERT_EQ(fromWindow.size(), 5u);
        EXPECT_EQ(fromTool, fromWindow);
        EXPECT_EQ(storedMemory(), afterWindow);
    }
}

// The window's assignment writes the key sections, re-reads the user section and makes the mouse
// take the codes up; catalogue entries also write the fire key block, combinations and macros do
// not.
TEST_F(TarvikctlTest, ButtonAssignmentWritesTheKeySectionsAsTheKeyPageDoes) {
    struct Case {
        const char* function;
        const char* mode;
        int button;
        core::KeyFunctionCode code;
        bool fireKeyBlock;
    };
    for (const Case& c : {Case{"Volume +", "game", 9, {0x03, 0x00, 0xE9, 0x00}, true},
                          Case{"Ctrl+Alt+A", "office", 3, {0x02, 0x05, 0x04, 0x00}, false}}) {
        SCOPED_TRACE(c.function);
        QFile::remove(m_state);
        const std::vector<core::Byte> before = storedMemory();
        const auto reports =
            reportsOf({QStringLiteral("set"), QStringLiteral("button"), QString::fromLatin1(c.mode),
                       QString::number(c.button), QString::fromLatin1(c.function)});
        // Each report by its kind: command or data, sent or fetched.
        std::vector<std::string> kinds;
        for (const std::string& r : reports) {
            kinds.push_back(r.substr(0, 6));
        }
        std::vector<std::string> expected = {"SET 40"};
        expected.insert(expected.end(), 21, "SET 41");
        if (c.fireKeyBlock) {
            expected.push_back("SET 40");
            expected.insert(expected.end(), 2, "SET 41");
        }
        expected.push_back("SET 40");
        expected.insert(expected.end(), 4, "GET 41");
        expected.insert(expected.end(), 2, "SET 40");
        ASSERT_EQ(kinds, expected);
        EXPECT_EQ(reports[0], "SET 40 07 00 C0 00 93 00 00");
        if (c.fireKeyBlock) {
            EXPECT_EQ(reports[22], "SET 40 07 01 E4 00 0C 00 00");
        }
        EXPECT_EQ(reports[reports.size() - 7], "SET 40 06 00 A4 00 1C 00 00");
        // 0x0F, then the work mode just read back, make the mouse take the new codes.
        char lastWrite[40];
        std::snprintf(lastWrite, sizeof lastWrite, "SET 40 05 00 A4 %02X 00 00 01",
                      before[core::image::kCurrentProfile]);
        EXPECT_EQ(reports[reports.size() - 2], "SET 40 05 00 A4 0F 00 00 01");
        EXPECT_EQ(reports.back(), lastWrite);

        const std::vector<core::Byte> after = storedMemory();
        const int mode = std::string(c.mode) == "game" ? 2 : 1;
        const std::size_t section = core::image::kProfileSection[mode - 1].offset;
        const std::size_t at = section + 4 * static_cast<std::size_t>(c.button - 1);
        EXPECT_EQ(std::vector<core::Byte>(after.begin() + at, after.begin() + at + 4),
                  std::vector<core::Byte>(c.code.bytes.begin(), c.code.bytes.end()));
        EXPECT_EQ(after[section + 48], core::computeChecksumXor5A(std::span(after).subspan(section, 48)));
        // Nothing else of the key sections changed.
        for (std::size_t i = core::image::kProfileRun.offset; i < core::image::kProfileRun.end(); ++i) {
            if (i < at || i >= at + 4) {
                if (i != section + 48) {
                    EXPECT_EQ(after[i], before[i]) << "byte " << i;
                }
            }
        }
    }
}

// Each setting is changed once in the window, by clicking its control where a user clicks, and once
// by tarvikctl from the same starting mouse: the same reports, the same mouse afterwards.
TEST_F(TarvikctlTest, SettingsSendWhatTheirControlsInTheWindowSend) {
    struct Case {
        std::vector<const char*> args;
        const char* page;
        const char* control;
        QColor chosen;
    };
    const Case cases[] = {
        {{"dpi", "3", "5"}, "Btn_Adv_1", "Img_DPI3_5", {}},
        {{"dpi-level", "2"}, "Btn_Adv_1", "Img_DPI2", {}},
        {{"dpi-color", "2", "#0A141E"}, "Btn_Adv_1", "lbl_DPI2Col", QColor(10, 20, 30)},
        {{"rate", "500"}, "Btn_Adv_1", "lbl_Rep3", {}},
        {{"lighting", "2"}, "Btn_Breath_1", "lbl_LED2", {}},
        {{"lighting", "off"}, "Btn_Breath_1", "lbl_Off", {}},
        {{"step-time", "7"}, "Btn_Breath_1", "Img_Fall7", {}},
        {{"light-color", "3", "010203"}, "Btn_Breath_1", "lbl_Col3", QColor(1, 2, 3)},
    };
    for (const Case& c : cases) {
        QStringList args{QStringLiteral("set")};
        for (const char* a : c.args) {
            args << QString::fromLatin1(a);
        }
        SCOPED_TRACE(args.join(' ').toStdString());
        QFile::remove(m_state);
        const QString windowTranscript = path(QStringLiteral("window-%1.txt").arg(++m_runs));
        std::vector<std::string> fromWindow;
        {
            gui::MessageSeam::Answerer answers;
            if (c.chosen.isValid()) {
                answers.nextColors.push_back(c.chosen);
            }
            gui::MessageSeam::setAnswerer(&answers);
            auto window = openWindow(windowTranscript);
            click(*window, c.page);
            auto* control = window->findChild<QWidget*>(QLatin1String(c.control));
            ASSERT_NE(control, nullptr);
            const std::size_t before = lines(windowTranscript).size();
            ASSERT_EQ(gui::testing::clickAt(control), control);
            QTest::qWait(50);
            fromWindow = from(lines(windowTranscript), before);
            gui::MessageSeam::setAnswerer(nullptr);
        }
        const std::vector<core::Byte> memoryAfterWindow = storedMemory();
        const auto liveAfterWindow = storedLive();
        QFile::remove(m_state);
        const auto liveBefore = storedLive();
        const auto fromTool = reportsOf(args);
        ASSERT_FALSE(fromWindow.empty());
        EXPECT_EQ(fromTool, fromWindow);
        EXPECT_EQ(storedMemory(), memoryAfterWindow);
        EXPECT_EQ(storedLive(), liveAfterWindow);
        EXPECT_NE(storedLive(), liveBefore);
    }
}

TEST_F(TarvikctlTest, SettingsTheMouseDoesNotOfferAreRefusedWithoutAWrite) {
    const QString transcript = path(QStringLiteral("refused.txt"));
    for (const QStringList& args :
         {QStringList{"set", "dpi", "3", "13"}, QStringList{"set", "rate", "300"},
          QStringList{"set", "dpi-color", "1", "#12345"}, QStringList{"set", "lighting", "6"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        QFile::remove(transcript);
        EXPECT_EQ(tarvikctl(args, transcript).code, 1);
        EXPECT_TRUE(lines(transcript).empty());
    }
}

// Macros come from the library where the window keeps it; a button playing a macro keeps playing
// it when a macro before it is deleted and the one it plays moves.
TEST_F(TarvikctlTest, MacrosFromTheWindowsLibraryAndButtonsFollowADeletion) {
    core::MacroLibrary library;
    ASSERT_NO_FATAL_FAILURE(addMacros(library, {"Burst", "Reload"}));
    // Key "A" down and up (its code 04 is followed by the end byte), and a name starting with a
    // fullwidth letter, whose first byte is FF.
    const std::vector<core::Byte> keyA = {0x82, 0x04, 0x02, 0x04, 0x00};
    std::size_t slot = 0;
    for (const char* name : {"KeyA", "\uFF21"}) {
        ASSERT_EQ(library.addNew(name, &slot), core::MacroLibrary::Result::Done);
        ASSERT_TRUE(library.encode(slot, core::decodeMacro(keyA, keyA.size()).text).fits);
    }
    ASSERT_NO_FATAL_FAILURE(saveLibrary(library));

    const QString transcript = path(QStringLiteral("unknown.txt"));
    const Outcome unknown = tarvikctl({"macros", "add", "Jump"}, transcript);
    EXPECT_EQ(unknown.code, 1);
    EXPECT_THAT(unknown.err.toStdString(), HasSubstr("no macro named \"Jump\""));
    EXPECT_TRUE(lines(transcript).empty());

    for (const char* name : {"Burst", "Reload", "KeyA"}) {
        const Outcome added = tarvikctl({"macros", "add", name});
        ASSERT_EQ(added.code, 0) << added.err.toStdString();
    }
    const Outcome refused = tarvikctl({"macros", "add", "\uFF21"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_THAT(refused.err.toStdString(), HasSubstr("cannot keep a macro whose name"));
    ASSERT_EQ(tarvikctl({"set", "button", "game", "5", "Reload"}).code, 0);
    const Outcome listed = tarvikctl({"macros", "list"});
    EXPECT_THAT(listed.out.toStdString(), HasSubstr("1  Burst"));
    EXPECT_THAT(listed.out.toStdString(), HasSubstr("2  Reload"));
    EXPECT_THAT(listed.out.toStdString(), HasSubstr("3  KeyA"));

    EXPECT_EQ(tarvikctl({"macros", "delete", "4"}).code, 1);
    ASSERT_EQ(tarvikctl({"macros", "delete", "1"}).code, 0);
    const std::string after = tarvikctl({"macros", "list"}).out.toStdString();
    EXPECT_THAT(after, HasSubstr("1  Reload"));
    EXPECT_THAT(after, HasSubstr("2  KeyA"));
    EXPECT_THAT(after, ::testing::Not(HasSubstr("Burst")));
    const std::string shown = tarvikctl({"show"}).out.toStdString();
    const auto game = shown.find("Game Mode:");
    ASSERT_NE(game, std::string::npos);
    EXPECT_THAT(shown.substr(game), HasSubstr("  5: Reload"));
}

// Adding library macros to the mouse and deleting one, once in the window through the macro page's
// menus and once by tarvikctl from the same mouse: the same reports, the same mouse afterwards. The
// deletion moves the macro a button plays, so the buttons' new codes go out first.
TEST_F(TarvikctlTest, MacroAddAndDeleteSendWhatTheMacroPageSends) {
    core::MacroLibrary library;
    ASSERT_NO_FATAL_FAILURE(addMacros(library, {"Burst", "Reload"}));
    ASSERT_NO_FATAL_FAILURE(saveLibrary(library));
    // The window takes the library from the same place.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", path(QStringLiteral("data")).toLocal8Bit());
    const auto restoreDataHome = qScopeGuard([&] {
        if (dataHome.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", dataHome);
    });

    struct Step {
        QStringList args;
        const char* list;
        int row;
        const char* entry;
    };
    const Step steps[] = {
        {{"macros", "add", "Burst"}, "LB_PCMacroName", 0, "Btn_AddMacro"},
        {{"macros", "add", "Reload"}, "LB_PCMacroName", 1, "Btn_AddMacro"},
        {{"macros", "delete", "1"}, "LB_MacroName", 0, "Btn_DelMacro"},
    };
    ASSERT_EQ(tarvikctl({QStringLiteral("show")}).code, 0); // the state file exists
    const QString before = path(QStringLiteral("before.state"));
    for (const Step& step : steps) {
        SCOPED_TRACE(step.args.join(' ').toStdString());
        if (step.entry == std::string("Btn_DelMacro")) {
            ASSERT_EQ(tarvikctl({"set", "button", "game", "5", "Reload"}).code, 0);
        }
        QFile::remove(before);
        ASSERT_TRUE(QFile::copy(m_state, before));
        const QString windowTranscript = path(QStringLiteral("window-%1.txt").arg(++m_runs));
        std::vector<std::string> fromWindow;
        {
            auto window = openWindow(windowTranscript);
            click(*window, "Btn_Macro_1");
            auto* list = window->findChild<QListWidget*>(QLatin1String(step.list));
            ASSERT_NE(list, nullptr);
            ASSERT_GT(list->count(), step.row);
            const QPoint at = list->visualItemRect(list->item(step.row)).center();
            QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
            QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at);
            auto* entry = window->findChild<QWidget*>(QLatin1String(step.entry));
            ASSERT_NE(entry, nullptr);
            const std::size_t start = lines(windowTranscript).size();
            ASSERT_EQ(gui::testing::clickAt(entry), entry);
            fromWindow = from(lines(windowTranscript), start);
        }
        const std::vector<core::Byte> afterWindow = storedMemory();
        ASSERT_TRUE(QFile::remove(m_state));
        ASSERT_TRUE(QFile::copy(before, m_state));
        const auto fromTool = reportsOf(step.args);
        ASSERT_FALSE(fromWindow.empty());
        EXPECT_EQ(fromTool, fromWindow);
        EXPECT_EQ(storedMemory(), afterWindow);
    }
    // Button 5 of Game Mode still plays the macro it was given, wherever that went.
    const std::string shown = tarvikctl({"show"}).out.toStdString();
    EXPECT_THAT(shown.substr(shown.find("Game Mode:")), HasSubstr("  5: Reload"));
}

// A write the mouse refuses is a failed change, whatever the command: here the virtual mouse cannot
// keep its state (its state file is a link it will not write through), so each write report is
// refused. Nothing of it reaches the file the link points at.
TEST_F(TarvikctlTest, AReportTheMouseRefusesFailsEveryKindOfChange) {
    core::MacroLibrary library;
    ASSERT_NO_FATAL_FAILURE(addMacros(library, {"Burst"}));
    ASSERT_NO_FATAL_FAILURE(saveLibrary(library));
    ASSERT_EQ(tarvikctl({"macros", "add", "Burst"}).code, 0);

    const QString kept = path(QStringLiteral("kept.state"));
    ASSERT_TRUE(QFile::rename(m_state, kept));
    ASSERT_TRUE(QFile::link(kept, m_state));
    const QByteArray before = readAll(kept);
    for (const QStringList& args : {QStringList{"set", "mode", "game"}, QStringList{"macros", "add", "Burst"},
                                    QStringList{"macros", "delete", "1"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Outcome run = tarvikctl(args);
        EXPECT_EQ(run.code, 3);
        EXPECT_THAT(run.err.toStdString(), HasSubstr("symbolic link"));
        EXPECT_THAT(run.err.toStdString(),
                    ::testing::AnyOf(HasSubstr("refused the change"), HasSubstr("did not take all of")));
    }
    EXPECT_EQ(readAll(kept), before);
    EXPECT_TRUE(QFileInfo(m_state).isSymLink());
}

// A mouse whose identity bytes read wrong (a write broken off over them) is refused by every
// command but `defaults`, which says what it does, rewrites them and leaves a mouse read normally.
TEST_F(TarvikctlTest, DefaultsRepairAMouseRefusedForItsIdentityBytes) {
    ASSERT_EQ(tarvikctl({"set", "mode", "game"}).code, 0);
    const auto good = storedMemory();
    {
        QFile state(m_state);
        ASSERT_TRUE(state.open(QIODevice::ReadWrite));
        // After the magic, version, marker and the 192 live bytes: stored memory byte 484 and 485.
        ASSERT_TRUE(state.seek(8 + 2 + 192 + 484));
        ASSERT_EQ(state.write(QByteArray("\x12\x34", 2)), 2);
    }
    for (const QStringList& args : {QStringList{"show"}, QStringList{"set", "mode", "office"}}) {
        const Outcome refused = tarvikctl(args);
        EXPECT_EQ(refused.code, 2) << args.join(' ').toStdString();
    }
    EXPECT_EQ(storedMemory()[484], 0x12);

    const Outcome repaired = tarvikctl({"defaults"});
    EXPECT_EQ(repaired.code, 0) << repaired.err.toStdString();
    EXPECT_THAT(repaired.err.toStdString(), HasSubstr("identity bytes"));
    EXPECT_THAT(repaired.err.toStdString(), HasSubstr("default settings 1"));
    const auto memory = storedMemory();
    EXPECT_EQ(memory[484], good[484]);
    EXPECT_EQ(memory[485], good[485]);
    EXPECT_EQ(tarvikctl({"show"}).code, 0);
    EXPECT_EQ(tarvikctl({"set", "mode", "office"}).code, 0);
}

TEST_F(TarvikctlTest, OfficeModeKeepsItsLastLeftKeyAndARefusalSendsNothing) {
    const QString reading = path(QStringLiteral("reading.txt"));
    ASSERT_EQ(tarvikctl({QStringLiteral("show")}, reading).code, 0);
    const QString transcript = path(QStringLiteral("refused.txt"));
    const Outcome run = tarvikctl({"set", "button", "office", "1", "Volume +"}, transcript);
    EXPECT_EQ(run.code, 1);
    EXPECT_THAT(run.err.toStdString(), HasSubstr("Left Key"));
    EXPECT_EQ(storedMemory()[core::image::kProfileSection[0].offset], 0x01);
    // Only the reading of the mouse: no write report after the refusal.
    EXPECT_EQ(lines(transcript), lines(reading));
}

TEST_F(TarvikctlTest, SmallRefusalsSayWhatIsWrongAndSendNothing) {
    const QString transcript = path(QStringLiteral("small.txt"));
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"macros", "delete", "0"}, "numbered from 1"},
        {{"macros", "add", QStringLiteral("Jump\x1b[2J")}, "control characters"},
        {{"set", "button", "game", "3", "Ctrl+"}, "unknown function"},
        {{"set", "button", "game", "3", "++"}, "unknown function"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QFile::remove(transcript);
        const Outcome run = tarvikctl(c.args, transcript);
        EXPECT_EQ(run.code, 1);
        EXPECT_THAT(run.err.toStdString(), HasSubstr(c.says));
        // No number of hundreds of digits, and no raw escape reaches the terminal.
        EXPECT_LT(run.err.size(), 2000);
        EXPECT_FALSE(run.err.contains(QChar(0x1b)));
        EXPECT_THAT(lines(transcript), ::testing::Not(::testing::Contains(HasSubstr("SET 40 07"))));
    }
    // A modifier-only combination by its caption.
    ASSERT_EQ(tarvikctl({"set", "button", "game", "3", "Ctrl+Shift"}).code, 0);
    EXPECT_EQ(storedMemory()[core::image::kProfileSection[1].offset + 8 + 1], 0x03);
}

// Two runs on one mouse at once: the second waits for the first and both changes are kept.
TEST_F(TarvikctlTest, TwoRunsAtOnceTakeTurnsAndLoseNothing) {
    ASSERT_EQ(tarvikctl({QStringLiteral("show")}).code, 0); // the state file exists
    auto start = [&](const QStringList& args) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TARVIK_TIME_SCALE"), QString::number(kTimeScale));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder.path());
        env.insert(QStringLiteral("TARVIK_LOCK_DIR"), path(QStringLiteral("locks")));
        env.remove(QStringLiteral("TARVIK_EMULATOR"));
        process->setProcessEnvironment(env);
        process->start(QStringLiteral(TARVIKCTL),
                       QStringList{"--virtual-mouse", "i2c", "--virtual-mouse-state", m_state} + args);
        return process;
    };
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const QString first = round % 2 ? QStringLiteral("Mute") : QStringLiteral("Volume +");
        const QString second = round % 2 ? QStringLiteral("Volume -") : QStringLiteral("Play/Pause");
        auto a = start({"set", "button", "game", "4", first});
        auto b = start({"set", "button", "game", "5", second});
        ASSERT_TRUE(a->waitForFinished(60000));
        ASSERT_TRUE(b->waitForFinished(60000));
        EXPECT_EQ(a->exitCode(), 0) << a->readAllStandardError().toStdString();
        EXPECT_EQ(b->exitCode(), 0) << b->readAllStandardError().toStdString();
        const std::string shown = tarvikctl({QStringLiteral("show")}).out.toStdString();
        const std::string game = shown.substr(shown.find("Game Mode:"));
        EXPECT_THAT(game, HasSubstr("4: " + first.toStdString()));
        EXPECT_THAT(game, HasSubstr("5: " + second.toStdString()));
    }

    // A run that keeps holding the mouse is named by the one that gives up waiting.
    qputenv("TARVIK_LOCK_DIR", path(QStringLiteral("locks")).toLocal8Bit());
    platform::MouseLock held(cli::virtualMouseKey([&] {
        core::RuntimeOptions options;
        options.emulator = core::StorageKind::I2C;
        options.emulatorStatePath = m_state.toStdString();
        return options;
    }()));
    ASSERT_TRUE(held.acquire(0));
    const Outcome waited = tarvikctl({QStringLiteral("show")});
    EXPECT_EQ(waited.code, 2);
    EXPECT_THAT(waited.err.toStdString(),
                HasSubstr("another tarvikctl (process " + std::to_string(::getpid()) + ")"));
}

TEST_F(TarvikctlTest, JsonExportThenImportKeepsTheStoredMemory) {
    // The built-in default images are of the "I2C" kind, so only such a mouse is taken.
    for (const QString& kind : {QStringLiteral("i2c")}) {
        SCOPED_TRACE(kind.toStdString());
        QFile::remove(m_state);
        // A mouse that is not just the default image; the work-mode switch leaves the user
        // section's checksum as it was, which the round trip keeps too.
        ASSERT_EQ(tarvikctl({"set", "button", "game", "10", "Ctrl+Shift+F5"}, {}, kind).code, 0);
        ASSERT_EQ(tarvikctl({"set", "mode", "third"}, {}, kind).code, 0);
        const std::vector<core::Byte> before = storedMemory();
        const QString json = path(QStringLiteral("profile-%1.json").arg(kind));
        ASSERT_EQ(tarvikctl({QStringLiteral("export"), QStringLiteral("--json"), json}, {}, kind).code, 0);
        const Outcome imported =
            tarvikctl({QStringLiteral("import"), QStringLiteral("--json"), json}, {}, kind);
        ASSERT_EQ(imported.code, 0) << imported.err.toStdString();
        EXPECT_EQ(storedMemory(), before);
        const QString again = path(QStringLiteral("again-%1.json").arg(kind));
        ASSERT_EQ(tarvikctl({QStringLiteral("export"), QStringLiteral("--json"), again}, {}, kind).code, 0);
        EXPECT_EQ(readAll(again), readAll(json));
    }
}

TEST_F(TarvikctlTest, EditedJsonChangesWhatItNames) {
    const QString json = path(QStringLiteral("profile.json"));
    ASSERT_EQ(tarvikctl({QStringLiteral("export"), QStringLiteral("--json"), json}).code, 0);
    QByteArray text = readAll(json);
    // A new function by name alone, and a DPI level by its value.
    text.replace(R"("function": "Volume +",
        "code": "0300E900")",
                 R"("function": "Mute")");
    text.replace(R"("step": 6,
        "dpi": 1200)",
                 R"("step": 6,
        "dpi": 1600)");
    QFile out(json);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(text);
    out.close();
    const Outcome run = tarvikctl({QStringLiteral("import"), QStringLiteral("--json"), json});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const std::vector<core::Byte> memory = storedMemory();
    const std::size_t volumePlus = core::image::kProfileSection[0].offset + 8; // Office Mode button 3
    EXPECT_EQ(memory[volumePlus + 2], 0xE2);                                   // Mute
    EXPECT_EQ(memory[core::image::kDpiLevels] & 0x0F, 6);                      // step 7: 1600
    for (const auto& section : core::image::kChecksummedSections) {
        EXPECT_EQ(memory[section.end() - 1],
                  core::computeChecksumXor5A(std::span(memory).subspan(section.offset, section.length - 1)))
            << "section at " << section.offset;
    }
}

// Office Mode keeps a button with the left key, decided on the code: a macro that only carries the
// left key's name does not count, however the import names it.
TEST_F(TarvikctlTest, AMacroNamedLikeTheLeftKeyIsNoLeftKeyForTheJsonImport) {
    core::MacroLibrary library;
    ASSERT_NO_FATAL_FAILURE(addMacros(library, {"Left Key"}));
    ASSERT_NO_FATAL_FAILURE(saveLibrary(library));
    ASSERT_EQ(tarvikctl({"macros", "add", "Left Key"}).code, 0);
    const std::string listed = tarvikctl({"macros", "list"}).out.toStdString();
    const auto at = listed.find(" at ");
    ASSERT_NE(at, std::string::npos) << listed;
    const auto address = static_cast<std::uint16_t>(std::stoul(listed.substr(at + 4, 4), nullptr, 16));
    const QByteArray macroCode = QByteArray::fromStdString(core::macroFunctionCode(address));

    const QString json = path(QStringLiteral("profile.json"));
    ASSERT_EQ(tarvikctl({QStringLiteral("export"), QStringLiteral("--json"), json}).code, 0);
    QByteArray text = readAll(json);
    // Office Mode's one left key (button 1, first in the document) plays the macro instead.
    const QByteArray leftKey = R"("function": "Left Key",
        "code": "01010000")";
    const qsizetype first = text.indexOf(leftKey);
    ASSERT_GE(first, 0);
    text.replace(first, leftKey.size(), R"("code": ")" + macroCode + '"');
    QFile out(json);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(text);
    out.close();

    const std::vector<core::Byte> before = storedMemory();
    const QString transcript = path(QStringLiteral("import.txt"));
    const Outcome run = tarvikctl({QStringLiteral("import"), QStringLiteral("--json"), json}, transcript);
    EXPECT_EQ(run.code, 1) << run.err.toStdString();
    EXPECT_THAT(run.err.toStdString(), HasSubstr("Office Mode keeps one button with Left Key"));
    EXPECT_TRUE(lines(transcript).empty());
    EXPECT_EQ(storedMemory(), before);
}

TEST_F(TarvikctlTest, AWrongJsonFileIsRefusedWithItsFieldAndLineAndNothingIsSent) {
    const QString json = path(QStringLiteral("profile.json"));
    ASSERT_EQ(tarvikctl({QStringLiteral("export"), QStringLiteral("--json"), json}).code, 0);
    const QByteArray good = readAll(json);
    struct Case {
        const char* what;
        QByteArray from;
        QByteArray to;
        const char* field;
    };
    const Case cases[] = {
        {"wrong type", R"("reportRate": 1000)", R"("reportRate": "fast")",
         "reportRate: expected a whole number"},
        {"unknown button", R"("12": {)", R"("Button 13": {)",
         "buttons.Office Mode.Button 13: unknown button name"},
        {"DPI step out of range", R"("step": 6,)", R"("step": 13,)",
         "dpi.levels[0].step: 13 is out of range 1-12"},
        {"unknown function", R"("function": "Volume +",
        "code": "0300E900")",
         R"("function": "Teleport")", "buttons.Office Mode.3.function: unknown function"},
    };
    const std::vector<core::Byte> before = storedMemory();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray text = good;
        const qsizetype at = text.indexOf(c.from);
        ASSERT_GE(at, 0);
        text.replace(at, c.from.size(), c.to);
        const int line = static_cast<int>(text.left(at).count('\n')) + 1;
        const QString wrong = path(QStringLiteral("wrong.json"));
        QFile out(wrong);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(text);
        out.close();
        const QString transcript = path(QStringLiteral("refused.txt"));
        QFile::remove(transcript);
        const Outcome run =
            tarvikctl({QStringLiteral("import"), QStringLiteral("--json"), wrong}, transcript);
        EXPECT_EQ(run.code, 1);
        EXPECT_THAT(run.err.toStdString(), HasSubstr("line " + std::to_string(line) + ": " + c.field));
        EXPECT_TRUE(lines(transcript).empty()) << "reports were sent for a refused file";
        EXPECT_EQ(storedMemory(), before);
    }
}

TEST_F(TarvikctlTest, ProfileFilesAreTheWindowsByteForByte) {
    ASSERT_EQ(tarvikctl({"set", "button", "office", "6", "Mute"}).code, 0);
    const QString fromTool = path(QStringLiteral("tool.bin"));
    ASSERT_EQ(tarvikctl({QStringLiteral("profile"), QStringLiteral("save"), fromTool}).code, 0);
    gui::MessageSeam::Answerer answers;
    answers.nextFileNames.push_back(path(QStringLiteral("window")));
    gui::MessageSeam::setAnswerer(&answers);
    {
        auto window = openWindow(path(QStringLiteral("window.txt")));
        click(*window, "Btn_Save_1");
    }
    const QByteArray tool = readAll(fromTool);
    EXPECT_EQ(tool.size(), 2048);
    EXPECT_EQ(readAll(path(QStringLiteral("window.bin"))), tool);

    // And back: loading the file sends what loading it in the window sends, and keeps the mouse.
    const std::vector<core::Byte> before = storedMemory();
    const Outcome load = tarvikctl({QStringLiteral("profile"), QStringLiteral("load"), fromTool});
    EXPECT_EQ(load.code, 0) << load.err.toStdString();
    EXPECT_EQ(storedMemory(), before);
}

// Programming patch code: the header gets the checksum of the code, header and code are written,
// the mouse restarts and what it reads back is the file's code.
TEST_F(TarvikctlTest, PatchCodeIsProgrammedAndReadBack) {
    QByteArray patch(16 + 512, '\0');
    for (int i = 0; i < 512; ++i) {
        patch[16 + i] = static_cast<char>(i * 7 + 3);
    }
    const QString file = path(QStringLiteral("patch.bin"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(patch);
    out.close();
    const QString transcript = path(QStringLiteral("patch.txt"));
    const Outcome run = tarvikctl({QStringLiteral("patch"), file}, transcript);
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const std::vector<core::Byte> memory = storedMemory();
    unsigned sum = 0;
    for (int i = 0; i < 512; ++i) {
        EXPECT_EQ(memory[1024 + static_cast<std::size_t>(i)], static_cast<core::Byte>(i * 7 + 3)) << i;
        sum += static_cast<core::Byte>(i * 7 + 3);
    }
    const unsigned checksum = (sum & 0xFFFF) ^ 0x015A;
    EXPECT_THAT(std::vector<core::Byte>(memory.begin() + 1008, memory.begin() + 1016),
                ::testing::ElementsAre(0x04, 0x00, 0x02, 0x00, 0x00, 0x1A, checksum >> 8, checksum & 0xFF));
    const auto reports = lines(transcript);
    EXPECT_NE(std::find(reports.begin(), reports.end(), "SET 40 0E 00 00 00 00 00 00"), reports.end())
        << "the mouse was not restarted";

    // A file too short for the mouse's kind changes nothing and sends nothing beyond the read.
    QFile shortFile(path(QStringLiteral("short.bin")));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(patch.left(100));
    shortFile.close();
    const QString shortTranscript = path(QStringLiteral("short.txt"));
    EXPECT_EQ(tarvikctl({QStringLiteral("patch"), shortFile.fileName()}, shortTranscript).code, 1);
    for (const std::string& line : lines(shortTranscript)) {
        EXPECT_FALSE(line.starts_with("SET 40 07") || line.starts_with("SET 40 0E")) << line;
    }
    EXPECT_EQ(storedMemory(), memory);
}

TEST_F(TarvikctlTest, RefusesWhileTheWindowRuns) {
    platform::SingleInstance window;
    ASSERT_EQ(window.claim(), platform::SingleInstance::Outcome::First);
    const QString transcript = path(QStringLiteral("while-window.txt"));
    const Outcome run = tarvikctl({QStringLiteral("show")}, transcript);
    EXPECT_EQ(run.code, 2);
    EXPECT_THAT(run.err.toStdString(),
                HasSubstr("window is running (process " + std::to_string(::getpid()) + ")"));
    EXPECT_TRUE(lines(transcript).empty());
}

// The window that finds a tarvikctl run holding the mouse sends it nothing while the run goes on,
// says once which process holds it, and reads the mouse when the run has ended.
TEST_F(TarvikctlTest, TheWindowWaitsForATarvikctlRunOnTheMouseAndSaysSo) {
    ASSERT_EQ(tarvikctl({QStringLiteral("show")}).code, 0); // the state file exists
    const QByteArray stateBefore = readAll(m_state);
    qputenv("TARVIK_LOCK_DIR", path(QStringLiteral("locks")).toLocal8Bit());
    gui::MessageSeam::Answerer answerer;
    gui::MessageSeam::setAnswerer(&answerer);

    gui::DeviceSession::Options options;
    options.runtime.emulator = core::StorageKind::I2C;
    options.runtime.emulatorStatePath = m_state.toStdString();
    options.runtime.timeScale = kTimeScale;
    const QString transcript = path(QStringLiteral("window-waits.txt"));
    options.runtime.transcriptPath = transcript.toStdString();
    auto window = std::make_unique<gui::MainWindow>(options);
    // Taken as a run would, once the window has its virtual mouse: found as the window looks.
    std::optional<platform::MouseLock> run(std::in_place, platform::virtualMouseKey(m_state.toStdString()));
    ASSERT_TRUE(run->acquire(0));
    // The window looks with another XDG_RUNTIME_DIR than the run had, and finds the lock all the same.
    QTemporaryDir otherRuntime;
    qputenv("XDG_RUNTIME_DIR", otherRuntime.path().toLocal8Bit());

    QSignalSpy ready(window.get(), &gui::MainWindow::deviceReady);
    window->show();
    window->start();
    EXPECT_FALSE(ready.wait(1500)) << "the window read a mouse a tarvikctl run holds";
    EXPECT_TRUE(lines(transcript).empty());
    EXPECT_EQ(window->session().virtualMouse()->reportCount(), 0);
    EXPECT_EQ(readAll(m_state), stateBefore);
    ASSERT_EQ(answerer.messages.size(), 1) << answerer.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_THAT(answerer.messages[0].toStdString(),
                HasSubstr("tarvikctl (process " + std::to_string(::getpid()) + ") is using the mouse"));

    run.reset();
    EXPECT_TRUE(ready.wait(20000)) << "the window did not read the mouse after the run";
    EXPECT_EQ(answerer.messages.size(), 1);
}

// A run that died leaves its lock file behind: it holds nobody up, neither the window nor the next run.
TEST_F(TarvikctlTest, ALockLeftByARunThatDiedHoldsNothing) {
    qputenv("TARVIK_LOCK_DIR", path(QStringLiteral("locks")).toLocal8Bit());
    const std::string key = platform::virtualMouseKey(m_state.toStdString());
    QString lockPath;
    QByteArray content;
    {
        platform::MouseLock run(key);
        ASSERT_TRUE(run.acquire(0));
        lockPath = QString::fromStdString(run.path());
        content = readAll(lockPath);
    }
    QProcess gone;
    gone.start(QStringLiteral("true"), {});
    ASSERT_TRUE(gone.waitForStarted());
    const qint64 deadPid = gone.processId();
    ASSERT_TRUE(gone.waitForFinished());
    content = QByteArray::number(deadPid) + content.mid(content.indexOf('\n'));
    QFile left(lockPath);
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.write(content);
    left.close();

    EXPECT_EQ(platform::toolHoldingMouse(key), 0);
    EXPECT_EQ(tarvikctl({QStringLiteral("show")}).code, 0);
}

// A run that holds the virtual mouse's state file while the window starts keeps it: the window's
// virtual mouse starts afresh and never writes that file.
TEST_F(TarvikctlTest, TheWindowLeavesAStateFileATarvikctlRunHolds) {
    ASSERT_EQ(tarvikctl({"set", "button", "game", "4", "Mute"}).code, 0);
    const QByteArray stateBefore = readAll(m_state);
    qputenv("TARVIK_LOCK_DIR", path(QStringLiteral("locks")).toLocal8Bit());
    gui::MessageSeam::Answerer answerer;
    gui::MessageSeam::setAnswerer(&answerer);
    platform::MouseLock run(platform::virtualMouseKey(m_state.toStdString()));
    ASSERT_TRUE(run.acquire(0));
    {
        gui::DeviceSession::Options options;
        options.runtime.emulator = core::StorageKind::I2C;
        options.runtime.emulatorStatePath = m_state.toStdString();
        options.runtime.timeScale = kTimeScale;
        gui::MainWindow window(options);
        EXPECT_THAT(window.session().stateProblem().toStdString(), HasSubstr("tarvikctl (process "));
        QSignalSpy ready(&window, &gui::MainWindow::deviceReady);
        window.show();
        window.start();
        ASSERT_TRUE(ready.wait(20000));
        window.completePages();
        // A change in the window goes to its own virtual mouse, not into the run's file.
        click(window, "Btn_Switch_1");
        QTest::qWait(200);
        EXPECT_THAT(answerer.messages.join(QLatin1Char('|')).toStdString(), HasSubstr("is using the mouse"));
    }
    EXPECT_EQ(readAll(m_state), stateBefore);
}

// The window of a session (its lock in the user's usual place) is seen by a tarvikctl started with
// another XDG_RUNTIME_DIR, or none.
TEST_F(TarvikctlTest, SeesTheWindowWhateverItsXdgRuntimeDirSays) {
    platform::SingleInstance window(
        platform::SingleInstance::keyForTitle(QString::fromLatin1(platform::SingleInstance::kWindowTitle)),
        path(QStringLiteral("locks")));
    ASSERT_EQ(window.claim(), platform::SingleInstance::Outcome::First);
    QTemporaryDir other;
    for (const QString& runtime : {other.path(), QString()}) {
        SCOPED_TRACE(runtime.toStdString());
        m_extraEnvironment[QStringLiteral("XDG_RUNTIME_DIR")] = runtime.isEmpty() ? QString() : runtime;
        const QString transcript = path(QStringLiteral("other-runtime.txt"));
        QFile::remove(transcript);
        const Outcome run = tarvikctl({"set", "mode", "game"}, transcript);
        EXPECT_EQ(run.code, 2);
        EXPECT_THAT(run.err.toStdString(), HasSubstr("window is running"));
        EXPECT_TRUE(lines(transcript).empty());
    }
}

TEST_F(TarvikctlTest, ExitCodesTellUsageFromAMissingMouse) {
    EXPECT_EQ(tarvikctl({QStringLiteral("frobnicate")}).code, 1);
    EXPECT_EQ(tarvikctl({"set", "button", "office", "13", "Mute"}).code, 1);
    EXPECT_EQ(tarvikctl({"set", "mode", "fourth"}).code, 1);
    const Outcome version = tarvikctl({QStringLiteral("--version")}, {}, {});
    EXPECT_EQ(version.code, 0);
    EXPECT_THAT(version.out.toStdString(), HasSubstr("tarvikctl 1.0"));
    const Outcome list = tarvikctl({QStringLiteral("list")});
    EXPECT_EQ(list.code, 0);
    EXPECT_THAT(list.out.toStdString(), HasSubstr("I2C  identity FF FF"));
}

// A mouse this user may not open (no udev rule yet) is named with the rule that would let them.
TEST(CliSessionTest, AMouseThatMayNotBeOpenedNamesTheUdevRule) {
    std::shared_ptr<emulator::VirtualMouse> mouse;
    cli::CliSession session(core::RuntimeOptions{}, [&mouse] {
        auto bus = std::make_unique<emulator::EmulatorTransport>();
        mouse = bus->addMouse();
        emulator::Faults faults;
        faults.denyOpen = true;
        mouse->setFaults(faults);
        return bus;
    });
    EXPECT_EQ(session.connect(), cli::CliSession::Outcome::NotAllowed);
    EXPECT_THAT(session.problem(), HasSubstr("70-tarvik-mouse.rules"));
    EXPECT_EQ(mouse->reportCount(), 0);
}

} // namespace
