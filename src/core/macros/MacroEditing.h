#pragma once
// The event editor's operations on a MacroText. Row r of the event list is text line r + 1 (line 0
// is the DelayModeHeader). Each operation changes the text, or leaves it as it was and says why, and
// tells which row to select afterwards; encoding and saving are the caller's (MacroEditor).

#include "core/macros/MacroTypes.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarvik::core {

struct MacroTextEdit {
    bool changed = false;
    bool contentError = false; // Delete found no partner: "Macro Content Error", nothing changed
    std::optional<int> selectRow;
};

// What Edit opens for a row: the "Input Delay Time" dialog for a delay, "Input One Key" for a press
// (step kind 1) or a release (2). Other rows cannot be edited.
enum class EditKind { Delay = 0, Press = 1, Release = 2 };
std::optional<EditKind> editKindOfRow(const MacroText& text, int row);

// The key name of a press or release line: what lies between its kind ("1 ", "2 ") and " CODE:"
// with its four digits. Empty for a line too short to hold one.
std::string_view keyNameOfLine(std::string_view line);

// Delete: a press goes together with the first release of the same key name after it, a release
// with the nearest press of that name before it. The search stops at the end of the text and at the
// header; then nothing is deleted and contentError is set. Delays, moves and "Rep-Stop" rows go
// alone; a "Rep-Start" row is kept (its loop would lose its start and the replay its shape).
MacroTextEdit deleteRow(MacroText& text, int row);

// Replace a key line with the "Input One Key" dialog's result: `kind` 1 or 2 and its step text
// ("A CODE:8204"). Nothing happens for an empty key name, a row that is not a press or release of
// that kind, or a step text that is no key step. The partner line stays as it is.
MacroTextEdit replaceKeyLine(MacroText& text, int row, EditKind kind, std::string_view keyName,
                             std::string_view stepText);

// Replace a delay line with the "Input Delay Time" dialog's text, held to 1..65535 as the dialog's
// field is. Nothing happens for an empty text or a row that is not a delay.
MacroTextEdit replaceDelayLine(MacroText& text, int row, std::string_view typed);

// The choices of the insert panel, in the order of its list.
enum class InsertChoice {
    DelayFront = 0,
    DelayBack,
    KeyFront,
    KeyBack,
    MoveFront,
    MoveBack,
    RepeatStart,
    RepeatStop,
};

struct InsertValues {
    int delay = 50;  // 1..65535
    int x = 12;      // -127..127
    int y = 12;      // -127..127
    int repeat = 10; // 1..255
};

// OK of the insert panel for the choices that insert one line (delays, moves and the repeat marks;
// the key choices were filled by the insert recording). Values outside their ranges are clamped as
// the panel's fields clamp them. Needs an existing row; otherwise nothing changes.
MacroTextEdit insertLine(MacroText& text, int row, InsertChoice choice, const InsertValues& values);

// The panel's key choices record instead of inserting one line.
bool isKeyChoice(InsertChoice choice);

// The choice of an item of the insert panel's list. The fire macro editor's list lacks the two key
// items (its items 0-5 are delay front and back, move front and back, start and stop repeat).
std::optional<InsertChoice> insertChoiceOfItem(int item, bool fireEditor);

// The guards of the number fields: the text a field shows after a change, or nothing when it stays
// as typed. A number above max becomes max and one below min becomes min; a text that is no number
// (empty, "-") stays, unless `emptyBecomesMin`, as in the delay fields.
std::optional<std::string> guardedFieldText(std::string_view text, int min, int max, bool emptyBecomesMin);

// The key filter of the number fields: digits, "-" and backspace.
bool acceptsFieldKey(char c);

} // namespace tarvik::core
