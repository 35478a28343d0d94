#include "core/text/TextEncoding.h"

namespace tarvik::core {

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

bool isHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Decodes one code point at pos and advances pos. A broken sequence consumes its lead byte and the
// continuation bytes that fit it, so that one fault yields one replacement character.
char32_t decodeUtf8(std::string_view s, std::size_t& pos) {
    const auto byteAt = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    const std::uint8_t lead = byteAt(pos++);
    if (lead < 0x80)
        return lead;

    int continuation = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        continuation = 1;
        c = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        continuation = 2;
        c = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        continuation = 3;
        c = lead & 0x07;
        minimum = 0x10000;
    } else {
        return kReplacementCharacter;
    }

    for (int i = 0; i < continuation; ++i) {
        if (pos >= s.size() || (byteAt(pos) & 0xC0) != 0x80)
            return kReplacementCharacter;
        c = (c << 6) | (byteAt(pos) & 0x3F);
        ++pos;
    }
    if (c < minimum || c > 0x10FFFF || isHighSurrogate(c) || isLowSurrogate(c))
        return kReplacementCharacter;
    return c;
}

template <typename Unit> std::string utf16UnitsToUtf8(std::size_t count, Unit unitAt) {
    std::string out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const char32_t u = unitAt(i);
        if (isHighSurrogate(u) && i + 1 < count && isLowSurrogate(unitAt(i + 1))) {
            appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00));
            ++i;
        } else if (isHighSurrogate(u) || isLowSurrogate(u)) {
            appendUtf8(out, kReplacementCharacter);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

} // namespace

std::u16string utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size())
        appendUtf16(out, decodeUtf8(utf8, pos));
    return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
    return utf16UnitsToUtf8(utf16.size(), [&](std::size_t i) { return static_cast<char32_t>(utf16[i]); });
}

std::string utf16LeToUtf8(std::span<const std::uint8_t> bytes) {
    return utf16UnitsToUtf8(bytes.size() / 2, [&](std::size_t i) {
        return static_cast<char32_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    });
}

std::vector<std::uint8_t> utf8ToUtf16Le(std::string_view utf8) {
    const std::u16string units = utf8ToUtf16(utf8);
    std::vector<std::uint8_t> out;
    out.reserve(units.size() * 2);
    for (char16_t u : units) {
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return out;
}

} // namespace tarvik::core
