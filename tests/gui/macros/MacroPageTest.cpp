// The macro page over the virtual mouse: the library in a temporary folder, the macros in the mouse
// on both storage kinds, read back from the mouse's stored memory.

#include "gui/macros/MacroPage.h"
#include "core/cycle/ConfigCycle.h"
#include "core/cycle/CycleUi.h"
#include "core/device/Clock.h"
#include "core/device/DeviceLink.h"
#include "core/device/LinkUi.h"
#include "core/image/ProfileFile.h"
#include "core/macros/MacroCodeRepoint.h"
#include "core/macros/MacroLibrary.h"
#include "core/macros/MacroLibraryFile.h"
#include "core/macros/MacroName.h"
#include "core/text/LanguageTables.h"
#include "emulator/EmulatorTransport.h"
#include "emulator/VirtualMouse.h"
#include "gui/AppState.h"
#include "gui/dialogs/MacroNameDialog.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/pages/PageContext.h"
#include "gui/skin/CaptionLabel.h"
#include "support/PageBench.h"

#include "../../core/macros/FakeInputCapture.h"
#include "../../emulator/TestImage.h"
#include "../support/ClickAt.h"
#include "../support/PaintedPixels.h"
#include "core/macros/MacroCodec.h"
#include "gui/dialogs/InputDelayTimeDialog.h"
#include "gui/dialogs/InputOneKeyDialog.h"
#include "gui/eventlist/MacroEventDelegate.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

using namespace tarvik;
using namespace tarvik::gui;
using core::Byte;
using core::StorageKind;

namespace {

std::vector<Byte> record(const char* name, std::vector<Byte> body) {
    std::vector<Byte> bytes(core::kLibraryRecordSize, 0);
    const core::MacroNameField field = core::nameToField(name);
    std::copy(field.begin(), field.end(), bytes.begin());
    std::copy(body.begin(), body.end(), bytes.begin() + 16);
    return bytes;
}

class MacroPageTest : public ::testing::Test, protected tarvik::gui::testing::PageBench {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        state.language = &core::LanguageTables::builtIn().table(1);
        state.layout = *core::LayoutConfig::loadBuiltIn("org1");
        state.macroLibraryPath = dir.filePath(QStringLiteral("Tarvik-Macro.bin"));
        MessageSeam::setAnswerer(&answers);
        window.resize(1030, 662);
    }
    void TearDown() override { MessageSeam::setAnswerer(nullptr); }

    // A mouse of that kind with an empty macro store, read whole; then the page over it.
    void plug(StorageKind kind) {
        emulator::VirtualMouse::Options options;
        options.kind = kind;
        if (kind == StorageKind::Flash)
            options.image = test::makeTestImage(core::profile_file::kFlashSize, 0xF0);
        options.clock = &clock;
        mouse = bus.addMouse(options);
        if (kind == StorageKind::Flash)
            mouse->writeMemory(0x3000, std::vector<Byte>(512, 0));
        else
            mouse->writeMemory(496, std::vector<Byte>(512, 0));
        ASSERT_EQ(link.openDevice(mouse->vendorId(), mouse->productId()), core::OpenResult::Opened);
        readBack(kind);
        makePage();
    }
    void readBack(StorageKind kind) { ASSERT_EQ(cycle.fullRead(kind, {}), core::CycleResult::Done); }

