// Writes the default images and the default macro library into a folder (resources/images).

#include "defaultimages/DefaultImageBuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

bool writeFile(const std::filesystem::path& path, const std::vector<tarvik::core::Byte>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
        return false;
    }
    std::printf("%s: %zu bytes\n", path.string().c_str(), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    bool ok = true;
    for (int n = 1; n <= 2; ++n) {
        ok = writeFile(dir / tarvik::tools::kDefaultImageFileNames[n - 1],
                       tarvik::tools::buildDefaultImage(n)) &&
             ok;
    }
    ok = writeFile(dir / tarvik::tools::kDefaultMacroLibraryFileName,
                   tarvik::tools::buildDefaultMacroLibrary()) &&
         ok;
    return ok ? 0 : 1;
}
