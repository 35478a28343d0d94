// The Fire Macro page over the virtual mouse, driven by clicks at the controls' positions: the
// preset fields and their corrections, Confirm's writes for both storage kinds and what the mouse
// then stores, Cancel, and the service-mode editor of the fire macros.

#include "gui/fire/FirePage.h"
#include "core/cycle/ConfigCycle.h"
#include "core/cycle/CycleUi.h"
#include "core/device/Clock.h"
#include "core/device/DeviceLink.h"
#include "core/device/LinkUi.h"
#include "core/image/MemoryMap.h"
#include "core/macros/EventCaption.h"
#include "core/macros/MacroCodec.h"
#include "core/text/LanguageTables.h"
#include "emulator/EmulatorTransport.h"
#include "emulator/VirtualMouse.h"
#include "gui/dialogs/AccessCodeDialog.h"
#include "gui/dialogs/MacroNameDialog.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/eventlist/MacroEventDelegate.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/skin/PageControls.h"
#include "gui/skin/PictureControl.h"
#include "gui/skin/Skin.h"
#include "resources/Resources.h"
#include "support/PageBench.h"
#include "support/PaintedPixels.h"

#include "../../core/macros/FakeInputCapture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace tarvik;
using namespace tarvik::gui;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

std::string hex(std::span<const core::Byte> bytes) {
    std::string out;
    char cell[4];
    for (core::Byte b : bytes) {
        std::snprintf(cell, sizeof cell, "%02X", b);
        out += cell;
    }
    return out;
}

// The commands the mouse received, one text each: "set <offset>" for a live-settings write,
// "mem <address> <length>" for a memory write, "read user" for the UserSection read,
// "mode <value>" for a write of CurrentProfile.
std::vector<std::string> commands(emulator::VirtualMouse& mouse) {
    std::vector<std::string> out;
    for (const auto& r : mouse.reportLog()) {
        if (r.kind != emulator::ReportRecord::Kind::Set || r.bytes.at(0) != 0x40)
            continue;
        const auto& b = r.bytes;
        char text[48];
        if (b[1] == 0x05 && b[3] == 0xA4 && b[7] == 1)
            std::snprintf(text, sizeof text, "mode %02X", b[4]);
        else if (b[1] == 0x05)
            std::snprintf(text, sizeof text, "set %d", b[3]);
        else if (b[1] == 0x07)
            std::snprintf(text, sizeof text, "mem %d %d", b[2] * 256 + b[3], b[4] * 256 + b[5]);
        else if (b[1] == 0x06 && b[3] == 0xA4)
            std::snprintf(text, sizeof text, "read user");
        else
            std::snprintf(text, sizeof text, "other %02X", b[1]);
        out.emplace_back(text);
    }
    return out;
}

class FirePageTest : public ::testing::Test, protected tarvik::gui::testing::PageBench {
protected:
    void SetUp() override {
        // Game Mode's profile is shown: the fire page is opened from its assignment menu.
        shell.mode = 2;
        state.language = &core::LanguageTables::builtIn().table(1);
        state.layout = *core::LayoutConfig::loadBuiltIn("org1");
        window.resize(1030, 662);
        MessageSeam::setAnswerer(&answers);
    }
    void TearDown() override { MessageSeam::setAnswerer(nullptr); }

    // A mouse of `kind` holding default image 1, read whole, and the page drawn from it.
    void start(core::StorageKind kind) {
        emulator::VirtualMouse::Options options;
        options.kind = kind;
        options.keepLog = true;
        options.clock = &clock;
        mouse = bus.addMouse(options);
        ASSERT_EQ(link.openDevice(mouse->vendorId(), mouse->productId()), core::OpenResult::Opened);
        ASSERT_EQ(cycle.fullRead(kind, [] {}), core::CycleResult::Done);
        page = &makePage<FirePage>(window);
        window.show();
        page->openForButton(3);
        mouse->clearReportLog();
    }

