// The rules behind the Fire Macro page's edits and its service-mode editor: field corrections and
// where each value is written back, decoding a fire body, recording into 32 bytes, Delete, the
// insert panel and the lock that hides the editor.

#include "core/fire/FireMacroEditor.h"
#include "core/fire/FirePresetEdit.h"
#include "core/macros/EventCaption.h"
#include "core/macros/MacroCodec.h"
#include "core/macros/MacroName.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

using namespace tarvik;
using core::FireField;

namespace {

using Body = core::FireMacroStore::Body;

Body bodyOf(std::initializer_list<int> bytes) {
    Body body{};
    std::size_t i = 0;
    for (int b : bytes)
        body.at(i++) = static_cast<core::Byte>(b);
    return body;
}

std::vector<int> bytesOf(const Body& body, std::size_t n) {
    return {body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n)};
}

core::InputEvent left(bool down, std::uint32_t t) {
    return core::InputEvent::mouse(down, core::MouseButton::Left, t);
}

TEST(FirePresetEdit, FieldsCorrectTheirOwnText) {
    struct Case {
        FireField field;
        const char* typed;
        const char* shown;
        std::optional<int> value;
    } cases[] = {
        {FireField::X, "200", "127", 127},
        {FireField::X, "-128", "-127", -127},
        {FireField::Y, "-5", "-5", -5},
        {FireField::Y, "-", "-", std::nullopt},
        {FireField::Count, "", "0", 0},
        {FireField::Count, "256", "255", 255},
        {FireField::Count, "-3", "0", 0},
        {FireField::XOffset, "300", "255", 255},
        {FireField::YOffset, "7", "7", 7},
        {FireField::YOffset, "-9", "-9", -9},
        {FireField::XOffset, "-", "-", std::nullopt},
        {FireField::XOffset, "-200", "-128", -128},
        {FireField::Time, "70000", "65535", 65535},
        {FireField::Time, "99999999999999999999", "65535", 65535},
    };
    for (const Case& c : cases) {
        const core::FireFieldText got = core::correctFireField(c.field, c.typed);
        EXPECT_EQ(got.text, c.shown) << c.typed;
        EXPECT_EQ(got.value, c.value) << c.typed;
    }
}

TEST(FirePresetEdit, ValuesGoBackWhereTheWalkFoundThem) {
    core::FireMacroSlots slots;
    // FD 00, A1, delay 1, move (0,6), delay 1, 21, delay 1, FC
    slots.bodies[3] = bodyOf({0xFD, 0x00, 0xA1, 0xFE, 0x00, 0x01, 0x04, 0x00, 0x06, 0xFE, 0x00, 0x01, 0x21,
                              0xFE, 0x00, 0x01, 0xFC});
    core::ConfigImage image;
    const core::FireSegmentView view = core::walkFireBody(slots.bodies[3], 32);

    EXPECT_TRUE(core::writeFireField(slots, image, 3, view, FireField::X, 127));
    EXPECT_TRUE(core::writeFireField(slots, image, 3, view, FireField::Y, -127));
    EXPECT_TRUE(core::writeFireField(slots, image, 3, view, FireField::Count, 9));
    EXPECT_TRUE(core::writeFireField(slots, image, 3, view, FireField::Time, 0x1234));
    EXPECT_TRUE(core::writeFireField(slots, image, 3, view, FireField::YOffset, 250));
    EXPECT_EQ(bytesOf(slots.bodies[3], 17),
              (std::vector<int>{0xFD, 0x09, 0xA1, 0xFE, 0x00, 0x01, 0x04, 0x7F, 0x81, 0xFE, 0x12, 0x34, 0x21,
                                0xFE, 0x00, 0x01, 0xFC}));
    EXPECT_EQ(static_cast<core::Byte>(image.fireOffsetY(3)), 250);
    // A negative offset is the signed byte the page then shows unsigned.
    for (const auto& [typed, stored] : {std::pair{-9, 0xF7}, std::pair{-128, 0x80}, std::pair{-1, 0xFF}}) {
        EXPECT_TRUE(core::writeFireField(slots, image, 3, view, FireField::XOffset, typed));
        EXPECT_EQ(static_cast<core::Byte>(image.fireOffsetX(3)), stored) << typed;
    }

    // A body without a move has nowhere to take X: nothing is written anywhere.
    slots.bodies[4] = bodyOf({0xA1, 0x21});
    const Body before = slots.bodies[4];
    EXPECT_FALSE(
        core::writeFireField(slots, image, 4, core::walkFireBody(slots.bodies[4], 32), FireField::X, 5));
    EXPECT_EQ(slots.bodies[4], before);
}

