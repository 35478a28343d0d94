// Assigning functions to the mouse's buttons through the key page's menus and the key-entry dialogs,
// over the virtual mouse: the window is clicked where the user clicks, and the mouse's stored memory
// and the codes it works with are checked.

#include "core/image/ConfigImage.h"
#include "core/macros/MacroLibrary.h"
#include "emulator/VirtualMouse.h"
#include "gui/dialogs/AssemblyKeyDialog.h"
#include "gui/dialogs/InputDelayTimeDialog.h"
#include "gui/dialogs/InputOneKeyDialog.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/keys/KeysPage.h"
#include "gui/shell/MainWindow.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/skin/PictureControl.h"
#include "support/ClickAt.h"
#include "support/Transcript.h"
#include "support/WaitFor.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>

using namespace tarvik;
using gui::CaptionLabel;
using gui::MainWindow;
using gui::testing::clickAt;
using gui::testing::hoverAt;
using gui::testing::topLevel;
using gui::testing::waitFor;

namespace {

class AssignmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        gui::MessageSeam::setAnswerer(&m_answers);
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
    }
    void TearDown() override {
        m_window.reset();
        gui::MessageSeam::setAnswerer(nullptr);
    }

    template <typename T = QWidget> T* find(const QString& name) const {
        T* widget = m_window->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    emulator::VirtualMouse& mouse() { return *m_window->session().virtualMouse(); }
    gui::KeysPage& keys() { return *m_window->keysPage(); }
    QString caption(int button) { return keys().key(button)->text(); }
    QString text(const char* key) { return m_window->state().text(key); }

    // Button k's code of work mode m as the mouse stores it, and as it works with it.
    std::array<std::uint8_t, 4> stored(int mode, int button) {
        const std::vector<std::uint8_t> memory = mouse().memory();
        const std::size_t at = 192 + 49 * (mode - 1) + 4 * (button - 1);
        return {memory[at], memory[at + 1], memory[at + 2], memory[at + 3]};
    }
    std::array<std::uint8_t, 4> active(int mode, int button) {
        const auto codes = mouse().activeKeyCodes(mode - 1);
        const std::size_t at = 4 * (button - 1);
        return {codes[at], codes[at + 1], codes[at + 2], codes[at + 3]};
    }
    // Writes to the stored memory (command 0x07) so far.
    int storedWrites() { return static_cast<int>(gui::testing::commandsSent(m_transcript, 0x07).size()); }

    void gameMode() { clickAt(find("Btn_Switch_1")); }
    void officeMode() { clickAt(find("Btn_Main_1")); }
    // Through the menus as a user goes: the button, then each group entry hovered, then the leaf.
    void choose(int button, std::initializer_list<const char*> groups, const char* leaf) {
        clickAt(keys().key(button));
        for (const char* group : groups)
            hoverAt(find(QLatin1String(group)));
        hoverAt(find(QLatin1String(leaf)));
        clickAt(find(QLatin1String(leaf)));
    }
    // A macro in the mouse, as "Add to Mouse" leaves it, and in the window's lists.
    void addMacro(const char* name) {
        core::MacroLibrary library;
        ASSERT_EQ(library.addNew(name), core::MacroLibrary::Result::Done);
        auto& table = m_window->cycle().deviceMacroTable();
        ASSERT_EQ(table.add(library.slot(0).name, library.slot(0).body),
                  core::DeviceMacroTable::Result::Done);
        for (const auto& write : table.memoryWrites())
            mouse().writeMemory(write.address, write.bytes);
        m_window->redrawDeviceMacros();
    }

    // Both key-entry dialogs in turn (Input One Key first, then Assembly Key), each opened, active and
    // with its edit focused; `confirmed` takes what Confirm hands back, cleared before each.
    struct KeyDialog {
        gui::SkinnedDialog* dialog;
        QLineEdit* edit;
        QWindow* window;
    };
    void inEachKeyDialog(QString& confirmed, const std::function<void(const KeyDialog&, int)>& run) {
        QPointer<gui::InputOneKeyDialog> oneKey =
            new gui::InputOneKeyDialog(m_window->state(), m_window.get(), 1,
                                       [&](const QString& name, const QString&) { confirmed = name; });
        QPointer<gui::AssemblyKeyDialog> assembly = new gui::AssemblyKeyDialog(
            m_window->state(), m_window.get(),
            {[&](const QString& caption, const QString&) { confirmed = caption; }, {}});
        const struct {
            gui::SkinnedDialog* dialog;
            std::function<void()> open;
        } dialogs[] = {{oneKey.data(), [&] { oneKey->open(); }},
                       {assembly.data(), [&] { assembly->open(); }}};
        for (int n = 0; n < 2; ++n) {
            gui::SkinnedDialog* dialog = dialogs[n].dialog;
            SCOPED_TRACE(dialog->objectName().toStdString());
            confirmed.clear();
            dialogs[n].open();
            dialog->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
            dialog->edit()->setFocus();
            run({dialog, dialog->edit(), dialog->windowHandle()}, n);
        }
    }

    QTemporaryDir m_folder;
    QString m_transcript;
    gui::MessageSeam::Answerer m_answers;
    std::unique_ptr<MainWindow> m_window;
};