    template <typename W = QWidget> W* child(const QString& name) {
        W* found = page->findChild<W*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    // A click where the user sees the control: Qt's hit-testing picks the receiver.
    void clickAt(const QString& name, Qt::MouseButton button = Qt::LeftButton) {
        QWidget* control = child(name);
        ASSERT_NE(control, nullptr);
        ASSERT_TRUE(control->isVisible()) << name.toStdString();
        const QPoint centre = control->mapTo(&window, control->rect().center());
        QWidget* hit = window.childAt(centre);
        ASSERT_NE(hit, nullptr) << name.toStdString();
        QTest::mouseClick(hit, button, {}, hit->mapFrom(&window, centre));
    }
    void clickRow(const QString& list, int row, Qt::MouseButton button = Qt::LeftButton) {
        auto* widget = child<QListWidget>(list);
        ASSERT_NE(widget, nullptr);
        ASSERT_LT(row, widget->count());
        const QRect r = widget->visualItemRect(widget->item(row));
        QTest::mouseClick(widget->viewport(), button, {}, r.center());
    }
    void type(const QString& edit, const QString& text) {
        auto* e = child<QLineEdit>(edit);
        e->setText(text);
    }
    QString text(const QString& edit) { return child<QLineEdit>(edit)->text(); }
    QString picture(const QString& name) {
        auto* control = child<PictureControl>(name);
        return control ? control->pictureName() : QString();
    }
    // The text of an edit or a caption.
    QString caption(const QString& name) {
        if (auto* edit = page->findChild<QLineEdit*>(name))
            return edit->text();
        auto* label = child<QLabel>(name);
        return label ? label->text() : QString();
    }
    void doubleClickBackground() {
        const QPoint spot(5, 5);
        QWidget* hit = window.childAt(spot);
        QWidget* target = hit ? hit : page;
        QTest::mouseDClick(target, Qt::LeftButton, {}, target->mapFrom(&window, spot));
    }
    std::vector<std::string> rows() {
        std::vector<std::string> out;
        auto* list = child<QListWidget>("LB_FireMacro");
        for (int i = 0; i < list->count(); ++i)
            out.push_back(core::eventCaption(
                              list->item(i)->data(MacroEventDelegate::kLineRole).toString().toStdString())
                              .text);
        return out;
    }
    std::vector<core::Byte> storedBody(int slot) {
        const bool i2c = state.buffers.storageKind == core::StorageKind::I2C;
        const auto base =
            i2c ? core::memmap::i2c::kFireMacroStore.address : core::memmap::flash::kFireMacroStore.address;
        return mouse->readMemory(static_cast<std::uint16_t>(base + 160 + 32 * slot), 32);
    }

    MessageSeam::Answerer answers;
    std::shared_ptr<emulator::VirtualMouse> mouse;
    QWidget window;
    FirePage* page = nullptr;
};

TEST_F(FirePageTest, PresetsShowTheirSegmentsAndGunModes) {
    start(core::StorageKind::I2C);
    clickAt("Btn_Fire6");
    EXPECT_EQ(page->selectedPreset(), 6);
    EXPECT_TRUE(child("Edt_FireX2")->isVisible());
    EXPECT_FALSE(child("Edt_FireX3")->isVisible());
    for (int g = 1; g <= 5; ++g)
        EXPECT_EQ(child(QStringLiteral("Img_GunMode%1").arg(g))->isVisible(), g <= 2) << g;
    clickAt("Btn_Fire7");
    EXPECT_TRUE(child("Edt_FireX3")->isVisible());
    EXPECT_EQ(child<PictureControl>("Img_Fire7")->pictureName(), "Gun7_02");
    EXPECT_TRUE(mouse->reportLog().empty()); // showing sends nothing
}

TEST_F(FirePageTest, EditsCorrectTheirTextAndWriteOnlyTheEditingCopy) {
    start(core::StorageKind::I2C);
    clickAt("Btn_Fire1");
    const core::FireSegmentView view = page->slotView(0);
    ASSERT_TRUE(view.xAt && view.yAt && view.timeAt);
    const auto& body = state.buffers.fireMacros.bodies[0];

    type("Edt_FireX1", "200");
    EXPECT_EQ(text("Edt_FireX1"), "127");
    EXPECT_EQ(body[*view.xAt], 0x7F);
    type("Edt_FireX1", "-128");
    EXPECT_EQ(text("Edt_FireX1"), "-127");
    EXPECT_EQ(body[*view.xAt], 0x81);
    type("Edt_FireTime1", "70000");
    EXPECT_EQ(text("Edt_FireTime1"), "65535");
    EXPECT_EQ(body[*view.timeAt], 0xFF);
    EXPECT_EQ(body[*view.timeAt + 1], 0xFF);
    type("Edt_FireY1Offset", "300");
    EXPECT_EQ(text("Edt_FireY1Offset"), "255");
    EXPECT_EQ(static_cast<core::Byte>(state.buffers.workingImage.fireOffsetY(0)), 255);
    // An offset is a signed byte: -9 is kept as 0xF7, which the page shows as 247 next time.
    type("Edt_FireY1Offset", "-9");
    EXPECT_EQ(text("Edt_FireY1Offset"), "-9");
    EXPECT_EQ(static_cast<core::Byte>(state.buffers.workingImage.fireOffsetY(0)), 0xF7);
    type("Edt_FireCnt1", "");
    EXPECT_EQ(text("Edt_FireCnt1"), "0");

    // Nothing reached the mouse nor the committed store.
    EXPECT_TRUE(mouse->reportLog().empty());
    EXPECT_NE(state.buffers.fireMacroStore.body(0)[*view.xAt], 0x81);

    // Showing a preset again writes nothing back.
    const core::FireMacroSlots before = state.buffers.fireMacros;
    clickAt("Btn_Fire7");
    EXPECT_EQ(state.buffers.fireMacros, before);
    clickAt("Btn_Fire1");
    EXPECT_EQ(text("Edt_FireY1Offset"), "247");
}

struct ConfirmCase {
    core::StorageKind kind;
    std::vector<std::string> stored; // the stored-memory writes, in order
};

class FireConfirmTest : public FirePageTest, public ::testing::WithParamInterface<ConfirmCase> {};

TEST_P(FireConfirmTest, ConfirmStoresPresetCodeAndFireMacrosInOrder) {
    start(GetParam().kind);
    int closed = 0;
    std::string codeWhenClosed; // what the key page names when it comes back
    QObject::connect(page, &FirePage::closed, [&] {
        ++closed;
        codeWhenClosed = cycle.buttonCodeTable().text(2, 3);
    });
    clickAt("Btn_Fire7");
    type("Edt_FireY2", "-9");
    const core::FireSegmentView view = page->slotView(8);
    clickAt("Btn_FireConfirm");

    EXPECT_EQ(closed, 1);
    std::vector<std::string> expected;
    for (int c = 0; c < 10; ++c)
        expected.push_back("set " + std::to_string(57 + 3 * c));
    for (int o = 164; o < 192; o += 3)
        expected.push_back("set " + std::to_string(o));
    expected.insert(expected.end(), GetParam().stored.begin(), GetParam().stored.end());
    expected.push_back("read user");
    expected.push_back("mode 0F");
    char mode[16];
    std::snprintf(mode, sizeof mode, "mode %02X", state.buffers.workingImage.currentProfile());
    expected.emplace_back(mode);
    EXPECT_THAT(commands(*mouse), ElementsAreArray(expected));

    // Game Mode's button 3 carries preset 7 with the left key, and the mouse has taken it up.
    const auto active = mouse->activeKeyCodes(1);
    EXPECT_EQ(hex(std::span<const core::Byte>(active).subspan(8, 4)), "0B170300");
    EXPECT_EQ(codeWhenClosed, "0B170300");
    // The edited fire macro is committed and stored.
    EXPECT_EQ(state.buffers.fireMacroStore.body(8)[*view.yAt], 0xF7);
    EXPECT_EQ(storedBody(8).at(*view.yAt), 0xF7);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FireConfirmTest,
                         ::testing::Values(ConfirmCase{core::StorageKind::I2C,
                                                       {"mem 192 147", "mem 484 12", "mem 1536 256",
                                                        "mem 1792 256"}},
                                           ConfirmCase{core::StorageKind::Flash,
                                                       {"mem 4096 256", "mem 24576 12", "mem 28672 512"}}));

TEST_F(FirePageTest, ARefusedConfirmIsReportedOnceAndTheKeysShowWhatTheMouseHolds) {
    start(core::StorageKind::I2C);
    const std::string code = cycle.buttonCodeTable().text(2, 3);
    const std::vector<core::Byte> storedCode = mouse->readMemory(241 + 8, 4);
    clickAt("Btn_Fire7");
    // After the 20 lighting writes, the 21st report starts the write of the profiles, which carry
    // Game Mode's button 3.
    emulator::Faults faults;
    faults.refuseReport = mouse->reportCount() + 21;
    mouse->setFaults(faults);
    clickAt("Btn_FireConfirm");
    mouse->setFaults({});
    EXPECT_THAT(shell.messages, ElementsAre("Str128"));
    EXPECT_EQ(shell.readsAsked, 1);
    EXPECT_EQ(mouse->readMemory(241 + 8, 4), storedCode);
    // The read the window does then gives the key page the code the mouse kept.
    ASSERT_EQ(cycle.fullRead(core::StorageKind::I2C, [] {}), core::CycleResult::Done);
    EXPECT_EQ(cycle.buttonCodeTable().text(2, 3), code);
}

TEST_F(FirePageTest, PresetSixWithoutTheLeftKeyOption) {
    start(core::StorageKind::I2C);
    clickAt("Btn_Fire6");
    clickAt("lbl_FireSelLeft");
    EXPECT_FALSE(child<QCheckBox>("cb_FireSelLeft")->isChecked());
    EXPECT_EQ(child<PictureControl>("Img_FireSelLeft")->pictureName(), "CbS_D");
    clickAt("Btn_FireConfirm");
    EXPECT_EQ(mouse->readMemory(241 + 8, 4), (std::vector<core::Byte>{0x0B, 0x05, 0x02, 0x00}));
}

TEST_F(FirePageTest, CancelSendsAndCommitsNothing) {
    start(core::StorageKind::I2C);
    int closed = 0;
    QObject::connect(page, &FirePage::closed, [&] { ++closed; });
    const core::FireMacroStore committed = state.buffers.fireMacroStore;
    const std::string code = cycle.buttonCodeTable().text(2, 3);
    clickAt("Btn_Fire2");
    type("Edt_FireY1", "50");
    clickAt("Btn_FireExit");
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(mouse->reportLog().empty());
    EXPECT_EQ(state.buffers.fireMacroStore, committed);
    EXPECT_EQ(cycle.buttonCodeTable().text(2, 3), code);
    EXPECT_EQ(child<PictureControl>("Img_FireExit")->pictureName(), "BtnS_03");
}

TEST_F(FirePageTest, AColourChosenForASlotIsTheLightingColourItSends) {
    start(core::StorageKind::I2C);
    clickAt("Btn_Fire6"); // segment 2 is slot 6: lighting colour 7
    answers.nextColors.push_back(QColor(10, 20, 30));
    clickAt("IB_FireColor2");
    EXPECT_EQ(child<ColourSwatch>("cs_FireColor2")->colour(), QColor(10, 20, 30));
    clickAt("Btn_FireConfirm");
    const auto live = mouse->liveSettings();
    EXPECT_EQ(live[57 + 3 * 6], 10);
    EXPECT_EQ(live[57 + 3 * 6 + 1], 20);
    EXPECT_EQ(live[57 + 3 * 6 + 2], 30);
}

TEST_F(FirePageTest, FirePagePresetsShowTheirSegments) {
    start(core::StorageKind::I2C);
    // Default image 1, preset 1 (slot 0): FD 00, A1, delay 1, move (0,6), delay 1, 21, delay 1, FC.
    EXPECT_EQ(page->selectedPreset(), 1);
    EXPECT_EQ(caption("Edt_FireCnt1"), "0");
    EXPECT_EQ(caption("Edt_FireX1"), "0");
    EXPECT_EQ(caption("Edt_FireY1"), "6");
    EXPECT_EQ(caption("Edt_FireTime1"), "1");
    EXPECT_EQ(picture("Img_Fire1"), "Gun1_02");

    struct Case {
        int preset;
        int segments;
        std::vector<int> gunModes;
    };
    const Case cases[] = {{6, 2, {1, 2}}, {7, 3, {3, 4, 5}}, {3, 1, {}}};
    for (const Case& c : cases) {
        QTest::mouseClick(child(QStringLiteral("Btn_Fire%1").arg(c.preset)), Qt::LeftButton);
        EXPECT_EQ(page->selectedPreset(), c.preset);
        EXPECT_TRUE(child<QRadioButton>(QStringLiteral("rb_Fire%1").arg(c.preset))->isChecked());
        for (int s = 1; s <= 3; ++s)
            for (const char* f : {"Edt_FireCnt%1", "Edt_FireY%1Offset", "Edt_FireTime%1", "cs_FireColor%1"})
                EXPECT_EQ(!child(QString::fromLatin1(f).arg(s))->isHidden(), s <= c.segments)
                    << c.preset << " " << f << s;
        for (int g = 1; g <= 5; ++g)
            EXPECT_EQ(!child(QStringLiteral("Img_GunMode%1").arg(g))->isHidden(),
                      std::find(c.gunModes.begin(), c.gunModes.end(), g) != c.gunModes.end())
                << c.preset << " " << g;
        for (int p = 1; p <= 7; ++p)
            EXPECT_EQ(picture(QStringLiteral("Img_Fire%1").arg(p)),
                      QStringLiteral("Gun%1_%2").arg(p).arg(p == c.preset ? "02" : "01"));
    }
    // Preset 6 plays slots 5 and 6: move (0,12), delay 21; Y offsets 247 and 254 in default image 1.
    QTest::mouseClick(child("Btn_Fire6"), Qt::LeftButton);
    EXPECT_EQ(caption("Edt_FireY2"), "12");
    EXPECT_EQ(caption("Edt_FireTime2"), "21");
    EXPECT_EQ(caption("Edt_FireY1Offset"), "247");
    EXPECT_EQ(caption("Edt_FireY2Offset"), "254");
    const core::Rgb slot6 = state.buffers.workingImage.ledColor(7);
    EXPECT_EQ(child<ColourSwatch>("cs_FireColor2")->colour(), QColor(slot6.red, slot6.green, slot6.blue));

    // The slots show the lighting colours as the shared settings hold them, not as the image does.
    state.settings.lighting.colours[6] = {7, 0, 0};
    page->showPreset(6);
    EXPECT_EQ(child<ColourSwatch>("cs_FireColor2")->colour(), QColor(7, 0, 0));
}

TEST_F(FirePageTest, FirePageStartsWithTheServiceEditorHiddenAndTheLeftKeyOptionOn) {
    start(core::StorageKind::I2C);
    for (const char* name : {"Btn_FireStart", "Img_FireStart", "LB_FireMacroName", "LB_FireMacro",
                             "GB_FireDelay", "Img_FireDelay"})
        EXPECT_TRUE(child(name)->isHidden()) << name;
    EXPECT_TRUE(child<QCheckBox>("cb_FireSelLeft")->isChecked());
    EXPECT_EQ(picture("Img_FireSelLeft"), "CbS_E");
    EXPECT_EQ(caption("Btn_FireConfirm"), "Confirm");
    EXPECT_EQ(caption("Btn_FireExit"), "Cancel");
    EXPECT_EQ(caption("Btn_Fire6"), "5.56mm Fire");
}

TEST_F(FirePageTest, FireMacroNamesListTheSlotsInUse) {
    start(core::StorageKind::I2C);
    auto& names = state.buffers.fireMacros.names;
    names[3].fill(0);    // free
    names[4].fill(0xFF); // never written
    page->refreshFireMacroNames();
    auto* list = child<QListWidget>("LB_FireMacroName");
    ASSERT_EQ(list->count(), 8);
    EXPECT_EQ(list->item(0)->text(), "Macro1");
    EXPECT_EQ(list->item(3)->text(), "Macro6");
    EXPECT_EQ(list->item(0)->sizeHint().height(), state.layoutInt("MacroNameHeight"));

    auto* choice = child<QComboBox>("CB_InsertFire");
    ASSERT_EQ(choice->count(), 6);
    EXPECT_EQ(choice->itemText(2), "Insert X/Y axis Front");
    choice->setCurrentIndex(5);
    EXPECT_FALSE(child("edt_FireRepeat")->isHidden());
    EXPECT_FALSE(child("edt_FireRepeat")->isEnabled());
    EXPECT_TRUE(child("Edt_InsertFireDelay")->isHidden());
}

TEST_F(FirePageTest, HoverPicturesOfThePresets) {
    start(core::StorageKind::I2C);
    auto* button = child<CaptionLabel>("Btn_Fire4");
    emit button->entered();
    EXPECT_EQ(picture("Img_Fire4"), "Gun4_02");
    emit button->left();
    EXPECT_EQ(picture("Img_Fire4"), "Gun4_01");
    auto* selected = child<CaptionLabel>("Btn_Fire1");
    emit selected->left(); // the selected preset keeps its selected picture
    EXPECT_EQ(picture("Img_Fire1"), "Gun1_02");
    emit child<CaptionLabel>("Btn_FireConfirm")->entered();
    EXPECT_EQ(picture("Img_FireConfirm"), "BtnS_02");
}

// --- the service-mode editor ------------------------------------------------------------------------

class FireServiceTest : public FirePageTest {
protected:
    void unlock() {
        int asked = 0;
        page->setAccessCodeAsker([&](QWidget*) {
            ++asked;
            return std::optional<QString>(QStringLiteral("KilbrenZT"));
        });
        for (int i = 0; i < 4; ++i)
            doubleClickBackground();
        ASSERT_EQ(asked, 0);
        ASSERT_FALSE(child("LB_FireMacroName")->isVisible());
        doubleClickBackground();
        ASSERT_EQ(asked, 1);
        page->setAccessCodeAsker({});
    }
    static constexpr const char* kControls[] = {"Btn_FireStart", "Img_FireStart", "LB_FireMacroName",
                                                "LB_FireMacro",  "GB_FireDelay",  "Img_FireDelay"};
};

TEST_F(FireServiceTest, TheFifthDoubleClickAsksAndTheNextHides) {
    start(core::StorageKind::I2C);
    unlock();
    for (const char* name : kControls)
        EXPECT_TRUE(child(name)->isVisible()) << name;
    doubleClickBackground();
    for (const char* name : kControls)
        EXPECT_FALSE(child(name)->isVisible()) << name;
    EXPECT_FALSE(page->serviceMode());
}

// Every caption of the insert panel fits its control in each language, for every insert choice, and
// OK stands apart from Cancel.
TEST_F(FireServiceTest, InsertPanelCaptionsFitInEveryLanguage) {
    using namespace gui::testing;
    start(core::StorageKind::I2C);
    state.buffers.fireMacros.bodies[1] = {0xA1, 0xFE, 0x00, 0x14, 0x21};
    unlock();
    clickRow("LB_FireMacroName", 1);
    clickRow("LB_FireMacro", 0, Qt::RightButton);
    clickAt("Btn_FireInsert");
    QWidget* panel = child("Gb_InsertFire");
    ASSERT_TRUE(panel->isVisible());
    auto* choice = child<QComboBox>("CB_InsertFire");
    for (int language = 1; language <= 3; ++language) {
        state.language = &core::LanguageTables::builtIn().table(language);
        page->applyLanguage();
        for (int item = 0; item < choice->count(); ++item) {
            choice->setCurrentIndex(item);
            SCOPED_TRACE(::testing::Message() << "language " << language << ", choice " << item);
            for (QLabel* label : panel->findChildren<QLabel*>()) {
                if (!label->isVisibleTo(panel) || label->text().isEmpty())
                    continue;
                const int margin = qobject_cast<CaptionLabel*>(label) ? 8 : 0;
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()) + margin, label->width())
                    << label->objectName().toStdString();
            }
        }
    }
    EXPECT_GE(rectInWindow(child("Img_FireCancel")).left() - rectInWindow(child("Img_FireOK")).right() - 1,
              6);
}

