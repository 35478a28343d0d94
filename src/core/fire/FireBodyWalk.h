#pragma once
// What the Fire Macro page shows of one fire macro body, and where in the body each shown value
// lives so that an edit can be written back in place.

#include "core/image/FireMacroStore.h"

#include <cstddef>
#include <optional>
#include <span>

namespace tarvik::core {

struct FireSegmentView {
    std::size_t length = 0; // StoredLength of the body (the previous one when it has no end)
    int count = 0;          // repetitions of the repeated part
    int x = 0;              // pointer move per repetition, signed
    int y = 0;
    int time = 0; // delay after the move
    // Positions inside the body of the count byte, the X and Y bytes and the delay's high byte.
    std::optional<std::size_t> countAt, xAt, yAt, timeAt;
};

// The walk over a fire macro body: repeat start (count), move (X, Y; a component of 0x80 is not
// shown), and the first delay after each move (time). Left-button presses and releases and the
// repeat end are stepped over. It stops at any other byte and never reads past the body.
// `previousLength` is used when the body has no run of three zero bytes.
FireSegmentView walkFireBody(std::span<const Byte, FireMacroStore::kBodySize> body,
                             std::size_t previousLength);

} // namespace tarvik::core