using Code = std::array<std::uint8_t, 4>;

} // namespace

TEST_F(AssignmentTest, RightKeyOnButtonTwoInGameModeReachesTheMouse) {
    gameMode();
    clickAt(keys().key(2));
    ASSERT_TRUE(find("Pnl_Main")->isVisible());
    EXPECT_EQ(keys().selectedButton(), 2);
    // The sub-menu opens with the hover itself, before any other event is handled.
    hoverAt(find("Key_Standard"));
    EXPECT_TRUE(find("Pnl_MseKey")->isVisible());
    clickAt(find("Key_Right"));

    EXPECT_FALSE(find("Pnl_Main")->isVisible());
    EXPECT_FALSE(find("Pnl_MseKey")->isVisible());
    EXPECT_EQ(caption(2), text("Str211"));
    EXPECT_EQ(stored(2, 2), (Code{0x01, 0x02, 0x00, 0x00}));
    EXPECT_EQ(active(2, 2), (Code{0x01, 0x02, 0x00, 0x00}));
    EXPECT_EQ(mouse().currentProfile() & 0x0F, 1); // back in Game Mode after taking the codes up
}

TEST_F(AssignmentTest, CascadeOpensLevelByLevelAndLeavesCloseDeeperMenus) {
    gameMode();
    clickAt(keys().key(1));
    hoverAt(find("Key_Special"));
    hoverAt(find("Key_ProfileKey"));
    EXPECT_TRUE(find("Pnl_Special")->isVisible());
    EXPECT_TRUE(find("Pnl_Profile")->isVisible());
    // Another level-2 group closes the special menu and everything under it.
    hoverAt(find("Key_Media"));
    EXPECT_TRUE(find("Pnl_Media")->isVisible());
    EXPECT_FALSE(find("Pnl_Special")->isVisible());
    EXPECT_FALSE(find("Pnl_Profile")->isVisible());
    // A leaf of the special menu closes the third level; a leaf of the first closes both.
    hoverAt(find("Key_Special"));
    hoverAt(find("Key_CPIKey"));
    ASSERT_TRUE(find("Pnl_CPIKey")->isVisible());
    hoverAt(find("Key_LEDMode"));
    EXPECT_FALSE(find("Pnl_CPIKey")->isVisible());
    EXPECT_TRUE(find("Pnl_Special")->isVisible());
    hoverAt(find("Key_Assembly"));
    EXPECT_FALSE(find("Pnl_Special")->isVisible());
    // Without macros in the mouse the macro entry opens nothing.
    hoverAt(find("Key_Macro"));
    EXPECT_FALSE(find("LB_Name")->isVisible());
    // The page background closes the cascade.
    QTest::mousePress(find("Img_P1"), Qt::LeftButton);
    EXPECT_FALSE(find("Pnl_Main")->isVisible());
}

