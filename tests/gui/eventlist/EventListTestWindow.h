#pragma once
// One page of the window at a time, without a mouse, in a window of the main window's size: the
// macro page over a library in a folder of the test, the fire page, or the Advanced page. Controls
// are found and clicked by name where a user sees them.

#include "core/cycle/ConfigCycle.h"
#include "core/device/Clock.h"
#include "core/device/DeviceLink.h"
#include "core/device/LinkUi.h"
#include "core/text/LanguageTables.h"
#include "emulator/EmulatorTransport.h"
#include "gui/AppState.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/fire/FirePage.h"
#include "gui/macros/MacroPage.h"
#include "gui/pages/AdvancedPage.h"
#include "gui/pages/PageContext.h"

#include "support/ClickAt.h"
#include "support/FakeShell.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace tarvik::test {

class EventListTestWindow {
public:
    void setUpWindow() {
        ASSERT_TRUE(dir.isValid());
        shell.mode = 2;
        state.language = &core::LanguageTables::builtIn().table(1);
        state.layout = *core::LayoutConfig::loadBuiltIn("org1");
        state.macroLibraryPath = dir.filePath(QStringLiteral("Tarvik-Macro.bin"));
        gui::MessageSeam::setAnswerer(&answers);
        window.resize(1030, 662);
    }
    void tearDownWindow() { gui::MessageSeam::setAnswerer(nullptr); }

    template <class P> P* makePage() {
        auto* made = new P(context, &window);
        made->resize(window.size());
        made->applyLayout();
        made->applyLanguage();
        made->refreshFromImage();
        made->show();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        page = made;
        return made;
    }
    gui::MacroPage* makeMacroPage() {
        gui::MacroPage* made = makePage<gui::MacroPage>();
        made->opened();
        return made;
    }
    gui::FirePage* makeFirePage() { return makePage<gui::FirePage>(); }
    gui::AdvancedPage* makeAdvancedPage() { return makePage<gui::AdvancedPage>(); }

    // The service mode as a user unlocks it: five double-clicks on the page and the access code.
    void unlockServiceMode(gui::FirePage* fire) {
        fire->setAccessCodeAsker(
            [](QWidget*) { return std::optional<QString>(QStringLiteral("KilbrenZT")); });
        const QPoint corner(5, 5);
        for (int i = 0; i < 5 && !fire->serviceMode(); ++i)
            QTest::mouseDClick(fire, Qt::LeftButton, {}, corner);
        ASSERT_TRUE(fire->serviceMode());
    }

    template <typename W = QWidget> W* find(const QString& name) {
        W* found = page->findChild<W*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    // A click where the user sees the control; nothing may lie over it.
    void click(const QString& name) {
        QWidget* control = find(name);
        ASSERT_NE(control, nullptr);
        ASSERT_TRUE(control->isVisible()) << name.toStdString() << " is not shown";
        EXPECT_EQ(gui::testing::clickAt(control), control) << name.toStdString() << " is covered";
    }
    void clickRow(const QString& list, int row) {
        auto* widget = find<QListWidget>(list);
        ASSERT_NE(widget, nullptr);
        ASSERT_LT(row, widget->count());
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {},
                          widget->visualItemRect(widget->item(row)).center());
    }

    QTemporaryDir dir;
    gui::MessageSeam::Answerer answers;
    gui::AppState state;
    gui::testing::FakeShell shell; // Game Mode is shown: the fire page is reached from it
    core::Clock clock{0.0};
    emulator::EmulatorTransport bus;
    core::NullLinkUi linkUi;
    core::DeviceLink link{bus, linkUi, clock};
    core::ConfigCycle cycle{link, state.buffers, shell, state.applyingImage};
    gui::PageContext context{state, link, cycle, shell};
    QWidget window;
    QWidget* page = nullptr;
};

} // namespace tarvik::test
