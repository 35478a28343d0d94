#pragma once
// What the event list editor asks of the rules over a macro's event text, in one shape for the two
// editors that hold them in core: the macro page's MacroEditor (library macros, with Edit and insert
// recordings) and the fire page's FireMacroEditor (the fire macros of the service mode).

#include "core/fire/FireMacroEditor.h"
#include "core/macros/MacroEditor.h"

#include <optional>
#include <string_view>

namespace tarvik::gui {

class EventListRules {
public:
    virtual ~EventListRules() = default;

    // The lines shown (line 0 is the header; row r is line r + 1) and the selected row.
    virtual const core::MacroText& text() const = 0;
    virtual std::optional<int> selectedRow() const = 0;
    virtual void selectRow(std::optional<int> row) = 0;

    // Record / Stop.
    virtual bool recording() const = 0;
    virtual bool startRecording(const core::RecordSettings& settings) = 0;
    virtual void stopRecording() = 0;
    virtual core::MacroRecorder::Feed feed(const core::InputEvent& event) = 0;
    virtual void setPointerOnRecordButton(bool on) = 0;
    // Recording into the open insert panel (the key choices); editors without one refuse it.
    virtual bool insertRecording() const { return false; }
    virtual bool startInsertRecording(core::InsertChoice, const core::RecordSettings&) { return false; }
    virtual void stopInsertRecording() {}

    // Edit of the selected row through the delay and key dialogs; editors without Edit offer none.
    virtual std::optional<core::EditKind> editKind() const { return std::nullopt; }
    virtual void replaceKeyLine(core::EditKind, std::string_view /*keyName*/, std::string_view /*stepText*/) {
    }
    virtual void replaceDelayLine(std::string_view /*typed*/) {}

    struct Deleted {
        bool changed = false;
        bool contentError = false; // "Macro Content Error": the partner of a key line is missing
    };
    virtual Deleted deleteSelected() = 0;

    // The insert panel; `item` is the row of the panel's choice list.
    virtual bool openInsertPanel(int topRow) = 0;
    virtual bool insertPanelOpen() const = 0;
    enum class Inserted {
        Yes,      // the line went in
        NeedsRow, // the choice inserts at a row and none is selected
        NoRoom,   // the line would not fit the macro's body
        No,       // nothing was inserted (the panel may have closed all the same)
    };
    virtual Inserted insertOk(int item, const core::InsertValues& values) = 0;
    // Returns the list's top row as it was when the panel opened.
    virtual int insertCancel() = 0;
};

// What both core editors answer alike.
template <class Editor> class EditorRules : public EventListRules {
public:
    explicit EditorRules(Editor& editor) : m_editor(editor) {}

    const core::MacroText& text() const override { return m_editor.text(); }
    std::optional<int> selectedRow() const override { return m_editor.selectedRow(); }
    void selectRow(std::optional<int> row) override { m_editor.selectRow(row); }
    bool recording() const override { return m_editor.recording(); }
    bool startRecording(const core::RecordSettings& settings) override {
        return m_editor.startRecording(settings);
    }
    void stopRecording() override { m_editor.stopRecording(); }
    core::MacroRecorder::Feed feed(const core::InputEvent& event) override { return m_editor.feed(event); }
    void setPointerOnRecordButton(bool on) override { m_editor.setPointerOnRecordButton(on); }
    bool openInsertPanel(int topRow) override { return m_editor.openInsertPanel(topRow); }
    bool insertPanelOpen() const override { return m_editor.insertPanelOpen(); }
    int insertCancel() override { return m_editor.insertCancel(); }

protected:
    Editor& m_editor;
};

// The macro page's library macros.
class MacroEventRules final : public EditorRules<core::MacroEditor> {
public:
    using EditorRules::EditorRules;

    bool insertRecording() const override { return m_editor.insertRecording(); }
    bool startInsertRecording(core::InsertChoice choice, const core::RecordSettings& settings) override {
        return m_editor.startInsertRecording(choice, settings);
    }
    void stopInsertRecording() override { m_editor.stopInsertRecording(); }
    std::optional<core::EditKind> editKind() const override { return m_editor.editKind(); }
    void replaceKeyLine(core::EditKind kind, std::string_view keyName, std::string_view stepText) override {
        m_editor.replaceKeyLine(kind, keyName, stepText);
    }
    void replaceDelayLine(std::string_view typed) override { m_editor.replaceDelayLine(typed); }
    Deleted deleteSelected() override;
    Inserted insertOk(int item, const core::InsertValues& values) override;
};

// The fire page's fire macros: no Edit and no insert recordings; Delete says nothing when a partner
// is missing, and OK closes the panel whatever it inserted.
class FireEventRules final : public EditorRules<core::FireMacroEditor> {
public:
    using EditorRules::EditorRules;

    Deleted deleteSelected() override { return {m_editor.deleteSelected(), false}; }
    Inserted insertOk(int item, const core::InsertValues& values) override {
        return m_editor.insertOk(item, values) ? Inserted::Yes : Inserted::No;
    }
};

} // namespace tarvik::gui
