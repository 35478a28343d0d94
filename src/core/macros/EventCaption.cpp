#include "core/macros/EventCaption.h"

#include <optional>

namespace tarvik::core {

namespace {

std::optional<int> hexByteAt(std::string_view line, std::size_t pos) {
    if (pos + 2 > line.size())
        return std::nullopt;
    int value = 0;
    for (char c : line.substr(pos, 2)) {
        int d = 0;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            return std::nullopt;
        value = value * 16 + d;
    }
    return value;
}

std::string afterKind(std::string_view line) {
    return std::string(line.size() > 2 ? line.substr(2) : std::string_view{});
}

} // namespace

EventCaption eventCaption(std::string_view line) {
    EventCaption caption;
    const char kind = line.empty() ? '\0' : line.front();
    caption.iconIndex = (kind >= '0' && kind <= '9') ? kind - '0' : 0;

    switch (kind) {
    case '1':
    case '2':
        // The key name sits between the kind and " CODE:" with its four digits.
        caption.text = line.size() > 12 ? std::string(line.substr(2, line.size() - 12)) : std::string{};
        break;
    case '0':
        caption.text = afterKind(line) + " ms";
        break;
    case '3': {
        const auto x = hexByteAt(line, 4);
        const auto y = hexByteAt(line, 6);
        if (!x || !y || *x == 128 || *y == 128) {
            caption.text = afterKind(line);
            break;
        }
        const int sx = *x < 128 ? *x : *x - 256;
        const int sy = *y < 128 ? *y : *y - 256;
        caption.text = "X: " + std::to_string(sx) + "  Y: " + std::to_string(sy);
        break;
    }
    case '7': {
        const auto n = hexByteAt(line, 4);
        caption.text = n ? "Rep-Start  " + std::to_string(*n) : afterKind(line);
        break;
    }
    case '8':
        caption.text = "Rep-Stop";
        break;
    default:
        caption.text = afterKind(line);
        break;
    }
    return caption;
}

} // namespace tarvik::core