TEST_F(FireServiceTest, ShowsRecordsDeletesAndInsertsInTheEditingCopy) {
    start(core::StorageKind::I2C);
    auto& body = state.buffers.fireMacros.bodies[1];
    body = {0xA1, 0x04, 0x00, 0x05, 0xFE, 0x00, 0x14, 0x21};
    unlock();
    clickRow("LB_FireMacroName", 1);
    EXPECT_EQ(rows(), (std::vector<std::string>{"LeftKey", "X: 0  Y: 5", "20 ms", "LeftKey"}));

    // Insert X -3, Y 4 after row 0 through the right-click menu and the panel.
    clickRow("LB_FireMacro", 0, Qt::RightButton);
    clickAt("Btn_FireInsert");
    ASSERT_TRUE(child("Gb_InsertFire")->isVisible());
    child<QComboBox>("CB_InsertFire")->setCurrentIndex(3);
    type("edt_FireXAxisValue", "-3");
    type("edt_FireYAxisValue", "4");
    clickAt("Btn_FireOK");
    EXPECT_FALSE(child("Gb_InsertFire")->isVisible());
    EXPECT_EQ(child<QListWidget>("LB_FireMacro")->item(1)->data(MacroEventDelegate::kLineRole).toString(),
              "3 04FD04");
    EXPECT_EQ(hex(std::span<const core::Byte>(body).first(12)), "A104FD04040005FE00142100");

    // Delete the first press: its release goes with it.
    clickRow("LB_FireMacro", 0, Qt::RightButton);
    clickAt("Btn_FireDel");
    EXPECT_EQ(rows(), (std::vector<std::string>{"X: -3  Y: 4", "X: 0  Y: 5", "20 ms"}));

    // A NoDelay recording of one left click replaces the body.
    clickAt("IB_FireNoDelay");
    clickAt("Btn_FireStart");
    page->recordInput(core::InputEvent::mouse(true, core::MouseButton::Left, 100));
    page->recordInput(core::InputEvent::mouse(false, core::MouseButton::Left, 180));
    clickAt("Btn_FireStart");
    EXPECT_EQ(rows(), (std::vector<std::string>{"LeftKey", "LeftKey"}));
    EXPECT_EQ(hex(std::span<const core::Byte>(body).first(4)), "A1210000");
    EXPECT_TRUE(mouse->reportLog().empty());

    // Confirm stores it.
    clickAt("Btn_FireConfirm");
    EXPECT_EQ(hex(std::span<const core::Byte>(storedBody(1)).first(4)), "A1210000");
}

