#pragma once
// The 512-byte store of the ten fire macros that the weapon presets play: ten 16-byte names, ten
// 32-byte bodies, then 32 bytes nobody interprets but everybody keeps.

#include "core/image/ConfigImage.h"

#include <array>
#include <cstddef>
#include <span>

namespace tarvik::core {

class FireMacroStore {
public:
    static constexpr std::size_t kSize = 512;
    static constexpr std::size_t kSlots = 10;
    static constexpr std::size_t kNameSize = 16;
    static constexpr std::size_t kBodySize = 32;
    static constexpr std::size_t kBodiesOffset = kSlots * kNameSize;               // 160
    static constexpr std::size_t kTailOffset = kBodiesOffset + kSlots * kBodySize; // 480
    static constexpr std::size_t kHalf = 256; // the device moves the store in two halves

    using Name = std::array<Byte, kNameSize>;
    using Body = std::array<Byte, kBodySize>;

    // The editing copy the fire pages work on: names and bodies without the tail.
    struct Slots {
        std::array<Name, kSlots> names{};
        std::array<Body, kSlots> bodies{};
        bool operator==(const Slots&) const = default;
    };

    std::span<Byte, kSize> bytes() { return m_bytes; }
    std::span<const Byte, kSize> bytes() const { return m_bytes; }
    std::span<Byte, kHalf> half(int h); // h = 0 or 1
    std::span<const Byte, kHalf> half(int h) const;

    std::span<const Byte, kNameSize> name(int slot) const; // slot 0..9
    std::span<Byte, kNameSize> name(int slot);
    std::span<const Byte, kBodySize> body(int slot) const;
    std::span<Byte, kBodySize> body(int slot);

    Slots split() const;
    // Writes names and bodies back; the 32-byte tail stays as it was.
    void join(const Slots& slots);

    bool operator==(const FireMacroStore&) const = default;

private:
    std::array<Byte, kSize> m_bytes{};
};

using FireMacroSlots = FireMacroStore::Slots;

} // namespace tarvik::core
