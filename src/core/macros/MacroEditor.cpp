#include "core/macros/MacroEditor.h"

#include "core/macros/MacroCodec.h"

namespace tarvik::core {

MacroEditor::MacroEditor(MacroLibrary& library, SaveLibrary save)
    : m_library(library), m_save(std::move(save)) {}

const MacroText& MacroEditor::text() const {
    return m_textInRecorder ? m_recorder.text() : m_text;
}

int MacroEditor::rowCount() const {
    const MacroText& t = text();
    return t.empty() ? 0 : static_cast<int>(t.size()) - 1;
}

std::optional<int> MacroEditor::selectedRow() const {
    return m_textInRecorder ? m_recorder.selectedRow() : m_selectedRow;
}

void MacroEditor::selectRow(std::optional<int> row) {
    if (m_textInRecorder)
        return;
    m_selectedRow = row && *row >= 0 && *row < rowCount() ? row : std::nullopt;
}

void MacroEditor::decodeSlot() {
    m_text.clear();
    m_hex.clear();
    m_selectedRow.reset();
    if (!m_slot)
        return;
    if (auto view = m_library.view(*m_slot)) {
        m_text = std::move(view->decoded.text);
        m_hex = std::move(view->hex);
    }
}

void MacroEditor::showLibraryMacro(std::optional<std::size_t> slot) {
    if (m_recorder.recording()) {
        m_recorder.stop();
        m_textInRecorder = false;
    }
    m_panelOpen = false;
    m_slot = slot && m_library.slot(*slot).inUse() ? slot : std::nullopt;
    decodeSlot();
}

void MacroEditor::showDeviceMacro(MacroText text) {
    showLibraryMacro(std::nullopt);
    m_text = std::move(text);
}

void MacroEditor::takeRecorderText() {
    if (!m_textInRecorder)
        return;
    const auto row = m_recorder.selectedRow();
    m_text = m_recorder.takeText();
    m_textInRecorder = false;
    m_selectedRow = row;
}

void MacroEditor::finish() {
    if (!m_slot)
        return;
    m_hex = m_library.encode(*m_slot, m_text).hex;
    if (m_save)
        m_save(m_library);
}

bool MacroEditor::startRecording(const RecordSettings& settings) {
    if (!m_slot || m_panelOpen || m_recorder.recording())
        return false;
    m_recorder.startNew(settings);
    m_textInRecorder = true;
    return true;
}

void MacroEditor::stopRecording() {
    if (!recording())
        return;
    m_usedMacroBytes += m_recorder.stop();
    takeRecorderText();
    finish();
}

MacroRecorder::Feed MacroEditor::feed(const InputEvent& event) {
    const bool inserting = m_recorder.inserting();
    const MacroRecorder::Feed result = m_recorder.feed(event);
    m_usedMacroBytes += result.bytesAdded;
    if (result.stopped) {
        takeRecorderText();
        if (!inserting)
            finish();
    }
    return result;
}

std::optional<EditKind> MacroEditor::editKind() const {
    if (m_textInRecorder || !m_selectedRow)
        return std::nullopt;
    return editKindOfRow(m_text, *m_selectedRow);
}

bool MacroEditor::replaceKeyLine(EditKind kind, std::string_view keyName, std::string_view stepText) {
    if (!m_slot || m_textInRecorder || !m_selectedRow)
        return false;
    const MacroTextEdit r = core::replaceKeyLine(m_text, *m_selectedRow, kind, keyName, stepText);
    if (r.changed)
        finish();
    return r.changed;
}

bool MacroEditor::replaceDelayLine(std::string_view typed) {
    if (!m_slot || m_textInRecorder || !m_selectedRow)
        return false;
    const MacroTextEdit r = core::replaceDelayLine(m_text, *m_selectedRow, typed);
    if (r.changed)
        finish();
    return r.changed;
}

MacroTextEdit MacroEditor::deleteSelected() {
    if (!m_slot || m_textInRecorder || !m_selectedRow)
        return {};
    MacroTextEdit r = deleteRow(m_text, *m_selectedRow);
    if (r.changed) {
        m_selectedRow = r.selectRow;
        finish();
    }
    return r;
}

bool MacroEditor::openInsertPanel(int topRow) {
    if (!m_slot || m_textInRecorder || m_panelOpen)
        return false;
    m_panelOpen = true;
    m_savedTopRow = topRow;
    m_savedRow = m_selectedRow;
    m_savedUsedBytes = m_usedMacroBytes;
    return true;
}

bool MacroEditor::startInsertRecording(InsertChoice choice, const RecordSettings& settings) {
    if (!m_panelOpen || !isKeyChoice(choice) || m_recorder.recording() || !m_selectedRow)
        return false;
    const InsertPlacement placement =
        choice == InsertChoice::KeyFront ? InsertPlacement::Before : InsertPlacement::After;
    if (!m_recorder.startInsert(m_text, *m_selectedRow, placement, settings))
        return false;
    m_textInRecorder = true;
    return true;
}

void MacroEditor::stopInsertRecording() {
    if (!insertRecording())
        return;
    m_usedMacroBytes += m_recorder.stop();
    takeRecorderText();
}

MacroEditor::OkOutcome MacroEditor::insertOk(InsertChoice choice, const InsertValues& values) {
    if (!m_panelOpen)
        return OkOutcome::Closed;
    stopInsertRecording();
    if (!isKeyChoice(choice)) {
        if (!m_selectedRow)
            return OkOutcome::NeedsRow;
        MacroText changed = m_text;
        const MacroTextEdit r = insertLine(changed, *m_selectedRow, choice, values);
        if (!r.changed)
            return OkOutcome::NeedsRow;
        if (encodeMacro(changed).size() > kMacroBodySize)
            return OkOutcome::NoRoom;
        m_text = std::move(changed);
        m_selectedRow = r.selectRow;
    }
    m_panelOpen = false;
    finish();
    return OkOutcome::Inserted;
}

int MacroEditor::insertCancel() {
    if (!m_panelOpen)
        return m_savedTopRow;
    stopInsertRecording();
    m_panelOpen = false;
    m_usedMacroBytes = m_savedUsedBytes;
    decodeSlot();
    selectRow(m_savedRow);
    return m_savedTopRow;
}

} // namespace tarvik::core