    void makePage() {
        page = new MacroPage(context, &window);
        page->resize(window.size());
        page->applyLayout();
        page->applyLanguage();
        page->setLibrary(state.macroLibrary);
        page->setDeviceMacros(cycle.deviceMacroTable());
        page->show(); // a page made again under the shown window
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void library(std::initializer_list<std::vector<Byte>> records) {
        std::vector<Byte> bytes;
        for (const auto& r : records)
            bytes.insert(bytes.end(), r.begin(), r.end());
        state.macroLibrary = core::MacroLibrary::fromBytes(bytes);
        if (page)
            page->setLibrary(state.macroLibrary);
    }

    QListWidget* list(const char* name) { return page->findChild<QListWidget*>(QString::fromLatin1(name)); }

    // Right button on a row of a list: the row is chosen and the list's menu opens at the pointer.
    void rightClickRow(const char* listName, int row) {
        QListWidget* l = list(listName);
        const QPoint at = l->visualItemRect(l->item(row)).center();
        QTest::mousePress(l->viewport(), Qt::RightButton, {}, at);
        QTest::mouseRelease(l->viewport(), Qt::RightButton, {}, at);
    }
    // Clicks the window where the control is, and lets the window decide which widget that is.
    void clickAt(const char* name) {
        QWidget* control = page->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr) << name;
        ASSERT_TRUE(control->isVisible()) << name << " is not shown";
        const QPoint inWindow = control->mapTo(&window, control->rect().center());
        QWidget* receiver = window.childAt(inWindow);
        ASSERT_NE(receiver, nullptr);
        QTest::mouseClick(receiver, Qt::LeftButton, {}, receiver->mapFrom(&window, inWindow));
    }
    void menu(const char* listName, int row, const char* entry) {
        rightClickRow(listName, row);
        clickAt(entry);
    }
    std::string code(int mode, int button) { return cycle.buttonCodeTable().text(mode, button); }
    void setCode(int mode, int button, const char* text) {
        ASSERT_TRUE(cycle.buttonCodeTable().set(mode, button, text));
        ASSERT_EQ(cycle.commitKeyBlock(core::ConfigCycle::Variant::KeysOnly), core::CycleResult::Done);
    }
    std::vector<Byte> stored(std::uint16_t address, std::size_t n) { return mouse->readMemory(address, n); }
    std::vector<Byte> fileBytes(const QString& path) {
        std::ifstream in(path.toStdString(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    QTemporaryDir dir;
    MessageSeam::Answerer answers;
    std::shared_ptr<emulator::VirtualMouse> mouse;
    QWidget window;
    MacroPage* page = nullptr;
};

const std::vector<Byte> kM1Body = {0xA1, 0x21, 0x00};

TEST_F(MacroPageTest, I2cAddDeleteRepointsButtonsInEveryWorkMode) {
    plug(StorageKind::I2C);
    library({record("M1", kM1Body), record("M2", {0xA2, 0x22, 0x00})});

    menu("LB_PCMacroName", 0, "Btn_AddMacro");
    EXPECT_EQ(stored(496, 19), (std::vector<Byte>{0x00, 'M', 0x00, '1', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                  0xA1, 0x21, 0x00}));
    EXPECT_EQ(cycle.deviceMacroTable().addressTable().functionCode(0), "10020000");
    menu("LB_PCMacroName", 1, "Btn_AddMacro");
    EXPECT_EQ(cycle.deviceMacroTable().addressTable().address(1), 0x0213);
    EXPECT_EQ(list("LB_MacroName")->count(), 2);

    // Game Mode button 3 plays the second macro, Office Mode button 2 the first; button 5 the second
    // in both modes.
    setCode(2, 3, "10021300");
    setCode(1, 2, "10020000");
    setCode(1, 5, "10021300");
    setCode(2, 5, "10021300");

    menu("LB_MacroName", 0, "Btn_DelMacro");
    readBack(StorageKind::I2C);
    ASSERT_EQ(cycle.deviceMacroTable().count(), 1u);
    EXPECT_EQ(cycle.deviceMacroTable().names().front(), "M2");
    EXPECT_EQ(stored(496 + 16, 3), (std::vector<Byte>{0xA2, 0x22, 0x00}));
    EXPECT_EQ(code(2, 3), "10020000");
    EXPECT_EQ(code(1, 5), "10020000");
    EXPECT_EQ(code(2, 5), "10020000");
    EXPECT_EQ(code(1, 2), core::fallbackFunction(2, context.namingContext()).text())
        << "button 2 falls back to Backward";
    EXPECT_EQ(code(1, 2).substr(0, 2), "01");
}

TEST_F(MacroPageTest, ARefusedOrInterruptedAddIsReportedOnceAndTheListShowsWhatTheMouseHolds) {
    library({record("M1", kM1Body)});
    plug(StorageKind::I2C);
    const std::vector<Byte> before = stored(496, 19);
    for (const bool unplug : {false, true}) {
        SCOPED_TRACE(unplug ? "unplugged" : "refused");
        shell.messages.clear();
        shell.readsAsked = 0;
        // The profiles go first in 22 reports; the 23rd starts the macro area, the 24th is its
        // first data.
        emulator::Faults faults;
        (unplug ? faults.unplugAtReport : faults.refuseReport) = mouse->reportCount() + (unplug ? 24 : 23);
        mouse->setFaults(faults);
        menu("LB_PCMacroName", 0, "Btn_AddMacro");
        mouse->setFaults({});
        EXPECT_EQ(shell.messages, QStringList{QStringLiteral("Str127")});
        EXPECT_EQ(shell.readsAsked, 1);
        EXPECT_EQ(stored(496, 19), before);
        // The read the window does then: the list shows the mouse's macros, not the one asked for.
        if (unplug) {
            mouse->plug();
            ASSERT_EQ(link.openDevice(mouse->vendorId(), mouse->productId()), core::OpenResult::Opened);
        }
        readBack(StorageKind::I2C);
        page->setDeviceMacros(cycle.deviceMacroTable());
        EXPECT_EQ(list("LB_MacroName")->count(), 0);
    }
}

// Deleting a macro writes the buttons' new codes first; when the mouse refuses them, moving the
// macros under those buttons would make them play the wrong macro: the macros stay as they are.
TEST_F(MacroPageTest, ARefusedKeyWriteOfADeletionLeavesTheMacrosWhereTheButtonsFindThem) {
    library({record("M1", kM1Body), record("M2", {0xA2, 0x22, 0x00})});
    plug(StorageKind::I2C);
    menu("LB_PCMacroName", 0, "Btn_AddMacro");
    menu("LB_PCMacroName", 1, "Btn_AddMacro");
    ASSERT_EQ(cycle.deviceMacroTable().count(), 2u);
    const std::vector<Byte> macros = stored(496, 512);
    shell.messages.clear();
    shell.readsAsked = 0;
    emulator::Faults faults;
    faults.refuseReport = mouse->reportCount() + 2; // the first data report of the key sections
    mouse->setFaults(faults);
    menu("LB_MacroName", 0, "Btn_DelMacro");
    mouse->setFaults({});
    EXPECT_EQ(shell.messages, QStringList{QStringLiteral("Str127")});
    EXPECT_EQ(shell.readsAsked, 1);
    EXPECT_EQ(stored(496, 512), macros);
}

// Macros whose bodies hold zero parameters (key "A" is code 04, a delay of 512 ms is FE 02 00) go into
// the mouse and come back from it byte for byte, the earlier macro untouched; a name the store
// cannot keep in front of its macros is refused with its own message, not the one about room.
TEST_F(MacroPageTest, I2cZeroParametersReadBackFromTheMouseAndARefusedNameSaysWhy) {
    plug(StorageKind::I2C);
    const std::vector<Byte> keyA = {0x82, 0x04, 0x02, 0x04, 0x00};
    const std::vector<Byte> delayLast = {0xA1, 0xFE, 0x02, 0x00, 0x00};
    library({record("M1", kM1Body), record("D", delayLast), record("A", keyA),
             record("\uFF21", {0xA1, 0x21, 0x00})});
    for (int row = 0; row < 3; ++row)
        menu("LB_PCMacroName", row, "Btn_AddMacro");
    EXPECT_TRUE(shell.messages.isEmpty());
    ASSERT_EQ(cycle.deviceMacroTable().count(), 3u);
    const std::vector<Byte> m1 = stored(496, 19);
    EXPECT_EQ(std::vector<Byte>(m1.begin() + 16, m1.end()), kM1Body);
    // The delay's end byte counts: the next macro starts after it.
    EXPECT_EQ(stored(496 + 19 + 16, 5), delayLast);
    EXPECT_EQ(stored(496 + 19 + 21 + 16, 5), keyA);
    EXPECT_EQ(cycle.deviceMacroTable().addressTable().address(2), 0x0200 + 19 + 21);

    // The mouse read again gives the same macros at the same addresses.
    std::vector<core::DeviceMacroEntry> added;
    for (std::size_t row = 0; row < 3; ++row)
        added.push_back(cycle.deviceMacroTable().entry(row));
    readBack(StorageKind::I2C);
    ASSERT_EQ(cycle.deviceMacroTable().count(), 3u);
    for (std::size_t row = 0; row < 3; ++row)
        EXPECT_EQ(cycle.deviceMacroTable().entry(row), added[row]) << "row " << row;

    const auto before = mouse->memory();
    menu("LB_PCMacroName", 3, "Btn_AddMacro");
    EXPECT_EQ(shell.messages, QStringList{"Str129"});
    EXPECT_EQ(cycle.deviceMacroTable().count(), 3u);
    EXPECT_EQ(mouse->memory(), before);
}

TEST_F(MacroPageTest, I2cRefusesA16thMacroAndOneThatDoesNotFit) {
    plug(StorageKind::I2C);
    library({record("A", {0xA1, 0x21, 0x00}), record("Big", std::vector<Byte>(255, 0x21))});
    for (int i = 0; i < 15; ++i)
        menu("LB_PCMacroName", 0, "Btn_AddMacro");
    ASSERT_EQ(cycle.deviceMacroTable().count(), 15u);
    const auto before = mouse->memory();
    menu("LB_PCMacroName", 0, "Btn_AddMacro");
    EXPECT_EQ(cycle.deviceMacroTable().count(), 15u);
    EXPECT_EQ(mouse->memory(), before);
    EXPECT_TRUE(shell.messages.isEmpty());

    menu("LB_MacroName", 0, "Btn_DelMacro");
    menu("LB_MacroName", 0, "Btn_DelMacro");
    const auto fewer = mouse->memory();
    // 13 x 20 bytes and 271 bytes more would pass the 512.
    menu("LB_PCMacroName", 1, "Btn_AddMacro");
    EXPECT_EQ(shell.messages, QStringList{"Str103"});
    EXPECT_EQ(cycle.deviceMacroTable().count(), 13u);
    EXPECT_EQ(mouse->memory(), fewer);
}

TEST_F(MacroPageTest, FlashMacroThreeLivesAtItsBlock) {
    plug(StorageKind::Flash);
    library({record("F", {0xA1, 0x21, 0x00})});
    for (int i = 0; i < 4; ++i)
        menu("LB_PCMacroName", 0, "Btn_AddMacro");
    readBack(StorageKind::Flash);
    ASSERT_EQ(cycle.deviceMacroTable().count(), 4u);
    EXPECT_EQ(cycle.deviceMacroTable().addressTable().functionCode(3), "10430000");
    EXPECT_EQ(stored(0x4300, 3), kM1Body);
    EXPECT_EQ(stored(0x3000 + 48, 2), (std::vector<Byte>{0x00, 'F'}));

    setCode(1, 1, "10430000");
    menu("LB_MacroName", 1, "Btn_DelMacro");
    readBack(StorageKind::Flash);
    EXPECT_EQ(cycle.deviceMacroTable().count(), 3u);
    EXPECT_EQ(code(1, 1), "10420000");
    EXPECT_EQ(stored(0x4200, 3), kM1Body);
    EXPECT_EQ(stored(0x3000 + 48, 2), (std::vector<Byte>{0x00, 0x00})) << "the fourth name moved down";
}

TEST_F(MacroPageTest, LibraryOperationsRewriteTheFile) {
    plug(StorageKind::I2C);
    library({record("one", kM1Body), record("two", {}), record("three", {})});

    menu("LB_PCMacroName", 0, "Btn_DelPCMacro");
    EXPECT_EQ(list("LB_PCMacroName")->count(), 2);
    EXPECT_EQ(list("LB_PCMacroName")->currentRow(), 0);
    auto file = fileBytes(state.macroLibraryPath);
    ASSERT_EQ(file.size(), core::kLibraryFileSize);
    EXPECT_EQ(core::fieldToName(std::span<const Byte, 16>(file.data(), 16)), "two");
    EXPECT_EQ(core::fieldToName(std::span<const Byte, 16>(file.data() + 272, 16)), "three");
    EXPECT_EQ(file[272 * 2 + 1], 0);

    // New through the name dialog: a duplicate is refused, a new name is the last row.
    clickAt("Btn_New");
    ASSERT_NE(page->nameDialog(), nullptr);
    EXPECT_TRUE(page->nameDialog()->isVisible());
    EXPECT_EQ(page->nameDialog()->edit()->maxLength(), 8);
    page->nameDialog()->edit()->setText("two");
    page->nameDialog()->confirm();
    EXPECT_EQ(shell.messages, QStringList{"Str106"});
    EXPECT_EQ(list("LB_PCMacroName")->count(), 2);
    clickAt("Btn_New");
    page->nameDialog()->edit()->setText("abc");
    page->nameDialog()->confirm();
    EXPECT_EQ(list("LB_PCMacroName")->item(2)->text(), "abc");
    file = fileBytes(state.macroLibraryPath);
    EXPECT_EQ(core::fieldToName(std::span<const Byte, 16>(file.data() + 272 * 2, 16)), "abc");

    // Export One "abc" gives abc.bin of one record; importing it again is a duplicate.
    const QString chosen = dir.filePath("abc");
    answers.nextFileNames = {chosen};
    menu("LB_PCMacroName", 2, "Btn_ExportOne");
    const auto exported = fileBytes(chosen + ".bin");
    EXPECT_EQ(exported.size(), core::kLibraryRecordSize);
    const auto savedBefore = fileBytes(state.macroLibraryPath);
    answers.nextFileNames = {chosen + ".bin"};
    menu("LB_PCMacroName", 0, "Btn_ImportOne");
    EXPECT_EQ(shell.messages, (QStringList{"Str106", "Str106"}));
    EXPECT_EQ(list("LB_PCMacroName")->count(), 3);
    EXPECT_EQ(fileBytes(state.macroLibraryPath), savedBefore);

    // A file shorter than one record is not a macro file.
    const QString shortFile = dir.filePath("short.bin");
    {
        std::ofstream out(shortFile.toStdString(), std::ios::binary);
        out << "\x00zz";
    }
    answers.nextFileNames = {shortFile};
    menu("LB_PCMacroName", 0, "Btn_ImportOne");
    ASSERT_EQ(answers.messages.size(), 1);
    EXPECT_TRUE(answers.messages.front().contains("not a macro file"));
    EXPECT_EQ(list("LB_PCMacroName")->count(), 3);
}

TEST_F(MacroPageTest, FullLibraryDisablesNewUntilOneIsDeleted) {
    plug(StorageKind::I2C);
    std::vector<Byte> bytes;
    for (int i = 0; i < 100; ++i) {
        const auto r = record(QStringLiteral("m%1").arg(i).toLatin1().constData(), {});
        bytes.insert(bytes.end(), r.begin(), r.end());
    }
    state.macroLibrary = core::MacroLibrary::fromBytes(bytes);
    page->setLibrary(state.macroLibrary);
    auto* newButton = page->findChild<CaptionLabel*>("Btn_New");
    EXPECT_FALSE(newButton->isEnabled());
    list("LB_PCMacroName")->scrollToBottom();
    menu("LB_PCMacroName", 99, "Btn_DelPCMacro");
    EXPECT_TRUE(newButton->isEnabled());
    EXPECT_EQ(list("LB_PCMacroName")->count(), 99);
}

TEST_F(MacroPageTest, UnwritableLibraryFolderIsReportedOnceAndLosesNothing) {
    plug(StorageKind::I2C);
    library({record("keep", kM1Body)});
    page->findChild<QListWidget*>("LB_PCMacroName")->setCurrentRow(0);
    // The file's place is a folder: no save can replace it.
    state.macroLibraryPath = dir.filePath("locked");
    std::filesystem::create_directories((dir.filePath("locked") + "/inside").toStdString());
    for (const char* name : {"n1", "n2"}) {
        clickAt("Btn_New");
        page->nameDialog()->edit()->setText(name);
        page->nameDialog()->confirm();
    }
    ASSERT_EQ(answers.messages.size(), 1);
    EXPECT_TRUE(answers.messages.front().contains(state.macroLibraryPath));
    EXPECT_TRUE(std::filesystem::exists((dir.filePath("locked") + "/inside").toStdString()));
    EXPECT_EQ(list("LB_PCMacroName")->count(), 3);
    // The next save that can be made stores everything shown.
    state.macroLibraryPath = dir.filePath("Tarvik-Macro.bin");
    menu("LB_PCMacroName", 2, "Btn_DelPCMacro");
    const auto file = fileBytes(state.macroLibraryPath);
    ASSERT_EQ(file.size(), core::kLibraryFileSize);
    EXPECT_EQ(core::fieldToName(std::span<const Byte, 16>(file.data() + 272, 16)), "n1");
}

// A library the program could not read whole at start-up is never written over: the page goes on in
// memory, and the first change says once that it is not saved.
TEST_F(MacroPageTest, ALibraryNotReadWholeIsNeverSavedOver) {
    plug(StorageKind::I2C);
    library({record("keep", kM1Body)});
    ASSERT_TRUE(core::MacroLibraryFile(state.macroLibraryPath.toStdString()).save(state.macroLibrary));
    const auto before = fileBytes(state.macroLibraryPath);
    ASSERT_EQ(before.size(), core::kLibraryFileSize);
    state.macroLibraryReadOnly = true;
    for (const char* name : {"n1", "n2"}) {
        clickAt("Btn_New");
        page->nameDialog()->edit()->setText(name);
        page->nameDialog()->confirm();
    }
    EXPECT_EQ(list("LB_PCMacroName")->count(), 3);
    ASSERT_EQ(answers.messages.size(), 1);
    EXPECT_TRUE(answers.messages.front().contains(QStringLiteral("not saved")));
    EXPECT_EQ(fileBytes(state.macroLibraryPath), before);
}

TEST_F(MacroPageTest, RightClickSelectsOneListAndPressBelowRowsClosesMenus) {
    plug(StorageKind::I2C);
    library({record("A", kM1Body)});
    menu("LB_PCMacroName", 0, "Btn_AddMacro");
    rightClickRow("LB_MacroName", 0);
    EXPECT_TRUE(page->findChild<QWidget*>("Pnl_DevMacro")->isVisible());
    EXPECT_TRUE(list("LB_PCMacroName")->selectedItems().isEmpty());
    EXPECT_EQ(list("LB_macro")->count(), 2) << "the device macro's events are shown";
    QListWidget* l = list("LB_MacroName");
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, QPoint(10, l->viewport()->height() - 5));
    EXPECT_FALSE(page->findChild<QWidget*>("Pnl_DevMacro")->isVisible());
    EXPECT_TRUE(l->selectedItems().isEmpty());
}

TEST_F(MacroPageTest, DeletingAMouseMacroShowsTheOneChosenAfterIt) {
    plug(StorageKind::I2C);
    library({record("A", kM1Body), record("B", {0x04, 0x01, 0x02, 0x00})});
    menu("LB_PCMacroName", 0, "Btn_AddMacro");
    menu("LB_PCMacroName", 1, "Btn_AddMacro");
    menu("LB_MacroName", 1, "Btn_DelMacro");
    EXPECT_EQ(list("LB_MacroName")->currentRow(), 0);
    // The row chosen is shown: A's click, not nothing and not B's move.
    EXPECT_EQ(list("LB_macro")->count(), 2);
}

// --- recording and editing the events -------------------------------------------------------------

constexpr int kA = 0x41;
constexpr int kShift = 0x10;

class MacroEditingTest : public MacroPageTest {
protected:
    // A mouse, a library whose first macro holds `lines` (nothing for an empty one) and that macro
    // chosen; recordings read the fake capture.
    void editLibraryMacro(const core::MacroText& lines) {
        if (!page)
            plug(StorageKind::I2C);
        library({record("rec", lines.empty() ? std::vector<Byte>{} : core::encodeMacro(lines))});
        auto owned = std::make_unique<test::FakeInputCapture>();
        capture = owned.get();
        page->setInputCapture(std::move(owned));
        QListWidget* names = list("LB_PCMacroName");
        QTest::mouseClick(names->viewport(), Qt::LeftButton, {},
                          names->visualItemRect(names->item(0)).center());
        ASSERT_EQ(page->editor().librarySlot(), std::optional<std::size_t>(0));
    }
    QWidget* control(const char* name) { return page->findChild<QWidget*>(QString::fromLatin1(name)); }
    void click(const char* name) {
        QWidget* c = control(name);
        ASSERT_NE(c, nullptr) << name;
        EXPECT_EQ(gui::testing::clickAt(c), c) << name << " is covered";
    }
    void leftClickRow(int row) {
        QListWidget* l = list("LB_macro");
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
    }
    core::MacroText shown() const { return page->editor().text(); }
    QStringList rows() {
        QStringList out;
        QListWidget* l = list("LB_macro");
        for (int i = 0; i < l->count(); ++i)
            out << l->item(i)->data(MacroEventDelegate::kLineRole).toString();
        return out;
    }
    // The first slot's body in the library file.
    std::vector<Byte> savedBody() {
        const auto file = fileBytes(state.macroLibraryPath);
        if (file.size() < core::kLibraryRecordSize)
            return {};
        return {file.begin() + 16, file.begin() + core::kLibraryRecordSize};
    }
    static std::vector<Byte> slotBody(const core::MacroText& text) {
        std::vector<Byte> body = core::encodeMacro(text);
        body.resize(core::kLibraryRecordSize - 16, 0);
        return body;
    }
    template <class Dialog> Dialog* openDialog() {
        for (Dialog* d : window.findChildren<Dialog*>())
            if (d->isVisible())
                return d;
        return nullptr;
    }

    test::FakeInputCapture* capture = nullptr;
};

TEST_F(MacroEditingTest, RecordingAKeyWithEachDelayModeSavesExactlyTheEncodedMacro) {
    struct Case {
        const char* option;
        core::MacroText lines;
    };
    const Case cases[] = {
        {"IB_RecDelay", {"10", "1 A CODE:8204", "0 120", "2 A CODE:0204"}},
        {"IB_DelayTime", {"0150", "1 A CODE:8204", "0 50", "2 A CODE:0204"}},
        {"IB_NoDelay", {"00", "1 A CODE:8204", "2 A CODE:0204"}},
    };
    editLibraryMacro({});
    auto* recordButton = page->findChild<CaptionLabel*>("Btn_Start");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        click(c.option);
        click("Btn_Start");
        EXPECT_EQ(recordButton->text(), state.text("Str401"));
        EXPECT_FALSE(list("LB_PCMacroName")->isEnabled());
        capture->keyDown(kA, 5000);
        capture->keyDown(kA, 5040); // auto-repeat of the held key
        capture->keyUp(kA, 5120);
        // The click that stops the recording is not part of it.
        emit recordButton->entered();
        capture->buttonDown(core::MouseButton::Left, 5300);
        capture->buttonUp(core::MouseButton::Left, 5310);
        click("Btn_Start");
        emit recordButton->left();
        EXPECT_EQ(recordButton->text(), state.text("Str400"));
        EXPECT_FALSE(capture->active());
        EXPECT_EQ(shown(), c.lines);
        EXPECT_EQ(rows().size(), static_cast<int>(c.lines.size()) - 1);
        EXPECT_EQ(savedBody(), slotBody(c.lines));
        EXPECT_TRUE(list("LB_PCMacroName")->isEnabled());
    }
}

TEST_F(MacroEditingTest, ModifiersAndClicksKeepTheirOrder) {
    editLibraryMacro({});
    click("IB_NoDelay");
    click("Btn_Start");
    capture->keyDown(kShift, 10);
    capture->keyDown(kA, 20);
    capture->keyUp(kA, 30);
    capture->keyUp(kShift, 40);
    capture->buttonDown(core::MouseButton::Right, 50);
    capture->buttonUp(core::MouseButton::Right, 60);
    click("Btn_Start");
    EXPECT_EQ(shown(),
              (core::MacroText{"00", "1 Shift CODE:8102", "1 A CODE:8204", "2 A CODE:0204",
                               "2 Shift CODE:0102", "1 RightKey CODE:00A2", "2 RightKey CODE:0022"}));
}

TEST_F(MacroEditingTest, AFullMacroStopsTheRecordingAndStillFitsItsSlot) {
    editLibraryMacro({});
    click("IB_RecDelay");
    click("Btn_Start");
    std::uint32_t t = 100;
    for (int i = 0; i < 200 && page->editor().recording(); ++i) {
        capture->keyDown(kA, t += 10);
        capture->keyUp(kA, t += 10);
    }
    EXPECT_FALSE(page->editor().recording());
    EXPECT_FALSE(capture->active()) << "a full macro ends the capture too";
    EXPECT_EQ(page->findChild<CaptionLabel*>("Btn_Start")->text(), state.text("Str400"));
    const auto encoded = core::encodeMacro(shown());
    EXPECT_LE(encoded.size(), core::kMacroBodySize);
    EXPECT_EQ(savedBody(), slotBody(shown()));
}

TEST_F(MacroEditingTest, WindowOnlyCaptureIsSaidOnThePage) {
    editLibraryMacro({});
    EXPECT_TRUE(control("lbl_RecordNote")->isHidden());
    class WindowOnly : public test::FakeInputCapture {
    public:
        bool seesBackgroundInput() const override { return false; }
    };
    page->setInputCapture(std::make_unique<WindowOnly>());
    QWidget* note = control("lbl_RecordNote");
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(qobject_cast<QLabel*>(note)->text(), state.text("Str436"));
    // It covers no control in part (a picture behind the whole note is its background).
    const QRect placed(note->mapTo(page, QPoint(0, 0)), note->size());
    for (QWidget* other : page->findChildren<QWidget*>()) {
        if (other == note || !other->isVisibleTo(page))
            continue;
        const QRect rect(other->mapTo(page, QPoint(0, 0)), other->size());
        EXPECT_TRUE(!rect.intersects(placed) || rect.contains(placed)) << other->objectName().toStdString();
    }
    // Its place is small: every language's text must fit it whole.
    for (int index = 1; index <= 3; ++index) {
        state.language = &core::LanguageTables::builtIn().table(index);
        page->applyLanguage();
        const QString text = qobject_cast<QLabel*>(note)->text();
        const QRect needed =
            note->fontMetrics().boundingRect(QRect(0, 0, note->width(), 1000), Qt::TextWordWrap, text);
        EXPECT_LE(needed.height(), note->height()) << "table " << index;
    }
}

// After each of these operations a library row is chosen; the editor shows that macro at once, so
// Record records into it without the row being clicked again.
TEST_F(MacroEditingTest, RecordGoesIntoTheChosenRowAfterEachLibraryOperation) {
    plug(StorageKind::I2C);
    const QString importFile = dir.filePath("imp.bin");
    {
        const auto r = record("imp", {});
        std::ofstream out(importFile.toStdString(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(r.data()), static_cast<std::streamsize>(r.size()));
    }
    struct Case {
        const char* what;
        std::function<void()> act;
        int slot;
    };
    const Case cases[] = {
        {"New",
         [&] {
             clickAt("Btn_New");
             QTest::keyClicks(page->nameDialog()->edit(), "fresh");
             gui::testing::clickAt(page->nameDialog()->findChild<QWidget*>("IB_Confirm"));
         },
         3},
        {"Import One",
         [&] {
             answers.nextFileNames = {importFile};
             menu("LB_PCMacroName", 0, "Btn_ImportOne");
         },
         3},
        {"Delete", [&] { menu("LB_PCMacroName", 1, "Btn_DelPCMacro"); }, 0},
        {"Add to Mouse", [&] { menu("LB_PCMacroName", 2, "Btn_AddMacro"); }, 2},
    };
    const core::MacroText recorded = {"00", "1 A CODE:8204", "2 A CODE:0204"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        delete page;
        page = nullptr;
        library({record("one", kM1Body), record("two", {}), record("three", {0xA2, 0x22, 0x00})});
        makePage();
        auto owned = std::make_unique<test::FakeInputCapture>();
        capture = owned.get();
        page->setInputCapture(std::move(owned));

        c.act();
        ASSERT_EQ(list("LB_PCMacroName")->selectedItems().size(), 1);
        ASSERT_EQ(list("LB_PCMacroName")->currentRow(), c.slot);
        click("IB_NoDelay");
        click("Btn_Start");
        EXPECT_EQ(page->findChild<CaptionLabel*>("Btn_Start")->text(), state.text("Str401"));
        capture->keyDown(kA, 10);
        capture->keyUp(kA, 20);
        click("Btn_Start");
        EXPECT_EQ(rows(), (QStringList{"1 A CODE:8204", "2 A CODE:0204"}));
        const auto file = fileBytes(state.macroLibraryPath);
        ASSERT_EQ(file.size(), core::kLibraryFileSize);
        const auto at = file.begin() + static_cast<std::ptrdiff_t>(c.slot * core::kLibraryRecordSize + 16);
        EXPECT_EQ(std::vector<Byte>(at, at + static_cast<std::ptrdiff_t>(core::kMacroBodySize)),
                  slotBody(recorded));
    }
}

// Showing a macro, from the library or from the mouse, chooses the delay option its first four delays
// tell, as recording it chose them; recording into it again then keeps its gaps.
TEST_F(MacroEditingTest, ShowingAMacroChoosesTheDelayOptionItWasRecordedWith) {
    struct Case {
        const char* what;
        core::MacroText lines;
        const char* radio;
        const char* other; // an option to leave chosen before, so that showing is seen to change it
        const char* field; // Edt_Delay afterwards (77 was typed before)
        const char* gap;   // the delay line a new recording puts between press and release
    };
    const Case cases[] = {
        {"four equal delays",
         {"0140", "1 A CODE:8204", "0 40", "2 A CODE:0204", "0 40", "1 B CODE:8205", "0 40", "2 B CODE:0205",
          "0 40", "1 A CODE:8204"},
         "rb_DelayTime",
         "IB_RecDelay",
         "40",
         "0 40"},
        {"three equal delays",
         {"10", "1 A CODE:8204", "0 40", "2 A CODE:0204", "0 40", "1 B CODE:8205", "0 40", "2 B CODE:0205"},
         "rb_RecDelay",
         "IB_NoDelay",
         "77",
         "0 120"},
        {"no delays", {"00", "1 A CODE:8204", "2 A CODE:0204"}, "rb_NoDelay", "IB_RecDelay", "77", nullptr},
    };
    plug(StorageKind::Flash);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto otherChoice = [&] {
            click("IB_DelayTime");
            auto* edit = page->findChild<QLineEdit*>("Edt_Delay");
            edit->selectAll();
            QTest::keyClicks(edit, "77");
            click(c.other);
        };
        const auto expectChoice = [&] {
            EXPECT_TRUE(page->findChild<QRadioButton*>(c.radio)->isChecked());
            EXPECT_EQ(page->findChild<QLineEdit*>("Edt_Delay")->text(), c.field);
        };
        editLibraryMacro({});
        otherChoice();
        editLibraryMacro(c.lines);
        {
            SCOPED_TRACE("library");
            expectChoice();
        }

        // The same macro in the mouse, chosen there, sets the options the same way.
        menu("LB_PCMacroName", 0, "Btn_AddMacro");
        otherChoice();
        QListWidget* device = list("LB_MacroName");
        ASSERT_GT(device->count(), 0);
        QListWidgetItem* last = device->item(device->count() - 1);
        device->scrollToItem(last);
        QTest::mouseClick(device->viewport(), Qt::LeftButton, {}, device->visualItemRect(last).center());
        ASSERT_EQ(list("LB_macro")->count(), static_cast<int>(c.lines.size()) - 1);
        {
            SCOPED_TRACE("mouse");
            expectChoice();
        }

        // Back to the library macro, and recorded again.
        otherChoice();
        QListWidget* names = list("LB_PCMacroName");
        QTest::mouseClick(names->viewport(), Qt::LeftButton, {},
                          names->visualItemRect(names->item(0)).center());
        expectChoice();
        click("Btn_Start");
        capture->keyDown(kA, 5000);
        capture->keyUp(kA, 5120);
        click("Btn_Start");
        core::MacroText expected = {c.lines[0], "1 A CODE:8204"};
        if (c.gap)
            expected.push_back(c.gap);
        expected.push_back("2 A CODE:0204");
        EXPECT_EQ(savedBody(), slotBody(expected));
    }
}

const core::MacroText kPressDelayRelease = {"10", "1 A CODE:8204", "0 30", "2 A CODE:0204"};

TEST_F(MacroEditingTest, EveryEventRowShowsItsStepIcon) {
    using namespace gui::testing;
    editLibraryMacro({"10", "7 FD0A", "1 A CODE:8204", "0 30", "3 04FB0A", "2 A CODE:0204", "8 FC"});
    QListWidget* events = list("LB_macro");
    ASSERT_EQ(events->count(), 6);
    const QImage shown = windowPixels(&window);
    for (int row = 0; row < events->count(); ++row) {
        // The icon is a square as high as the row at its left edge; the row's colour is read between
        // it and the caption (the row's right end may lie under the scroll bar).
        const QRect r = events->visualItemRect(events->item(row));
        const QPoint corner = events->viewport()->mapTo(&window, r.topLeft());
        const QColor rowBack = shown.pixelColor(
            events->viewport()->mapTo(&window, QPoint(r.left() + r.height() + 6, r.top() + 1)));
        EXPECT_GE(pixelsUnlike(shown, QRect(corner, QSize(r.height(), r.height())), rowBack), 12)
            << "row " << row;
    }
}

TEST_F(MacroEditingTest, DeleteTakesAKeyWithItsPartnerAndRefusesAMissingOne) {
    for (int row : {0, 2}) {
        SCOPED_TRACE(row);
        editLibraryMacro(kPressDelayRelease);
        menu("LB_macro", row, "Btn_Del");
        EXPECT_EQ(shown(), (core::MacroText{"10", "0 30"}));
        EXPECT_EQ(rows(), QStringList{"0 30"});
        EXPECT_EQ(savedBody(), slotBody({"10", "0 30"}));
    }
    editLibraryMacro({"10", "1 A CODE:8204", "0 30"});
    const auto before = savedBody();
    menu("LB_macro", 0, "Btn_Del");
    EXPECT_EQ(answers.messages, QStringList{"Macro Content Error"});
    EXPECT_EQ(shown(), (core::MacroText{"10", "1 A CODE:8204", "0 30"}));
    EXPECT_EQ(savedBody(), before);
}

// The lists by keys: the Menu key opens the event list's menu at its current row, the arrows move
// in it and Enter chooses; the arrow keys in the name list choose a macro as a click does.
TEST_F(MacroEditingTest, ListsAndTheirMenusWorkByKeys) {
    editLibraryMacro(kPressDelayRelease);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
    QListWidget* events = list("LB_macro");
    events->setFocus(Qt::TabFocusReason);
    events->setCurrentRow(2);
    key(Qt::Key_Menu);
    ASSERT_TRUE(control("Pnl_DevContent")->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), control("Btn_Edit"));
    key(Qt::Key_Down);
    ASSERT_EQ(QApplication::focusWidget(), control("Btn_Del"));
    key(Qt::Key_Return);
    EXPECT_FALSE(control("Pnl_DevContent")->isVisible());
    EXPECT_EQ(shown(), (core::MacroText{"10", "0 30"})) << "the key went with its partner";
    EXPECT_EQ(QApplication::focusWidget(), events);

