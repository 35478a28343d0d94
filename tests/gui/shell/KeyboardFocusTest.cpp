// Captions from the keyboard: Tab reaches them, Enter and Space click them, the focus frame shows
// only while focus came from a key, and a screen reader hears a named button.

#include "gui/skin/CaptionLabel.h"
#include "gui/skin/KeyboardFocus.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using tarvik::gui::CaptionLabel;
namespace keyboard = tarvik::gui::keyboard;

namespace {

struct Fixture {
    QWidget page;
    CaptionLabel* first = new CaptionLabel(QStringLiteral("Btn_First"), &page);
    CaptionLabel* second = new CaptionLabel(QStringLiteral("Btn_Second"), &page);

    Fixture() {
        page.resize(200, 100);
        first->setGeometry(10, 10, 80, 30);
        second->setGeometry(100, 10, 80, 30);
        first->setText(QStringLiteral("Save"));
        second->setText(QStringLiteral("Exit"));
        page.show();
        page.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&page));
    }

    static int framePixels(CaptionLabel* label) {
        const QImage image = label->grab().toImage();
        const QRgb frame = keyboard::frameColour().rgb();
        int count = 0;
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, 0) & 0xffffff) == (frame & 0xffffff);
        return count;
    }
};

} // namespace

TEST(KeyboardFocus, TabReachesCaptionsAndEnterOrSpaceClicks) {
    Fixture f;
    QSignalSpy firstClicks(f.first, &CaptionLabel::clicked);
    QSignalSpy secondClicks(f.second, &CaptionLabel::clicked);

    // The window opening puts focus on its first control, without a frame.
    ASSERT_TRUE(f.first->hasFocus());
    EXPECT_EQ(Fixture::framePixels(f.first), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(firstClicks.count(), 2);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(f.second->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(secondClicks.count(), 1);
    // A chord is not a press: Ctrl+Space stays with whoever owns it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(secondClicks.count(), 1);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_TRUE(f.first->hasFocus());
}

TEST(KeyboardFocus, FrameOnlyWhileFocusCameFromAKeyAndAClickTakesNoFocus) {
    Fixture f;
    keyboard::setFrameColour(QColor(250, 10, 200));
    EXPECT_EQ(Fixture::framePixels(f.first), 0);

    // The pointer's picture is untouched: a click neither moves focus nor frames.
    QTest::mouseClick(f.second, Qt::LeftButton);
    EXPECT_FALSE(f.second->hasFocus());
    EXPECT_EQ(Fixture::framePixels(f.second), 0);
    f.first->clearFocus();

    // Focus set by the program (a page opening) shows no frame either.
    f.first->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(Fixture::framePixels(f.first), 0);

    f.first->clearFocus();
    f.first->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Fixture::framePixels(f.first), f.first->width());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(Fixture::framePixels(f.first), 0);
    EXPECT_EQ(Fixture::framePixels(f.second), f.second->width());
}

TEST(KeyboardFocus, ScreenReaderHearsANamedButtonThatPresses) {
    Fixture f;
    QSignalSpy clicks(f.first, &CaptionLabel::clicked);
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(f.first);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->role(), QAccessible::Button);
    EXPECT_EQ(view->text(QAccessible::Name), QStringLiteral("Save"));
    EXPECT_TRUE(view->state().focusable);

    // A picture's caption is empty: the page names it by its meaning.
    f.first->setText(QString());
    f.first->setAccessibleName(QStringLiteral("DPI level 2"));
    EXPECT_EQ(view->text(QAccessible::Name), QStringLiteral("DPI level 2"));

    f.first->setCheckable(true);
    f.first->setChecked(true);
    EXPECT_TRUE(view->state().checkable);
    EXPECT_TRUE(view->state().checked);

    ASSERT_NE(view->actionInterface(), nullptr);
    view->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.count(), 1);
}