TEST(FireMacroEditor, DecodesTheSixFireEventsAndStopsAtAnyOther) {
    const Body body = bodyOf({0xA1, 0x04, 0x00, 0x05, 0xFE, 0x00, 0x14, 0x21});
    const core::MacroText text = core::decodeFireBody(body, 9);
    ASSERT_EQ(text.size(), 5u);
    EXPECT_EQ(text[0], "00");
    std::vector<std::string> rows;
    for (std::size_t i = 1; i < text.size(); ++i)
        rows.push_back(core::eventCaption(text[i]).text);
    EXPECT_EQ(rows, (std::vector<std::string>{"LeftKey", "X: 0  Y: 5", "20 ms", "LeftKey"}));

    EXPECT_EQ(core::decodeFireBody(bodyOf({0xFD, 0x00, 0xFC}), 4), (core::MacroText{"00", "7 FD00", "8 FC"}));
    // 0xA2 (right button) is no fire event: decoding ends there.
    EXPECT_EQ(core::decodeFireBody(bodyOf({0xA1, 0xA2, 0x21}), 4),
              (core::MacroText{"00", "1 LeftKey CODE:00A1"}));
    // A delay cut by the end of the body is not read past it.
    Body cut{};
    cut.fill(0x21);
    cut[31] = 0xFE;
    EXPECT_EQ(core::decodeFireBody(cut, 33).size(), 32u);
}

TEST(FireMacroEditor, RecordsTheLeftButtonIntoTheBody) {
    core::FireMacroSlots slots;
    slots.bodies[2] = bodyOf({0xFD, 0x00, 0xA1, 0x21, 0xFC});
    core::FireMacroEditor editor(slots);
    EXPECT_FALSE(editor.startRecording({})); // no fire macro selected
    editor.showSlot(2);
    ASSERT_TRUE(editor.startRecording({core::DelayMode::NoDelay, 50}));
    editor.feed(core::InputEvent::mouse(true, core::MouseButton::Right, 5)); // not recorded
    editor.feed(left(true, 10));
    editor.feed(left(false, 30));
    editor.stopRecording();
    EXPECT_EQ(editor.text(), (core::MacroText{"00", "1 LeftKey CODE:00A1", "2 LeftKey CODE:0021"}));
    EXPECT_EQ(bytesOf(slots.bodies[2], 6), (std::vector<int>{0xA1, 0x21, 0x00, 0x00, 0x00, 0x00}));
}

TEST(FireMacroEditor, ARecordingStopsWhenTheBodyIsFull) {
    core::FireMacroSlots slots;
    core::FireMacroEditor editor(slots);
    editor.showSlot(0);
    ASSERT_TRUE(editor.startRecording({core::DelayMode::RecordDelay, 50}));
    // Each click with its delays is 8 bytes: three fit in 31 bytes with the end byte, a fourth not.
    bool stopped = false;
    std::uint32_t t = 0;
    for (int i = 0; i < 10 && !stopped; ++i) {
        stopped = editor.feed(left(true, t += 20)).stopped || editor.feed(left(false, t += 20)).stopped;
    }
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(editor.recording());
    const std::size_t length = core::storedLength(slots.bodies[0]).value_or(99);
    EXPECT_LE(length, 32u);
    // Every press recorded has its release: the replay never leaves the button down.
    int held = 0;
    for (const std::string& line : editor.text())
        held += line.starts_with("1 ") ? 1 : line.starts_with("2 ") ? -1 : 0;
    EXPECT_EQ(held, 0);
    // What was kept is exactly what the body holds (the header aside: a body does not store it).
    core::MacroText decoded = core::decodeFireBody(slots.bodies[0], length);
    core::MacroText recorded = editor.text();
    decoded.erase(decoded.begin());
    recorded.erase(recorded.begin());
    EXPECT_EQ(decoded, recorded);
}

