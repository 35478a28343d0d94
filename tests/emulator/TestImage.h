#pragma once
// A ProfileFile made up for tests: every byte is distinct enough that a byte landing in the wrong
// place shows, with the fields the mouse itself looks at set to sensible values.

#include <cstdint>
#include <vector>

namespace tarvik::test {

inline constexpr std::uint16_t kTestVendor = 0x1209;
inline constexpr std::uint16_t kTestProduct = 0x0001;

inline std::vector<std::uint8_t> makeTestImage(std::size_t size = 2048, std::uint8_t marker = 0xE0) {
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i) {
        image[i] = static_cast<std::uint8_t>((i * 7 + i / 256 + 3) & 0xFF);
    }
    image[0] = kTestVendor >> 8;
    image[1] = kTestVendor & 0xFF;
    image[2] = kTestProduct >> 8;
    image[3] = kTestProduct & 0xFF;
    image[43] = 3;     // four DPI levels
    image[164] = 0x00; // work mode 1
    image[166] = 0;    // first DPI level
    image[484] = 0xFF;
    image[485] = 0xFF;
    image[495] = marker;
    return image;
}

} // namespace tarvik::test
