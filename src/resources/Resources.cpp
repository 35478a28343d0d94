#include "resources/Resources.h"

#include <algorithm>
#include <cctype>

namespace tarvik::resources {

namespace {
bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}
} // namespace

std::optional<std::span<const std::uint8_t>> find(std::string_view path) {
    for (const detail::EmbeddedFile* f = detail::kEmbedded; f->name != nullptr; ++f) {
        if (sameIgnoringCase(f->name, path))
            return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(f->data), f->size);
    }
    return std::nullopt;
}

std::vector<std::string_view> list() {
    std::vector<std::string_view> names;
    for (const detail::EmbeddedFile* f = detail::kEmbedded; f->name != nullptr; ++f)
        names.emplace_back(f->name);
    return names;
}

} // namespace tarvik::resources