// Confirm and Cancel of the page leave nothing of the editor running: a recording ends with its
// capture, and an open insertion is given up with its panel.
TEST_F(FireServiceTest, LeavingThePageEndsARecordingAndGivesUpAnInsertion) {
    start(core::StorageKind::I2C);
    unlock();
    clickRow("LB_FireMacroName", 0);
    const core::MacroText before = page->fireEditor().text();
    clickRow("LB_FireMacro", 0, Qt::RightButton);
    clickAt("Btn_FireInsert");
    ASSERT_TRUE(child("Gb_InsertFire")->isVisible());
    clickAt("Btn_FireExit");
    EXPECT_FALSE(child("Gb_InsertFire")->isVisible());
    EXPECT_FALSE(page->fireEditor().insertPanelOpen());
    EXPECT_EQ(page->fireEditor().text(), before);

    page->openForButton(3);
    doubleClickBackground(); // the mode goes off; five more turn it on again
    unlock();
    auto owned = std::make_unique<test::FakeInputCapture>();
    test::FakeInputCapture* capture = owned.get();
    page->setInputCapture(std::move(owned));
    clickRow("LB_FireMacroName", 0);
    clickAt("Btn_FireStart");
    ASSERT_TRUE(capture->active());
    clickAt("Btn_FireConfirm");
    EXPECT_FALSE(page->fireEditor().recording());
    EXPECT_FALSE(capture->active());
    EXPECT_EQ(child<QLabel>("Btn_FireStart")->text(), state.text("Str400"));
}

