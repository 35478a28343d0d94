#pragma once
// Built-in data files (tables, default images, default macro library), embedded at build time.
// Plain C++ so that the core, the virtual mouse and the tests reach them without Qt.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tarvik::resources {

namespace detail {
struct EmbeddedFile {
    const char* name;
    const unsigned char* data;
    std::size_t size;
};
extern const EmbeddedFile kEmbedded[]; // ends with a null name
} // namespace detail

// The bytes of a built-in file, by its path under resources/ ("images/TarvikData_Cfg1.bin",
// "lang/lang1.ini"), compared without regard to case. Empty optional when there is no such file.
std::optional<std::span<const std::uint8_t>> find(std::string_view path);

// Every built-in path, in sorted order.
std::vector<std::string_view> list();

} // namespace tarvik::resources
