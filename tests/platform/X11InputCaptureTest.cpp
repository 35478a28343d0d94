// The X11 capture against a real X server: input injected with XTEST must arrive with the codes of
// the key table, in order, with the server's times, whichever window has the focus.
#include "platform/x11/X11InputCapture.h"

#include "core/keys/KeyPositions.h"
#include "core/macros/MacroCodec.h"
#include "core/macros/MacroRecorder.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// Xlib's macros last: they would clash with names in the headers above.
#include "XvfbServer.h"
#include <X11/XF86keysym.h>
#include <X11/keysym.h>

using namespace tarvik;
using core::InputEvent;
using core::MouseButton;

namespace {

class X11InputCaptureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new test::XvfbServer(); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    void SetUp() override {
        ASSERT_FALSE(server->display().empty()) << "Xvfb did not start";
        capture = platform::X11InputCapture::open(server->display());
        ASSERT_TRUE(capture) << "no XInput2 on " << server->display();
        injector = std::make_unique<test::XInjector>(server->display());
        ASSERT_TRUE(injector->display());
    }

    void startCollecting() {
        ASSERT_TRUE(capture->start([this](const InputEvent& e) { events.push_back(e); }));
    }

    // Waits, on this (the user-interface) thread, until `count` events have arrived.
    bool waitFor(std::size_t count, int timeoutMs = 5000) {
        injector->sync();
        return QTest::qWaitFor([&] { return events.size() >= count; }, timeoutMs);
    }

    static std::vector<InputEvent> withoutTimes(std::vector<InputEvent> list) {
        for (InputEvent& e : list)
            e.timeMs = 0;
        return list;
    }

    static test::XvfbServer* server;
    std::unique_ptr<platform::X11InputCapture> capture;
    std::unique_ptr<test::XInjector> injector;
    std::vector<InputEvent> events;
};

test::XvfbServer* X11InputCaptureTest::server = nullptr;

InputEvent key(bool down, int vk) {
    return InputEvent::key(down, vk, 0);
}
InputEvent button(bool down, MouseButton b) {
    return InputEvent::mouse(down, b, 0);
}

} // namespace

TEST_F(X11InputCaptureTest, KeysAndTheFiveButtonsArriveInOrderWithTheirCodes) {
    startCollecting();
    EXPECT_TRUE(capture->seesBackgroundInput());
    const unsigned long keys[] = {XK_Shift_L, XK_a, XK_F5, XK_KP_End, XK_Control_R, XK_Super_L, XK_Return};
    for (unsigned long k : keys)
        injector->key(k, true);
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it)
        injector->key(*it, false);
    for (unsigned b : {1u, 2u, 3u, 8u, 9u}) {
        injector->button(b, true);
        injector->button(b, false);
    }
    injector->button(4, true); // the wheel is no button of a macro
    injector->button(4, false);
    ASSERT_TRUE(waitFor(24));
    QTest::qWait(50);

    const int vks[] = {0x10, 0x41, 0x74, 0x61, 0x11, 0x5B, 0x0D};
    std::vector<InputEvent> expected;
    for (int vk : vks)
        expected.push_back(key(true, vk));
    for (auto it = std::rbegin(vks); it != std::rend(vks); ++it)
        expected.push_back(key(false, *it));
    for (MouseButton b : {MouseButton::Left, MouseButton::Middle, MouseButton::Right, MouseButton::Backward,
                          MouseButton::Forward}) {
        expected.push_back(button(true, b));
        expected.push_back(button(false, b));
    }
    EXPECT_EQ(withoutTimes(events), expected);
    for (std::size_t i = 1; i < events.size(); ++i)
        EXPECT_LE(events[i - 1].timeMs, events[i].timeMs);
}

TEST_F(X11InputCaptureTest, InputArrivesWhileAnotherWindowHasTheFocus) {
    const Window other = injector->focusOwnWindow();
    ASSERT_EQ(injector->focus(), other);
    startCollecting();
    injector->key(XK_b, true);
    injector->key(XK_b, false);
    injector->button(3, true);
    injector->button(3, false);
    ASSERT_TRUE(waitFor(4));
    EXPECT_EQ(withoutTimes(events),
              (std::vector<InputEvent>{key(true, 0x42), key(false, 0x42), button(true, MouseButton::Right),
                                       button(false, MouseButton::Right)}));
    EXPECT_EQ(injector->focus(), other);
}

TEST_F(X11InputCaptureTest, RecordedDelaysAreTheServerTimesBetweenEvents) {
    core::MacroRecorder recorder;
    recorder.startNew({core::DelayMode::RecordDelay, 50});
    ASSERT_TRUE(capture->start([&](const InputEvent& e) {
        events.push_back(e);
        recorder.feed(e);
    }));
    injector->key(XK_a, true);
    injector->key(XK_a, false, 120); // performed by the server 120 ms after the press
    ASSERT_TRUE(waitFor(2));
    const std::uint32_t gap = events[1].timeMs - events[0].timeMs;
    EXPECT_GE(gap, 120u);
    EXPECT_LE(gap, 140u); // the server may be late to wake up, never early
    ASSERT_EQ(recorder.text().size(), 4u);
    EXPECT_EQ(recorder.text()[1], "1 A CODE:8204");
    EXPECT_EQ(recorder.text()[2], "0 " + std::to_string(gap));
    EXPECT_EQ(recorder.text()[3], "2 A CODE:0204");
}