TEST_F(FireServiceTest, RecordingStopsWhenTheBodyIsFull) {
    start(core::StorageKind::I2C);
    unlock();
    clickRow("LB_FireMacroName", 0);
    clickAt("Btn_FireStart");
    std::uint32_t t = 0;
    for (int i = 0; i < 12; ++i) {
        page->recordInput(core::InputEvent::mouse(true, core::MouseButton::Left, t += 30));
        page->recordInput(core::InputEvent::mouse(false, core::MouseButton::Left, t += 30));
    }
    EXPECT_FALSE(page->fireEditor().recording());
    EXPECT_EQ(child<QLabel>("Btn_FireStart")->text(), state.text("Str400"));
    const auto& body = state.buffers.fireMacros.bodies[0];
    EXPECT_LE(core::storedLength(body).value_or(99), 32u);
}

TEST_F(FireServiceTest, RenameGoesThroughTheNameDialogAndRefusesDuplicates) {
    start(core::StorageKind::I2C);
    unlock();
    auto rename = [&](const QString& name) {
        clickRow("LB_FireMacroName", 2, Qt::RightButton);
        clickAt("Btn_NewFireName");
        MacroNameDialog* dialog = page->nameDialog();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->edit()->text().isEmpty());
        EXPECT_EQ(dialog->edit()->maxLength(), MacroNameDialog::kMaxLength);
        QTest::keyClicks(dialog->edit(), name);
        dialog->confirm();
        EXPECT_FALSE(dialog->isVisible());
    };
    rename(QStringLiteral("Macro1"));
    EXPECT_THAT(shell.messages, ElementsAre("Str106"));
    rename(QStringLiteral("AK"));
    EXPECT_EQ(child<QListWidget>("LB_FireMacroName")->item(2)->text(), "AK");
    // Its own name again is refused as any other row's; an empty name closes and applies nothing.
    rename(QStringLiteral("AK"));
    EXPECT_THAT(shell.messages, ElementsAre("Str106", "Str106"));
    rename(QString());
    EXPECT_THAT(shell.messages, ElementsAre("Str106", "Str106"));
    EXPECT_EQ(child<QListWidget>("LB_FireMacroName")->item(2)->text(), "AK");
    EXPECT_TRUE(mouse->reportLog().empty());

    // The dialog does not block the page: a name confirmed after another macro was chosen renames
    // neither.
    clickRow("LB_FireMacroName", 2, Qt::RightButton);
    clickAt("Btn_NewFireName");
    clickRow("LB_FireMacroName", 3);
    QTest::keyClicks(page->nameDialog()->edit(), QStringLiteral("Late"));
    page->nameDialog()->confirm();
    EXPECT_EQ(child<QListWidget>("LB_FireMacroName")->item(2)->text(), "AK");
    EXPECT_NE(child<QListWidget>("LB_FireMacroName")->item(3)->text(), "Late");
}

