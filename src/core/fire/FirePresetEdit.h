#pragma once
// The value edits of the Fire Macro page: each field corrects its own text to its range, and a value
// that stands goes back to where the page found it: into the fire macro body at the position the
// body walk recorded, or into the slot's offset byte of the configuration image.

#include "core/fire/FireBodyWalk.h"
#include "core/image/ConfigImage.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarvik::core {

enum class FireField { Count, X, Y, XOffset, YOffset, Time };

struct FireFieldText {
    std::string text;         // what the field shows after the correction
    std::optional<int> value; // the value it stands for; nothing while it is no number yet ("-")
};

// Empty gives "0"; each field is held to its range in core/edit/FieldRanges.h (kFireStepCount,
// kFireStepMove, kFireOffset, kFireStepTime); a number beyond a limit shows the limit. A lone "-" stays as
// typed so that a negative move or offset can be entered.
FireFieldText correctFireField(FireField field, std::string_view typed);

// Writes `value` (already within the field's range) for `slot` 0..9: count, X and Y as one byte and
// time as high then low byte at the positions of `view`; offsets into the image. False, and nothing
// written, when the body holds no such value (the walk recorded no position for it).
bool writeFireField(FireMacroSlots& slots, ConfigImage& image, int slot, const FireSegmentView& view,
                    FireField field, int value);

} // namespace tarvik::core