TEST(FireMacroEditor, DeleteTakesPressAndReleaseTogetherOrNothing) {
    core::FireMacroSlots slots;
    slots.bodies[1] = bodyOf({0xFD, 0x00, 0xA1, 0xFE, 0x00, 0x05, 0x21, 0xFC});
    core::FireMacroEditor editor(slots);
    editor.showSlot(1);
    editor.selectRow(0); // Rep-Start stays
    EXPECT_FALSE(editor.deleteSelected());
    editor.selectRow(1); // the press goes with its release
    EXPECT_TRUE(editor.deleteSelected());
    EXPECT_EQ(editor.text(), (core::MacroText{"00", "7 FD00", "0 5", "8 FC"}));
    EXPECT_EQ(bytesOf(slots.bodies[1], 7), (std::vector<int>{0xFD, 0x00, 0xFE, 0x00, 0x05, 0xFC, 0x00}));

    // A release with no press before it: the search stops at the header and nothing goes.
    slots.bodies[1] = bodyOf({0xFE, 0x00, 0x05, 0x21});
    editor.showSlot(1);
    editor.selectRow(1);
    EXPECT_FALSE(editor.deleteSelected());
    EXPECT_EQ(editor.rowCount(), 2);
}

TEST(FireMacroEditor, InsertPanelPlacesLinesAndCancelRestoresTheBody) {
    core::FireMacroSlots slots;
    slots.bodies[0] = bodyOf({0xA1, 0x21});
    core::FireMacroEditor editor(slots);
    editor.showSlot(0);
    editor.selectRow(0);
    ASSERT_TRUE(editor.openInsertPanel(0));
    EXPECT_TRUE(editor.insertOk(3, {50, -3, 4, 10})); // move after
    EXPECT_FALSE(editor.insertPanelOpen());
    EXPECT_EQ(editor.text().at(2), "3 04FD04");
    EXPECT_EQ(editor.selectedRow(), 1);
    EXPECT_EQ(bytesOf(slots.bodies[0], 6), (std::vector<int>{0xA1, 0x04, 0xFD, 0x04, 0x21, 0x00}));

    // Cancel drops nothing already encoded but decodes the body again and selects the row it had.
    editor.selectRow(0);
    ASSERT_TRUE(editor.openInsertPanel(0));
    EXPECT_EQ(editor.insertCancel(), 0);
    EXPECT_EQ(editor.rowCount(), 3);
    EXPECT_EQ(editor.selectedRow(), 0);

    // A line that would carry the body past 32 bytes is not taken.
    Body full{};
    for (std::size_t i = 0; i < 30; i += 3) {
        full[i] = 0xFE;
        full[i + 2] = 0x01;
    }
    slots.bodies[5] = full;
    editor.showSlot(5);
    editor.selectRow(0);
    editor.openInsertPanel(0);
    EXPECT_FALSE(editor.insertOk(0, {50, 0, 0, 10}));
    EXPECT_EQ(editor.rowCount(), 10);
    EXPECT_EQ(slots.bodies[5], full);
}

TEST(FireMacroEditor, RenameRefusesANameAnySlotHas) {
    core::FireMacroSlots slots;
    slots.names[0] = core::nameToField("Macro1");
    slots.names[1] = core::nameToField("Macro2");
    core::FireMacroEditor editor(slots);
    EXPECT_EQ(editor.rename("X"), core::FireMacroEditor::RenameResult::NoSlot);
    editor.showSlot(1);
    EXPECT_EQ(editor.rename("Macro1"), core::FireMacroEditor::RenameResult::Duplicate);
    // Its own name is a name a row already has.
    EXPECT_EQ(editor.rename("Macro2"), core::FireMacroEditor::RenameResult::Duplicate);
    EXPECT_EQ(editor.rename("Recoil"), core::FireMacroEditor::RenameResult::Renamed);
    EXPECT_EQ(core::fieldToName(slots.names[1]), "Recoil");
}

TEST(ServiceModeLock, EveryFifthDoubleClickAsksForTheCode) {
    core::ServiceModeLock lock;
    int asked = 0;
    std::optional<std::string> answer = "KilbrenZT";
    const auto ask = [&] {
        ++asked;
        return answer;
    };
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(lock.doubleClicked(ask));
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(lock.doubleClicked(ask));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(lock.doubleClicked(ask)); // turns it off, not counted
    answer = "kilbrenzt";
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(lock.doubleClicked(ask));
    EXPECT_EQ(asked, 2);
    answer.reset(); // Cancel
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(lock.doubleClicked(ask));
    EXPECT_EQ(asked, 3);
}

} // namespace
