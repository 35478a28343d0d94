// Library files (the MacroLibraryFile and Import All): reading any bytes must give a library whose
// rows are its slots, that writes out in the file format and reads back the same.

#include "core/macros/MacroLibrary.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

using namespace tarvik::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const Byte> bytes(data, size);
    MacroLibrary library = MacroLibrary::fromBytes(bytes);
    const std::vector<Byte> image = library.toBytes();
    if (image.size() != kLibraryFileSize)
        std::abort();
    if (MacroLibrary::fromBytes(image).toBytes() != image)
        std::abort();

    const std::size_t count = library.count();
    if (library.names().size() != count)
        std::abort();
    for (std::size_t i = 0; i < kLibrarySlotCount; ++i) {
        if (library.slot(i).inUse() != (i < count))
            std::abort();
        (void)library.view(i);
    }

    // Import All over a library that already holds these macros, from the input's tail.
    const std::size_t cut = size / 2;
    library.importAll(bytes.subspan(cut));
    if (library.toBytes().size() != kLibraryFileSize)
        std::abort();
    return 0;
}
