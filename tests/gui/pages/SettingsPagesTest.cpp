// The Advanced and Breathing Light pages over the virtual mouse: each click goes to the window at the
// control's place, and what reached the mouse (live settings, stored memory, restarts) is checked.

#include "core/cycle/ConfigCycle.h"
#include "core/cycle/CycleUi.h"
#include "core/device/Clock.h"
#include "core/device/DeviceLink.h"
#include "core/device/LinkUi.h"
#include "core/text/LanguageTables.h"
#include "emulator/EmulatorTransport.h"
#include "emulator/VirtualMouse.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/pages/AdvancedPage.h"
#include "gui/pages/LightingPage.h"
#include "gui/skin/PictureControl.h"
#include "platform/PointerSettings.h"
#include "support/ClickAt.h"
#include "support/PageBench.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tarvik;
using namespace tarvik::gui;
using core::Byte;

namespace {

class SettingsPagesTest : public ::testing::Test, protected tarvik::gui::testing::PageBench {
protected:
    void SetUp() override {
        MessageSeam::setAnswerer(&answers);
        state.language = &core::LanguageTables::builtIn().table(1);
        state.layout = *core::LayoutConfig::loadBuiltIn("org1");
        window.resize(1030, 662);
        mouse = bus.addMouse();
        ASSERT_EQ(link.openDevice(mouse->vendorId(), mouse->productId()), core::OpenResult::Opened);
    }
    void TearDown() override { MessageSeam::setAnswerer(nullptr); }

    // Live settings as the mouse should hold them before the read.
    void live(int offset, Byte value) {
        ASSERT_TRUE(link.writeSetting(static_cast<Byte>(offset), value, 0, 0, 1));
    }
    void storedCode(int mode, int button, std::array<Byte, 4> code) {
        mouse->writeMemory(static_cast<std::uint16_t>(192 + 49 * (mode - 1) + 4 * (button - 1)), code);
    }

    template <typename P> P& read() {
        EXPECT_EQ(cycle.fullRead(core::StorageKind::I2C, {}), core::CycleResult::Done);
        cycle.buttonCodeTable().rebuild();
        return makePage<P>(window);
    }

    // A click on the window where the control is: Qt's hit-testing picks the receiver.
    // An inert control may let the click through to nothing at all.
    void click(const QString& name, bool mayMiss = false) {
        QWidget* control = window.findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name.toStdString();
        const QPoint at = control->mapTo(&window, control->rect().center());
        QWidget* hit = window.childAt(at);
        if (!hit && mayMiss)
            return;
        ASSERT_NE(hit, nullptr) << name.toStdString();
        QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(&window, at));
    }
    void type(const QString& name, const QString& text) {
        auto* edit = window.findChild<QLineEdit*>(name);
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // Focus on a control as Tab leaves it, then keys through the shown window to whatever has focus.
    void focus(const QString& name) {
        if (!window.isVisible()) {
            window.show();
            window.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        }
        QWidget* control = window.findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name.toStdString();
        control->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(control->hasFocus()) << name.toStdString();
    }
    void press(Qt::Key key) { QTest::keyClick(window.windowHandle(), key); }
    QAccessibleInterface* heard(const QString& name) {
        QWidget* control = window.findChild<QWidget*>(name);
        EXPECT_NE(control, nullptr) << name.toStdString();
        return control ? QAccessible::queryAccessibleInterface(control) : nullptr;
    }
    Byte liveByte(int offset) { return mouse->liveSettings()[static_cast<std::size_t>(offset)]; }
    QString picture(const QString& name) { return window.findChild<PictureControl*>(name)->pictureName(); }
    QString text(const QString& name) {
        if (auto* edit = window.findChild<QLineEdit*>(name))
            return edit->text();
        return window.findChild<QLabel*>(name)->text();
    }

    MessageSeam::Answerer answers;
    std::shared_ptr<emulator::VirtualMouse> mouse;
    QWidget window;
};

TEST_F(SettingsPagesTest, DpiCellsSendThePairByteAndLevelsBeyondTheCountAreInert) {
    live(43, 3);    // four levels
    live(45, 0x52); // level 3 at index 2, level 4 at index 5
    read<AdvancedPage>();
    const Byte imageBefore = state.buffers.workingImage.bytes()[45];

    click("Img_DPI3_12");
    EXPECT_EQ(liveByte(45), 0x5B);
    EXPECT_EQ(picture("Img_DPI3_12"), "Bar2_E");
    EXPECT_EQ(picture("Img_DPI3_3"), "Bar2_D");
    EXPECT_EQ(text("lbl_DPI3Value"), "6400");
    EXPECT_EQ(state.buffers.workingImage.bytes()[45], imageBefore); // until the next read

    click("Img_DPI2");
    EXPECT_EQ(liveByte(166), 1);
    EXPECT_EQ(picture("Img_DPI2"), "CbS_E");

    const auto before = mouse->liveSettings();
    click("Img_DPI5_4", true);
    click("Img_DPI6", true);
    EXPECT_EQ(mouse->liveSettings(), before);
    EXPECT_EQ(picture("Img_DPI5_4"), "Bar2_D");
}

// Arrow keys on a bar do what a click on the next cell does, the same write included; a screen reader
// hears the bar as a slider that says its step and what it means.
TEST_F(SettingsPagesTest, ArrowKeysOnADpiBarWriteAsAClickOnTheCellDoes) {
    live(43, 3);    // four levels
    live(45, 0x52); // level 3 at index 2, level 4 at index 5
    read<AdvancedPage>();
    QAccessibleInterface* bar = heard("bar_DPI3");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->role(), QAccessible::Slider);
    EXPECT_EQ(bar->text(QAccessible::Name),
              QStringLiteral("DPI level 3, step 3 of 12, ") + text("lbl_DPI3Value"));

