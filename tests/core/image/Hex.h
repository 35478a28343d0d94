#pragma once
// Byte strings written as in the tables ("85 B9 98 BA", "0300E900").

#include "core/image/ConfigImage.h"

#include <cctype>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace tarvik::test {

inline std::vector<core::Byte> hex(std::string_view text) {
    std::vector<core::Byte> out;
    int high = -1;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            throw std::invalid_argument("not a hex digit");
        }
        int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(c) - 'A' + 10;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<core::Byte>(high * 16 + v));
            high = -1;
        }
    }
    if (high >= 0) {
        throw std::invalid_argument("odd number of hex digits");
    }
    return out;
}

inline std::vector<core::Byte> bytesOf(std::span<const core::Byte> s) {
    return {s.begin(), s.end()};
}

} // namespace tarvik::test