TEST_F(FireServiceTest, TheEditorsListsAreDrawnAsTheMacroPagesAndCoverNothing) {
    using namespace gui::testing;
    // Rows of another height than the shipped one, so that the height is seen to come from its key.
    const auto table = tarvik::resources::find("layout/org1.ini");
    ASSERT_TRUE(table);
    state.layout = core::LayoutConfig::parse(
        std::string(reinterpret_cast<const char*>(table->data()), table->size()) + "\nMacroNameHeight=24\n");
    start(core::StorageKind::I2C);
    state.buffers.fireMacros.bodies[1] = {0xFD, 0x00, 0xA1, 0x04, 0x00, 0x05, 0xFE, 0x00, 0x14, 0x21, 0xFC};
    const QImage locked = windowPixels(&window);
    unlock();
    clickRow("LB_FireMacroName", 1);
    auto* names = child<QListWidget>("LB_FireMacroName");
    auto* events = child<QListWidget>("LB_FireMacro");
    ASSERT_EQ(events->count(), 6);
    const QImage shown = windowPixels(&window);
    const QColor back = state.layoutColor("Color_J_Back");

    for (QListWidget* list : {names, events}) {
        SCOPED_TRACE(list->objectName().toStdString());
        EXPECT_EQ(list->visualItemRect(list->item(0)).height(), 24);
        // Both lists hold more rows than they show. Just inside their bottom border, where no
        // caption reaches, they show their own colour: no sideways scroll bar (nor the corner square
        // that comes with it) takes the list's bottom.
        const QRect viewport = rectInWindow(list->viewport());
        const QRect whole = rectInWindow(list);
        ASSERT_GT(list->count() * 24, viewport.height());
        EXPECT_EQ(pixelsUnlike(shown, QRect(viewport.right() - 11, whole.bottom() - 3, 12, 2), back, 8), 0);
    }
    // Each event row shows its step icon, at (2, 2) of the row, beside its caption. The row's colour
    // is read between the icon and the caption: the row's right end may lie under the scroll bar.
    for (int row = 0; row < events->count(); ++row) {
        const QRect r = events->visualItemRect(events->item(row));
        const QPoint corner = events->viewport()->mapTo(&window, r.topLeft());
        const QColor rowBack =
            shown.pixelColor(events->viewport()->mapTo(&window, QPoint(r.left() + 28, r.top() + 1)));
        EXPECT_GE(pixelsUnlike(shown, QRect(corner + QPoint(2, 2), QSize(20, 20)), rowBack), 12)
            << "row " << row;
    }

    // Nothing of the page lies under the editor: no text or line of the page picture, and no other
    // control (a picture behind the whole control is its background).
    for (const char* name : kControls) {
        QWidget* control = child(name);
        const QRect placed = rectInWindow(control);
        EXPECT_EQ(brightPixels(locked, placed, 100), 0) << name;
        for (QWidget* other : page->findChildren<QWidget*>()) {
            if (!other->isVisible() || other == control || control->isAncestorOf(other) ||
                other->isAncestorOf(control) || QStringView(other->objectName()).startsWith(u"Img_P"))
                continue;
            const QRect rect = rectInWindow(other);
            const bool editorPart =
                std::any_of(std::begin(kControls), std::end(kControls), [&](const char* n) {
                    QWidget* w = child(n);
                    return w == other || w->isAncestorOf(other);
                });
            // The picture and its label of one editor control share their place.
            if (editorPart && (rect == placed || rect.contains(placed) || placed.contains(rect)))
                continue;
            EXPECT_FALSE(rect.intersects(placed)) << name << " covers " << other->objectName().toStdString();
        }
    }
}