    focus("bar_DPI3");
    press(Qt::Key_End);
    EXPECT_EQ(liveByte(45), 0x5B); // as the click on Img_DPI3_12
    EXPECT_EQ(picture("Img_DPI3_12"), "Bar2_E");
    EXPECT_EQ(text("lbl_DPI3Value"), "6400");
    EXPECT_EQ(bar->text(QAccessible::Name), QStringLiteral("DPI level 3, step 12 of 12, 6400"));
    const int reports = mouse->reportCount();
    press(Qt::Key_Right); // no step past the last: nothing is written
    EXPECT_EQ(mouse->reportCount(), reports);
    press(Qt::Key_Left);
    EXPECT_EQ(liveByte(45), 0x5A);
    EXPECT_EQ(picture("Img_DPI3_11"), "Bar2_E");
    ASSERT_NE(bar->valueInterface(), nullptr);
    EXPECT_EQ(bar->valueInterface()->currentValue().toInt(), 11);
    bar->valueInterface()->setCurrentValue(4); // a screen reader sets the value: the same write
    EXPECT_EQ(liveByte(45), 0x53);

    // A level beyond the count is inert for keys as for clicks: its bar takes no focus.
    QWidget* inert = window.findChild<QWidget*>("bar_DPI5");
    EXPECT_FALSE(inert->isEnabled());
    EXPECT_EQ(window.findChild<QWidget*>("bar_DPI4")->geometry(),
              window.findChild<QWidget*>("Img_DPI4_1")
                  ->geometry()
                  .united(window.findChild<QWidget*>("Img_DPI4_12")->geometry()));
}

