// The capture of the program's own windows, on the offscreen platform: input the window system hands
// a window arrives once, with the key table's codes and the events' own times.
#include "platform/WindowInputCapture.h"
#include "platform/InputCaptureFactory.h"

#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

using namespace tarvik;
using core::InputEvent;
using core::MouseButton;

namespace {

class WindowInputCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A window with a focused child that ignores keys, so that they travel on to the parent.
        window.resize(200, 100);
        child = new QWidget(&window);
        child->setFocusPolicy(Qt::StrongFocus);
        child->setGeometry(0, 0, 200, 100);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        child->setFocus();
        ASSERT_TRUE(capture.start([this](const InputEvent& e) { events.push_back(e); }));
    }

    QWindow* handle() { return window.windowHandle(); }

    QWidget window;
    QWidget* child = nullptr;
    platform::WindowInputCapture capture;
    std::vector<InputEvent> events;
};

} // namespace

TEST_F(WindowInputCaptureTest, KeysAndButtonsArriveOnceWithTheirCodesAndTimes) {
    EXPECT_FALSE(capture.seesBackgroundInput());
    // Without modifiers given: QTest would press and release them around the key by itself.
    QTest::keyPress(handle(), Qt::Key_Shift);
    QTest::keyPress(handle(), Qt::Key_A);
    QTest::keyRelease(handle(), Qt::Key_A);
    QTest::keyRelease(handle(), Qt::Key_Shift);
    QTest::keyClick(handle(), Qt::Key_5, Qt::KeypadModifier);
    QTest::mousePress(handle(), Qt::LeftButton, {}, QPoint(5, 5), 50);
    QTest::mouseRelease(handle(), Qt::LeftButton, {}, QPoint(5, 5), 60);
    QTest::mouseClick(handle(), Qt::RightButton, {}, QPoint(5, 5));
    QTest::mouseClick(handle(), Qt::BackButton, {}, QPoint(5, 5));
    QTest::mouseClick(handle(), Qt::ForwardButton, {}, QPoint(5, 5));
    QTest::mouseClick(handle(), Qt::MiddleButton, {}, QPoint(5, 5));

    std::vector<InputEvent> got = events;
    ASSERT_EQ(got.size(), 16u);
    // QTest moves the mouse events' clock on by the delay given to each.
    EXPECT_EQ(got[7].timeMs - got[6].timeMs, 60u);
    for (InputEvent& e : got)
        e.timeMs = 0;
    const std::vector<InputEvent> expected = {
        InputEvent::key(true, 0x10, 0),
        InputEvent::key(true, 0x41, 0),
        InputEvent::key(false, 0x41, 0),
        InputEvent::key(false, 0x10, 0),
        InputEvent::key(true, 0x65, 0),
        InputEvent::key(false, 0x65, 0),
        InputEvent::mouse(true, MouseButton::Left, 0),
        InputEvent::mouse(false, MouseButton::Left, 0),
        InputEvent::mouse(true, MouseButton::Right, 0),
        InputEvent::mouse(false, MouseButton::Right, 0),
        InputEvent::mouse(true, MouseButton::Backward, 0),
        InputEvent::mouse(false, MouseButton::Backward, 0),
        InputEvent::mouse(true, MouseButton::Forward, 0),
        InputEvent::mouse(false, MouseButton::Forward, 0),
        InputEvent::mouse(true, MouseButton::Middle, 0),
        InputEvent::mouse(false, MouseButton::Middle, 0),
    };
    EXPECT_EQ(got, expected);
}

TEST_F(WindowInputCaptureTest, DoubleClickIsTwoClicksAndStopEndsDelivery) {
    QTest::mouseDClick(handle(), Qt::LeftButton, {}, QPoint(5, 5));
    const std::size_t clicks = events.size();
    EXPECT_EQ(clicks, 4u);
    capture.stop();
    QTest::keyClick(handle(), Qt::Key_B);
    QTest::mouseClick(handle(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(events.size(), clicks);
}

TEST(InputCaptureFactoryTest, WithoutX11TheWindowsOwnInputIsCaptured) {
    auto capture = platform::createInputCapture();
    ASSERT_TRUE(capture);
    EXPECT_FALSE(capture->seesBackgroundInput());
}