    library({record("rec", {}), record("two", kM1Body)});
    QListWidget* names = list("LB_PCMacroName");
    names->setFocus(Qt::TabFocusReason);
    key(Qt::Key_End);
    EXPECT_EQ(page->editor().librarySlot(), std::optional<std::size_t>(1));
    key(Qt::Key_Up);
    EXPECT_EQ(page->editor().librarySlot(), std::optional<std::size_t>(0));
    EXPECT_TRUE(list("LB_MacroName")->selectedItems().isEmpty());
}

TEST_F(MacroEditingTest, EditReplacesADelayAndAKeyThroughTheirDialogs) {
    editLibraryMacro(kPressDelayRelease);
    menu("LB_macro", 1, "Btn_Edit");
    auto* delay = openDialog<InputDelayTimeDialog>();
    ASSERT_NE(delay, nullptr);
    EXPECT_EQ(delay->title()->text(), state.text("Str521"));
    EXPECT_EQ(delay->edit()->text(), "30");
    // The field holds 1..65535 while it is typed into.
    delay->edit()->clear();
    QTest::keyClicks(delay->edit(), "99999");
    EXPECT_EQ(delay->edit()->text(), "65535");
    delay->edit()->selectAll();
    QTest::keyClicks(delay->edit(), "250");
    gui::testing::clickAt(delay->confirmButton());
    EXPECT_EQ(shown(), (core::MacroText{"10", "1 A CODE:8204", "0 250", "2 A CODE:0204"}));

    menu("LB_macro", 2, "Btn_Edit");
    auto* key = openDialog<InputOneKeyDialog>();
    ASSERT_NE(key, nullptr);
    QTest::keyClick(key->edit(), Qt::Key_B);
    gui::testing::clickAt(key->confirmButton());
    EXPECT_EQ(shown(), (core::MacroText{"10", "1 A CODE:8204", "0 250", "2 B CODE:0205"}))
        << "the release is replaced alone";
    EXPECT_EQ(savedBody(), slotBody(shown()));
}