TEST_F(AssignmentTest, MenusOpenAwayFromTheRightAndBottomEdges) {
    gameMode();
    CaptionLabel* button = keys().key(12);
    button->show();
    const QSize window = m_window->size();
    // The same button in the top left corner and in the bottom right one.
    button->move(20, 20);
    clickAt(button);
    QWidget* main = find("Pnl_Main");
    EXPECT_EQ(main->pos(), QPoint(20 + button->width() / 2, 20 + button->height() / 2))
        << "right of and below the centre";
    hoverAt(find("Key_Special"));
    EXPECT_GT(find("Pnl_Special")->x(), main->x());

    button->move(window.width() - button->width() - 10, window.height() - button->height() - 10);
    clickAt(button);
    const QPoint centre(button->x() + button->width() / 2, button->y() + button->height() / 2);
    EXPECT_EQ(main->geometry().topLeft(), centre - QPoint(main->width(), main->height()));
    EXPECT_LE(main->geometry().right(), window.width());
    hoverAt(find("Key_Special"));
    QWidget* special = find("Pnl_Special");
    EXPECT_EQ(special->x(), main->x() - special->width()) << "opens to the left";
    EXPECT_LE(special->geometry().bottom(), window.height());
}

TEST_F(AssignmentTest, LeftKeyGuardOfTheCatalogueHoldsInOfficeModeOnly) {
    officeMode();
    ASSERT_EQ(caption(1), text("Str210"));
    for (int k = 2; k <= 12; ++k)
        ASSERT_NE(caption(k), text("Str210")) << "the default image has one left key";
    const Code left = stored(1, 1);

    // The only left key of Office Mode stays, and a refused change writes nothing.
    const int writesBefore = storedWrites();
    choose(1, {"Key_Standard"}, "Key_Right");
    EXPECT_EQ(caption(1), text("Str210"));
    EXPECT_EQ(stored(1, 1), left);
    EXPECT_EQ(storedWrites(), writesBefore);

    // With a second left key the change is made.
    choose(4, {"Key_Standard"}, "Key_Left");
    choose(1, {"Key_Standard"}, "Key_Right");
    EXPECT_EQ(caption(1), text("Str211"));
    EXPECT_EQ(stored(1, 1), (Code{0x01, 0x02, 0x00, 0x00}));
    EXPECT_EQ(stored(1, 4), left);

    // Game Mode lets its last left key go.
    gameMode();
    choose(4, {"Key_Standard"}, "Key_Left");
    ASSERT_EQ(stored(2, 4), left);
    choose(4, {"Key_Standard"}, "Key_Right");
    EXPECT_EQ(caption(4), text("Str211"));
    EXPECT_EQ(stored(2, 4), (Code{0x01, 0x02, 0x00, 0x00}));
    EXPECT_EQ(active(2, 4), (Code{0x01, 0x02, 0x00, 0x00}));
}

TEST_F(AssignmentTest, MacroFromBaseMacroAndItsLeftKeyGuard) {
    addMacro("Alpha");
    addMacro("Beta");
    const auto addresses = m_window->cycle().deviceMacroTable().addressTable();
    ASSERT_EQ(addresses.size(), 2u);
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        // Never the only left key, in any mode (Game Mode is given one on button 1 first).
        if (mode == 1) {
            officeMode();
        } else {
            gameMode();
            choose(1, {"Key_Standard"}, "Key_Left");
        }
        ASSERT_EQ(caption(1), text("Str210"));
        const Code before = stored(mode, 1);
        clickAt(keys().key(1));
        hoverAt(find("Key_Macro"));
        auto* list = find<QListWidget>("LB_Name");
        ASSERT_TRUE(list->isVisible());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        EXPECT_EQ(caption(1), text("Str210"));
        EXPECT_EQ(stored(mode, 1), before);

        // Button 2 takes the second macro.
        clickAt(keys().key(2));
        hoverAt(find("Key_Macro"));
        ASSERT_TRUE(list->isVisible());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        EXPECT_EQ(caption(2), QStringLiteral("Beta"));
        const std::uint16_t address = addresses.address(1);
        const Code code{0x10, static_cast<std::uint8_t>(address >> 8),
                        static_cast<std::uint8_t>(address & 0xFF), 0x00};
        EXPECT_EQ(stored(mode, 2), code);
        EXPECT_EQ(active(mode, 2), code);
    }
}

