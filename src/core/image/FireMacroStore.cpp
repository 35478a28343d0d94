#include "core/image/FireMacroStore.h"

#include <algorithm>
#include <stdexcept>

namespace tarvik::core {

namespace {
std::size_t checkedSlot(int slot) {
    if (slot < 0 || slot >= static_cast<int>(FireMacroStore::kSlots)) {
        throw std::out_of_range("FireMacroStore: slot outside 0..9");
    }
    return static_cast<std::size_t>(slot);
}

std::size_t checkedHalf(int h) {
    if (h != 0 && h != 1) {
        throw std::out_of_range("FireMacroStore: half must be 0 or 1");
    }
    return static_cast<std::size_t>(h) * FireMacroStore::kHalf;
}
} // namespace

std::span<Byte, FireMacroStore::kHalf> FireMacroStore::half(int h) {
    return std::span<Byte, kSize>(m_bytes).subspan(checkedHalf(h)).first<kHalf>();
}

std::span<const Byte, FireMacroStore::kHalf> FireMacroStore::half(int h) const {
    return std::span<const Byte, kSize>(m_bytes).subspan(checkedHalf(h)).first<kHalf>();
}

std::span<const Byte, FireMacroStore::kNameSize> FireMacroStore::name(int slot) const {
    return std::span<const Byte, kSize>(m_bytes).subspan(checkedSlot(slot) * kNameSize).first<kNameSize>();
}

std::span<Byte, FireMacroStore::kNameSize> FireMacroStore::name(int slot) {
    return std::span<Byte, kSize>(m_bytes).subspan(checkedSlot(slot) * kNameSize).first<kNameSize>();
}

std::span<const Byte, FireMacroStore::kBodySize> FireMacroStore::body(int slot) const {
    return std::span<const Byte, kSize>(m_bytes)
        .subspan(kBodiesOffset + checkedSlot(slot) * kBodySize)
        .first<kBodySize>();
}

std::span<Byte, FireMacroStore::kBodySize> FireMacroStore::body(int slot) {
    return std::span<Byte, kSize>(m_bytes)
        .subspan(kBodiesOffset + checkedSlot(slot) * kBodySize)
        .first<kBodySize>();
}

FireMacroStore::Slots FireMacroStore::split() const {
    Slots slots;
    for (int s = 0; s < static_cast<int>(kSlots); ++s) {
        auto n = name(s);
        auto b = body(s);
        std::copy(n.begin(), n.end(), slots.names[static_cast<std::size_t>(s)].begin());
        std::copy(b.begin(), b.end(), slots.bodies[static_cast<std::size_t>(s)].begin());
    }
    return slots;
}

void FireMacroStore::join(const Slots& slots) {
    for (int s = 0; s < static_cast<int>(kSlots); ++s) {
        const auto& n = slots.names[static_cast<std::size_t>(s)];
        const auto& b = slots.bodies[static_cast<std::size_t>(s)];
        std::copy(n.begin(), n.end(), name(s).begin());
        std::copy(b.begin(), b.end(), body(s).begin());
    }
}

} // namespace tarvik::core
