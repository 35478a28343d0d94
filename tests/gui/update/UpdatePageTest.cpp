// The update page and the reports of writes the mouse did not take, on the main window over the
// virtual mouse. The shipped layouts hide the Update entry, so these tests run on a layout that
// shows it.

#include "core/device/DefaultIdentity.h"
#include "core/image/DefaultImages.h"
#include "core/text/LayoutConfig.h"
#include "emulator/VirtualMouse.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/shell/MainWindow.h"
#include "gui/skin/PictureControl.h"
#include "resources/Resources.h"
#include "support/ClickAt.h"
#include "support/Transcript.h"
#include "support/WaitFor.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

using namespace tarvik;
using core::Byte;
using gui::MainWindow;
using gui::PictureControl;

namespace {

constexpr double kTimeScale = 0.02;

using gui::testing::waitFor;

// The stored-memory writes (command 0x07) of a transcript from line `from` on: address and length.
std::vector<std::pair<int, int>> memoryWrites(const QString& transcript, qsizetype from) {
    std::vector<std::pair<int, int>> writes;
    for (const auto& report : gui::testing::commandsSent(transcript, 0x07, from))
        writes.emplace_back(report.bytes[2] * 256 + report.bytes[3], report.bytes[4] * 256 + report.bytes[5]);
    return writes;
}

qsizetype lineCount(const QString& transcript) {
    return gui::testing::transcriptLineCount(transcript);
}

class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override { gui::MessageSeam::setAnswerer(&m_answers); }
    void TearDown() override {
        m_window.reset();
        gui::MessageSeam::setAnswerer(nullptr);
    }

    void build(core::StorageKind kind) {
        gui::DeviceSession::Options options;
        options.runtime.emulator = kind;
        options.runtime.timeScale = kTimeScale;
        m_transcript = m_folder.filePath(QStringLiteral("transcript.txt"));
        options.runtime.transcriptPath = m_transcript.toStdString();
        // The program's default images are made for the kind of mouse under test: a "Flash" mouse
        // next to "I2C" images is refused before it is read.
        options.identity = core::DefaultIdentity::fromResources();
        options.identity->defaultImageKind = kind;
        m_window = std::make_unique<MainWindow>(options);
        // "ORG1" as shipped, with the Update entry shown.
        const auto bytes = resources::find("layout/org1.ini");
        ASSERT_TRUE(bytes);
        std::string text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        const auto at = text.find("Btn_B12_Enable=0");
        ASSERT_NE(at, std::string::npos);
        text.replace(at, 16, "Btn_B12_Enable=1");
        m_window->state().layout = core::LayoutConfig::parse(text);
        m_window->completePages();
        m_window->applyLoadedLayout();
    }
    void startAndRead() {
        m_window->show();
        m_window->start();
        ASSERT_TRUE(waitFor([&] { return m_window->deviceConnected() && !m_window->coversShown(); }))
            << "the mouse was not read";
    }
    // A click where the user sees the control: Qt's hit-testing picks the widget that receives it.
    void clickAt(const QString& name) {
        auto* control = m_window->findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name.toStdString();
        ASSERT_TRUE(control->isVisible()) << name.toStdString();
        gui::testing::clickAt(control);
        QApplication::processEvents();
    }
    QString writeFile(const std::vector<Byte>& bytes) {
        const QString path = m_folder.filePath(QStringLiteral("patch%1.bin").arg(++m_files));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }
    void loadBin(const QString& path) {
        m_answers.nextFileNames.push_back(path);
        clickAt(QStringLiteral("Btn_LoadBIN"));
    }
    // Program, then wait for the restart and the read that follows it.
    void programAndWait(int resetsBefore) {
        clickAt(QStringLiteral("Btn_Program"));
        ASSERT_TRUE(waitFor([&] {
            return mouse().resetCount() > resetsBefore && m_window->deviceConnected() &&
                   !m_window->coversShown();
        })) << "the mouse was not restarted and read again";
    }
    emulator::VirtualMouse& mouse() { return *m_window->session().virtualMouse(); }
    QString text(const char* key) { return m_window->state().text(key); }

    QTemporaryDir m_folder;
    QString m_transcript;
    gui::MessageSeam::Answerer m_answers;
    std::unique_ptr<MainWindow> m_window;
    int m_files = 0;
};

std::vector<Byte> defaultPatchCode() {
    core::DefaultImageBuffers defaults;
    core::loadDefaultImages(core::StorageKind::I2C, defaults);
    return {defaults[0].eepromPatchCode.begin(), defaults[0].eepromPatchCode.end()};
}