// Arrow keys in the effects radio group move to the next effect shown and choose it as a click does;
// the step-time bar writes its step; the roles and checked state follow.
TEST_F(SettingsPagesTest, ArrowKeysChooseLightingEffectsAndStepTime) {
    live(165, 0x82); // "NT" (no effect 3), mode 2
    live(56, 12);
    read<LightingPage>();
    QAccessibleInterface* led2 = heard("lbl_LED2");
    ASSERT_NE(led2, nullptr);
    EXPECT_EQ(led2->role(), QAccessible::RadioButton);
    EXPECT_TRUE(led2->state().checked);
    EXPECT_EQ(led2->text(QAccessible::Name), QStringLiteral("Lighting effect 2"));

    focus("lbl_LED2");
    press(Qt::Key_Right); // effect 3 is not offered: effect 4
    EXPECT_EQ(liveByte(165), 0x84);
    EXPECT_TRUE(window.findChild<QWidget*>("lbl_LED4")->hasFocus());
    EXPECT_FALSE(led2->state().checked);
    EXPECT_TRUE(heard("lbl_LED4")->state().checked);
    press(Qt::Key_Left);
    EXPECT_EQ(liveByte(165), 0x82);

    focus("bar_Fall");
    EXPECT_EQ(heard("bar_Fall")->text(QAccessible::Name),
              QStringLiteral("Breathing step time, step 3 of 10, 3"));
    press(Qt::Key_Right);
    EXPECT_EQ(picture("Img_Fall4"), "Bar1_E");
    const Byte four = liveByte(56);
    press(Qt::Key_Left);
    EXPECT_EQ(liveByte(56), 15); // as the click on Img_Fall3
    EXPECT_NE(four, 15);

    // With the lighting off there is no step time: the bar is disabled with its cells.
    focus("lbl_LED2");
    QWidget* off = window.findChild<QWidget*>("lbl_Off");
    while (!off->hasFocus() && liveByte(165) != 0x80)
        press(Qt::Key_Left);
    EXPECT_EQ(liveByte(165), 0x80);
    EXPECT_FALSE(window.findChild<QWidget*>("bar_Fall")->isEnabled());
}

// Every control Tab can reach on these pages has a name a screen reader can say.
TEST_F(SettingsPagesTest, EveryFocusableControlOfTheSettingsPagesIsNamed) {
    live(165, 0x82);
    auto& advanced = read<AdvancedPage>();
    auto& lighting = read<LightingPage>();
    for (QWidget* page : {static_cast<QWidget*>(&advanced), static_cast<QWidget*>(&lighting)})
        for (QWidget* w : page->findChildren<QWidget*>()) {
            if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(page))
                continue;
            QAccessibleInterface* view = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(view, nullptr);
            EXPECT_FALSE(view->text(QAccessible::Name).isEmpty()) << w->objectName().toStdString();
        }
}

TEST_F(SettingsPagesTest, DpiColourGoesToTheMouseAndACancelledDialogSendsNothing) {
    read<AdvancedPage>();
    answers.nextColors.push_back(QColor(10, 20, 30));
    click("lbl_DPI2Col");
    EXPECT_EQ(liveByte(90), 10);
    EXPECT_EQ(liveByte(91), 20);
    EXPECT_EQ(liveByte(92), 30);
    EXPECT_EQ(text("edt_DPI2ColG"), "20");

    const int reports = mouse->reportCount();
    click("lbl_DPI2Col"); // no answer queued: cancelled
    EXPECT_EQ(mouse->reportCount(), reports);
    EXPECT_EQ(liveByte(90), 10);
}

TEST_F(SettingsPagesTest, ANewReportRateRestartsTheMouseTheSameRateDoesNot) {
    live(4, 0x05); // 125 Hz, other bits set
    read<AdvancedPage>();
    click("lbl_Rep1");
    EXPECT_EQ(liveByte(4), 0x05);
    EXPECT_EQ(shell.resets, 0);
    click("lbl_Rep4");
    EXPECT_EQ(liveByte(4), 0x35);
    EXPECT_EQ(state.buffers.workingImage.bytes()[4], 0x35);
    EXPECT_EQ(shell.resets, 1);
    EXPECT_EQ(picture("Img_Rep4"), "RdS_E");
}

