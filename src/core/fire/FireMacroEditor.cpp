#include "core/fire/FireMacroEditor.h"

#include "core/fire/FireMacroNames.h"
#include "core/macros/MacroCodec.h"
#include "core/macros/MacroLine.h"
#include "core/macros/MacroName.h"

#include <algorithm>

namespace tarvik::core {

MacroText decodeFireBody(std::span<const Byte, FireMacroStore::kBodySize> body, std::size_t length) {
    namespace m = macro;
    MacroText text{"00"};
    const std::size_t end = std::min(length == 0 ? 0 : length - 1, body.size());
    const auto fits = [&](std::size_t pos, std::size_t bytes) { return pos + bytes <= body.size(); };
    std::size_t pos = 0;
    while (pos < end) {
        const Byte code = body[pos];
        if (code == m::kMove && fits(pos, 3)) {
            text.push_back("3 04" + hexString(body.subspan(pos + 1, 2)));
            pos += 3;
        } else if (code == (m::kButtonUp | m::kLeftButton) || code == (m::kButtonDown | m::kLeftButton)) {
            text.push_back(buttonLine(code == (m::kButtonDown | m::kLeftButton), m::kLeftButton));
            pos += 1;
        } else if (code == m::kRepeatEnd) {
            text.push_back(repeatEndLine());
            pos += 1;
        } else if (code == m::kRepeatStart && fits(pos, 2)) {
            // Written out here: the stored count may be 0, which the insert panel's builder would raise.
            text.push_back("7 FD" + hexString(body.subspan(pos + 1, 1)));
            pos += 2;
        } else if (code == m::kDelay && fits(pos, 3)) {
            text.push_back(delayLine(static_cast<std::uint16_t>(body[pos + 1] * 256 + body[pos + 2])));
            pos += 3;
        } else {
            break; // no fire macro event: what follows cannot be read reliably
        }
    }
    return text;
}

bool ServiceModeLock::doubleClicked(const std::function<std::optional<std::string>()>& askCode) {
    if (m_on) {
        m_on = false;
        return false;
    }
    ++m_count;
    if (m_count % 5 == 0) {
        const std::optional<std::string> typed = askCode ? askCode() : std::nullopt;
        m_on = typed && *typed == kAccessCode;
    }
    return m_on;
}

FireMacroEditor::FireMacroEditor(FireMacroSlots& slots) : m_slots(slots) {}

const MacroText& FireMacroEditor::text() const {
    return m_recorder.recording() ? m_recorder.text() : m_text;
}

int FireMacroEditor::rowCount() const {
    const MacroText& t = text();
    return t.empty() ? 0 : static_cast<int>(t.size()) - 1;
}

std::optional<int> FireMacroEditor::selectedRow() const {
    return m_recorder.recording() ? m_recorder.selectedRow() : m_selectedRow;
}

void FireMacroEditor::selectRow(std::optional<int> row) {
    if (m_recorder.recording())
        return;
    m_selectedRow = row && *row >= 0 && *row < rowCount() ? row : std::nullopt;
}

void FireMacroEditor::decode() {
    m_text.clear();
    m_hex.clear();
    m_selectedRow.reset();
    if (!m_slot)
        return;
    const auto& body = m_slots.bodies[static_cast<std::size_t>(*m_slot)];
    const std::size_t length = storedLength(body).value_or(body.size());
    if (length <= 1)
        return;
    m_hex = hexString(std::span<const Byte>(body).first(std::min(length, body.size())));
    m_text = decodeFireBody(body, length);
}

bool FireMacroEditor::encode() {
    if (!m_slot)
        return false;
    const EncodeResult result = encodeMacroInto(m_text, m_slots.bodies[static_cast<std::size_t>(*m_slot)]);
    if (result.fits)
        m_hex = result.hex;
    return result.fits;
}

void FireMacroEditor::showSlot(std::optional<int> slot) {
    if (m_recorder.recording())
        stopRecording();
    m_panelOpen = false;
    m_slot = slot && *slot >= 0 && *slot < static_cast<int>(FireMacroStore::kSlots) ? slot : std::nullopt;
    decode();
}

bool FireMacroEditor::startRecording(const RecordSettings& settings) {
    if (!m_slot || m_panelOpen || m_recorder.recording())
        return false;
    m_slots.bodies[static_cast<std::size_t>(*m_slot)].fill(0);
    m_text.clear();
    m_hex.clear();
    m_recorder.startNew(settings);
    return true;
}

void FireMacroEditor::stopRecording() {
    if (!m_recorder.recording())
        return;
    m_recorder.stop();
    takeRecording();
}

void FireMacroEditor::takeRecording() {
    const auto row = m_recorder.selectedRow();
    m_text = m_recorder.takeText();
    m_selectedRow = row;
    encode();
}

MacroRecorder::Feed FireMacroEditor::feed(const InputEvent& event) {
    const MacroRecorder::Feed result = m_recorder.feed(event);
    // The recorder ended by itself: the event did not fit, and what it kept goes into the body.
    if (result.stopped && !m_recorder.recording())
        takeRecording();
    return result;
}

bool FireMacroEditor::deleteSelected() {
    if (!m_slot || !m_selectedRow || m_recorder.recording())
        return false;
    const MacroTextEdit result = deleteRow(m_text, *m_selectedRow);
    if (!result.changed)
        return false;
    m_selectedRow.reset();
    selectRow(result.selectRow);
    encode();
    return true;
}

bool FireMacroEditor::openInsertPanel(int topRow) {
    if (!m_slot || m_recorder.recording())
        return false;
    m_panelOpen = true;
    m_savedTopRow = topRow;
    m_savedRow = m_selectedRow;
    return true;
}

bool FireMacroEditor::insertOk(int item, const InsertValues& values) {
    m_panelOpen = false;
    const std::optional<InsertChoice> choice = insertChoiceOfItem(item, true);
    if (!m_slot || !m_selectedRow || !choice)
        return false;
    const MacroText before = m_text;
    const MacroTextEdit result = insertLine(m_text, *m_selectedRow, *choice, values);
    if (!result.changed)
        return false;
    if (!encode()) {
        // A line that would carry the body past its 32 bytes is not taken.
        m_text = before;
        return false;
    }
    m_selectedRow = result.selectRow;
    return true;
}

int FireMacroEditor::insertCancel() {
    m_panelOpen = false;
    decode();
    selectRow(m_savedRow);
    return m_savedTopRow;
}

FireMacroEditor::RenameResult FireMacroEditor::rename(const std::string& name) {
    if (!m_slot)
        return RenameResult::NoSlot;
    const MacroNameField field = nameToField(name);
    for (std::size_t i = 0; i < FireMacroStore::kSlots; ++i)
        if (fireMacroSlotInUse(m_slots.names[i]) && fieldToName(m_slots.names[i]) == fieldToName(field))
            return RenameResult::Duplicate;
    m_slots.names[static_cast<std::size_t>(*m_slot)] = field;
    return RenameResult::Renamed;
}

} // namespace tarvik::core