TEST_F(FirePageTest, TheAccessDialogIsSkinnedAndOnlyItsOkHandsTheCodeOver) {
    start(core::StorageKind::I2C);
    // Answers the dialog once it is open; the page waits for it inside the double-click.
    int answered = 0;
    auto answer = [&](const QString& typed, const char* button) {
        QTimer::singleShot(0, [&, typed, button] {
            ++answered;
            auto* dialog = window.findChild<AccessCodeDialog*>(QStringLiteral("dlgPass"));
            ASSERT_NE(dialog, nullptr);
            EXPECT_TRUE(dialog->isVisible());
            EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::FramelessWindowHint));
            EXPECT_EQ(dialog->size(), Skin::pictureSize(QStringLiteral("Msg")));
            EXPECT_EQ(dialog->title()->text(), "Password");
            EXPECT_EQ(dialog->prompt()->text(), "PASSWORD:");
            EXPECT_EQ(dialog->edit()->echoMode(), QLineEdit::Password);
            EXPECT_EQ(dialog->confirmButton()->text(), "OK");
            EXPECT_EQ(dialog->clearButton()->text(), "Cancel");
            QTest::keyClicks(dialog->edit(), typed);
            QTest::mouseClick(dialog->findChild<QWidget*>(QLatin1String(button)), Qt::LeftButton);
        });
    };
    // Every fifth double-click asks.
    auto fiveDoubleClicks = [&] {
        for (int i = 0; i < 5; ++i)
            doubleClickBackground();
    };
    answer(QStringLiteral("KilbrenZT"), "IB_Cancel");
    fiveDoubleClicks();
    EXPECT_EQ(answered, 1);
    EXPECT_FALSE(page->serviceMode());
    answer(QStringLiteral("wrong"), "IB_Confirm");
    fiveDoubleClicks();
    EXPECT_EQ(answered, 2);
    EXPECT_FALSE(page->serviceMode());
    answer(QStringLiteral("KilbrenZT"), "IB_Confirm");
    fiveDoubleClicks();
    EXPECT_EQ(answered, 3);
    EXPECT_TRUE(page->serviceMode());
    EXPECT_TRUE(child("LB_FireMacroName")->isVisible());
    EXPECT_EQ(window.findChild<AccessCodeDialog*>(), nullptr); // each opening builds its own
}

} // namespace