TEST_F(MacroEditingTest, InsertPanelInsertsOneLineOnOk) {
    struct Case {
        int item;
        const char* field;
        const char* typed;
        core::MacroText lines;
    };
    const Case cases[] = {
        {0, "Edt_InsertDelay", nullptr, {"10", "0 50", "1 A CODE:8204", "0 30", "2 A CODE:0204"}},
        {4, "edt_XAxisValue", "-1", {"10", "3 04FF7F", "1 A CODE:8204", "0 30", "2 A CODE:0204"}},
        {6, "edt_Repeat", "300", {"10", "7 FDFF", "1 A CODE:8204", "0 30", "2 A CODE:0204"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        editLibraryMacro(kPressDelayRelease);
        menu("LB_macro", 0, "Btn_Insert");
        // A language switch hides the delay box; the page shows the open insertion when it opens again.
        page->languageSwitching();
        page->opened();
        EXPECT_TRUE(control("Gb_Insert")->isVisible());
        EXPECT_TRUE(control("Img_InsertBase")->isVisible());
        EXPECT_FALSE(control("Gb_Delay")->isVisible());
        EXPECT_FALSE(control("Btn_Start")->isEnabled());
        page->findChild<QComboBox*>("CB_Insert")->setCurrentIndex(c.item);
        if (c.typed) {
            auto* edit = page->findChild<QLineEdit*>(c.field);
            edit->clear();
            QTest::keyClicks(edit, c.typed);
        }
        if (c.item == 4) {
            auto* y = page->findChild<QLineEdit*>("edt_YAxisValue");
            y->clear();
            QTest::keyClicks(y, "127");
        }
        click("Btn_OK");
        EXPECT_FALSE(control("Gb_Insert")->isVisible());
        EXPECT_TRUE(control("Gb_Delay")->isVisible());
        EXPECT_EQ(shown(), c.lines);
        EXPECT_EQ(page->editor().selectedRow(), std::optional<int>(0));
        EXPECT_EQ(savedBody(), slotBody(c.lines));
    }
}

TEST_F(MacroEditingTest, InsertRecordingKeepsItsLinesOnOkAndCancelRestores) {
    editLibraryMacro(kPressDelayRelease);
    const auto stored = savedBody();
    // Cancel while an insert recording runs: the recording ends and the stored macro comes back.
    menu("LB_macro", 1, "Btn_Insert");
    page->findChild<QComboBox*>("CB_Insert")->setCurrentIndex(3);
    click("IB_InsertNoDelay");
    click("Btn_InsertStart");
    EXPECT_TRUE(control("GB_Dis")->isVisible());
    EXPECT_FALSE(control("CB_Insert")->isEnabled());
    capture->keyDown(kShift, 10);
    capture->keyUp(kShift, 20);
    EXPECT_EQ(shown().size(), 6u);
    click("Btn_Cancel");
    EXPECT_FALSE(capture->active());
    EXPECT_EQ(shown(), kPressDelayRelease);
    EXPECT_EQ(savedBody(), stored);
    EXPECT_EQ(page->editor().selectedRow(), std::optional<int>(1));
    EXPECT_TRUE(control("Btn_Start")->isEnabled());

    // OK while it runs: the recording ends first and its lines go after the delay.
    menu("LB_macro", 1, "Btn_Insert");
    page->findChild<QComboBox*>("CB_Insert")->setCurrentIndex(3);
    click("IB_InsertNoDelay");
    click("Btn_InsertStart");
    capture->keyDown(kShift, 10);
    capture->keyUp(kShift, 20);
    click("Btn_OK");
    EXPECT_FALSE(capture->active());
    const core::MacroText expected = {
        "10", "1 A CODE:8204", "0 30", "1 Shift CODE:8102", "2 Shift CODE:0102", "2 A CODE:0204"};
    EXPECT_EQ(shown(), expected);
    EXPECT_EQ(savedBody(), slotBody(expected));
    EXPECT_FALSE(control("Gb_Insert")->isVisible());
}

} // namespace
