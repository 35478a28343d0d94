// The key-entry dialogs on a real X server under the layouts users have: keys are injected by their
// X key code (their place on the keyboard) with XTEST, as a keyboard sends them, and the dialogs
// must confirm the code of that place whatever the layout prints on it.

#include "emulator/VirtualMouse.h"
#include "gui/dialogs/AssemblyKeyDialog.h"
#include "gui/dialogs/InputOneKeyDialog.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/shell/MainWindow.h"
#include "gui/skin/CaptionLabel.h"
#include "platform/WindowInputCapture.h"
#include "support/GuiTestMain.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <cstdlib>
#include <memory>

// Xlib's macros last: they clash with names in the headers above.
#include "XvfbServer.h"

using namespace tarvik;

namespace {

test::XvfbServer* g_server = nullptr;

// A key code of X is the key's input code plus 8.
constexpr unsigned xKey(int inputCode) {
    return static_cast<unsigned>(inputCode) + 8;
}

bool anyMenuShown() {
    if (QApplication::activePopupWidget())
        return true;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMenu*>(w) && w->isVisible())
            return true;
    return false;
}

class KeyLayoutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_server && !g_server->display().empty()) << "Xvfb did not start";
        m_injector = std::make_unique<test::XInjector>(g_server->display());
        ASSERT_TRUE(m_injector->display());
        gui::MessageSeam::setAnswerer(&m_answers);
        gui::DeviceSession::Options options;
        options.runtime.emulator = core::StorageKind::I2C;
        options.runtime.timeScale = 0.02;
        m_window = std::make_unique<gui::MainWindow>(options);
        m_window->show();
        m_window->start();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return m_window->deviceConnected() && !m_window->coversShown(); }, 10000));
    }
    void TearDown() override {
        m_window.reset();
        gui::MessageSeam::setAnswerer(nullptr);
        EXPECT_TRUE(g_server->setLayout("us"));
    }

    // The dialog in front with its edit focused, as the user meets it.
    void bringForward(gui::SkinnedDialog* dialog, QLineEdit* edit) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        edit->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }));
    }

    // A key pressed and released on the keyboard; waits until the edit shows a change.
    void press(QLineEdit* edit, int inputCode) {
        const QString before = edit->text();
        m_injector->keycode(xKey(inputCode), true);
        m_injector->keycode(xKey(inputCode), false);
        m_injector->sync();
        EXPECT_TRUE(QTest::qWaitFor([&] { return edit->text() != before; }, 2000)) << "key " << inputCode;
        QTest::qWait(20); // the release, and anything a press might open
    }

    // A left click of the pointer on the control, through the X server.
    void click(QWidget* control) {
        const QPoint at = control->mapToGlobal(control->rect().center());
        Display* d = m_injector->display();
        XTestFakeMotionEvent(d, -1, at.x(), at.y(), 0);
        XTestFakeButtonEvent(d, 1, True, 0);
        XTestFakeButtonEvent(d, 1, False, 0);
        m_injector->sync();
    }

    gui::MessageSeam::Answerer m_answers;
    std::unique_ptr<test::XInjector> m_injector;
    std::unique_ptr<gui::MainWindow> m_window;
};

struct Combination {
    int first, second; // input codes
    const char* code;  // the code of those places on the reference keyboard
};
const Combination kCombinations[] = {
    {KEY_Y, KEY_Z, "02001C1D"},
    {KEY_Q, KEY_W, "0200141A"},
    {KEY_A, KEY_M, "02000410"},
    {KEY_SEMICOLON, KEY_APOSTROPHE, "02003334"},
    {KEY_102ND, KEY_GRAVE, "02006435"},
    {KEY_1, KEY_MINUS, "02001E2D"},
    {KEY_LEFTBRACE, KEY_BACKSLASH, "02002F31"},
    {KEY_EQUAL, KEY_SLASH, "02002E38"},
    {KEY_COMMA, KEY_DOT, "02003637"},
    {KEY_B, KEY_COMPOSE, "02000565"},
};

} // namespace

TEST_F(KeyLayoutsTest, AssemblyKeyConfirmsThePlacesCodeUnderEveryLayout) {
    struct Shown {
        const char* layout;
        int first, second;
        const char* text;
    };
    const Shown shownTexts[] = {
        {"us", KEY_Y, KEY_Z, "Y+Z"},
        {"de", KEY_Y, KEY_Z, "Y (Z)+Z (Y)"},
        {"de", KEY_SEMICOLON, KEY_APOSTROPHE, "OEM_1 (\u00d6)+OEM_7 (\u00c4)"},
        {"fr", KEY_Q, KEY_W, "Q (A)+W (Z)"},
        {"fr", KEY_A, KEY_M, "A (Q)+M (,)"},
        {"gb", KEY_102ND, KEY_GRAVE, "OEM_102 (\\)+OEM_3"},
    };
    for (const char* layout : {"us", "de", "fr", "gb"}) {
        SCOPED_TRACE(layout);
        ASSERT_TRUE(g_server->setLayout(layout));
        for (const Combination& c : kCombinations) {
            SCOPED_TRACE(c.code);
            QString confirmed;
            QPointer<gui::AssemblyKeyDialog> dialog = new gui::AssemblyKeyDialog(
                m_window->state(), m_window.get(),
                {[&](const QString&, const QString& code) { confirmed = code; }, {}});
            dialog->open();
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("Edt_Assembly"));
            ASSERT_NE(edit, nullptr);
            bringForward(dialog, edit);
            press(edit, c.first);
            press(edit, c.second);
            EXPECT_FALSE(edit->text().contains(QLatin1String("None"))) << edit->text().toStdString();
            EXPECT_FALSE(anyMenuShown());
            for (const Shown& s : shownTexts)
                if (s.first == c.first && s.second == c.second && std::string(s.layout) == layout) {
                    EXPECT_EQ(edit->text(), QString::fromUtf8(s.text));
                }
            click(dialog->confirmButton());
            ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isNull() || !dialog->isVisible(); }, 3000));
            EXPECT_EQ(confirmed, QLatin1String(c.code));
        }
    }
}

