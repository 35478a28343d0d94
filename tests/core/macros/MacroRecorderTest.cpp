#include "core/macros/MacroRecorder.h"

#include "FakeInputCapture.h"
#include "core/macros/MacroCodec.h"

#include <gtest/gtest.h>

using namespace tarvik::core;
using tarvik::test::FakeInputCapture;

namespace {

constexpr int kA = 0x41, kB = 0x42, kShift = 0x10;

class MacroRecorderTest : public ::testing::Test {
protected:
    void record(RecordSettings settings = {}) {
        recorder.startNew(settings);
        capture.start([this](const InputEvent& e) { recorder.feed(e); });
    }

    MacroRecorder recorder;
    FakeInputCapture capture;
};

} // namespace

TEST_F(MacroRecorderTest, KeystrokeInEachDelayMode) {
    struct Case {
        RecordSettings settings;
        MacroText expected;
    };
    const Case cases[] = {
        {{DelayMode::RecordDelay, 50}, {"10", "1 A CODE:8204", "0 120", "2 A CODE:0204"}},
        {{DelayMode::NoDelay, 50}, {"00", "1 A CODE:8204", "2 A CODE:0204"}},
        {{DelayMode::DefaultDelay, 50}, {"0150", "1 A CODE:8204", "0 50", "2 A CODE:0204"}},
    };
    for (const Case& c : cases) {
        record(c.settings);
        capture.keyDown(kA, 5000);
        capture.keyUp(kA, 5120);
        EXPECT_EQ(recorder.text(), c.expected);
        EXPECT_EQ(recorder.selectedRow(), static_cast<int>(c.expected.size()) - 2);
    }
}

TEST_F(MacroRecorderTest, ModifiersAndKeysKeepTheirOrderAndAHeldKeyGivesOnePress) {
    record({DelayMode::NoDelay, 50});
    capture.keyDown(kShift, 10);
    capture.keyDown(kA, 20);
    for (std::uint32_t t = 50; t < 500; t += 30)
        capture.keyDown(kA, t); // auto-repeat
    capture.keyUp(kA, 600);
    capture.keyUp(kShift, 610);
    const MacroText expected = {"00", "1 Shift CODE:8102", "1 A CODE:8204", "2 A CODE:0204",
                                "2 Shift CODE:0102"};
    EXPECT_EQ(recorder.text(), expected);
    EXPECT_EQ(recorder.recordedLength(), 8u);
}

TEST_F(MacroRecorderTest, DelaysComeFromEventTimes) {
    record();
    capture.keyDown(kA, 0xFFFFFFF0u); // the clock wraps between the two events
    capture.keyUp(kA, 0x10);
    capture.keyDown(kB, 0x10 + 70000); // longer than a delay can hold
    capture.keyUp(kB, 0x10 + 70000);
    const MacroText expected = {"10",      "1 A CODE:8204", "0 32", "2 A CODE:0204",
                                "0 65535", "1 B CODE:8205", "0 0",  "2 B CODE:0205"};
    EXPECT_EQ(recorder.text(), expected);
}

TEST_F(MacroRecorderTest, TheFiveButtonsAndTheClickOnStop) {
    record({DelayMode::NoDelay, 50});
    const MouseButton buttons[] = {MouseButton::Left, MouseButton::Right, MouseButton::Middle,
                                   MouseButton::Forward, MouseButton::Backward};
    std::uint32_t t = 0;
    for (MouseButton b : buttons) {
        capture.buttonDown(b, ++t);
        capture.buttonUp(b, ++t);
    }
    recorder.setPointerOnRecordButton(true);
    capture.buttonDown(MouseButton::Left, ++t);
    capture.buttonUp(MouseButton::Left, ++t);
    const MacroText expected = {"00",
                                "1 LeftKey CODE:00A1",
                                "2 LeftKey CODE:0021",
                                "1 RightKey CODE:00A2",
                                "2 RightKey CODE:0022",
                                "1 MiddleKey CODE:00A4",
                                "2 MiddleKey CODE:0024",
                                "1 Forward CODE:00A8",
                                "2 Forward CODE:0028",
                                "1 Backward CODE:00B0",
                                "2 Backward CODE:0030"};
    EXPECT_EQ(recorder.text(), expected);
}

// Enter and Space with a Record/Stop button focused press that button; anywhere else they are keys
// of the macro like any other.
TEST_F(MacroRecorderTest, TheKeyThatPressesAFocusedStopIsNoPartOfTheRecording) {
    constexpr int kEnter = 0x0D, kSpace = 0x20;
    record({DelayMode::NoDelay, 50});
    capture.keyDown(kEnter, 1);
    capture.keyUp(kEnter, 2);
    recorder.setKeyboardOnRecordButton(true);
    capture.keyDown(kA, 3); // other keys still go in
    capture.keyUp(kA, 4);
    capture.keyDown(kSpace, 5);
    capture.keyDown(kEnter, 6); // the capture saw the Stop key before the window did
    recorder.stop();
    capture.keyUp(kEnter, 7);
    const MacroText expected = {"00", "1 Enter CODE:8228", "2 Enter CODE:0228", "1 A CODE:8204",
                                "2 A CODE:0204"};
    EXPECT_EQ(recorder.text(), expected);
}