struct PatchCase {
    const char* what;
    std::vector<Byte> code;
    Byte checksumHigh, checksumLow;
};

TEST_F(UpdateTest, ProgramWritesTheHeaderForTheCodeThenTheMouseIsRestartedAndReadAgain) {
    build(core::StorageKind::I2C);
    startAndRead();
    const PatchCase cases[] = {{"512 zero bytes", std::vector<Byte>(512, 0x00), 0x01, 0x5A},
                               {"the default patch code", defaultPatchCode(), 0x37, 0x8D}};
    for (const PatchCase& c : cases) {
        SCOPED_TRACE(c.what);
        clickAt(QStringLiteral("Btn_Update_1"));
        ASSERT_TRUE(m_window->findChild<QRadioButton*>(QStringLiteral("rb_7"))->isChecked());
        std::vector<Byte> file(16 + c.code.size(), 0xEE); // the record's bytes 8-15 are kept as loaded
        std::copy(c.code.begin(), c.code.end(), file.begin() + 16);
        const QString path = writeFile(file);
        loadBin(path);
        EXPECT_EQ(m_window->findChild<QLabel*>(QStringLiteral("lbl_LoadBIN"))->text(), path);

        const qsizetype from = lineCount(m_transcript);
        programAndWait(mouse().resetCount());
        EXPECT_EQ(mouse().readMemory(1008, 16),
                  (std::vector<Byte>{0x04, 0x00, 0x02, 0x00, 0x00, 0x1A, c.checksumHigh, c.checksumLow, 0xEE,
                                     0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
        EXPECT_EQ(mouse().readMemory(1024, 512), c.code);
        EXPECT_THAT(memoryWrites(m_transcript, from),
                    ::testing::ElementsAre(std::pair(1008, 16), std::pair(1024, 256), std::pair(1280, 256)));
        // What the window holds now came from the restarted mouse.
        EXPECT_EQ(std::vector<Byte>(m_window->state().buffers.eepromPatchCode.begin(),
                                    m_window->state().buffers.eepromPatchCode.end()),
                  c.code);
    }
    EXPECT_TRUE(m_answers.messages.isEmpty()) << m_answers.messages.join('|').toStdString();
}

TEST_F(UpdateTest, OnALockedFlashMouseOnlyTheSectorIsWritten) {
    build(core::StorageKind::Flash);
    std::vector<Byte> sector = mouse().readMemory(0x1000, 1);
    mouse().writeMemory(0x1000, std::vector<Byte>{0x80});
    startAndRead();
    ASSERT_TRUE(m_window->state().buffers.patchLocked);
    const auto codeBefore = mouse().readMemory(0xC000, 1024);
    clickAt(QStringLiteral("Btn_Update_1"));
    loadBin(writeFile(std::vector<Byte>(0x8000 + 1024, 0x01)));

    const qsizetype from = lineCount(m_transcript);
    programAndWait(mouse().resetCount());
    EXPECT_THAT(memoryWrites(m_transcript, from), ::testing::ElementsAre(std::pair(0x1000, 256)));
    EXPECT_EQ(mouse().readMemory(0x1008, 8),
              (std::vector<Byte>{0xC0, 0x00, 0x04, 0x00, 0x00, 0x1A, 0x05, 0x5A}));
    EXPECT_EQ(mouse().readMemory(0xC000, 1024), codeBefore);
    EXPECT_EQ(mouse().readMemory(0x1000, 1), std::vector<Byte>{0x80});
    EXPECT_TRUE(m_answers.messages.isEmpty());
}

TEST_F(UpdateTest, OpeningThePageAgainForgetsTheFileAndAShortFileIsRefused) {
    build(core::StorageKind::I2C);
    startAndRead();
    clickAt(QStringLiteral("Btn_Update_1"));
    loadBin(writeFile(std::vector<Byte>(528, 0x00)));
    clickAt(QStringLiteral("Btn_Adv_5"));
    clickAt(QStringLiteral("Btn_Update_2"));
    EXPECT_TRUE(m_window->findChild<QLabel*>(QStringLiteral("lbl_LoadBIN"))->text().isEmpty());
    qsizetype from = lineCount(m_transcript);
    clickAt(QStringLiteral("Btn_Program"));
    EXPECT_EQ(lineCount(m_transcript), from);
    EXPECT_EQ(mouse().resetCount(), 0);

    loadBin(writeFile(std::vector<Byte>(527, 0x00)));
    EXPECT_EQ(m_answers.messages, QStringList{QStringLiteral("Loading .bin is error!")});
    clickAt(QStringLiteral("Btn_Program"));
    EXPECT_EQ(lineCount(m_transcript), from);
}

// --- what the mouse did not take ---------------------------------------------------------------------

TEST_F(UpdateTest, ProgramReportsARefusedReportOrAByteTheMouseDoesNotKeep) {
    build(core::StorageKind::I2C);
    startAndRead();
    const QString path = writeFile(std::vector<Byte>(528, 0x33));

    struct Case {
        const char* key;
        std::function<void(emulator::Faults&)> fault;
    };
    const Case cases[] = {
        {"Str124", [&](emulator::Faults& f) { f.refuseReport = mouse().reportCount() + 5; }},
        {"Str125", [&](emulator::Faults& f) { f.corruptStoredByte = 1024 + 100; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        m_answers.messages.clear();
        clickAt(QStringLiteral("Btn_Update_1"));
        loadBin(path);
        emulator::Faults faults;
        c.fault(faults);
        mouse().setFaults(faults);
        programAndWait(mouse().resetCount());
        mouse().setFaults({});
        EXPECT_EQ(m_answers.messages, QStringList{text(c.key)});
    }
}

TEST_F(UpdateTest, ARefusedWorkModeWriteIsReportedOnceAndTheWindowShowsTheModeTheMouseIsIn) {
    build(core::StorageKind::I2C);
    startAndRead();
    ASSERT_TRUE(m_window->findChild<QRadioButton*>(QStringLiteral("rb_1"))->isChecked());
    for (const bool unplug : {false, true}) {
        SCOPED_TRACE(unplug ? "unplugged" : "refused");
        m_answers.messages.clear();
        emulator::Faults faults;
        // The fifth write is CurrentProfile itself.
        (unplug ? faults.unplugAtReport : faults.refuseReport) = mouse().reportCount() + 5;
        mouse().setFaults(faults);
        clickAt(QStringLiteral("Btn_Switch_1"));
        EXPECT_EQ(m_answers.messages, QStringList{text("Str120")});
        EXPECT_EQ(mouse().currentProfile() & 0x0F, 0);
        mouse().setFaults({});
        if (unplug) {
            ASSERT_TRUE(waitFor([&] { return !m_window->deviceConnected() || m_window->coversShown(); }));
            mouse().plug();
            ASSERT_TRUE(waitFor([&] { return m_window->deviceConnected() && !m_window->coversShown(); }));
        }
        EXPECT_TRUE(m_window->findChild<QRadioButton*>(QStringLiteral("rb_1"))->isChecked());
        EXPECT_EQ(m_window->state().buffers.workingImage.currentProfile() & 0x0F, 0);
    }
}

TEST_F(UpdateTest, ARefusedLiveSettingIsReportedOnceAndItsPageShowsWhatTheMouseHolds) {
    build(core::StorageKind::I2C);
    startAndRead();
    struct Case {
        const char* page;
        const char* control; // clicked: a setting the mouse does not hold yet
        const char* marker;  // drawn from the setting
    };
    const Case cases[] = {{"Btn_Adv_1", "Img_DPI1_12", "Img_DPI1_12"},
                          {"Btn_Breath_1", "lbl_LED4", "Img_LED4"},
                          {"Btn_Breath_1", "Img_Fall9", "Img_Fall9"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        m_answers.messages.clear();
        clickAt(QString::fromLatin1(c.page));
        auto* marker = m_window->findChild<PictureControl*>(QString::fromLatin1(c.marker));
        ASSERT_NE(marker, nullptr);
        const QString before = marker->pictureName();
        const auto live = mouse().liveSettings();
        emulator::Faults faults;
        faults.refuseReport = mouse().reportCount() + 1;
        mouse().setFaults(faults);
        clickAt(QString::fromLatin1(c.control));
        mouse().setFaults({});
        EXPECT_EQ(m_answers.messages, QStringList{text("Str126")});
        EXPECT_EQ(mouse().liveSettings(), live);
        ASSERT_TRUE(waitFor([&] { return m_window->deviceConnected() && !m_window->coversShown(); }));
        EXPECT_EQ(marker->pictureName(), before);
    }
}

TEST_F(UpdateTest, DefaultSettingsInterruptedByAnUnplugAreReportedOnce) {
    build(core::StorageKind::I2C);
    startAndRead();
    emulator::Faults faults;
    faults.unplugAtReport = mouse().reportCount() + 100;
    mouse().setFaults(faults);
    clickAt(QStringLiteral("Btn_Reset_1"));
    EXPECT_EQ(m_answers.messages, QStringList{text("Str122")});
}

} // namespace
