#include "core/macros/MacroName.h"

#include <cstdint>
#include <vector>

namespace tarvik::core {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes UTF-8 strictly (no overlongs, no surrogates, nothing above U+10FFFF); every byte that does
// not start a valid sequence becomes one U+FFFD.
std::vector<char32_t> decodeUtf8(std::string_view text) {
    std::vector<char32_t> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        std::size_t need = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (b0 < 0x80) {
            out.push_back(b0);
            ++i;
            continue;
        } else if ((b0 & 0xE0) == 0xC0) {
            need = 1, cp = b0 & 0x1F, min = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            need = 2, cp = b0 & 0x0F, min = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            need = 3, cp = b0 & 0x07, min = 0x10000;
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        bool ok = i + need < text.size();
        for (std::size_t k = 1; ok && k <= need; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            if ((b & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (b & 0x3F);
        }
        if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += need + 1;
    }
    return out;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

MacroNameField nameToField(std::string_view name) {
    MacroNameField field{};
    std::size_t unit = 0;
    auto put = [&](char16_t u) {
        field[2 * unit] = static_cast<Byte>(u >> 8);
        field[2 * unit + 1] = static_cast<Byte>(u & 0xFF);
        ++unit;
    };
    for (char32_t cp : decodeUtf8(name)) {
        if (cp == 0)
            break;
        if (cp < 0x10000) {
            if (unit + 1 > kMacroNameMaxUnits)
                break;
            put(static_cast<char16_t>(cp));
        } else {
            if (unit + 2 > kMacroNameMaxUnits)
                break;
            const char32_t v = cp - 0x10000;
            put(static_cast<char16_t>(0xD800 + (v >> 10)));
            put(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        }
    }
    return field;
}

std::string fieldToName(std::span<const Byte, kMacroNameFieldSize> field) {
    std::string out;
    for (std::size_t i = 0; i < kMacroNameMaxUnits; ++i) {
        const char16_t u = static_cast<char16_t>((field[2 * i] << 8) | field[2 * i + 1]);
        if (u == 0)
            break;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < kMacroNameMaxUnits) {
            const char16_t low = static_cast<char16_t>((field[2 * i + 2] << 8) | field[2 * i + 3]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(low) - 0xDC00));
                ++i;
                continue;
            }
        }
        appendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : char32_t(u));
    }
    return out;
}

std::size_t nameLengthInUnits(std::string_view name) {
    std::size_t units = 0;
    for (char32_t cp : decodeUtf8(name))
        units += cp < 0x10000 ? 1 : 2;
    return units;
}

} // namespace tarvik::core