TEST_F(AssignmentTest, BaseMacroDrawsTheRowUnderThePointerInTheHighlightColours) {
    addMacro("Alpha");
    addMacro("Beta");
    addMacro("Gamma");
    clickAt(keys().key(2));
    hoverAt(find("Key_Macro"));
    auto* list = find<QListWidget>("LB_Name");
    ASSERT_TRUE(list->isVisible());
    const QColor back = m_window->state().layoutColor("Color_G_Back");
    const QColor hoverBack = m_window->state().layoutColor("Color_G_SP");
    ASSERT_NE(back, hoverBack);
    // The colour of each row at its left edge, beside the text.
    auto rowColours = [&] {
        const QImage image = list->viewport()->grab().toImage();
        std::vector<QColor> colours;
        for (int row = 0; row < list->count(); ++row) {
            const QRect r = list->visualItemRect(list->item(row));
            colours.push_back(image.pixelColor(r.left() + 1, r.top() + 1));
        }
        return colours;
    };
    EXPECT_EQ(rowColours(), (std::vector<QColor>{back, back, back}));
    for (int row : {1, 2, 0}) {
        QTest::mouseMove(list->viewport(), list->visualItemRect(list->item(row)).center());
        std::vector<QColor> expected(3, back);
        expected[static_cast<std::size_t>(row)] = hoverBack;
        EXPECT_EQ(rowColours(), expected) << row;
    }
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(list->viewport(), &leave);
    EXPECT_EQ(rowColours(), (std::vector<QColor>{back, back, back}));
}

TEST_F(AssignmentTest, TheMenuEntryUnderThePointerIsPaintedInTheHighlightColours) {
    gameMode();
    clickAt(keys().key(2));
    const QColor back = m_window->state().layoutColor("Color_G_Back");
    const QColor hoverBack = m_window->state().layoutColor("Color_G_SP");
    ASSERT_NE(back, hoverBack);
    // The window's own pixels beside the entry's text: a leaf, a group with its ">>" marker and a
    // leaf of a sub-menu.
    const auto colourBesideText = [&](const char* name) {
        QWidget* entry = find(QLatin1String(name));
        const QImage image = m_window->grab().toImage();
        const QPoint at = entry->mapTo(m_window.get(), QPoint(entry->width() * 3 / 4, 2));
        return image.pixelColor(at * image.devicePixelRatio());
    };
    for (const char* name : {"Key_Assembly", "Key_Standard", "Key_Left"}) {
        SCOPED_TRACE(name);
        if (QByteArrayView(name) == "Key_Left")
            hoverAt(find("Key_Standard"));
        EXPECT_EQ(colourBesideText(name), back);
        hoverAt(find(QLatin1String(name)));
        EXPECT_EQ(colourBesideText(name), hoverBack);
    }
    // Leaving gives the entry the panel's colours again.
    hoverAt(find("Key_Media"));
    EXPECT_EQ(colourBesideText("Key_Standard"), back);
}

TEST_F(AssignmentTest, CombinationFromTheAssemblyKeyDialog) {
    officeMode();
    // The only left key of buttons 1-9 opens no dialog, even with another on button 10.
    m_window->cycle().buttonCodeTable().set(1, 10, "01010000");
    keys().refreshProfileKeys(1);
    ASSERT_EQ(caption(10), text("Str210"));
    clickAt(keys().key(1));
    clickAt(find("Key_Assembly"));
    EXPECT_EQ(topLevel("TForm2"), nullptr);

    choose(4, {"Key_Standard"}, "Key_Left");
    clickAt(keys().key(1));
    clickAt(find("Key_Assembly"));
    QWidget* dialog = topLevel("TForm2");
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->isModal());
    EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::FramelessWindowHint));
    const QRect main = m_window->frameGeometry();
    EXPECT_EQ(dialog->pos(), QPoint(main.left() + (main.width() - dialog->width()) / 2,
                                    main.top() + (main.height() - dialog->height()) / 2));

    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("Edt_Assembly"));
    ASSERT_NE(edit, nullptr);
    clickAt(dialog->findChild<QCheckBox*>(QStringLiteral("CB_Ctrl")));
    clickAt(dialog->findChild<QCheckBox*>(QStringLiteral("CB_Alt")));
    QTest::keyClick(edit, Qt::Key_A);
    QTest::keyClick(edit, Qt::Key_B);
    EXPECT_EQ(edit->text(), QStringLiteral("Ctrl+Alt+A+B"));
    clickAt(dialog->findChild<QWidget*>(QStringLiteral("IB_Confirm")));

    EXPECT_TRUE(waitFor([] { return topLevel("TForm2") == nullptr; }));
    EXPECT_EQ(caption(1), QStringLiteral("Ctrl+Alt+A+B"));
    EXPECT_EQ(stored(1, 1), (Code{0x02, 0x05, 0x04, 0x05}));
    EXPECT_EQ(active(1, 1), (Code{0x02, 0x05, 0x04, 0x05}));
}