// The Menu key is "Applications" in both dialogs: it opens no context menu, so the click that
// follows reaches Confirm.
TEST_F(KeyLayoutsTest, MenuKeyIsAKeyToEnterAndOpensNoMenu) {
    QString name, step;
    QPointer<gui::InputOneKeyDialog> dialog = new gui::InputOneKeyDialog(
        m_window->state(), m_window.get(), 1, [&](const QString& keyName, const QString& stepText) {
            name = keyName;
            step = stepText;
        });
    dialog->open();
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("Edt_EditKey"));
    ASSERT_NE(edit, nullptr);
    bringForward(dialog, edit);
    // Keys an edit or a window would otherwise act on are keys to enter like any other.
    const std::pair<int, const char*> keys[] = {
        {KEY_TAB, "Tab"},   {KEY_ESC, "Esc"},       {KEY_BACKSPACE, "Backspace"},
        {KEY_F1, "F1"},     {KEY_DELETE, "Delete"}, {KEY_LEFTMETA, "Left Windows"},
        {KEY_HOME, "Home"}, {KEY_RIGHTALT, "Alt"},  {KEY_COMPOSE, "Applications"},
    };
    for (const auto& [place, keyName] : keys) {
        press(edit, place);
        EXPECT_EQ(edit->text(), QLatin1String(keyName));
        EXPECT_TRUE(edit->hasFocus()) << keyName;
    }
    EXPECT_FALSE(anyMenuShown());
    // A right click on the edit opens nothing either.
    const QPoint at = edit->mapToGlobal(edit->rect().center());
    XTestFakeMotionEvent(m_injector->display(), -1, at.x(), at.y(), 0);
    XTestFakeButtonEvent(m_injector->display(), 3, True, 0);
    XTestFakeButtonEvent(m_injector->display(), 3, False, 0);
    m_injector->sync();
    QTest::qWait(50);
    EXPECT_FALSE(anyMenuShown());
    click(dialog->confirmButton());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isNull() || !dialog->isVisible(); }, 3000));
    EXPECT_EQ(name, QStringLiteral("Applications"));
    EXPECT_EQ(step, QStringLiteral("Applications CODE:8265"));
}

TEST_F(KeyLayoutsTest, InputOneKeyTakesThePlaceAndShowsTheLayoutsCharacter) {
    ASSERT_TRUE(g_server->setLayout("de"));
    QString name, step;
    QPointer<gui::InputOneKeyDialog> dialog = new gui::InputOneKeyDialog(
        m_window->state(), m_window.get(), 2, [&](const QString& keyName, const QString& stepText) {
            name = keyName;
            step = stepText;
        });
    dialog->open();
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("Edt_EditKey"));
    ASSERT_NE(edit, nullptr);
    bringForward(dialog, edit);
    press(edit, KEY_Z);
    EXPECT_EQ(edit->text(), QStringLiteral("Z (Y)"));
    press(edit, KEY_102ND);
    EXPECT_EQ(edit->text(), QStringLiteral("OEM_102 (<)"));
    click(dialog->confirmButton());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isNull() || !dialog->isVisible(); }, 3000));
    // The step keeps the key table's name: a macro reads the same on every computer.
    EXPECT_EQ(name, QStringLiteral("OEM_102"));
    EXPECT_EQ(step, QStringLiteral("OEM_102 CODE:0264"));
}

// The in-window capture, which records where no system-wide capture exists, takes keys by their
// place too.
TEST_F(KeyLayoutsTest, InWindowCaptureTakesThePlace) {
    ASSERT_TRUE(g_server->setLayout("de"));
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    platform::WindowInputCapture capture;
    std::vector<core::InputEvent> events;
    ASSERT_TRUE(capture.start([&](const core::InputEvent& e) { events.push_back(e); }));
    for (int place : {KEY_Z, KEY_SEMICOLON, KEY_102ND}) {
        m_injector->keycode(xKey(place), true);
        m_injector->keycode(xKey(place), false);
    }
    m_injector->sync();
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() >= 6; }, 3000));
    capture.stop();
    std::vector<int> pressed;
    for (const core::InputEvent& e : events)
        if (e.isKey() && e.isDown())
            pressed.push_back(e.virtualKey);
    // The US keys Z, ";" and the ISO key, where German prints Y, Ö and "<".
    EXPECT_EQ(pressed, (std::vector<int>{0x5A, 0xBA, 0xE2}));
}

// The window runs on a private X server of its own, so that keys arrive as from a keyboard.
void tarvik::gui::testing::beforeApplication() {
    static test::XvfbServer server;
    g_server = &server;
    // Without a server the tests still list (ctest's discovery runs this too) and then fail.
    setenv("DISPLAY", server.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", server.display().empty() ? "offscreen" : "xcb", 1);
}
