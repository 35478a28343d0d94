#include "core/macros/EepromMacroArea.h"

#include <algorithm>

namespace tarvik::core {

namespace {

bool needsOwnPage(Byte code) {
    return code == macro::kDelay || code == macro::kModifierDown || code == macro::kModifierUp ||
           code == macro::kKeyDown || code == macro::kKeyUp;
}

void setAddresses(EepromMacroEntries& entries) {
    std::size_t offset = 0;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        if (k == 0)
            entries[k].address = kEepromFirstMacroAddress;
        else if (entries[k].length != 0)
            entries[k].address = static_cast<std::uint16_t>(kEepromFirstMacroAddress + offset);
        offset += entries[k].length;
    }
}

} // namespace

EepromMacroEntries readEepromMacros(std::span<const Byte, kEepromMacroAreaSize> area) {
    EepromMacroEntries entries{};
    std::size_t p = 0;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        if (p + kEepromEmptyMacroLength > area.size())
            break;
        const Byte b0 = area[p];
        const Byte b1 = area[p + 1];
        if ((b0 == 0 && b1 == 0) || b0 == 0xFF || b1 == 0xFF)
            break;

        const std::size_t q = p + kMacroNameFieldSize;
        // Walk the events by their sizes: the end byte is the first 0x00 where an event would start.
        // A parameter byte of 0x00 (a delay of whole 256 ms, a key code, a move of 0) is never taken
        // for the end. A body may hold 256 events; its end byte then lies just past the body.
        std::size_t events = 0;
        while (events < kMacroBodySize && q + events < area.size() && area[q + events] != 0)
            events += macro::eventSize(area[q + events]);
        if (events > kMacroBodySize || q + events >= area.size() || area[q + events] != 0)
            break;

        DeviceMacroEntry& e = entries[k];
        std::copy_n(area.begin() + static_cast<std::ptrdiff_t>(p), kMacroNameFieldSize, e.name.begin());
        std::copy_n(area.begin() + static_cast<std::ptrdiff_t>(q), events, e.body.begin());
        e.length = static_cast<std::uint16_t>(events + kEepromEmptyMacroLength);
        p += e.length;
    }
    setAddresses(entries);
    return entries;
}

std::optional<std::size_t> eepromBodyLength(std::span<const Byte> body) {
    std::size_t events = 0;
    while (events < body.size() && body[events] != 0)
        events += macro::eventSize(body[events]);
    if (events >= body.size())
        return std::nullopt;
    return events + 1;
}

EepromPackResult packEepromMacros(EepromMacroEntries& entries) {
    EepromPackResult result;
    std::size_t p = 0;
    auto put = [&](Byte b) {
        if (p < result.area.size())
            result.area[p] = b;
        ++p;
    };

    for (DeviceMacroEntry& e : entries) {
        if (e.length == 0)
            continue;
        for (Byte b : e.name)
            put(b);
        // Events and end byte; the end byte of a body holding 256 events lies past the array.
        const std::size_t bodyLength = std::min<std::size_t>(
            e.length > kMacroNameFieldSize ? e.length - kMacroNameFieldSize : 1, kMacroBodySize + 1);
        auto bodyAt = [&](std::size_t i) { return i < e.body.size() ? e.body[i] : Byte{0}; };
        std::uint16_t length = static_cast<std::uint16_t>(kMacroNameFieldSize + bodyLength);
        // Walk event by event so that only a code byte, never a parameter, triggers the filler.
        std::size_t pos = 0;
        while (pos < bodyLength) {
            const Byte code = bodyAt(pos);
            const std::size_t size = std::min(macro::eventSize(code), bodyLength - pos);
            if (p == kEepromPageBoundary - 1 && needsOwnPage(code)) {
                put(macro::kRepeatEnd);
                ++length;
            }
            for (std::size_t i = 0; i < size; ++i)
                put(bodyAt(pos + i));
            pos += size;
        }
        e.length = length;
        result.usedBytes += length;
    }
    result.packedSize = p;
    setAddresses(entries);
    return result;
}

} // namespace tarvik::core