TEST_F(AssignmentTest, CombinationGoesToTheButtonSelectedAtConfirmation) {
    gameMode();
    clickAt(keys().key(2));
    clickAt(find("Key_Assembly"));
    QWidget* dialog = topLevel("TForm2");
    ASSERT_NE(dialog, nullptr);
    QTest::keyClick(dialog->findChild<QLineEdit*>(QStringLiteral("Edt_Assembly")), Qt::Key_C);
    // The dialog does not block the window: another button's menu is opened meanwhile.
    clickAt(keys().key(4));
    QTest::mousePress(find("Img_P1"), Qt::LeftButton);
    clickAt(dialog->findChild<QWidget*>(QStringLiteral("IB_Confirm")));
    EXPECT_EQ(stored(2, 4), (Code{0x02, 0x00, 0x06, 0x00}));
    EXPECT_NE(stored(2, 2), (Code{0x02, 0x00, 0x06, 0x00}));
}

TEST_F(AssignmentTest, FireMacroShowsTheFirePageAloneWithPresetOne) {
    gameMode();
    clickAt(keys().key(5));
    hoverAt(find("Key_FireMacro"));
    clickAt(find("Key_FireMacro"));
    EXPECT_TRUE(find("gbPage6")->isVisible());
    EXPECT_FALSE(find("gbPage1")->isVisible());
    EXPECT_TRUE(find<QRadioButton>("rb_Fire1")->isChecked());
    EXPECT_EQ(m_window->state().selectedButton, 5);
    EXPECT_TRUE(find<QRadioButton>("rb_2")->isChecked()) << "Game Mode stays the page state";
}

TEST_F(AssignmentTest, InputOneKeyDialogHandsItsStepToTheReplacement) {
    QString name, step;
    auto* dialog = new gui::InputOneKeyDialog(m_window->state(), m_window.get(), 1,
                                              [&](const QString& keyName, const QString& stepText) {
                                                  name = keyName;
                                                  step = stepText;
                                              });
    dialog->open();
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("Edt_EditKey"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("lbl_EditKey"))->text(), text("Str520"));
    QTest::keyClick(edit, Qt::Key_A);
    QTest::keyClick(edit, Qt::Key_Super_L); // every key is taken, the last one counts
    EXPECT_EQ(edit->text(), QStringLiteral("Left Windows"));
    // Clear empties the edit only: the key and its step stay for Confirm.
    clickAt(dialog->findChild<QWidget*>(QStringLiteral("IB_Cancel")));
    EXPECT_EQ(edit->text(), QString());
    clickAt(dialog->findChild<QWidget*>(QStringLiteral("IB_Confirm")));
    EXPECT_EQ(name, QString());
    EXPECT_EQ(step, QStringLiteral("Left Windows CODE:82E3"));
}

