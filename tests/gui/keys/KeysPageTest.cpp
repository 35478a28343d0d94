// The key page over a shell without a window around it and no mouse: what it draws and how its
// menus are built.

#include "gui/keys/KeysPage.h"
#include "core/cycle/ConfigCycle.h"
#include "core/cycle/CycleUi.h"
#include "core/device/Clock.h"
#include "core/device/DeviceLink.h"
#include "core/device/LinkUi.h"
#include "core/image/DefaultImages.h"
#include "core/text/LanguageTables.h"
#include "emulator/EmulatorTransport.h"
#include "gui/skin/CaptionLabel.h"
#include "support/PageBench.h"

#include <QFrame>
#include <QListWidget>

#include <QAccessible>

#include <gtest/gtest.h>

using namespace tarvik;
using namespace tarvik::gui;

namespace {

class KeysPageTest : public ::testing::Test, protected tarvik::gui::testing::PageBench {
protected:
    void SetUp() override {
        core::DefaultImageBuffers defaults;
        core::loadDefaultImages(core::StorageKind::I2C, defaults);
        state.buffers.takeDefaultImage(defaults.at(0), core::StorageKind::I2C);
        state.buffers.copyDataBufToWorkingImage();
        state.language = &core::LanguageTables::builtIn().table(1);
        state.layout = *core::LayoutConfig::loadBuiltIn("org1");
        window.resize(1030, 662);
    }

    template <typename P> P& make() { return makePage<P>(window); }

    QWidget window;
};

} // namespace

TEST_F(KeysPageTest, KeyMenusBuiltLateTakeWhatWasSetBeforeThem) {
    // One key page is given its mode and macro names before its menus exist, the other after.
    KeysPage& early = make<KeysPage>();
    KeysPage& late = make<KeysPage>();
    ASSERT_FALSE(early.menusBuilt());
    early.sizeMenusForMode(2, true, false);
    early.setMacroNames({QStringLiteral("Reload"), QStringLiteral("Combo")});
    EXPECT_FALSE(early.menusBuilt());
    late.menus();
    late.sizeMenusForMode(2, true, false);
    late.setMacroNames({QStringLiteral("Reload"), QStringLiteral("Combo")});

    KeyMenus& built = early.menus();
    for (const char* name : {"Pnl_Main", "Pnl_Special", "Pnl_Profile"})
        EXPECT_EQ(built.panel(QLatin1String(name))->geometry(),
                  late.menus().panel(QLatin1String(name))->geometry())
            << name;
    EXPECT_FALSE(built.entry(QStringLiteral("Key_FireMacro"))->isHidden());
    EXPECT_EQ(built.entry(QStringLiteral("Key_FireMacro"))->text(),
              late.menus().entry(QStringLiteral("Key_FireMacro"))->text());
    ASSERT_EQ(built.macroNames()->count(), 2);
    EXPECT_EQ(built.macroNames()->item(1)->text(), QStringLiteral("Combo"));
    // Every panel starts hidden, and the menus open over the button captions.
    EXPECT_TRUE(built.panel(QStringLiteral("Pnl_Main"))->isHidden());
    EXPECT_GT(early.children().indexOf(built.panel(QStringLiteral("Pnl_Main"))),
              early.children().indexOf(early.key(1)));
}

TEST_F(KeysPageTest, KeyCaptionsAreNamedWithTheSharedFireKeySettings) {
    KeysPage& page = make<KeysPage>();
    // 4 shots every 100: no fire key of the image has these settings, so the code has no name.
    state.buffers.workingImage.setKeyCode(1, 1, {0x06, 0x13, 0x00, 0x64});
    page.refreshProfileKeys(1);
    EXPECT_EQ(page.key(1)->text(), QString());
    // Once fire key 2 holds them (as the Advanced page's edits will set them), the caption follows.
    state.settings.fireKeys[1] = {4, 100, false};
    page.refreshProfileKeys(1);
    EXPECT_EQ(page.key(1)->text(), state.text("Str232"));
}

// A menu entry paints its marker (" * Fire Macro") but a screen reader hears its words alone, in the
// language shown.
TEST_F(KeysPageTest, MenuEntriesAreHeardWithoutTheirMarker) {
    KeysPage& page = make<KeysPage>();
    for (int language : {1, 2}) {
        state.language = &core::LanguageTables::builtIn().table(language);
        page.applyLanguage();
        for (const auto& [name, key] :
             {std::pair{"Key_FireMacro", "Str208"}, std::pair{"Key_Standard", "Str201"}}) {
            SCOPED_TRACE(name);
            CaptionLabel* entry = page.menus().entry(QLatin1String(name));
            EXPECT_EQ(entry->text(),
                      QStringLiteral(" ") + state.text("Str200") + QStringLiteral(" ") + state.text(key));
            QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(entry);
            ASSERT_NE(heard, nullptr);
            EXPECT_EQ(heard->text(QAccessible::Name), state.text(key));
        }
    }
}
