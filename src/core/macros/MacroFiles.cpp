#include "core/macros/MacroFiles.h"

namespace tarvik::core {

std::filesystem::path exportFilePath(const std::filesystem::path& chosen) {
    std::filesystem::path out = chosen;
    out += ".bin";
    return out;
}

std::optional<std::vector<Byte>> readFilePrefix(const std::filesystem::path& path, std::size_t maxBytes,
                                                FileResult* result) {
    return readRegularFile(path, maxBytes, Oversize::TakePrefix, result);
}

} // namespace tarvik::core