// The key-entry dialog keeps Escape and Tab as keys to enter; any other dialog leaves on Escape as its
// close control does, without a replacement. The close picture is named for a screen reader.
TEST_F(AssignmentTest, EscapeIsAKeyToEnterInTheKeyDialogAndLeavesTheOthers) {
    bool replaced = false;
    QPointer<gui::InputOneKeyDialog> keyDialog = new gui::InputOneKeyDialog(
        m_window->state(), m_window.get(), 1, [&](const QString&, const QString&) { replaced = true; });
    keyDialog->open();
    auto* edit = keyDialog->findChild<QLineEdit*>(QStringLiteral("Edt_EditKey"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->accessibleName(), text("Str520"));
    EXPECT_EQ(keyDialog->closeButton()->accessibleName(), text("Str003"));
    keyDialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(keyDialog.data()));
    edit->setFocus();
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Tab}) {
        QTest::keyClick(edit, key);
        ASSERT_FALSE(keyDialog.isNull());
        EXPECT_TRUE(keyDialog->isVisible());
        EXPECT_FALSE(edit->text().isEmpty()) << key;
        EXPECT_TRUE(edit->hasFocus()) << key;
    }
    EXPECT_FALSE(replaced);
    keyDialog->close();

    QPointer<gui::InputDelayTimeDialog> delayDialog = new gui::InputDelayTimeDialog(
        m_window->state(), m_window.get(), QStringLiteral("20"), [&](const QString&) { replaced = true; });
    delayDialog->open();
    auto* delayEdit = delayDialog->findChild<QLineEdit*>();
    ASSERT_NE(delayEdit, nullptr);
    QTest::keyClick(delayEdit, Qt::Key_Escape);
    EXPECT_TRUE(delayDialog.isNull() || !delayDialog->isVisible());
    EXPECT_FALSE(replaced);
}

// The key-entry dialogs take a tap of Tab as a key; holding Tab leaves the edit for the buttons and
// undoes what its first press entered, so Confirm, Clear and Close are reached with keys alone. A hint
// line under the edit says so, clear of the other controls.
TEST_F(AssignmentTest, HoldingTabLeavesTheKeyEditAndConfirmIsReachedByKeys) {
    QString confirmed;
    inEachKeyDialog(confirmed, [&](const KeyDialog& d, int) {
        gui::SkinnedDialog* dialog = d.dialog;
        QLineEdit* edit = d.edit;
        QWindow* window = d.window;

        QLabel* hint = dialog->findChild<QLabel*>(QStringLiteral("lbl_KeyHint"));
        ASSERT_NE(hint, nullptr);
        EXPECT_TRUE(hint->isVisible());
        EXPECT_TRUE(hint->text().contains(QStringLiteral("Tab")));
        EXPECT_TRUE(dialog->rect().contains(hint->geometry()));
        for (QWidget* other : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other != hint && other->isVisible() &&
                !other->objectName().startsWith(QStringLiteral("Img_"))) {
                EXPECT_FALSE(other->geometry().intersects(hint->geometry()))
                    << other->objectName().toStdString();
            }
        }

        QTest::keyClick(window, Qt::Key_Tab); // a tap is a key to enter
        EXPECT_TRUE(edit->hasFocus());
        EXPECT_TRUE(edit->text().contains(QStringLiteral("Tab"))) << edit->text().toStdString();
        QTest::keyClick(window, Qt::Key_A);
        const QString beforeHold = edit->text();
        ASSERT_TRUE(beforeHold.contains(QLatin1Char('A'))) << beforeHold.toStdString();
        // A held Tab: its press, then a repeat as the keyboard sends it to the focus while the key
        // stays down (the test's key events have no repeat flag of their own).
        QTest::keyPress(window, Qt::Key_Tab);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"), true);
        QApplication::sendEvent(QApplication::focusWidget(), &repeat);
        QTest::keyRelease(window, Qt::Key_Tab);
        EXPECT_FALSE(edit->hasFocus());
        EXPECT_EQ(edit->text(), beforeHold);

        for (int presses = 0; presses < 12 && QApplication::focusWidget() != dialog->confirmButton();
             ++presses)
            QTest::keyClick(window, Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), dialog->confirmButton());
        QTest::keyClick(window, Qt::Key_Return);
        EXPECT_TRUE(confirmed.contains(QLatin1Char('A'))) << confirmed.toStdString();
    });
}