TEST_F(SettingsPagesTest, LightingModesFollowTheKindAndStepTimeIsStored) {
    live(165, 0x82); // "NT", mode 2
    live(56, 12);
    auto& page = read<LightingPage>();
    EXPECT_FALSE(page.findChild<QWidget*>("lbl_LED3")->isVisibleTo(&page));
    EXPECT_EQ(picture("Img_Fall3"), "Bar1_E");

    click("lbl_LED4");
    EXPECT_EQ(liveByte(165), 0x84);
    click("lbl_Off");
    EXPECT_EQ(liveByte(165), 0x80);
    EXPECT_FALSE(page.findChild<QWidget*>("Img_Fall3")->isEnabled());
    click("lbl_LED1");
    EXPECT_TRUE(page.findChild<QWidget*>("Img_Fall3")->isEnabled());

    click("Img_Fall3");
    EXPECT_EQ(liveByte(56), 15);
    EXPECT_EQ(state.buffers.workingImage.fallTime(), 15);

    answers.nextColors.push_back(QColor(1, 2, 3));
    click("lbl_Col10");
    EXPECT_EQ(liveByte(84), 1);
    EXPECT_EQ(liveByte(86), 3);
}

TEST_F(SettingsPagesTest, SyncLightingOffersOffOneAndTwoWithoutSwatches) {
    live(165, 0x41);
    auto& page = read<LightingPage>();
    for (const char* name : {"lbl_Off", "lbl_LED1", "lbl_LED2"})
        EXPECT_TRUE(page.findChild<QWidget*>(name)->isVisibleTo(&page)) << name;
    for (const char* name : {"lbl_LED3", "lbl_LED4", "lbl_LED5", "cs_Col1", "lbl_Col10"})
        EXPECT_FALSE(page.findChild<QWidget*>(name)->isVisibleTo(&page)) << name;
    auto& advanced = read<AdvancedPage>();
    EXPECT_FALSE(advanced.findChild<QWidget*>("cs_DPI1Col")->isVisibleTo(&advanced));
}

TEST_F(SettingsPagesTest, FireKeyIntervalRecodesEveryButtonInEveryModeAndStoredMemory) {
    // Fire key 1: count 2, interval 16, stored in the FireKeyBlock and in three buttons.
    mouse->writeMemory(484 + 2, std::array<Byte, 3>{1, 0x00, 0x10});
    storedCode(1, 1, {0x06, 0x11, 0x00, 0x10});
    storedCode(2, 5, {0x06, 0x11, 0x00, 0x10});
    storedCode(3, 9, {0x06, 0x11, 0x00, 0x10});
    read<AdvancedPage>();
    EXPECT_EQ(text("Edt_DelayTime1"), "16");

    type("Edt_DelayTime1", "20");
    const auto memory = mouse->memory();
    for (const auto& [mode, button] : {std::pair{1, 1}, {2, 5}, {3, 9}}) {
        const std::size_t at = 192 + 49 * (mode - 1) + 4 * (button - 1);
        EXPECT_EQ(memory[at + 3], 0x14) << mode << "/" << button;
        EXPECT_EQ(cycle.buttonCodeTable().text(mode, button), "06110014");
    }
    EXPECT_EQ(memory[484 + 4], 0x14);
    EXPECT_EQ(mouse->activeKeyCodes(0)[3], 0x14); // the mouse took the new codes up

    type("Edt_Repeat1", "");
    EXPECT_EQ(text("Edt_Repeat1"), "2");
    type("Edt_Repeat1", "20");
    EXPECT_EQ(text("Edt_Repeat1"), "15");
    EXPECT_EQ(mouse->memory()[192 + 1], 0x1E);
    type("Edt_DelayTime1", "5000");
    EXPECT_EQ(text("Edt_DelayTime1"), "4094");
    type("Edt_DelayTime1", "0");
    EXPECT_EQ(text("Edt_DelayTime1"), "1");

    click("lbl_Fire1Continue");
    EXPECT_EQ(picture("Img_Fire1Continue"), "CbS_E");
    EXPECT_EQ(mouse->memory()[192 + 1], 0x9E);
}

TEST_F(SettingsPagesTest, AimStepWithoutAnAimKeyShowsTheFirstStepAndAsksForOne) {
    for (int mode = 1; mode <= 3; ++mode)
        for (int button = 1; button <= 12; ++button) {
            const auto at = static_cast<std::uint16_t>(192 + 49 * (mode - 1) + 4 * (button - 1));
            if (mouse->readMemory(at, 1)[0] == 0x05)
                storedCode(mode, button, {0x01, 0x01, 0x00, 0x00});
        }
    read<AdvancedPage>();
    click("Img_AIMDPI_5");
    EXPECT_EQ(shell.messages, QStringList{"Str105"});
    EXPECT_EQ(text("lbl_AIMDPIValue"), "200");
    EXPECT_EQ(picture("Img_AIMDPI_1"), "Bar2_E");
    EXPECT_EQ(picture("Img_AIMDPI_5"), "Bar2_D");
}