TEST_F(X11InputCaptureTest, NothingArrivesAfterStopAndStartBeginsAfresh) {
    startCollecting();
    injector->key(XK_c, true);
    injector->key(XK_c, false);
    ASSERT_TRUE(waitFor(2));
    capture->stop();
    EXPECT_FALSE(capture->active());
    injector->key(XK_d, true);
    injector->key(XK_d, false);
    injector->sync();
    QTest::qWait(100);
    EXPECT_EQ(events.size(), 2u);

    events.clear();
    startCollecting();
    injector->key(XK_e, true);
    injector->key(XK_e, false);
    ASSERT_TRUE(waitFor(2));
    QTest::qWait(50);
    EXPECT_EQ(withoutTimes(events), (std::vector<InputEvent>{key(true, 0x45), key(false, 0x45)}));
}

TEST_F(X11InputCaptureTest, TheHandlerMayEndTheCapture) {
    // As a page does when a recording is full: the capture goes while its events are being read.
    ASSERT_TRUE(capture->start([this](const InputEvent& e) {
        events.push_back(e);
        capture.reset();
    }));
    injector->key(XK_f, true);
    injector->key(XK_f, false);
    ASSERT_TRUE(waitFor(1));
    QTest::qWait(50);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_FALSE(capture);
}

TEST(X11InputCaptureOpenTest, NoCaptureWithoutADisplay) {
    EXPECT_EQ(platform::X11InputCapture::open(":999999"), nullptr);
}

// The same key presses under every layout are the same keys to the mouse: keys are taken by their
// place, so a German Z key records the US "Y" and the national keys record their place, not "None".
TEST_F(X11InputCaptureTest, RecordingsAreTheSameUnderEveryLayout) {
    // Input codes (X key code minus 8): Y, Z, Q, A, W, M, 1, minus, semicolon, apostrophe, left
    // brace, grave, backslash, the ISO key, comma, slash, Menu, right Alt.
    const unsigned places[] = {21, 44, 16, 30, 17, 50, 2, 12, 39, 40, 26, 41, 43, 86, 51, 53, 127, 100};
    std::vector<core::Byte> usBytes;
    for (const char* layout : {"us", "de", "fr", "gb"}) {
        SCOPED_TRACE(layout);
        ASSERT_TRUE(server->setLayout(layout));
        core::MacroRecorder recorder;
        recorder.startNew({core::DelayMode::NoDelay, 50});
        events.clear();
        ASSERT_TRUE(capture->start([&](const InputEvent& e) {
            events.push_back(e);
            recorder.feed(e);
        }));
        for (unsigned place : places) {
            injector->keycode(place + 8, true);
            injector->keycode(place + 8, false);
        }
        ASSERT_TRUE(waitFor(2 * std::size(places)));
        capture->stop();
        const core::MacroText& text = recorder.text();
        for (const std::string& line : text)
            EXPECT_EQ(line.find("None"), std::string::npos) << line;
        ASSERT_GE(text.size(), 9u);
        EXPECT_EQ(text[1], "1 Y CODE:821C");      // German and French print Z there
        EXPECT_EQ(text[3], "1 Z CODE:821D");      // German prints Y, French W
        EXPECT_EQ(text[5], "1 Q CODE:8214");      // French prints A
        EXPECT_EQ(text[17], "1 OEM_1 CODE:8233"); // German prints Ö, French M
        EXPECT_EQ(text[27], "1 OEM_102 CODE:8264");
        const std::vector<core::Byte> bytes = core::encodeMacro(text);
        if (usBytes.empty())
            usBytes = bytes;
        else
            EXPECT_EQ(bytes, usBytes);
    }
    ASSERT_TRUE(server->setLayout("us"));
}

// Every key of the table that an X key code can reach arrives as the same key under every layout,
// and none as "None".
TEST_F(X11InputCaptureTest, EveryKeyOfTheTableArrivesAsItselfUnderEveryLayout) {
    std::vector<unsigned> places;
    for (int code = 1; code + 8 <= 255; ++code)
        if (core::keyAtPosition(code))
            places.push_back(static_cast<unsigned>(code));
    ASSERT_GT(places.size(), 100u);
    std::vector<InputEvent> usEvents;
    for (const char* layout : {"us", "de", "fr", "gb"}) {
        SCOPED_TRACE(layout);
        ASSERT_TRUE(server->setLayout(layout));
        events.clear();
        startCollecting();
        for (unsigned place : places) {
            injector->keycode(place + 8, true);
            injector->keycode(place + 8, false);
        }
        ASSERT_TRUE(waitFor(2 * places.size()));
        capture->stop();
        for (std::size_t i = 0; i < events.size(); ++i) {
            SCOPED_TRACE(places[i / 2]);
            EXPECT_NE(core::virtualKeyToHookKey(events[i].virtualKey), core::HookKey::kh_None);
        }
        if (usEvents.empty())
            usEvents = withoutTimes(events);
        else
            EXPECT_EQ(withoutTimes(events), usEvents);
    }
    ASSERT_TRUE(server->setLayout("us"));
}

// A server on the old PC key codes numbers the keys beyond the main block otherwise: there keys are
// taken by their meaning, so Print Screen (111 there, Up on the kernel's numbering) stays itself.
TEST_F(X11InputCaptureTest, ServerOnOldKeyCodesKeepsKeysByTheirMeaning) {
    ASSERT_TRUE(server->setLayout("-keycodes xfree86 us"));
    startCollecting();
    for (unsigned keycode : {111u, 98u, 38u}) {
        injector->keycode(keycode, true);
        injector->keycode(keycode, false);
    }
    ASSERT_TRUE(waitFor(6));
    EXPECT_EQ(withoutTimes(events),
              (std::vector<InputEvent>{key(true, 0x2C), key(false, 0x2C), key(true, 0x26), key(false, 0x26),
                                       key(true, 0x41), key(false, 0x41)}));
    capture->stop();
    ASSERT_TRUE(server->setLayout("-keycodes evdev us"));
}
