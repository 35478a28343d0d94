#pragma once
// The macro page's event editor without its widgets: the text of the selected library macro, the
// selected row, the recorder, Edit, Delete and the insert panel. Every change ends as the page's
// handlers end: the text is encoded into the library slot and the library is saved. The page draws
// text() and selectedRow() and forwards what the user does.

#include "core/keys/InputEvent.h"
#include "core/macros/MacroEditing.h"
#include "core/macros/MacroLibrary.h"
#include "core/macros/MacroRecorder.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace tarvik::core {

class MacroEditor {
public:
    // Called after every change of the library (RefreshPCMacro: write the MacroLibraryFile).
    using SaveLibrary = std::function<void(const MacroLibrary&)>;

    MacroEditor(MacroLibrary& library, SaveLibrary save);

    // The library macro whose events the list shows, decoded from its slot; nothing for no library
    // macro. Ends a running recording first.
    void showLibraryMacro(std::optional<std::size_t> slot);
    std::optional<std::size_t> librarySlot() const { return m_slot; }

    // A macro of the mouse, decoded by the caller: shown, but not edited or recorded into (only
    // library macros are).
    void showDeviceMacro(MacroText text);

    // The lines the event list shows (line 0 is the header; row r is line r + 1), also while a
    // recording adds to them.
    const MacroText& text() const;
    int rowCount() const;
    std::optional<int> selectedRow() const;
    void selectRow(std::optional<int> row);
    // The hexadecimal form of the last encoding (the diagnostic view).
    const std::string& diagnosticHex() const { return m_hex; }

    // Bytes of the device macros in use (UsedMacroBytes): the page sets it; recorded events add to it
    // and the insert panel's Cancel gives back what the panel added.
    std::size_t usedMacroBytes() const { return m_usedMacroBytes; }
    void setUsedMacroBytes(std::size_t bytes) { m_usedMacroBytes = bytes; }

    // --- Record / Stop (Btn_Start) ---
    // Refused without a library macro and while the insert panel is open.
    bool startRecording(const RecordSettings& settings);
    // Ends a normal recording: keys still held are released, the text is encoded and saved.
    void stopRecording();
    bool recording() const { return m_recorder.recording() && !m_recorder.inserting(); }
    bool insertRecording() const { return m_recorder.inserting(); }

    // An event from the input capture, for either recording. When it ends the recording (the macro
    // is full) a normal recording is encoded and saved as by Stop; an insert recording waits for OK.
    MacroRecorder::Feed feed(const InputEvent& event);
    void setPointerOnRecordButton(bool on) { m_recorder.setPointerOnRecordButton(on); }

    // --- Edit and Delete of the selected row ---
    std::optional<EditKind> editKind() const;
    // The "Input One Key" dialog's result for the selected row.
    bool replaceKeyLine(EditKind kind, std::string_view keyName, std::string_view stepText);
    // The "Input Delay Time" dialog's text for the selected row.
    bool replaceDelayLine(std::string_view typed);
    // Delete; contentError asks the page for "Macro Content Error".
    MacroTextEdit deleteSelected();

    // --- The insert panel (Gb_Insert) ---
    // Opens it over a library macro; remembers the list's top row, the selected row and the used
    // bytes for Cancel.
    bool openInsertPanel(int topRow);
    bool insertPanelOpen() const { return m_panelOpen; }
    // Record/Stop of the panel for its key choices: events go before or after the selected row.
    bool startInsertRecording(InsertChoice choice, const RecordSettings& settings);
    void stopInsertRecording();

    enum class OkOutcome {
        Inserted, // the panel closed, the text was encoded and saved
        NeedsRow, // a choice that inserts at a row without a selected row: the panel stays open
        NoRoom,   // the line would not fit the slot's body: nothing changes, the panel stays open
        Closed,   // the panel was not open
    };
    // OK: a running insert recording is stopped first.
    OkOutcome insertOk(InsertChoice choice, const InsertValues& values);
    // Cancel: a running insert recording is stopped first; then the macro is decoded again from its
    // slot, so that everything since the panel opened is dropped, the used bytes are given back and
    // the remembered row is selected again. Returns the remembered top row.
    int insertCancel();

private:
    void finish();
    void takeRecorderText();
    void decodeSlot();

    MacroLibrary& m_library;
    SaveLibrary m_save;
    std::optional<std::size_t> m_slot;
    MacroText m_text;
    std::optional<int> m_selectedRow;
    std::string m_hex;
    std::size_t m_usedMacroBytes = 0;
    MacroRecorder m_recorder;
    bool m_textInRecorder = false;

    bool m_panelOpen = false;
    int m_savedTopRow = 0;
    std::optional<int> m_savedRow;
    std::size_t m_savedUsedBytes = 0;
};

} // namespace tarvik::core
