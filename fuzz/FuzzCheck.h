#pragma once
// Checks shared by the fuzz targets: a broken invariant aborts, so libFuzzer keeps the input.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace fuzzcheck {

inline void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

inline bool sameBytes(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

} // namespace fuzzcheck