TEST_F(SettingsPagesTest, AimStepIsCarriedByEveryAimKey) {
    storedCode(1, 3, {0x05, 0x00, 0, 0});
    storedCode(3, 2, {0x05, 0x00, 0, 0});
    read<AdvancedPage>();
    click("Img_AIMDPI_5");
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(text("lbl_AIMDPIValue"), "1000");
    EXPECT_EQ(mouse->memory()[192 + 8 + 1], 4);
    EXPECT_EQ(mouse->memory()[192 + 98 + 4 + 1], 4);
}

// --- The desktop's pointer settings through the GSettings store in memory

class PointerPageTest : public SettingsPagesTest {
protected:
    void SetUp() override {
        SettingsPagesTest::SetUp();
        setenv("GSETTINGS_BACKEND", "memory", 1);
        settings = platform::makePointerSettings({platform::PointerBackend::GSettings});
        if (!settings->supports(platform::PointerSetting::Speed))
            GTEST_SKIP() << "the GNOME mouse schema is not installed (scripts/setup installs it)";
    }
    std::unique_ptr<platform::PointerSettings> settings;
};

TEST_F(PointerPageTest, BarsWriteTheDesktopsSettings) {
    auto& page = read<AdvancedPage>();
    page.setPointerSettings(settings.get());
    ASSERT_TRUE(settings->write({.doubleClickMs = 500}));
    page.readPointerSettings();
    EXPECT_EQ(picture("Img_DbSpd7"), "Bar1_E");

    click("Img_DbSpd7");
    EXPECT_EQ(settings->read().doubleClickMs, 480);
    click("Img_Spd3");
    EXPECT_EQ(settings->read().speed, 4);
    // The numbers under the cells are clicked like the cells, through the window as a user clicks.
    ASSERT_EQ(gui::testing::nameAtCentreOf(page.findChild<QWidget*>("lbl_DbSpd3")), "lbl_DbSpd3");
    const std::optional<int> third = [&] {
        click("Img_DbSpd3");
        return settings->read().doubleClickMs;
    }();
    click("Img_DbSpd7");
    gui::testing::clickAt(page.findChild<QWidget*>("lbl_DbSpd3"));
    EXPECT_EQ(settings->read().doubleClickMs, third);
    click("lbl_IsControl");
    const bool precision = *settings->read().precision;
    click("lbl_IsControl");
    EXPECT_NE(*settings->read().precision, precision);

    // GSettings has no wheel lines: the wheel controls say so instead of doing nothing.
    auto* wheel = page.findChild<QWidget*>("Img_ScrSpd4");
    EXPECT_FALSE(wheel->isEnabled());
    EXPECT_EQ(wheel->toolTip(), page.missingSettingTip());
    EXPECT_FALSE(page.findChild<QWidget*>("lbl_IsScreen")->isEnabled());
}

TEST_F(SettingsPagesTest, WheelLinesGoToKdeWhichHasNoOneScreenPerNotch) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    auto kde = platform::makePointerSettings({platform::PointerBackend::Kde});
    ASSERT_TRUE(kde->supports(platform::PointerSetting::WheelLines));
    auto& page = read<AdvancedPage>();
    page.setPointerSettings(kde.get());
    page.readPointerSettings();

    click("Img_ScrSpd6");
    EXPECT_EQ(kde->read().wheelLines, 6);
    EXPECT_EQ(picture("Img_ScrSpd6"), "Bar1_E");
    auto* screen = page.findChild<QWidget*>("lbl_IsScreen");
    EXPECT_FALSE(screen->isEnabled());
    EXPECT_EQ(screen->toolTip(), page.missingSettingTip());
    EXPECT_FALSE(page.findChild<QWidget*>("Img_Spd3")->isEnabled());
}

} // namespace
