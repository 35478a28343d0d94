#pragma once
// The ranges of the number fields that edit the configuration, named once: the event editors of the
// macro page and of the fire page's service mode, the "Input Delay Time" dialog, the fire page's
// preset values, the fire keys of the Advanced page, and the JSON import, which must refuse what
// these fields would never let a user type.

#include <algorithm>

namespace tarvik::core {

struct FieldRange {
    int min = 0;
    int max = 0;
    // What a field of this kind shows before anything is typed.
    int initial = 0;

    constexpr bool contains(long long value) const { return value >= min && value <= max; }
    constexpr int clamp(long long value) const {
        return static_cast<int>(std::clamp<long long>(value, min, max));
    }
};

namespace fields {

// --- Events of a macro, as a user types them (macro page, fire macro editor, delay dialog) ---
// A typed delay in milliseconds. A stored or recorded delay may be 0 (two bytes hold 0..65535); a
// typed one is at least 1, as no gap at all is what leaving the delay out gives.
inline constexpr FieldRange kEventDelay{1, 65535, 50};
// One component of a pointer move: the mouse reads a signed byte and -128 has no opposite.
inline constexpr FieldRange kEventMove{-127, 127, 12};
// How often the part between "Rep-Start" and "Rep-Stop" plays; 0 would never end the loop.
inline constexpr FieldRange kEventRepeat{1, 255, 10};

// --- The fire page's preset values (one step of a fire macro) ---
// The count of the step's repeated part; 0 plays it once as written.
inline constexpr FieldRange kFireStepCount{0, 255, 0};
// The pointer move of each repetition, a signed byte like kEventMove.
inline constexpr FieldRange kFireStepMove{-127, 127, 0};
// A slot's X or Y offset is one signed byte that the page shows unsigned (-9 is stored and shown
// as 247): both readings can be typed.
inline constexpr FieldRange kFireOffset{-128, 255, 0};
// The delay after the move, two bytes.
inline constexpr FieldRange kFireStepTime{0, 65535, 0};

// --- The three fire keys (Advanced page) ---
// Shots per press. The key code carries count - 1 in its low four bits only: a larger count kept in
// the fire key block would be named by a code that fires another number of shots.
inline constexpr FieldRange kFireKeyCount{1, 15, 2};
// Milliseconds between shots.
inline constexpr FieldRange kFireKeyInterval{1, 4094, 1};

} // namespace fields
} // namespace tarvik::core
