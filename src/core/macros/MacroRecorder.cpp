#include "core/macros/MacroRecorder.h"

#include "core/keys/KeyTables.h"
#include "core/macros/MacroCodec.h"
#include "core/macros/MacroLine.h"

#include <algorithm>

namespace tarvik::core {

namespace {

// Held buttons share the list with held keys; their ids lie above every virtual-key code.
constexpr int kButtonId = 0x10000;

// The keys that press a focused button: Enter (the keypad's too) and Space.
constexpr int kEnterKey = 0x0D;
constexpr int kSpaceKey = 0x20;

constexpr std::size_t kDelayBytes = 3;
constexpr std::size_t kKeyBytes = 2;
constexpr std::size_t kButtonBytes = 1;

// The keyboard modifiers the macro format stores as modifier events, by the generic virtual-key
// codes a keyboard capture reports for them.
std::optional<Byte> modifierBitOfKey(int virtualKey) {
    switch (virtualKey) {
    case 0x10:
        return 0x02;
    case 0x11:
        return 0x01;
    case 0x12:
        return 0x04;
    case 0x5B:
        return 0x08;
    case 0x5C:
        return 0x80;
    default:
        return std::nullopt;
    }
}

std::string keyEventLine(bool press, int virtualKey) {
    if (const auto bit = modifierBitOfKey(virtualKey))
        return modifierLine(press, *bit);
    const HookKey key = virtualKeyToHookKey(virtualKey);
    return keyLine(press, hookKeyName(key), hookKeyToDeviceKey(key));
}

} // namespace

Byte macroButtonBit(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return macro::kLeftButton;
    case MouseButton::Right:
        return macro::kRightButton;
    case MouseButton::Middle:
        return macro::kMiddleButton;
    case MouseButton::Forward:
        return macro::kForwardButton;
    case MouseButton::Backward:
        return macro::kBackwardButton;
    }
    return 0;
}

void MacroRecorder::startNew(const RecordSettings& settings) {
    m_settings = settings;
    m_text = {delayModeHeader(settings.delayMode, settings.defaultDelay)};
    m_inserting = false;
    m_selectedRow.reset();
    m_lastEventTime.reset();
    m_held.clear();
    m_recordedLength = 0;
    m_encodedLength = encodeMacro(m_text).size();
    m_recording = true;
}

bool MacroRecorder::startInsert(MacroText text, int row, InsertPlacement placement,
                                const RecordSettings& settings) {
    const int rows = static_cast<int>(text.size()) - 1;
    if (row < 0 || row >= rows)
        return false;
    const std::size_t encoded = encodeMacro(text).size();
    if (encoded + 2 * kButtonBytes > m_bodySize)
        return false;
    m_settings = settings;
    m_text = std::move(text);
    m_inserting = true;
    m_insertPosition = row;
    m_placement = placement;
    m_selectedRow = row;
    m_lastEventTime.reset();
    m_held.clear();
    m_encodedLength = encoded;
    m_recording = true;
    return true;
}

bool MacroRecorder::wanted(const InputEvent& event) const {
    if (m_events == RecordedEvents::KeysAndButtons)
        return true;
    return !event.isKey() && event.button == MouseButton::Left;
}

std::size_t MacroRecorder::delayBytes() const {
    return m_settings.delayMode != DelayMode::NoDelay && m_lastEventTime ? kDelayBytes : 0;
}

std::size_t MacroRecorder::heldReleaseBytes() const {
    std::size_t bytes = 0;
    for (const Held& h : m_held)
        bytes += h.id >= kButtonId ? kButtonBytes : kKeyBytes;
    return bytes;
}

void MacroRecorder::place(std::string line, std::size_t bytes) {
    if (!m_inserting) {
        m_text.push_back(std::move(line));
        m_selectedRow = static_cast<int>(m_text.size()) - 2;
    } else {
        const std::size_t at = std::min<std::size_t>(static_cast<std::size_t>(m_insertPosition) +
                                                         (m_placement == InsertPlacement::Before ? 1 : 2),
                                                     m_text.size());
        m_text.insert(m_text.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
        ++m_insertPosition;
        m_selectedRow = m_insertPosition;
    }
    m_encodedLength += bytes;
    m_recordedLength += bytes;
}

void MacroRecorder::addDelay(std::uint32_t timeMs) {
    if (m_lastEventTime) {
        if (m_settings.delayMode == DelayMode::RecordDelay) {
            // Unsigned difference: the event clock may wrap between two events.
            const std::uint32_t gap = timeMs - *m_lastEventTime;
            place(delayLine(static_cast<std::uint16_t>(std::min<std::uint32_t>(gap, 65535))), kDelayBytes);
        } else if (m_settings.delayMode == DelayMode::DefaultDelay) {
            place(delayLine(m_settings.defaultDelay), kDelayBytes);
        }
    }
    m_lastEventTime = timeMs;
}

std::size_t MacroRecorder::closeHeldKeys() {
    std::size_t bytes = 0;
    for (auto it = m_held.rbegin(); it != m_held.rend(); ++it) {
        const std::size_t size = it->id >= kButtonId ? kButtonBytes : kKeyBytes;
        place(std::move(it->release), size);
        bytes += size;
    }
    m_held.clear();
    return bytes;
}

MacroRecorder::Feed MacroRecorder::feed(const InputEvent& event) {
    if (!m_recording || !wanted(event))
        return {};

    int id = 0;
    std::size_t size = 0;
    std::string pressLine;
    std::string releaseLine;
    if (event.isKey()) {
        if (hookKeyName(virtualKeyToHookKey(event.virtualKey)) == "255")
            return {};
        if (m_keyboardOnRecordButton && (event.virtualKey == kEnterKey || event.virtualKey == kSpaceKey))
            return {};
        id = event.virtualKey;
        size = kKeyBytes;
        pressLine = keyEventLine(true, event.virtualKey);
        releaseLine = keyEventLine(false, event.virtualKey);
    } else {
        if (event.button == MouseButton::Left && m_pointerOnRecordButton)
            return {};
        const Byte bit = macroButtonBit(event.button);
        id = kButtonId + bit;
        size = kButtonBytes;
        pressLine = buttonLine(true, bit);
        releaseLine = buttonLine(false, bit);
    }

    const auto held = std::find_if(m_held.begin(), m_held.end(), [id](const Held& h) { return h.id == id; });
    const std::size_t before = m_recordedLength;
    Feed result;
    if (event.isDown()) {
        if (held != m_held.end())
            return {}; // auto-repeat of a held key
        // The press, and the releases of everything then held, must fit.
        if (m_encodedLength + delayBytes() + size + size + heldReleaseBytes() > m_bodySize) {
            closeHeldKeys();
            m_recording = false;
            result.stopped = true;
        } else {
            addDelay(event.timeMs);
            place(std::move(pressLine), size);
            m_held.push_back({id, std::move(releaseLine)});
            result.taken = true;
        }
    } else {
        if (held == m_held.end())
            return {}; // its press came before the recording began
        if (m_encodedLength + delayBytes() + heldReleaseBytes() > m_bodySize) {
            // The delay before it no longer fits; the release itself was reserved with its press.
            closeHeldKeys();
            m_recording = false;
            result.stopped = true;
        } else {
            addDelay(event.timeMs);
            place(std::move(releaseLine), size);
            m_held.erase(held);
        }
        result.taken = true;
    }
    result.bytesAdded = m_recordedLength - before;
    return result;
}

std::size_t MacroRecorder::stop() {
    if (!m_recording)
        return 0;
    const std::size_t bytes = closeHeldKeys();
    m_recording = false;
    return bytes;
}

} // namespace tarvik::core
