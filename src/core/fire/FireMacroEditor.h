#pragma once
// The service-mode editor of the fire macros without its widgets: the lock that hides it, the text
// of the selected fire macro, recording the left button into it, Delete and the insert panel. It
// works on the editing copy of the fire macro store only; the page's Confirm sends it.

#include "core/image/FireMacroStore.h"
#include "core/keys/InputEvent.h"
#include "core/macros/MacroEditing.h"
#include "core/macros/MacroRecorder.h"

#include <functional>
#include <optional>
#include <span>
#include <string>

namespace tarvik::core {

// The lines of a fire macro body: header "00" (the delay mode is not inferred), then one line per
// event of the first `length` bytes but the last. Only the six fire macro events are read; decoding
// stops at any other byte and where an event's parameters would lie beyond the body.
MacroText decodeFireBody(std::span<const Byte, FireMacroStore::kBodySize> body, std::size_t length);

// The hidden switch of the editor: every fifth double-click while it is off asks for the access
// code; a double-click while it is on turns it off (and is not counted).
class ServiceModeLock {
public:
    static constexpr const char* kAccessCode = "KilbrenZT";

    // askCode shows the access dialog: the typed text, or nothing when it was cancelled.
    // Returns whether the mode is on afterwards.
    bool doubleClicked(const std::function<std::optional<std::string>()>& askCode);
    bool on() const { return m_on; }

private:
    bool m_on = false;
    int m_count = 0;
};

class FireMacroEditor {
public:
    explicit FireMacroEditor(FireMacroSlots& slots);

    // The fire macro whose events are shown (0..9), decoded from its body; nothing for none.
    // A running recording is stopped and encoded first.
    void showSlot(std::optional<int> slot);
    std::optional<int> slot() const { return m_slot; }

    const MacroText& text() const;
    int rowCount() const;
    std::optional<int> selectedRow() const;
    void selectRow(std::optional<int> row);
    // The hexadecimal form of the shown body (the diagnostic view).
    const std::string& diagnosticHex() const { return m_hex; }

    // --- Record / Stop: left-button presses and releases only, held to the 32-byte body.
    bool startRecording(const RecordSettings& settings);
    // Ends the recording and encodes the text into the body.
    void stopRecording();
    bool recording() const { return m_recorder.recording(); }
    // An event from the capture. When it does not fit the body the recording ends as by Stop.
    MacroRecorder::Feed feed(const InputEvent& event);
    void setPointerOnRecordButton(bool on) { m_recorder.setPointerOnRecordButton(on); }

    // Delete of the selected row; a press or release whose partner is not found deletes nothing.
    bool deleteSelected();

    // --- The insert panel. Items 0-5 of its list as insertChoiceOfItem(item, true) maps them.
    bool openInsertPanel(int topRow);
    bool insertPanelOpen() const { return m_panelOpen; }
    // OK: the panel closes in every case; the line goes in when a row is selected and the result
    // still fits the body (else nothing changes).
    bool insertOk(int item, const InsertValues& values);
    // Cancel: the panel closes, the macro is decoded again from its body and the remembered row is
    // selected again. Returns the remembered top row.
    int insertCancel();

    // Rename of the selected fire macro: refused when none is selected or a slot in use already has
    // that name, its own included, as the library's Rename refuses it (the page then shows "Str106").
    enum class RenameResult { Renamed, NoSlot, Duplicate };
    RenameResult rename(const std::string& name);

private:
    void decode();
    void takeRecording();
    bool encode();

    FireMacroSlots& m_slots;
    std::optional<int> m_slot;
    MacroText m_text;
    std::optional<int> m_selectedRow;
    std::string m_hex;
    MacroRecorder m_recorder{FireMacroStore::kBodySize, RecordedEvents::LeftButtonOnly};
    bool m_panelOpen = false;
    int m_savedTopRow = 0;
    std::optional<int> m_savedRow;
};

} // namespace tarvik::core