// Where the keyboard repeats no keys, Ctrl+Tab leaves the key edit (Ctrl+Shift+Tab backwards) and
// undoes the Ctrl it pressed; a Ctrl tapped on its own earlier stays entered.
TEST_F(AssignmentTest, ControlTabLeavesTheKeyEditWithoutKeyRepeat) {
    QString confirmed;
    // What the edit shows after A and then a tap of Ctrl, per dialog.
    const char* const tappedCtrlShows[] = {"Ctrl", "A"};
    inEachKeyDialog(confirmed, [&](const KeyDialog& d, int n) {
        gui::SkinnedDialog* dialog = d.dialog;
        QLineEdit* edit = d.edit;
        QWindow* window = d.window;
        EXPECT_TRUE(dialog->findChild<QLabel*>(QStringLiteral("lbl_KeyHint"))->text().contains("Ctrl+Tab"));

        QTest::keyClick(window, Qt::Key_A);
        const QString typed = edit->text();
        // Ctrl goes down (the edit takes it), then Shift and Tab with it: out of the edit backwards,
        // the Ctrl and Shift undone.
        QTest::keyClick(window, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_FALSE(edit->hasFocus());
        EXPECT_EQ(edit->text(), typed);

        // Back in the edit: a Ctrl tapped alone is a key, and stays through the Ctrl+Tab that follows.
        edit->setFocus();
        QTest::keyClick(window, Qt::Key_Control);
        EXPECT_TRUE(edit->text().contains(QLatin1String(tappedCtrlShows[n]))) << edit->text().toStdString();
        const QString tapped = edit->text();
        QTest::keyClick(window, Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_FALSE(edit->hasFocus());
        EXPECT_EQ(edit->text(), tapped);

        for (int presses = 0; presses < 12 && QApplication::focusWidget() != dialog->confirmButton();
             ++presses)
            QTest::keyClick(window, Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), dialog->confirmButton());
        QTest::keyClick(window, Qt::Key_Return);
        EXPECT_TRUE(confirmed.contains(QLatin1String(tappedCtrlShows[n]))) << confirmed.toStdString();
    });
}

TEST_F(AssignmentTest, NothingIsSentWhileAConfigurationIsDrawn) {
    gameMode();
    const int writesBefore = storedWrites();
    m_window->state().applyingImage = true;
    choose(4, {"Key_Special", "Key_ProfileKey"}, "Key_Profile1");
    m_window->state().applyingImage = false;
    EXPECT_EQ(storedWrites(), writesBefore);
    EXPECT_EQ(stored(2, 4), (Code{0x01, 0x02, 0x00, 0x00}));
    // The change is made in the window all the same and goes with the next write.
    EXPECT_EQ(m_window->cycle().buttonCodeTable().text(2, 4), "07800000");
    EXPECT_EQ(caption(4), text("Str251"));
}

TEST_F(AssignmentTest, ClickingARollingButtonStopsItsCaption) {
    officeMode();
    CaptionLabel* button = keys().key(2);
    const QString still = button->text();
    hoverAt(button);
    ASSERT_TRUE(waitFor([&] { return button->text() != still; })) << "the caption rolls under the pointer";
    clickAt(button);
    EXPECT_EQ(button->text(), still);
    EXPECT_EQ(keys().keyPicture(2)->pictureName(), QStringLiteral("KeyS_01"));
    QTest::qWait(30);
    EXPECT_EQ(button->text(), still);
}

TEST_F(AssignmentTest, ACaptionAssignedUnderThePointerStaysWhenThePointerLeaves) {
    gameMode();
    CaptionLabel* button = keys().key(4);
    hoverAt(button);
    clickAt(button);
    // The entry is chosen before the button has seen the pointer leave.
    keys().assignEntry(find<CaptionLabel>("Key_Middle"));
    ASSERT_EQ(button->text(), text("Str212"));
    hoverAt(find("Img_P1"));
    EXPECT_EQ(button->text(), text("Str212"));
}

TEST_F(AssignmentTest, ARefusedOrInterruptedCommitIsReportedOnceAndTheButtonsShowWhatTheMouseHolds) {
    gameMode();
    const QString before = caption(2);
    const Code code = stored(2, 2);
    ASSERT_NE(code, (Code{0x01, 0x02, 0x00, 0x00})) << "the right key must be a change";
    for (const bool unplug : {false, true}) {
        SCOPED_TRACE(unplug ? "unplugged" : "refused");
        m_answers.messages.clear();
        // The first report of the commit begins the write of the stored profiles.
        emulator::Faults faults;
        (unplug ? faults.unplugAtReport : faults.refuseReport) = mouse().reportCount() + 1;
        mouse().setFaults(faults);
        choose(2, {"Key_Standard"}, "Key_Right");
        mouse().setFaults({});
        EXPECT_EQ(m_answers.messages, QStringList{text("Str121")});
        if (unplug) {
            ASSERT_TRUE(waitFor([&] { return !m_window->deviceConnected() || m_window->coversShown(); }));
            mouse().plug();
        }
        ASSERT_TRUE(waitFor([&] { return m_window->deviceConnected() && !m_window->coversShown(); }));
        EXPECT_EQ(stored(2, 2), code);
        EXPECT_EQ(caption(2), before);
    }
}

// Every kind of edit the key and Advanced pages make, with the mouse refusing the edit's first
// report: one message naming what was not kept, the mouse holding what it held, and the window
// drawn again from it.
TEST_F(AssignmentTest, EveryEditTheMouseRefusesIsReportedOnceAndTheMouseKeepsWhatItHeld) {
    addMacro("Alpha");
    gameMode();
    struct Case {
        const char* name;
        const char* message;
        std::function<void()> prepare; // up to the last click, which `edit` makes
        std::function<void()> edit;
    };
    const auto refuseNext = [&] {
        emulator::Faults faults;
        faults.refuseReport = mouse().reportCount() + 1;
        mouse().setFaults(faults);
    };
    const Case cases[] = {
        {"macro", "Str121",
         [&] {
             clickAt(keys().key(2));
             hoverAt(find("Key_Macro"));
         },
         [&] {
             auto* list = find<QListWidget>("LB_Name");
             QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                               list->visualItemRect(list->item(0)).center());
         }},
        {"combination", "Str121",
         [&] {
             clickAt(keys().key(4));
             clickAt(find("Key_Assembly"));
             QWidget* dialog = topLevel("TForm2");
             ASSERT_NE(dialog, nullptr);
             QTest::keyClick(dialog->findChild<QLineEdit*>(QStringLiteral("Edt_Assembly")), Qt::Key_C);
         },
         [&] {
             if (QWidget* dialog = topLevel("TForm2"))
                 clickAt(dialog->findChild<QWidget*>(QStringLiteral("IB_Confirm")));
         }},
        {"fire key", "Str121", [&] { clickAt(find("Btn_Adv_1")); },
         [&] { clickAt(find("lbl_Fire1Continue")); }},
        {"AIM step", "Str121",
         [&] {
             m_window->cycle().buttonCodeTable().set(2, 7, "05000000");
             clickAt(find("Btn_Adv_1"));
         },
         [&] { clickAt(find("Img_AIMDPI_6")); }},
        {"report rate", "Str126", [&] { clickAt(find("Btn_Adv_1")); },
         [&] {
             const int code = m_window->state().buffers.workingImage.reportRateCode();
             clickAt(find(QStringLiteral("lbl_Rep%1").arg((code + 1) % 4 + 1)));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString expected = text(c.message);
        c.prepare();
        const std::vector<std::uint8_t> memory = mouse().memory();
        const auto live = mouse().liveSettings();
        const int resets = mouse().resetCount();
        m_answers.messages.clear();
        refuseNext();
        c.edit();
        mouse().setFaults({});
        ASSERT_TRUE(waitFor([&] { return m_window->deviceConnected() && !m_window->coversShown(); }));
        EXPECT_EQ(m_answers.messages, QStringList{expected});
        EXPECT_EQ(mouse().memory(), memory);
        EXPECT_EQ(mouse().liveSettings(), live);
        EXPECT_EQ(mouse().resetCount(), resets) << "a rate the mouse refused needs no restart";
        gameMode();
    }
}
