#pragma once
// The macro recorder as a state machine: the input capture hands it key and mouse-button events,
// each with its own time, and it turns them into MacroLines with the delay lines the DelayMode asks
// for. It serves a normal recording (a new text), an insert recording (lines placed around a row of
// an existing text) and, with the left button only and a 32-byte body, the fire macro recorder.
//
// Every event is held to the body the macro must fit: the encoding of the whole text, end byte
// included, never exceeds `bodySize`. A press is taken only while there is also room for the
// release of every key and button then held, so that when the recording ends (by Stop or at the
// first event that no longer fits) each key still held is closed with its release line and a replay
// never leaves a key down.

#include "core/keys/InputEvent.h"
#include "core/macros/MacroTypes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarvik::core {

struct RecordSettings {
    DelayMode delayMode = DelayMode::RecordDelay;
    std::uint16_t defaultDelay = 50; // the gap of DefaultDelay, within fields::kEventDelay
};

enum class RecordedEvents {
    KeysAndButtons, // the macro page: every key and the five buttons
    LeftButtonOnly, // the fire macro editor
};

enum class InsertPlacement { Before, After };

class MacroRecorder {
public:
    explicit MacroRecorder(std::size_t bodySize = kMacroBodySize,
                           RecordedEvents events = RecordedEvents::KeysAndButtons)
        : m_bodySize(bodySize), m_events(events) {}

    // A normal recording: the text becomes the DelayModeHeader of the settings alone and
    // recordedLength() starts again at 0.
    void startNew(const RecordSettings& settings);

    // An insert recording into `text` (header and lines): events go before or after row `row` (text
    // line row + 1) and keep their order. recordedLength() goes on from where it was. Refused (and
    // nothing changes) when the row does not exist or the text leaves no room for one click.
    bool startInsert(MacroText text, int row, InsertPlacement placement, const RecordSettings& settings);

    struct Feed {
        bool taken = false;         // the event produced lines
        std::size_t bytesAdded = 0; // encoded bytes the lines added (delays and closing releases included)
        bool stopped = false;       // the recording ended with this event: it did not fit
    };

    // One event from the capture. Ignored while not recording, for keys named "255", for a key or
    // button already held (auto-repeat), for a release of a key pressed before the recording began,
    // for the left button while the pointer is over a Record/Stop button, for Enter and Space while a
    // Record/Stop button has keyboard focus, and for what the recorder does not record (keys and
    // other buttons of a fire recording).
    Feed feed(const InputEvent& event);

    // Ends the recording: every key and button still held gets its release line, with no delay
    // before it. Returns the bytes those lines added. Does nothing while not recording.
    std::size_t stop();

    bool recording() const { return m_recording; }
    bool inserting() const { return m_recording && m_inserting; }

    // Set while the pointer is over a Record/Stop button, so that the click that stops a recording is
    // not part of it.
    void setPointerOnRecordButton(bool on) { m_pointerOnRecordButton = on; }
    // Set while a Record/Stop button has keyboard focus: the Enter or Space that starts or stops the
    // recording is no part of it, whether the capture reports it before or after the window acts.
    void setKeyboardOnRecordButton(bool on) { m_keyboardOnRecordButton = on; }

    const MacroText& text() const { return m_text; }
    MacroText takeText() { return std::move(m_text); }

    // The row to select after the last line placed: the last row of a normal recording; for an
    // insert recording, the row after the inserted lines (before) or the last inserted line (after).
    std::optional<int> selectedRow() const { return m_selectedRow; }

    // Bytes the recorded lines add to the encoding, counted since the last normal start.
    std::size_t recordedLength() const { return m_recordedLength; }

    // The encoded size of the whole text, end byte included.
    std::size_t encodedLength() const { return m_encodedLength; }

    std::size_t bodySize() const { return m_bodySize; }

private:
    struct Held {
        int id;              // virtual-key code, or kButtonId + button
        std::string release; // the release line
    };

    bool wanted(const InputEvent& event) const;
    std::size_t delayBytes() const;
    std::size_t heldReleaseBytes() const;
    void place(std::string line, std::size_t bytes);
    void addDelay(std::uint32_t timeMs);
    std::size_t closeHeldKeys();

    std::size_t m_bodySize;
    RecordedEvents m_events;
    RecordSettings m_settings;
    bool m_recording = false;
    bool m_inserting = false;
    bool m_pointerOnRecordButton = false;
    bool m_keyboardOnRecordButton = false;
    MacroText m_text;
    int m_insertPosition = 0;
    InsertPlacement m_placement = InsertPlacement::After;
    std::optional<int> m_selectedRow;
    std::optional<std::uint32_t> m_lastEventTime;
    std::vector<Held> m_held;
    std::size_t m_recordedLength = 0;
    std::size_t m_encodedLength = 1;
};

// The macro button bit (0x01 left ... 0x10 backward) of a mouse button.
Byte macroButtonBit(MouseButton button);

} // namespace tarvik::core