TEST_F(MacroRecorderTest, IgnoresWhatIsNoKeystrokeOfTheRecording) {
    record({DelayMode::NoDelay, 50});
    capture.keyUp(0x0D, 1);   // the Enter that pressed Record
    capture.keyDown(0xFF, 2); // "255"
    capture.keyUp(0xFF, 3);
    capture.buttonUp(MouseButton::Left, 4);
    EXPECT_EQ(recorder.text(), MacroText{"00"});
    recorder.stop();
    capture.keyDown(kA, 5);
    EXPECT_EQ(recorder.text(), MacroText{"00"});
}

TEST_F(MacroRecorderTest, StopReleasesKeysStillHeld) {
    record({DelayMode::RecordDelay, 50});
    capture.keyDown(kShift, 100);
    capture.buttonDown(MouseButton::Right, 150);
    EXPECT_EQ(recorder.stop(), 3u);
    const MacroText expected = {"10",
                                "1 Shift CODE:8102",
                                "0 50",
                                "1 RightKey CODE:00A2",
                                "2 RightKey CODE:0022",
                                "2 Shift CODE:0102"};
    EXPECT_EQ(recorder.text(), expected);
    EXPECT_FALSE(recorder.recording());
}

TEST_F(MacroRecorderTest, EveryRecordingFitsItsBody) {
    // Clicks, keystrokes and held keys in every mode: the recording stops at the first event that
    // would not fit, and what it holds then always encodes into the body with every key released.
    for (const DelayMode mode : {DelayMode::RecordDelay, DelayMode::DefaultDelay, DelayMode::NoDelay}) {
        for (std::size_t body : {std::size_t{256}, std::size_t{32}}) {
            MacroRecorder r(body);
            r.startNew({mode, 50});
            bool stopped = false;
            std::uint32_t t = 0;
            for (int i = 0; i < 200 && !stopped; ++i) {
                const int key = kA + i % 3;
                stopped |= r.feed(InputEvent::key(true, key, t += 7)).stopped;
                stopped |= r.feed(InputEvent::mouse(true, MouseButton::Middle, t += 7)).stopped;
                stopped |= r.feed(InputEvent::key(true, kShift, t += 7)).stopped;
                stopped |= r.feed(InputEvent::mouse(false, MouseButton::Middle, t += 7)).stopped;
                if (i % 2 == 0)
                    stopped |= r.feed(InputEvent::key(false, key, t += 7)).stopped;
            }
            ASSERT_TRUE(stopped);
            EXPECT_FALSE(r.recording());
            const std::size_t size = encodeMacro(r.text()).size();
            EXPECT_LE(size, body);
            EXPECT_EQ(size, r.encodedLength());
            EXPECT_GT(size + 8, body) << "stopped well before the body was full";
            int held = 0;
            for (std::size_t i = 1; i < r.text().size(); ++i)
                held += r.text()[i][0] == '1' ? 1 : r.text()[i][0] == '2' ? -1 : 0;
            EXPECT_EQ(held, 0);
        }
    }
}

TEST_F(MacroRecorderTest, InsertRecordingKeepsOrderBeforeAndAfterTheRow) {
    const MacroText base = {"00", "1 LeftKey CODE:00A1", "2 LeftKey CODE:0021"};
    MacroRecorder before;
    ASSERT_TRUE(before.startInsert(base, 0, InsertPlacement::Before, {DelayMode::NoDelay, 50}));
    before.feed(InputEvent::key(true, kA, 1));
    before.feed(InputEvent::key(false, kA, 2));
    EXPECT_EQ(before.text(), (MacroText{"00", "1 A CODE:8204", "2 A CODE:0204", "1 LeftKey CODE:00A1",
                                        "2 LeftKey CODE:0021"}));
    EXPECT_EQ(before.selectedRow(), 2); // still the event the insert went in front of

    MacroRecorder after;
    ASSERT_TRUE(after.startInsert(base, 0, InsertPlacement::After, {DelayMode::DefaultDelay, 30}));
    after.feed(InputEvent::key(true, kA, 1));
    after.feed(InputEvent::key(false, kA, 2));
    EXPECT_EQ(after.text(), (MacroText{"00", "1 LeftKey CODE:00A1", "1 A CODE:8204", "0 30", "2 A CODE:0204",
                                       "2 LeftKey CODE:0021"}));
    EXPECT_EQ(after.selectedRow(), 3); // the last line inserted

    MacroRecorder none;
    EXPECT_FALSE(none.startInsert(base, 2, InsertPlacement::After, {}));
    EXPECT_FALSE(none.recording());
}

TEST(FireRecorderTest, TakesTheLeftButtonOnlyWithinThirtyTwoBytes) {
    MacroRecorder r(32, RecordedEvents::LeftButtonOnly);
    r.startNew({DelayMode::NoDelay, 50});
    r.feed(InputEvent::key(true, kA, 1));
    r.feed(InputEvent::mouse(true, MouseButton::Right, 2));
    r.feed(InputEvent::mouse(true, MouseButton::Left, 3));
    r.feed(InputEvent::mouse(false, MouseButton::Left, 4));
    EXPECT_EQ(r.text(), (MacroText{"00", "1 LeftKey CODE:00A1", "2 LeftKey CODE:0021"}));
    EXPECT_EQ(encodeMacro(r.text()), (std::vector<Byte>{0xA1, 0x21, 0x00}));
}
