#include "core/fire/FireBodyWalk.h"

#include "core/macros/MacroCodec.h"
#include "core/macros/MacroTypes.h"

#include <algorithm>

namespace tarvik::core {

FireSegmentView walkFireBody(std::span<const Byte, FireMacroStore::kBodySize> body,
                             std::size_t previousLength) {
    namespace m = macro;
    FireSegmentView view;
    view.length = storedLength(body).value_or(previousLength);
    const std::size_t end = std::min(view.length == 0 ? 0 : view.length - 1, body.size());
    const auto fits = [&](std::size_t pos, std::size_t bytes) { return pos + bytes <= body.size(); };

    bool moveSeen = false;
    std::size_t pos = 0;
    while (pos < end) {
        const Byte code = body[pos];
        if (code == m::kRepeatStart && fits(pos, 2)) {
            view.count = body[pos + 1];
            view.countAt = pos + 1;
            pos += 2;
        } else if (code == m::kMove && fits(pos, 3)) {
            if (body[pos + 1] != 0x80)
                view.x = static_cast<std::int8_t>(body[pos + 1]);
            if (body[pos + 2] != 0x80)
                view.y = static_cast<std::int8_t>(body[pos + 2]);
            view.xAt = pos + 1;
            view.yAt = pos + 2;
            moveSeen = true;
            pos += 3;
        } else if (code == m::kDelay && fits(pos, 3)) {
            if (moveSeen) {
                view.time = body[pos + 1] * 256 + body[pos + 2];
                view.timeAt = pos + 1;
                moveSeen = false;
            }
            pos += 3;
        } else if (code == (m::kButtonDown | m::kLeftButton) || code == (m::kButtonUp | m::kLeftButton) ||
                   code == m::kRepeatEnd) {
            pos += 1;
        } else {
            break; // no fire macro event: nothing after it can be read reliably
        }
    }
    return view;
}

} // namespace tarvik::core
