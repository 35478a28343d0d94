#pragma once
// Reads the annotated hex descriptors of tests/data/hid.

#include <cstdint>
#include <string>
#include <vector>

namespace tarvik::hid::test {

// Bytes of tests/data/hid/<name>; fails the calling test (and returns nothing) when it cannot be read.
std::vector<std::uint8_t> loadHexFixture(const std::string& name);

} // namespace tarvik::hid::test
